#pragma once

// How long the simulated system takes for what takes time on the real one, in
// virtual seconds. A world component: tests and world files choose their own.

namespace zoral::sim {

struct Timing {
    // From an activation request to the application being in front.
    double activation = 0.05;
    // From a termination request to the process being gone.
    double termination = 0.1;
    // From a request to hide or show an application to it being hidden or shown.
    double hide = 0.05;
    // From a window's minimise (restore) to it being minimised (back): the Dock's animation.
    double minimize = 0.25;
    double restore = 0.25;
    // From entering full screen to the window filling its display on a space of its own.
    double fullScreenEnter = 0.15;
    // From leaving full screen to the window being back among its application's windows.
    double fullScreenExit = 0.15;
};

}  // namespace zoral::sim
