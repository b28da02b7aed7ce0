#pragma once

// Starting a program as a process of its own, without a shell: the executable is given its
// arguments as they are, so no character of a path or an argument is ever interpreted. The
// program may ask for the start to wait a moment (a relaunch waits until the running process has
// ended). The call returns at once and reports nothing.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <string>
#include <vector>

namespace zoral::platform {

struct ProcessLaunch {
    std::string executable;
    std::vector<std::string> arguments;
    // Seconds between the request and the start.
    double delay = 0;

    friend bool operator==(const ProcessLaunch&, const ProcessLaunch&) = default;
};

void launchProcess(const ProcessLaunch& launch);

}  // namespace zoral::platform
