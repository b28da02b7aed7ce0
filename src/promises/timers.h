#pragma once

// Free functions that start something rather than extend a promise: delays, the start of a chain
// from a throwing body, and a wait on the main thread that keeps its run loop turning.

#include <atomic>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/dispatch.h"
#include "platform/dispatch_time.h"
#include "platform/error.h"
#include "platform/run_loop.h"
#include "promises/configuration.h"
#include "promises/guarantee.h"
#include "promises/promise.h"
#include "promises/result.h"
#include "promises/step.h"
#include "promises/thenable.h"

namespace zoral::promises {

// A guarantee settled on the global default queue once the delay has passed (never by the call
// itself, even for no delay). A delay that is NaN or negative counts as none; one too large for
// the clock waits until the clock's end.
Guarantee<Unit> guaranteeAfterSeconds(double seconds);
Guarantee<Unit> guaranteeAfterInterval(platform::DispatchTimeInterval interval);

// Starts a chain from a body that returns a thenable and may throw: a throw gives a rejected
// promise, else the promise takes over the thenable's outcome.
template <class F>
auto beginChain(F body) {
    using Inner = std::remove_cvref_t<std::invoke_result_t<F&>>;
    static_assert(Thenable<Inner>, "the body returns a promise or a guarantee");
    using T = ValueOf<Inner>;
    Promise<T> result = Promise<T>::initPending();
    auto work = [&body] { return detail::Follow{std::invoke(body)}; };
    detail::runAll(detail::complete(result.box(), work));
    return result;
}

namespace detail {
[[noreturn]] void hangOffMainThread();
}  // namespace detail

// Keeps the main thread's run loop turning until the promise is settled; gives its value or
// throws its error. Only for the main thread: elsewhere it stops the process.
template <class T>
T hang(const Promise<T>& promise) {
    if (!platform::isMainThread())
        detail::hangOffMainThread();
    if (promise.isStillPending()) {
        platform::RunLoop& loop = platform::RunLoop::current();
        // A source, so that the loop has something to wait for.
        auto source = std::make_shared<platform::RunLoopSource>();
        loop.addSource(source, platform::RunLoopMode::defaultMode);
        // Cleared when the wait is over: a stop that came after it would end the next run.
        auto waiting = std::make_shared<std::atomic<bool>>(true);
        promise.runAlways(promiseConfiguration().returnQueue, std::nullopt, [waiting, &loop] {
            if (waiting->load())
                loop.stop();
        });
        while (promise.isStillPending())
            loop.run();
        waiting->store(false);
        loop.removeSource(source, platform::RunLoopMode::defaultMode);
    }
    const Result<T> outcome = *promise.currentResult();
    if (!outcome.holdsValue())
        platform::throwError(outcome.error());
    return outcome.value();
}

}  // namespace zoral::promises
