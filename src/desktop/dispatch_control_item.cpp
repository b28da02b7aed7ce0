#include "desktop/dispatch_control_item.h"

#include <utility>

#include "platform/dispatch_time.h"

namespace zoral::desktop {

void DispatchControlItem::schedule(double delay, std::function<void()> closure) {
    const bool given = static_cast<bool>(closure);
    std::function<void()> body = given ? closure : handler;
    if (!body)
        body = [] {};  // nothing to run is no reason to fail on the queue
    platform::DispatchWorkItem item(std::move(body));
    queue.asyncAfter(platform::DispatchTime::now() + delay, item);
    if (given)
        handler = std::move(closure);
    pendingItem = item;  // cancels the work it held
}

}  // namespace zoral::desktop
