#pragma once

// Work that runs once on a queue after a delay; nothing can cancel it.

#include <functional>

#include "platform/dispatch.h"

namespace zoral::desktop {

void runAfterDelay(const platform::DispatchQueue& queue, double delay,
                   std::function<void()> closure);

}  // namespace zoral::desktop
