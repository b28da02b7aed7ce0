#include "app/diagnostics/diagnostics.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/json.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::app {
namespace {

using Diagnostics::Status;
using platform::Json;

// A world of the test's own, the settings in a home of its own, and diagnostics made afresh.
class DiagnosticsTest : public zoral::testing::VirtualClockTest {
protected:
    DiagnosticsTest() { Diagnostics::reset(); }
    ~DiagnosticsTest() override { Diagnostics::reset(); }

    // Loads the world into a fresh one, as the system then is.
    void load(const std::string& text) {
        world.reset();
        world.emplace();
        sim::loadWorld(**world, Json::parse(text));
    }

    static const DiagnosticsItem& item(const std::string& title) {
        for (const auto& item : Diagnostics::items()) {
            if (item->title() == title)
                return *item;
        }
        throw std::runtime_error("no item " + title);
    }

    zoral::testing::TemporaryHome home;
    std::optional<sim::ScopedWorld> world{std::in_place};
};

// Spaces shortcuts: Control and Function (0x840000 = 8650752) with the left and right arrows are
// the system's own.
TEST_F(DiagnosticsTest, EachCheckReadsTheSystemAsTheWorldHasIt) {
    struct Case {
        const char* what;
        std::string world;
        const char* title;
        Status status;
        const char* message;
    };
    const auto devices = [](const std::string& domains) {
        return R"({"systemSettings": {"inputDevices": {)" + domains + "}}}";
    };
    const std::string trackpad = R"("com.apple.AppleMultitouchTrackpad": )";
    const std::string bluetoothTrackpad =
        R"("com.apple.driver.AppleBluetoothMultitouch.trackpad": )";
    const std::string mouse = R"("com.apple.AppleMultitouchMouse": )";
    const std::string bluetoothMouse = R"("com.apple.driver.AppleBluetoothMultitouch.mouse": )";
    const std::string trackpadTap = R"({"TrackpadTwoFingerDoubleTapGesture": true})";
    const std::string mouseTap = R"({"MouseOneFingerDoubleTapGesture": true})";
    const auto spaces = [](const char* left, const char* right) {
        return std::string(R"({"systemSettings": {"symbolicHotKeys": {"79": )") + left +
               R"(, "81": )" + right + "}}}";
    };
    const char* const leftDefault = R"({"enabled": true, "parameters": [65535, 123, 8650752]})";
    const char* const rightDefault = R"({"enabled": true, "parameters": [65535, 124, 8650752]})";
    const std::vector<Case> cases{
        // Double Tap: the four devices in order, joined as a sentence.
        {"no device", "{}", "Double Tap", Status::red, "Smart Zoom is not enabled."},
        {"every device",
         devices(trackpad + trackpadTap + "," + bluetoothTrackpad + trackpadTap + "," + mouse +
                 mouseTap + "," + bluetoothMouse + mouseTap),
         "Double Tap", Status::green, "Smart Zoom is enabled system-wide."},
        {"one device", devices(trackpad + trackpadTap), "Double Tap", Status::green,
         "Smart Zoom is enabled for the built-in trackpad."},
        {"two devices", devices(trackpad + trackpadTap + "," + bluetoothMouse + mouseTap),
         "Double Tap", Status::green,
         "Smart Zoom is enabled for the built-in trackpad and the Bluetooth mouse."},
        {"three devices",
         devices(trackpad + trackpadTap + "," + bluetoothTrackpad + trackpadTap + "," + mouse +
                 mouseTap),
         "Double Tap", Status::green,
         "Smart Zoom is enabled for the built-in trackpad, the Bluetooth trackpad and the "
         "built-in mouse."},
        // The system bridges 0 and 1 to Booleans; other numbers, texts and reals are not ones.
        {"the integer 1", devices(trackpad + R"({"TrackpadTwoFingerDoubleTapGesture": 1})"),
         "Double Tap", Status::green, "Smart Zoom is enabled for the built-in trackpad."},
        {"values of other types",
         devices(trackpad + R"({"TrackpadTwoFingerDoubleTapGesture": 2},)" + bluetoothTrackpad +
                 R"({"TrackpadTwoFingerDoubleTapGesture": "YES"},)" + mouse +
                 R"({"MouseOneFingerDoubleTapGesture": 1.0},)" + bluetoothMouse +
                 R"({"MouseOneFingerDoubleTapGesture": [true]})"),
         "Double Tap", Status::red, "Smart Zoom is not enabled."},
        {"a mouse's key on a trackpad",
         devices(trackpad + R"({"MouseOneFingerDoubleTapGesture": true})"), "Double Tap",
         Status::red, "Smart Zoom is not enabled."},
        // Pinching
        {"pinching everywhere",
         devices(trackpad + R"({"TrackpadPinch": true},)" + bluetoothTrackpad +
                 R"({"TrackpadPinch": 1})"),
         "Pinching", Status::green, "Pinching is enabled system-wide."},
        {"pinching built in", devices(trackpad + R"({"TrackpadPinch": true})"), "Pinching",
         Status::yellow, "Pinching is not enabled for the Bluetooth trackpad."},
        {"pinching over Bluetooth",
         devices(trackpad + R"({"TrackpadPinch": 0},)" + bluetoothTrackpad +
                 R"({"TrackpadPinch": true})"),
         "Pinching", Status::yellow, "Pinching is not enabled for the built-in trackpad."},
        {"no pinching", "{}", "Pinching", Status::red, "Pinching is not enabled."},
        // Spaces never turn red.
        {"the system's shortcuts", spaces(leftDefault, rightDefault), "Spaces", Status::green,
         "Mission Control shortcuts are set correctly."},
        {"option and the right arrow",
         spaces(leftDefault, R"({"enabled": true, "parameters": [65535, 124, 524288]})"), "Spaces",
         Status::yellow, "Mission Control shortcuts are set to a custom combination."},
        {"other keys",
         spaces(R"({"enabled": true, "parameters": [65535, 0, 8650752]})", rightDefault), "Spaces",
         Status::yellow, "Mission Control shortcuts are set to a custom combination."},
        {"one shortcut off",
         spaces(leftDefault, R"({"enabled": false, "parameters": [65535, 124, 8650752]})"),
         "Spaces", Status::yellow, "Mission Control shortcuts could not be detected."},
        {"one shortcut missing",
         R"({"systemSettings": {"symbolicHotKeys": {"79": )" + std::string(leftDefault) + "}}}",
         "Spaces", Status::yellow, "Mission Control shortcuts could not be detected."},
        {"no hot keys file", "{}", "Spaces", Status::yellow,
         "Mission Control shortcuts could not be detected."},
        // Haptic feedback as the system has it (the program's setting is on by default).
        {"force click on", "{}", "Haptic Feedback", Status::green,
         "Haptic Feedback is enabled system-wide."},
        {"force click suppressed", devices(trackpad + R"({"ForceSuppressed": true})"),
         "Haptic Feedback", Status::red, "Haptic Feedback is not enabled."},
        {"suppressed as a text", devices(trackpad + R"({"ForceSuppressed": "true"})"),
         "Haptic Feedback", Status::green, "Haptic Feedback is enabled system-wide."},
        // Launch at login: through the service, or the session's list of older systems.
        {"the service enabled", R"({"loginItems": {"serviceStatus": "enabled"}})",
         "Launch at Login", Status::green, "Zoral launches unhidden."},
        {"the service awaiting approval",
         R"({"loginItems": {"serviceStatus": "requiresApproval"}})", "Launch at Login",
         Status::yellow, "Zoral does not launch at login."},
        {"hidden in the session's list",
         R"({"systemVersion": [12, 0, 0], "programBundle": "/Applications/Zoral.app",
             "loginItems": {"sessionItems": [{"url": "file:///Applications/Zoral.app",
               "properties": {"LoginItemHidden": true}}]}})",
         "Launch at Login", Status::red, "Zoral launches hidden."},
        {"shown in the session's list",
         R"({"systemVersion": [12, 0, 0], "programBundle": "/Applications/Zoral.app",
             "loginItems": {"sessionItems": [{"url": "file:///Applications/Zoral.app",
               "properties": {"LoginItemHidden": false}}]}})",
         "Launch at Login", Status::green, "Zoral launches unhidden."},
        // Where the bundle lies; an applications folder wins over a developer's folder.
        {"in the applications folder",
         R"({"programBundle": "/Applications/Developer/Xcode/Zoral.app"})", "Applications Folder",
         Status::green, "Zoral is running from /Applications/Developer/Xcode/Zoral.app"},
        {"in a build folder",
         R"({"programBundle": "/Users/me/Library/Developer/Xcode/DerivedData/Zoral.app"})",
         "Applications Folder", Status::yellow,
         "Zoral is running from /Users/me/Library/Developer/Xcode/DerivedData/Zoral.app"},
        {"in the downloads", R"({"programBundle": "/Users/me/Downloads/Zoral.app"})",
         "Applications Folder", Status::red, "Zoral is running from /Users/me/Downloads/Zoral.app"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        load(row.world);
        Diagnostics::overallStatus();
        const DiagnosticsItem& checked = item(row.title);
        EXPECT_EQ(checked.status(), row.status);
        EXPECT_EQ(checked.message(), row.message);
    }
}

