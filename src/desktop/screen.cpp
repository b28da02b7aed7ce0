#include "desktop/screen.h"

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/process_state.h"
#include "platform/thread_safety.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::desktop {

namespace {

using platform::CGPoint;
using platform::CGRect;
using platform::NSScreen;

struct ScreenList {
    platform::Mutex mutex;
    std::vector<Screen> screens ZORAL_GUARDED_BY(mutex);
};

ScreenList& screenList() {
    return platform::processPart<ScreenList>();
}

// The toolkit's test for the mouse in an unflipped rectangle: the top edge belongs to it and the
// bottom edge does not, since the mouse location's y counts from the bottom.
bool mouseInRect(CGPoint point, const CGRect& rect) {
    return point.x >= rect.minX() && point.x < rect.maxX() && point.y > rect.minY() &&
           point.y <= rect.maxY();
}

// How much of the span [sMin, sMax] the span [oMin, oMax] covers, as a fraction; none when they
// do not meet at all. Touching at one end is an overlap of 0.
std::optional<double> spanOverlap(double sMin, double sMax, double oMin, double oMax) {
    const double length = sMax - sMin;
    const auto within = [&](double v) { return v >= sMin && v <= sMax; };
    if (oMin <= sMin && oMax >= sMax)
        return 1.0;
    // Past the covering case a span of length 0 cannot meet another, so no division by 0 follows.
    if (within(oMin) && within(oMax))
        return (oMax - oMin) / length;
    if (within(oMin))
        return std::fabs(sMax - oMin) / length;
    if (within(oMax))
        return std::fabs(oMax - sMin) / length;
    return std::nullopt;
}

struct Neighbour {
    double gap;
    double overlap;
};

std::optional<Neighbour> neighbourIn(const CGRect& s, const CGRect& o, Direction direction) {
    double gap = 0;
    std::optional<double> overlap;
    switch (direction) {
        case Direction::up:
            gap = o.minY() - s.maxY();
            overlap = spanOverlap(s.minX(), s.maxX(), o.minX(), o.maxX());
            break;
        case Direction::down:
            gap = s.minY() - o.maxY();
            overlap = spanOverlap(s.minX(), s.maxX(), o.minX(), o.maxX());
            break;
        case Direction::left:
            gap = s.minX() - o.maxX();
            overlap = spanOverlap(s.minY(), s.maxY(), o.minY(), o.maxY());
            break;
        case Direction::right:
            gap = o.minX() - s.maxX();
            overlap = spanOverlap(s.minY(), s.maxY(), o.minY(), o.maxY());
            break;
        case Direction::inwards:
        case Direction::outwards:
            return std::nullopt;
    }
    if (!(gap >= 0.0) || !overlap)
        return std::nullopt;
    return Neighbour{gap, *overlap};
}

std::vector<CGRect> visibleFrames(const std::vector<NSScreen>& screens) {
    std::vector<CGRect> frames;
    frames.reserve(screens.size());
    for (const NSScreen& screen : screens)
        frames.push_back(screen.visibleFrame());
    return frames;
}

void writeRect(std::ostream& stream, const CGRect& rect) {
    stream << '(' << rect.origin.x << ", " << rect.origin.y << ", " << rect.size.width << ", "
           << rect.size.height << ')';
}

}  // namespace

std::vector<Screen> Screen::screens() {
    ScreenList& list = screenList();
    const platform::MutexLock lock(list.mutex);
    return list.screens;
}

void Screen::setScreens(std::vector<Screen> screens) {
    ScreenList& list = screenList();
    const platform::MutexLock lock(list.mutex);
    list.screens = std::move(screens);
}

std::ostream& operator<<(std::ostream& stream, const Screen& screen) {
    stream << "Screen(ui ";
    writeRect(stream, screen.uiFrame);
    stream << ", ax ";
    writeRect(stream, screen.axFrame);
    stream << ", snap ";
    writeRect(stream, screen.snapFrame);
    return stream << ')';
}

platform::CGDirectDisplayID displayID(const NSScreen& screen) {
    const auto& description = screen.deviceDescription();
    const auto found = description.find(platform::screenNumberKey);
    if (found == description.end())
        return 0;
    const auto number = found->second.integerValue();
    if (!number)
        return 0;
    const auto value = number->uint64Value();
    if (!value || *value > std::numeric_limits<platform::CGDirectDisplayID>::max())
        return 0;
    return static_cast<platform::CGDirectDisplayID>(*value);
}

std::pair<std::int64_t, std::int64_t> screenSplit(platform::CGDirectDisplayID display) {
    // Every display is one screen; the table says so for the first two and the rest follow.
    static const std::map<platform::CGDirectDisplayID, std::pair<std::int64_t, std::int64_t>> table{
        {1, {1, 1}}, {2, {1, 1}}};
    const auto found = table.find(display);
    return found == table.end() ? std::pair<std::int64_t, std::int64_t>{1, 1} : found->second;
}

double primaryDisplayHeight() {
    const auto screens = NSScreen::screens();
    return screens.empty() ? 0.0 : screens.front().frame().height();
}

CGRect flip(const CGRect& rect) {
    return platform::flip(rect, primaryDisplayHeight());
}

