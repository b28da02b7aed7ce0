#pragma once

// Where a finished gesture's decision becomes effects: one action performed for one origin. The
// operand (window, tab, application, minimised window's tile, space or screen) comes out of the
// origin; the work is done by the desktop model, the window and snapping operations and synthetic
// input; the origin comes back as the action left it, so that a chained gesture goes on from the
// window that the action raised or made.
//
// The flag in the result is false only for the four actions that wait for their operation
// (detachTab, activate, unminimizeLast, unminimizeFromPreview) when their operand is missing or
// the operation fails; every other action gives true at once, even when it had nothing to act on.
// Work that the operations start later (a close after an unsnap, the delayed accessibility writes,
// the operations on all windows of a screen or of the desktop on a global queue) is not waited
// for. Synthetic key and mouse posting sleeps 0.01 s per event on the calling thread, and cmdNew
// 0.1 s more: the main thread is held for that long.
//
// Main thread only. Settings read when the action runs: "snappingMoveCursor",
// "snappingActivateWindow", "screensMoveCursor" and "snappingCenterAction".

#include <utility>

#include "engine/model/action.h"
#include "engine/model/origin.h"
#include "promises/guarantee.h"

namespace zoral::engine {

// How long close waits after unsnapping a snapped window, so that its restored frame is written
// before the window goes.
inline constexpr double closeAfterUnsnapDelay = 0.2;
// How long cmdNew lets the application come to the front before its Command-N.
inline constexpr double cmdNewActivationDelay = 0.1;

class ActionExecutor {
public:
    using Outcome = std::pair<Origin, bool>;

    promises::Guarantee<Outcome> perform(const Origin& origin, const Action& action);
};

}  // namespace zoral::engine
