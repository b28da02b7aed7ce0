#include "app/diagnostics/diagnostics.h"

#include <algorithm>
#include <array>
#include <utility>

#include "desktop/joined_with_last_separator.h"
#include "desktop/symbolic_hot_key.h"
#include "loginitems/login_items.h"
#include "platform/bundle.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"

namespace zoral::app {

using Diagnostics::Status;

DiagnosticsItem::DiagnosticsItem(std::string title, std::string description, std::string solution)
    : title_(std::move(title)),
      description_(std::move(description)),
      solution_(std::move(solution)) {}

void DiagnosticsItem::found(Status status, std::string message) {
    status_ = status;
    message_ = std::move(message);
}

namespace {

constexpr std::string_view builtInTrackpad = "com.apple.AppleMultitouchTrackpad";
constexpr std::string_view bluetoothTrackpad = "com.apple.driver.AppleBluetoothMultitouch.trackpad";
constexpr std::string_view builtInMouse = "com.apple.AppleMultitouchMouse";
constexpr std::string_view bluetoothMouse = "com.apple.driver.AppleBluetoothMultitouch.mouse";

// A Boolean of another program's domain. The system bridges the integers 0 and 1 to Booleans, so
// they read as false and true; a domain that cannot be opened, a missing key or any other value
// reads false.
bool systemBool(std::string_view domain, std::string_view key) {
    const auto suite = platform::UserDefaults::suite(domain);
    const auto value = suite ? suite->objectForKey(key) : std::nullopt;
    if (!value)
        return false;
    if (const bool* flag = value->getIf<bool>())
        return *flag;
    if (const auto* number = value->getIf<platform::PlistInteger>())
        return number->int64Value() == 1;
    return false;
}

class DoubleTap final : public DiagnosticsItem {
public:
    DoubleTap()
        : DiagnosticsItem("Double Tap",
                          "For Double Tap to work, Smart Zoom needs to be enabled for your Magic "
                          "Trackpad or Mouse.",
                          "Go to System Settings \u203A Trackpad / Mouse \u203A Scroll & Zoom / "
                          "Point & Click and make sure the Smart Zoom option is enabled.") {}

    void check() override {
        struct Device {
            std::string_view domain;
            std::string_view key;
            const char* name;
        };
        static constexpr std::array<Device, 4> devices{{
            {builtInTrackpad, "TrackpadTwoFingerDoubleTapGesture", "the built-in trackpad"},
            {bluetoothTrackpad, "TrackpadTwoFingerDoubleTapGesture", "the Bluetooth trackpad"},
            {builtInMouse, "MouseOneFingerDoubleTapGesture", "the built-in mouse"},
            {bluetoothMouse, "MouseOneFingerDoubleTapGesture", "the Bluetooth mouse"},
        }};
        std::vector<std::string> enabled;
        for (const Device& device : devices) {
            if (systemBool(device.domain, device.key))
                enabled.emplace_back(device.name);
        }
        if (enabled.size() == devices.size()) {
            found(Status::green, "Smart Zoom is enabled system-wide.");
        } else if (enabled.empty()) {
            found(Status::red, "Smart Zoom is not enabled.");
        } else {
            found(Status::green, "Smart Zoom is enabled for " +
                                     desktop::joinedWithLastSeparator(enabled, ", ", " and ") +
                                     ".");
        }
    }
};

class PinchZoom final : public DiagnosticsItem {
public:
    PinchZoom()
        : DiagnosticsItem("Pinching",
                          "For Pinching to work, Zoom In Or Out needs to be enabled for your "
                          "Magic Trackpad.",
                          "Go to System Settings \u203A Trackpad \u203A Scroll & Zoom and make "
                          "sure the Zoom In Or Out option is enabled.") {}

    void check() override {
        const bool builtIn = systemBool(builtInTrackpad, "TrackpadPinch");
        const bool bluetooth = systemBool(bluetoothTrackpad, "TrackpadPinch");
        if (builtIn && bluetooth) {
            found(Status::green, "Pinching is enabled system-wide.");
        } else if (builtIn) {
            found(Status::yellow, "Pinching is not enabled for the Bluetooth trackpad.");
        } else if (bluetooth) {
            found(Status::yellow, "Pinching is not enabled for the built-in trackpad.");
        } else {
            found(Status::red, "Pinching is not enabled.");
        }
    }
};

class Spaces final : public DiagnosticsItem {
public:
    Spaces()
        : DiagnosticsItem("Spaces",
                          "For switching Spaces to work, Mission Control keyboard shortcuts need "
                          "to be set correctly.",
                          "If you are experiencing issues, go to System Settings \u203A Keyboard "
                          "\u203A Shortcuts \u203A Mission Control and click Restore Defaults.") {}