CGPoint flipPoint(const CGPoint& point) {
    return platform::flip(point, primaryDisplayHeight());
}

std::optional<NSScreen> screenContaining(CGPoint point) {
    for (const NSScreen& screen : NSScreen::screens()) {
        if (screen.frame().containsPoint(point))
            return screen;
    }
    return NSScreen::main();
}

std::optional<NSScreen> screenUnderMouse() {
    const CGPoint mouse = platform::mouseLocation();
    for (const NSScreen& screen : NSScreen::screens()) {
        if (mouseInRect(mouse, screen.frame()))
            return screen;
    }
    return NSScreen::main();
}

DockPosition dockPosition(const NSScreen& screen) {
    const CGRect& frame = screen.frame();
    const CGRect& visible = screen.visibleFrame();
    const bool sameMinX = frame.minX() == visible.minX();
    const bool sameMaxX = frame.maxX() == visible.maxX();
    if (frame.minY() != visible.minY())
        return sameMinX && sameMaxX ? DockPosition::bottom : DockPosition::hidden;
    if (sameMinX && !sameMaxX)
        return DockPosition::right;
    if (!sameMinX && sameMaxX)
        return DockPosition::left;
    return DockPosition::hidden;
}

StageManagerPosition stageManagerPosition(const NSScreen& /*screen*/) {
    // Stage Manager's settings are the system's, the same for every display.
    if (!platform::isOperatingSystemAtLeast({13, 0, 0}))
        return StageManagerPosition::disabled;
    if (!settings::Defaults::readValue(settings::Defaults::Keys::stageManagerMode()))
        return StageManagerPosition::disabled;
    const auto windowManager = platform::UserDefaults::suite("com.apple.WindowManager");
    if (!windowManager || !windowManager->boolForKey("GloballyEnabled"))
        return StageManagerPosition::disabled;
    if (windowManager->boolForKey("AutoHide"))
        return StageManagerPosition::autoHide;
    const auto dock = platform::UserDefaults::suite("com.apple.Dock");
    if (dock && dock->stringForKey("orientation") == "left")
        return StageManagerPosition::right;
    return StageManagerPosition::left;
}

std::optional<Screen> screenContainingPoint(CGPoint point) {
    const auto screens = Screen::screens();
    if (screens.empty())
        return std::nullopt;
    for (const Screen& screen : screens) {
        if (screen.uiFrame.containsPoint(point))
            return screen;
    }
    return screens.front();
}

std::optional<Screen> neighbourScreen(const Screen& screen, Direction direction) {
    std::optional<Screen> best;
    Neighbour bestNeighbour{};
    for (const Screen& other : Screen::screens()) {
        if (other.uiFrame == screen.uiFrame)
            continue;
        const auto neighbour = neighbourIn(screen.uiFrame, other.uiFrame, direction);
        if (!neighbour)
            continue;
        // The nearest wins, then the larger overlap, then the later in the list.
        const bool better =
            !best || neighbour->gap < bestNeighbour.gap ||
            (neighbour->gap == bestNeighbour.gap && neighbour->overlap >= bestNeighbour.overlap);
        if (better) {
            best = other;
            bestNeighbour = *neighbour;
        }
    }
    return best;
}

std::vector<Direction> neighbourDirections(std::span<const Direction> directions,
                                           const Screen& screen) {
    std::vector<Direction> found;
    for (const Direction direction : directions) {
        if (neighbourScreen(screen, direction))
            found.push_back(direction);
    }
    return found;
}

std::vector<Direction> allNeighbourDirections(const Screen& screen) {
    constexpr auto directions = platform::allCases<Direction>();
    return neighbourDirections(directions, screen);
}

platform::ObserverToken observeScreenParameters(
    std::function<void(bool countChanged, bool framesChanged)> handler) {
    struct Cache {
        std::size_t count;
        std::vector<CGRect> frames;
    };
    const auto screens = NSScreen::screens();
    auto cache = std::make_shared<Cache>(Cache{screens.size(), visibleFrames(screens)});
    return platform::NotificationCenter::defaultCenter().addObserver(
        std::string(platform::applicationDidChangeScreenParametersNotification), nullptr,
        [cache, handler = std::move(handler)](const platform::Notification&) {
            const auto now = NSScreen::screens();
            const bool countChanged = now.size() != cache->count;
            std::vector<CGRect> frames = visibleFrames(now);
            const bool framesChanged = frames != cache->frames;
            cache->count = now.size();
            cache->frames = std::move(frames);
            if (handler)
                handler(countChanged, framesChanged);
        });
}

}  // namespace zoral::desktop

std::size_t std::hash<zoral::desktop::Screen>::operator()(
    const zoral::desktop::Screen& screen) const noexcept {
    std::size_t seed = 0;
    const auto& frame = screen.uiFrame;
    for (const double value : {frame.minX(), frame.maxX(), frame.minY(), frame.maxY()}) {
        // Adding 0 turns -0 into 0, so the two hash alike as they compare alike.
        const std::size_t h = std::hash<double>{}(value + 0.0);
        seed ^= h + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    }
    return seed;
}