// The overall status is the worst of all; a world with everything in place is green.
TEST_F(DiagnosticsTest, TheOverallStatusIsTheWorstOfAll) {
    // Everything in place, but for the Spaces shortcut to the right (yellow when off) and the
    // bundle's place (red outside an applications folder).
    const auto inPlaceBut = [](bool rightSpaceOn, const std::string& bundle) {
        return std::string(R"({"systemSettings": {"inputDevices": {
            "com.apple.AppleMultitouchTrackpad": {"TrackpadTwoFingerDoubleTapGesture": true,
                "TrackpadPinch": true},
            "com.apple.driver.AppleBluetoothMultitouch.trackpad": {"TrackpadPinch": true}},
            "symbolicHotKeys": {
                "79": {"enabled": true, "parameters": [65535, 123, 8650752]},
                "81": {"enabled": )") +
               (rightSpaceOn ? "true" : "false") + R"(, "parameters": [65535, 124, 8650752]}}},
            "loginItems": {"serviceStatus": "enabled"},
            "programBundle": ")" +
               bundle + "\"}";
    };
    struct Case {
        const char* what;
        std::string world;
        Status overall;
    };
    const std::vector<Case> cases{
        {"everything in place", inPlaceBut(true, "/Applications/Zoral.app"), Status::green},
        {"one yellow", inPlaceBut(false, "/Applications/Zoral.app"), Status::yellow},
        {"a yellow and a red", inPlaceBut(false, "/Users/me/Downloads/Zoral.app"), Status::red},
        {"nothing in place", "{}", Status::red},
    };
    EXPECT_EQ(Diagnostics::worstStatus(), Status::green);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        load(row.world);
        Diagnostics::overallStatus();
        EXPECT_EQ(Diagnostics::worstStatus(), row.overall);
    }
}