    void check() override {
        // Control and Function with the left and right arrows, as the system sets them.
        constexpr std::uint64_t defaultModifiers = 0x840000;
        constexpr platform::CGKeyCode leftArrow = 123;
        constexpr platform::CGKeyCode rightArrow = 124;
        const auto left = desktop::symbolicHotKey(std::string(desktop::moveLeftASpaceHotKey));
        const auto right = desktop::symbolicHotKey(std::string(desktop::moveRightASpaceHotKey));
        if (!left || !right || !left->enabled || !right->enabled) {
            found(Status::yellow, "Mission Control shortcuts could not be detected.");
        } else if (left->keyCode == leftArrow && right->keyCode == rightArrow &&
                   left->modifiers.rawValue() == defaultModifiers &&
                   right->modifiers.rawValue() == defaultModifiers) {
            found(Status::green, "Mission Control shortcuts are set correctly.");
        } else {
            found(Status::yellow, "Mission Control shortcuts are set to a custom combination.");
        }
    }
};

constexpr const char* systemHapticSolution =
    "Go to System Settings \u203A Trackpad \u203A Point & Click and make sure the Force Click "
    "option is enabled.";

class HapticFeedback final : public DiagnosticsItem {
public:
    HapticFeedback()
        : DiagnosticsItem("Haptic Feedback",
                          "Haptic Feedback needs to be enabled for your Magic Trackpad.",
                          systemHapticSolution) {}

    void check() override {
        const bool suppressed = systemBool(builtInTrackpad, "ForceSuppressed");
        if (!settings::Defaults::readValue(settings::Defaults::Keys::hapticFeedback())) {
            found(Status::yellow, "Haptic Feedback is not enabled in Zoral.");
            setSolution(
                "Go to Zoral \u203A Settings \u203A General and make sure Haptic "
                "Feedback is enabled.");
        } else if (suppressed) {
            found(Status::red, "Haptic Feedback is not enabled.");
            setSolution(systemHapticSolution);
        } else {
            found(Status::green, "Haptic Feedback is enabled system-wide.");
        }
    }
};

constexpr const char* systemLoginSolution =
    "Zoral tries to fix this issue on every restart. If you are still experiencing issues, go to "
    "System Settings \u203A Users \u203A Login Items and make sure the Hide option is disabled.";

class LaunchAtLogin final : public DiagnosticsItem {
public:
    LaunchAtLogin()
        : DiagnosticsItem("Launch at Login",
                          "To display tooltips, Zoral needs to be added to Login Items correctly.",
                          systemLoginSolution) {}

    void check() override {
        using loginitems::LoginItems::LaunchState;
        switch (loginitems::LoginItems::launchState()) {
            case LaunchState::none:
                found(Status::yellow, "Zoral does not launch at login.");
                setSolution(
                    "Go to Zoral \u203A Settings \u203A General and make sure Launch at "
                    "Login is enabled.");
                break;
            case LaunchState::hide:
                found(Status::red, "Zoral launches hidden.");
                setSolution(systemLoginSolution);
                break;
            case LaunchState::show:
                found(Status::green, "Zoral launches unhidden.");
                break;
        }
    }
};

class Translocation final : public DiagnosticsItem {
public:
    Translocation()
        : DiagnosticsItem("Applications Folder",
                          "Zoral needs to run from the Applications folder to receive software "
                          "updates.",
                          "Please move Zoral.app to /Applications.") {}

    void check() override {
        const platform::Bundle bundle = platform::Bundle::main();
        const Status status = bundle.isInApplicationsFolder() ? Status::green
                              : bundle.bundlePath().find("Developer/Xcode") != std::string::npos
                                  ? Status::yellow
                                  : Status::red;
        found(status, "Zoral is running from " + bundle.bundlePath());
    }
};

struct State {
    std::vector<std::shared_ptr<DiagnosticsItem>> items;
    Status worst = Status::green;
};

std::unique_ptr<State>& state() {
    static std::unique_ptr<State> current;
    return current;
}

// Each item is checked as it is made, before the next one is.
template <class Item>
void append(std::vector<std::shared_ptr<DiagnosticsItem>>& items) {
    auto item = std::make_shared<Item>();
    item->check();
    items.push_back(std::move(item));
}

State& currentState() {
    auto& current = state();
    if (!current) {
        current = std::make_unique<State>();
        append<DoubleTap>(current->items);
        append<PinchZoom>(current->items);
        append<Spaces>(current->items);
        append<HapticFeedback>(current->items);
        append<LaunchAtLogin>(current->items);
        append<Translocation>(current->items);
    }
    return *current;
}

}  // namespace

namespace Diagnostics {

const std::vector<std::shared_ptr<DiagnosticsItem>>& items() {
    return currentState().items;
}

void overallStatus() {
    State& current = currentState();
    Status worst = Status::green;
    for (const auto& item : current.items) {
        item->check();
        worst = std::max(worst, item->status().value_or(Status::green));
    }
    current.worst = worst;
}

Status worstStatus() {
    const auto& current = state();
    return current ? current->worst : Status::green;
}

std::string_view statusImageName(Status status) {
    switch (status) {
        case Status::green:
            return "NSStatusAvailable";
        case Status::yellow:
            return "NSStatusPartiallyAvailable";
        case Status::red:
            return "NSStatusUnavailable";
    }
    return {};
}

void reset() {
    state().reset();
}

}  // namespace Diagnostics

}  // namespace zoral::app
