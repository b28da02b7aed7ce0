#include "promises/timers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/dispatch.h"
#include "promises/step.h"

namespace zoral::promises {

namespace {

Guarantee<Unit> settledAt(platform::DispatchTime deadline) {
    Guarantee<Unit> result = Guarantee<Unit>::initPending();
    // The queued work holds the box, so the program never drops a delay while it is pending;
    // only the scheduler's end can, and that is no fault to warn of (see QueuedWork).
    platform::DispatchQueue::global(platform::DispatchQoS::default_)
        .asyncAfter(deadline,
                    detail::QueuedWork([box = result.box()] { return box->seal(Unit{}); }),
                    platform::DispatchSubmission{});
    return result;
}

}  // namespace

Guarantee<Unit> guaranteeAfterSeconds(double seconds) {
    if (std::isnan(seconds) || seconds < 0)
        seconds = 0;
    // Adding seconds to a dispatch time saturates at the clock's end.
    return settledAt(platform::DispatchTime::now() + seconds);
}

Guarantee<Unit> guaranteeAfterInterval(platform::DispatchTimeInterval interval) {
    if (!interval.isNever() && interval.nanosecondCount() < 0)
        interval = platform::DispatchTimeInterval::nanoseconds(0);
    return settledAt(platform::DispatchTime::now() + interval);
}

namespace detail {

void hangOffMainThread() {
    std::fputs("Only call hang() on the main thread.\n", stderr);
    std::fflush(stderr);
    std::abort();
}

}  // namespace detail

}  // namespace zoral::promises
