#pragma once

// How long the simulated system takes for what takes time on the real one, in
// virtual seconds. A world component: tests and world files choose their own.

namespace zoral::sim {

struct Timing {
    // From an activation request to the application being in front.
    double activation = 0.05;
    // From a termination request to the process being gone.
    double termination = 0.1;
    // From leaving full screen to the window being back among its application's windows.
    double fullScreenExit = 0.15;
};

}  // namespace zoral::sim