// The list is made once, in order, each item checked as it is made; later checks overwrite the
// same items.
TEST_F(DiagnosticsTest, ItemsAreMadeCheckedAndReusedInOrder) {
    const auto& items = Diagnostics::items();
    std::vector<std::string> titles;
    for (const auto& made : items) {
        titles.push_back(made->title());
        EXPECT_TRUE(made->status().has_value()) << made->title();
        EXPECT_TRUE(made->message().has_value()) << made->title();
    }
    EXPECT_EQ(titles,
              (std::vector<std::string>{"Double Tap", "Pinching", "Spaces", "Haptic Feedback",
                                        "Launch at Login", "Applications Folder"}));
    const DiagnosticsItem* first = items.front().get();
    EXPECT_EQ(items.front()->status(), Status::red);
    load(R"({"systemSettings": {"inputDevices": {"com.apple.AppleMultitouchMouse":
        {"MouseOneFingerDoubleTapGesture": true}}}})");
    Diagnostics::overallStatus();
    EXPECT_EQ(Diagnostics::items().front().get(), first);
    EXPECT_EQ(first->message(), "Smart Zoom is enabled for the built-in mouse.");
}

// Two items choose the solution that fits what they found: the program's own setting, or the
// system's.
TEST_F(DiagnosticsTest, SolutionsFollowWhatTheCheckFound) {
    const std::string programHaptics =
        "Go to Zoral \u203A Settings \u203A General and make sure Haptic Feedback is enabled.";
    const std::string systemHaptics =
        "Go to System Settings \u203A Trackpad \u203A Point & Click and make sure the Force Click "
        "option is enabled.";
    const std::string programLogin =
        "Go to Zoral \u203A Settings \u203A General and make sure Launch at Login is enabled.";
    const std::string systemLogin =
        "Zoral tries to fix this issue on every restart. If you are still experiencing issues, "
        "go to System Settings \u203A Users \u203A Login Items and make sure the Hide option is "
        "disabled.";
    const auto& haptics = settings::Defaults::Keys::hapticFeedback();

    load(R"({"systemSettings": {"inputDevices": {"com.apple.AppleMultitouchTrackpad":
        {"ForceSuppressed": true}}}})");
    EXPECT_EQ(item("Haptic Feedback").solution(), systemHaptics);
    // The program's setting wins over the system's.
    settings::Defaults::writeValue(haptics, false);
    Diagnostics::overallStatus();
    EXPECT_EQ(item("Haptic Feedback").status(), Status::yellow);
    EXPECT_EQ(item("Haptic Feedback").message(), "Haptic Feedback is not enabled in Zoral.");
    EXPECT_EQ(item("Haptic Feedback").solution(), programHaptics);
    settings::Defaults::writeValue(haptics, true);
    Diagnostics::overallStatus();
    EXPECT_EQ(item("Haptic Feedback").status(), Status::red);
    EXPECT_EQ(item("Haptic Feedback").solution(), systemHaptics);
    // Green keeps the solution the item had.
    load("{}");
    settings::Defaults::writeValue(haptics, false);
    Diagnostics::overallStatus();
    settings::Defaults::writeValue(haptics, true);
    Diagnostics::overallStatus();
    EXPECT_EQ(item("Haptic Feedback").status(), Status::green);
    EXPECT_EQ(item("Haptic Feedback").solution(), programHaptics);

    EXPECT_EQ(item("Launch at Login").solution(), programLogin);
    load(R"({"systemVersion": [12, 0, 0], "programBundle": "/Applications/Zoral.app",
        "loginItems": {"sessionItems": [{"url": "file:///Applications/Zoral.app",
        "properties": {"LoginItemHidden": true}}]}})");
    Diagnostics::overallStatus();
    EXPECT_EQ(item("Launch at Login").solution(), systemLogin);
}

}  // namespace
}  // namespace zoral::app
