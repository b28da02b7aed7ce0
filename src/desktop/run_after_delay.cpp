#include "desktop/run_after_delay.h"

#include <utility>

#include "platform/dispatch_time.h"

namespace zoral::desktop {

void runAfterDelay(const platform::DispatchQueue& queue, double delay,
                   std::function<void()> closure) {
    queue.asyncAfter(platform::DispatchTime::now() + delay, std::move(closure));
}

}  // namespace zoral::desktop
