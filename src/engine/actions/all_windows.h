#pragma once

// Operations on many windows at once, each the body of one action: minimise every visible window
// of an application, of every application or of one screen; unminimise every minimised window of
// every application or of one screen; put every snapped window of a screen back where it was; and
// carry every snapped window of a screen to the neighbouring screen, each on its own span.
//
// A window belongs to the screen its frame overlaps most: the earlier in the list among equals,
// and the first for a frame that cannot be read. The window changes are fired, not waited for:
// "AXMinimized" is written 0.01 s later on the accessibility queue, every window of a run with the
// same delay, so the loop ends before the first write. Nothing is reported back; an application
// or a screen without windows is left as it is.
//
// The four minimise and unminimise operations of a screen or of every application run on a global
// queue (the dispatch functions start them there); the rest run on the main thread.

#include "desktop/application.h"
#include "desktop/direction.h"
#include "desktop/screen.h"
#include "engine/actions/screen_snapshot.h"

namespace zoral::engine {

// Seconds an unminimising write waits behind what came before it (the loop of writes before it,
// or the activation request of unminimizeAll), as the minimising writes do.
inline constexpr double unminimizeDelay = 0.01;

// Minimises the application's visible windows, in its order, stamping each for unminimizeLast
// (a window whose process is unknown is minimised without a stamp).
void minimizeAllWindows(const desktop::Application& application);
// minimizeAllWindows for every application, in the workspace's order.
void minimizeAllApplications();
// Minimises the visible windows of every application that belong to the screen among `screens`,
// stamping them as minimizeAllWindows does.
void minimizeWindowsOnScreen(const desktop::Screen& screen, const ScreenSnapshot& screens);
// Unminimises every minimised window of every application; no application is activated and no
// stamp changes.
void unminimizeAllWindows();
// The same for the minimised windows that belong to the screen among `screens`: a minimised window
// keeps its frame, so it is found on the screen it was minimised from.
void unminimizeWindowsOnScreen(const desktop::Screen& screen, const ScreenSnapshot& screens);

// Unsnaps the snapped windows that are on the screen now, in the registry's order.
void unsnapWindowsOnScreen(const desktop::Screen& screen);
// Snaps every snapped window of `from` onto its span on the neighbouring screen in the direction,
// neither activating it nor moving the pointer per window; once at least one has moved, and with
// "screensMoveCursor", the pointer goes to the middle of that screen's top, below the menu bar's
// middle. Without a neighbour nothing happens; windows that are not snapped stay.
void moveAllWindowsToScreen(desktop::Direction direction, const desktop::Screen& from);

// The four operations that leave the main thread: each runs on the global queue of default quality
// of service, after 0 s. Called on the main thread, which hands over the screens as they are now.
void dispatchMinimizeAllApplications();
void dispatchMinimizeWindowsOnScreen(const desktop::Screen& screen);
void dispatchUnminimizeAllWindows();
void dispatchUnminimizeWindowsOnScreen(const desktop::Screen& screen);

}  // namespace zoral::engine
