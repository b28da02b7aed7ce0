#pragma once

// A debouncer: each schedule cancels the work still pending and submits new work after a delay,
// so only the last of a quick series runs; work still pending when the item is destroyed never
// runs. Its owner holds it as a field and schedules it from the owner's thread; there is no lock.

#include <functional>

#include "platform/dispatch.h"
#include "platform/pending_work_item.h"

namespace zoral::desktop {

struct DispatchControlItem {
    platform::DispatchQueue queue;
    // What runs when schedule is given no closure.
    std::function<void()> handler;
    // The work last submitted; it stays here after it has run, until the next schedule.
    platform::PendingWorkItem pendingItem;

    // Cancels the pending work and submits the closure (or, when it is empty, the handler) to
    // run on the queue after the delay in seconds. A closure given becomes the handler.
    void schedule(double delay, std::function<void()> closure = {});
};

}  // namespace zoral::desktop
