#pragma once

// What the resolution tables need to know of the desktop beyond the gesture itself: the origin
// window's full-screen state and settable flags, the displays and the origin screen's neighbours,
// the origin's tab, space and application, the snapped windows, and the settings that choose
// among actions. The tables ask; they never read the desktop themselves, so that they can be
// driven by a plain record of answers.
//
// An implementation may be asked the same question more than once during one resolution and
// should answer from what it read the first time: on the real system each read is a message to
// another process.

#include <cstddef>
#include <optional>
#include <vector>

#include "desktop/direction.h"
#include "desktop/tab.h"
#include "settings/action_user_type.h"

namespace zoral::engine {

class ResolutionQuery {
public:
    virtual ~ResolutionQuery() = default;

    // --- The origin's window
    // Whether it reads as being in full screen; no window, no value or an error: false.
    virtual bool isFullscreen() = 0;
    // Whether "AXFullScreen" and "AXMinimized" are settable on it; no window or an error: false.
    virtual bool canSetFullscreen() = 0;
    virtual bool canSetMinimized() = 0;

    // --- Displays and screens
    // How many displays the system lists.
    virtual std::size_t displayCount() = 0;
    // The directions, in their order, in which the origin's screen has a neighbouring screen;
    // empty while no screens are listed.
    virtual std::vector<desktop::Direction> neighbourDirections() = 0;
    // Whether the origin's screen is at most as tall as it is wide.
    virtual bool isScreenLandscape() = 0;

    // --- The origin's tab, space and application
    // The kind of application of the origin's tab; none without a tab.
    virtual std::optional<desktop::TabAppType> tabAppType() = 0;
    // Whether the tab's window reads as being in full screen; none without a tab, without a
    // window, or when the state cannot be read.
    virtual std::optional<bool> tabWindowFullscreen() = 0;
    // Whether a gesture on the tab may be taken as a window gesture; false without a tab.
    virtual bool tabCanReroute() = 0;
    // Whether the origin's space may be sent to another display; none without a space.
    virtual std::optional<bool> spaceIsMovable() = 0;
    // The origin application's windows that are and are not minimised; 0 without an application.
    virtual std::size_t minimizedWindowCount() = 0;
    virtual std::size_t openWindowCount() = 0;

    // --- Snapped windows
    virtual bool hasSnappedWindows() = 0;
    // Whether a snapped window lies on the origin's screen.
    virtual bool hasSnappedWindowsOnScreen() = 0;

    // --- Settings
    // Whether "actions" enables the kind.
    virtual bool isEnabled(settings::ActionUserType kind) = 0;
    // "screensChainGesture".
    virtual bool chainsScreenMoves() = 0;

protected:
    ResolutionQuery() = default;
    ResolutionQuery(const ResolutionQuery&) = default;
    ResolutionQuery& operator=(const ResolutionQuery&) = default;
};

}  // namespace zoral::engine
