#pragma once

// The memory of the last window cycle (Application::cycleWindows): which process was cycled, how
// many visible windows it had and how far each direction has gone. A cycle continues only for the
// same process with the same number of windows. Only the main thread touches it.

#include <cstddef>

#include "platform/accessibility.h"

namespace zoral::desktop {

struct AppCycleState {
    platform::ProcessId pid = 0;
    // The process identifier could not be read; `pid` is then 0.
    bool pidUnknown = true;
    std::size_t count = 0;
    std::size_t rightIndex = 0;
    std::size_t leftIndex = 0;

    static AppCycleState& shared();
};

}  // namespace zoral::desktop
