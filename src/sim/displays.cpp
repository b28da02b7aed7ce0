#include "sim/displays.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/notification_center.h"
#include "platform/user_defaults.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

constexpr std::string_view interfaceStyleKey = "AppleInterfaceStyle";
constexpr std::string_view themeChangedNotification = "AppleInterfaceThemeChangedNotification";
constexpr std::string_view windowManagerDomain = "com.apple.WindowManager";
constexpr std::string_view dockDomain = "com.apple.Dock";

const char* orientationName(DockEdge edge) {
    switch (edge) {
        case DockEdge::bottom:
            return "bottom";
        case DockEdge::left:
            return "left";
        case DockEdge::right:
            return "right";
    }
    return "bottom";
}

}  // namespace

platform::CGRect Display::visibleFrame() const {
    // Bottom-left coordinates: the menu bar takes the top of the frame.
    double x = frame.minX();
    double y = frame.minY();
    double width = frame.width();
    double height = frame.height() - menuBarHeight;
    if (dock) {
        switch (dock->edge) {
            case DockEdge::bottom:
                y += dock->thickness;
                height -= dock->thickness;
                break;
            case DockEdge::left:
                x += dock->thickness;
                width -= dock->thickness;
                break;
            case DockEdge::right:
                width -= dock->thickness;
                break;
        }
    }
    return {x, y, std::max(width, 0.0), std::max(height, 0.0)};
}

platform::NSScreen Display::screen() const {
    platform::PlistDictionary description;
    if (number)
        description.emplace(platform::screenNumberKey, platform::PlistObject::integer(*number));
    return platform::NSScreen(frame, visibleFrame(), std::move(description));
}

Displays& Displays::of(World& world) {
    return world.component<Displays>();
}

Displays& Displays::current() {
    return of(World::current());
}

std::vector<Display> Displays::displays() const {
    std::lock_guard lock(mutex_);
    return displays_;
}

std::optional<Display> Displays::mainDisplay() const {
    std::lock_guard lock(mutex_);
    if (displays_.empty())
        return std::nullopt;
    if (main_) {
        for (const Display& display : displays_) {
            if (display.number == main_)
                return display;
        }
    }
    return displays_.front();
}

platform::CGRect Displays::topLeftLocked(const Display& display) const {
    const double primaryHeight = displays_.front().frame.height();
    const platform::CGRect& f = display.frame;
    return {f.minX(), primaryHeight - f.maxY(), f.width(), f.height()};
}

std::optional<platform::CGRect> Displays::topLeftFrame(const std::string& uuid) const {
    std::lock_guard lock(mutex_);
    for (const Display& display : displays_) {
        if (display.uuid == uuid)
            return topLeftLocked(display);
    }
    return std::nullopt;
}

std::optional<platform::CGRect> Displays::topLeftFrameAt(platform::CGPoint point) const {
    std::lock_guard lock(mutex_);
    if (displays_.empty())
        return std::nullopt;
    for (const Display& display : displays_) {
        const platform::CGRect frame = topLeftLocked(display);
        if (frame.containsPoint(point))
            return frame;
    }
    return topLeftLocked(displays_.front());
}

bool Displays::isInMenuBar(platform::CGPoint point) const {
    std::lock_guard lock(mutex_);
    for (const Display& display : displays_) {
        if (display.menuBarHeight <= 0)
            continue;
        const platform::CGRect frame = topLeftLocked(display);
        if (platform::CGRect(frame.minX(), frame.minY(), frame.width(), display.menuBarHeight)
                .containsPoint(point)) {
            return true;
        }
    }
    return false;
}

platform::CGPoint Displays::flipped(platform::CGPoint point) const {
    std::lock_guard lock(mutex_);
    const double height = displays_.empty() ? 0.0 : displays_.front().frame.height();
    return {point.x, height - point.y};
}

void Displays::setDisplays(std::vector<Display> displays) {
    {
        std::lock_guard lock(mutex_);
        displays_ = std::move(displays);
    }
    changed();
}

void Displays::addDisplay(Display display) {
    {
        std::lock_guard lock(mutex_);
        displays_.push_back(std::move(display));
    }
    changed();
}

bool Displays::removeDisplay(std::int64_t number) {
    {
        std::lock_guard lock(mutex_);
        if (std::erase_if(displays_, [number](const Display& d) { return d.number == number; }) ==
            0) {
            return false;
        }
    }
    changed();
    return true;
}

bool Displays::updateDisplay(std::int64_t number, const std::function<void(Display&)>& edit) {
    {
        std::lock_guard lock(mutex_);
        auto found = std::find_if(displays_.begin(), displays_.end(),
                                  [number](const Display& d) { return d.number == number; });
        if (found == displays_.end())
            return false;
        edit(*found);
    }
    changed();
    return true;
}

void Displays::placeDock(std::size_t index, std::optional<DockInset> dock) {
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < displays_.size(); ++i)
            displays_[i].dock = i == index ? dock : std::nullopt;
    }
    if (dock)
        setDockOrientation(orientationName(dock->edge));
    changed();
}

void Displays::setMainDisplay(std::optional<std::int64_t> number) {
    std::lock_guard lock(mutex_);
    main_ = number;
}

void Displays::changed() {
    platform::NotificationCenter::defaultCenter().post(
        std::string(platform::applicationDidChangeScreenParametersNotification));
}

SystemVersion& SystemVersion::of(World& world) {
    return world.component<SystemVersion>();
}

SystemVersion& SystemVersion::current() {
    return of(World::current());
}

platform::OperatingSystemVersion SystemVersion::version() const {
    std::lock_guard lock(mutex_);
    return version_;
}

void SystemVersion::setVersion(platform::OperatingSystemVersion version) {
    std::lock_guard lock(mutex_);
    version_ = version;
}

void setInterfaceStyle(std::optional<std::string> style) {
    auto& defaults = platform::UserDefaults::standard();
    const auto global = platform::UserDefaults::globalDomainName;
    platform::PlistDictionary values = defaults.persistentDomainForName(global);
    if (style) {
        values.insert_or_assign(std::string(interfaceStyleKey),
                                platform::PlistObject::string(std::move(*style)));
    } else {
        values.erase(std::string(interfaceStyleKey));
    }
    defaults.setPersistentDomain(values, global);
    platform::DistributedNotificationCenter::defaultCenter().post(
        std::string(themeChangedNotification));
}

void setStageManager(bool globallyEnabled, bool autoHide) {
    const auto suite = platform::UserDefaults::suite(windowManagerDomain);
    suite->setBool(globallyEnabled, "GloballyEnabled");
    suite->setBool(autoHide, "AutoHide");
}

void setDockOrientation(std::optional<std::string> orientation) {
    const auto suite = platform::UserDefaults::suite(dockDomain);
    if (orientation) {
        suite->setObject(platform::PlistObject::string(std::move(*orientation)), "orientation");
    } else {
        suite->removeObjectForKey("orientation");
    }
}

}  // namespace zoral::sim
