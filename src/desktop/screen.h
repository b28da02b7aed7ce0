#pragma once

// The screens every window operation works on: each display's usable area as a Screen, with its
// cell in the toolkit's bottom-left coordinates (uiFrame), the same cell in the accessibility
// interface's top-left coordinates (axFrame) and the area that snapping fills (snapFrame). The
// process keeps one list, replaced whole by each rebuild; everything here reads it or the displays.
//
// Also: the conversion between the two coordinate systems (both take the primary display's height),
// the neighbour of a screen in a direction, the screen under a point, where the Dock and the Stage
// Manager strip sit on a display, and the watch on the display configuration.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <utility>
#include <vector>

#include "desktop/direction.h"
#include "platform/enum_table.h"
#include "platform/geometry.h"
#include "platform/notification_center.h"
#include "platform/screens.h"

namespace zoral::desktop {

struct Screen {
    platform::NSScreen nsScreen;
    platform::CGRect uiFrame;
    platform::CGRect axFrame;
    platform::CGRect snapFrame;

    // The process's list: empty until the first rebuild. A copy, so a rebuild never pulls it from
    // under a reader.
    static std::vector<Screen> screens();
    // Replaces the list whole (the rebuild does this).
    static void setScreens(std::vector<Screen> screens);

    // Screens are the same screen when their uiFrames are equal; nothing else counts.
    friend bool operator==(const Screen& a, const Screen& b) { return a.uiFrame == b.uiFrame; }
};

std::ostream& operator<<(std::ostream& stream, const Screen& screen);

// The side of a display that the Dock takes.
enum class DockPosition : std::uint8_t { hidden, bottom, left, right };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::DockPosition> {
    using enum desktop::DockPosition;
    static constexpr std::array<NamedCase<desktop::DockPosition>, 4> cases{{
        {hidden, "hidden"},
        {bottom, "bottom"},
        {left, "left"},
        {right, "right"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::DockPosition>());

}  // namespace zoral::platform

namespace zoral::desktop {

// The side of a display where the Stage Manager strip takes room.
enum class StageManagerPosition : std::uint8_t { disabled, autoHide, left, right };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::StageManagerPosition> {
    using enum desktop::StageManagerPosition;
    static constexpr std::array<NamedCase<desktop::StageManagerPosition>, 4> cases{{
        {disabled, "disabled"},
        {autoHide, "autoHide"},
        {left, "left"},
        {right, "right"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::StageManagerPosition>());

}  // namespace zoral::platform

namespace zoral::desktop {

// --- Displays

// The display's number ("NSScreenNumber"); 0 when it has none or it is no 32-bit unsigned number.
platform::CGDirectDisplayID displayID(const platform::NSScreen& screen);

// How many columns and rows of screens a display is split into: (1, 1) for every display.
std::pair<std::int64_t, std::int64_t> screenSplit(platform::CGDirectDisplayID display);

// Between bottom-left and top-left coordinates, either way, on the primary display's height as
// it is now (platform::flip; work that must not ask the displays itself passes a height read
// earlier to platform::flip).
platform::CGRect flip(const platform::CGRect& rect);
// The height of the primary display's frame, which the conversions take; 0 without displays.
double primaryDisplayHeight();
platform::CGPoint flipPoint(const platform::CGPoint& point);

// The first display whose frame holds the point (bottom-left coordinates), else the main one.
std::optional<platform::NSScreen> screenContaining(platform::CGPoint point);
// The same for the mouse location.
std::optional<platform::NSScreen> screenUnderMouse();

// From the difference between the frame and the visible frame.
DockPosition dockPosition(const platform::NSScreen& screen);
// From the system's version, the program's "stageManagerMode" and the system's own settings; the
// strip moves to the right when the Dock is on the left.
StageManagerPosition stageManagerPosition(const platform::NSScreen& screen);

// --- The list

// The first screen whose uiFrame holds the point (bottom-left coordinates), else the first screen;
// none when the list is empty.
std::optional<Screen> screenContainingPoint(platform::CGPoint point);

// The nearest other screen in the direction (up is towards larger y in bottom-left coordinates):
// among the equally near, the one overlapping the screen's span most, and among those the later
// in the list. A screen that only touches the span at a corner is a candidate with no overlap.
// inwards and outwards have none.
std::optional<Screen> neighbourScreen(const Screen& screen, Direction direction);
// The directions, in their order, that have a neighbour.
std::vector<Direction> neighbourDirections(std::span<const Direction> directions,
                                           const Screen& screen);
std::vector<Direction> allNeighbourDirections(const Screen& screen);

// --- Changes

// Calls the handler on each change of the displays with (the number of displays changed, their
// visible frames changed), each against the previous change, the first against the displays when
// this was called. The program observes for as long as it runs; the token lets tests stop.
platform::ObserverToken observeScreenParameters(
    std::function<void(bool countChanged, bool framesChanged)> handler);

}  // namespace zoral::desktop

template <>
struct std::hash<zoral::desktop::Screen> {
    std::size_t operator()(const zoral::desktop::Screen& screen) const noexcept;
};
