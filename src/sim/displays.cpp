#include "sim/displays.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/notification_center.h"
#include "platform/user_defaults.h"
#include "sim/spaces.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
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

// The same display: by its UUID, or by its number when it has no UUID.
bool isSameDisplay(const Display& a, const Display& b) {
    return a.uuid.empty() && b.uuid.empty() ? a.number == b.number : a.uuid == b.uuid;
}

// A bottom-left rectangle in the top-left coordinates of the displays (the first is primary).
platform::CGRect topLeftOf(const platform::CGRect& rect, const std::vector<Display>& displays) {
    return platform::flip(rect, displays.empty() ? 0.0 : displays.front().frame.height());
}

// The area two rectangles share; 0 when they only touch or lie apart.
double overlapArea(const platform::CGRect& a, const platform::CGRect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return width > 0 && height > 0 ? width * height : 0;
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
    const platform::MutexLock lock(mutex_);
    return displays_;
}

std::optional<Display> Displays::mainDisplay() const {
    const platform::MutexLock lock(mutex_);
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
    return topLeftOf(display.frame, displays_);
}

std::optional<platform::CGRect> Displays::topLeftFrame(const std::string& uuid) const {
    const platform::MutexLock lock(mutex_);
    for (const Display& display : displays_) {
        if (display.uuid == uuid)
            return topLeftLocked(display);
    }
    return std::nullopt;
}

std::optional<platform::CGRect> Displays::topLeftFrameAt(platform::CGPoint point) const {
    const platform::MutexLock lock(mutex_);
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
    const platform::MutexLock lock(mutex_);
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
    const platform::MutexLock lock(mutex_);
    return platform::flip(point, displays_.empty() ? 0.0 : displays_.front().frame.height());
}

void Displays::setDisplays(std::vector<Display> displays) {
    replace(std::move(displays));
}

void Displays::replace(std::vector<Display> displays) {
    std::vector<Display> before;
    {
        const platform::MutexLock lock(mutex_);
        before = std::exchange(displays_, displays);
    }
    bringWindowsHome(before, displays);
    changed();
}

void Displays::bringWindowsHome(const std::vector<Display>& before,
                                const std::vector<Display>& after) {
    if (before.empty() || after.empty())
        return;
    std::vector<Display> gone;
    for (const Display& display : before) {
        if (std::none_of(after.begin(), after.end(),
                         [&](const Display& kept) { return isSameDisplay(kept, display); })) {
            gone.push_back(display);
        }
    }
    if (gone.empty())
        return;
    const Display& home = after.front();
    const auto onAnyOf = [](const std::vector<Display>& list, platform::CGPoint point) {
        return std::any_of(list.begin(), list.end(), [&](const Display& display) {
            return topLeftOf(display.frame, list).containsPoint(point);
        });
    };
    // The display that remains and that the frame overlaps most, else the primary one.
    const auto destination = [&](const platform::CGRect& frame) -> const Display& {
        const Display* best = &home;
        double most = 0;
        for (const Display& display : after) {
            const double area = overlapArea(topLeftOf(display.frame, after), frame);
            if (area > most) {
                most = area;
                best = &display;
            }
        }
        return *best;
    };
    // Where a frame on a display that went lies now, or none when it stays where it is.
    const auto relocated =
        [&](const platform::CGRect& frame) -> std::optional<std::pair<platform::CGRect, Display>> {
        const platform::CGPoint centre{frame.midX(), frame.midY()};
        const auto from = std::find_if(gone.begin(), gone.end(), [&](const Display& display) {
            return topLeftOf(display.frame, before).containsPoint(centre);
        });
        if (from == gone.end() || onAnyOf(after, centre))
            return std::nullopt;
        const Display& to = destination(frame);
        const platform::CGRect visible = topLeftOf(to.visibleFrame(), after);
        // Onto a display it overlapped, it stays where it is; onto the primary one, it keeps its
        // place relative to the visible frame it was on.
        platform::CGPoint origin = frame.origin;
        if (overlapArea(topLeftOf(to.frame, after), frame) == 0) {
            const platform::CGRect fromVisible = topLeftOf(from->visibleFrame(), before);
            origin = {visible.minX() + frame.minX() - fromVisible.minX(),
                      visible.minY() + frame.minY() - fromVisible.minY()};
        }
        // Pulled inside the visible frame, the top-left corner first: the title bar stays
        // reachable.
        origin = {std::max(std::min(origin.x, visible.maxX() - frame.width()), visible.minX()),
                  std::max(std::min(origin.y, visible.maxY() - frame.height()), visible.minY())};
        return std::pair{platform::CGRect(origin, frame.size), to};
    };

    // Windows of every level come over: floating windows, panels and utility windows as well as
    // the normal ones.
    WindowServer& server = WindowServer::of(world_);
    for (const ServerWindow& entry : server.windows()) {
        const auto window = std::dynamic_pointer_cast<WindowNode>(entry.node);
        if (!window || window->isDestroyed())
            continue;
        // The frame it returns to from full screen must lie on a display that exists.
        if (const auto restore = window->frameBeforeFullScreen()) {
            if (const auto moved = relocated(*restore))
                window->setFrameBeforeFullScreen(moved->first);
        }
        const auto moved = relocated(*window->frame());
        if (!moved)
            continue;
        if (window->isFullScreen()) {
            const platform::CGRect filled = topLeftOf(moved->second.frame, after);
            window->resizeTo(world_, filled.size);
            window->moveTo(world_, filled.origin);
            continue;
        }
        window->moveTo(world_, moved->first.origin);
    }
    Spaces& spaces = Spaces::of(world_);
    for (const Display& display : gone)
        spaces.displayRemoved(world_, display.uuid, home.uuid);
}

void Displays::addDisplay(Display display) {
    {
        const platform::MutexLock lock(mutex_);
        displays_.push_back(std::move(display));
    }
    changed();
}

bool Displays::removeDisplay(std::int64_t number) {
    std::vector<Display> remaining = displays();
    if (std::erase_if(remaining, [number](const Display& d) { return d.number == number; }) == 0)
        return false;
    replace(std::move(remaining));
    return true;
}

bool Displays::updateDisplay(std::int64_t number, const std::function<void(Display&)>& edit) {
    {
        const platform::MutexLock lock(mutex_);
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
        const platform::MutexLock lock(mutex_);
        for (std::size_t i = 0; i < displays_.size(); ++i)
            displays_[i].dock = i == index ? dock : std::nullopt;
    }
    if (dock)
        setDockOrientation(orientationName(dock->edge));
    changed();
}

void Displays::setMainDisplay(std::optional<std::int64_t> number) {
    const platform::MutexLock lock(mutex_);
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
    const platform::MutexLock lock(mutex_);
    return version_;
}

void SystemVersion::setVersion(platform::OperatingSystemVersion version) {
    const platform::MutexLock lock(mutex_);
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
