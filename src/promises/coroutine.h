#pragma once

// Bridges to coroutines. `co_await` on a promise gives its value or throws its error; on a
// guarantee it gives the value. The awaiting coroutine always suspends: the outcome is taken on
// the configuration's returnQueue and the coroutine goes on from the global default queue, so
// that a coroutine started from main-queue work frees the main queue while it waits.
//
// A coroutine may itself return a Promise<T> (settled by co_return or by an escaping exception)
// or a Guarantee<T>; it runs at once, up to its first suspension, when called.

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "promises/configuration.h"
#include "promises/guarantee.h"
#include "promises/promise.h"
#include "promises/resolver.h"
#include "promises/result.h"

namespace zoral::promises {

namespace detail {

// What one suspension waits for; the handlers that deliver the outcome share it.
template <class T>
struct AwaitState {
    std::coroutine_handle<> handle;
    std::optional<T> value;
    ErrorRef error;

    void resume() {
        platform::DispatchQueue::global().async([handle = handle] { handle.resume(); });
    }
};

}  // namespace detail

template <class T>
class PromiseAwaiter {
public:
    explicit PromiseAwaiter(Promise<T> promise)
        : promise_(std::move(promise)), state_(std::make_shared<detail::AwaitState<T>>()) {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle) {
        auto state = state_;
        state->handle = handle;
        const auto configuration = promiseConfiguration();
        // Every error resumes the coroutine, a cancellation too: a catch policy that let it pass
        // would leave the coroutine suspended for ever.
        promise_
            .runOnValue(configuration.returnQueue, std::nullopt,
                        [state](const T& value) {
                            state->value.emplace(value);
                            state->resume();
                        })
            .handleError(configuration.returnQueue, std::nullopt, CatchPolicy::allErrors,
                         [state](const ErrorRef& error) {
                             state->error = error;
                             state->resume();
                         });
    }

    T await_resume() {
        if (state_->error)
            platform::throwError(state_->error);
        return std::move(*state_->value);
    }

private:
    Promise<T> promise_;
    std::shared_ptr<detail::AwaitState<T>> state_;
};

template <class T>
class GuaranteeAwaiter {
public:
    explicit GuaranteeAwaiter(Guarantee<T> guarantee)
        : guarantee_(std::move(guarantee)), state_(std::make_shared<detail::AwaitState<T>>()) {}

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle) {
        auto state = state_;
        state->handle = handle;
        guarantee_.runOnValue(promiseConfiguration().returnQueue, std::nullopt,
                              [state](const T& value) {
                                  state->value.emplace(value);
                                  state->resume();
                              });
    }

    T await_resume() { return std::move(*state_->value); }

private:
    Guarantee<T> guarantee_;
    std::shared_ptr<detail::AwaitState<T>> state_;
};

template <class T>
PromiseAwaiter<T> awaitPromise(Promise<T> promise) {
    return PromiseAwaiter<T>(std::move(promise));
}
template <class T>
GuaranteeAwaiter<T> awaitGuarantee(Guarantee<T> guarantee) {
    return GuaranteeAwaiter<T>(std::move(guarantee));
}

template <class T>
PromiseAwaiter<T> operator co_await(Promise<T> promise) {
    return awaitPromise(std::move(promise));
}
template <class T>
GuaranteeAwaiter<T> operator co_await(Guarantee<T> guarantee) {
    return awaitGuarantee(std::move(guarantee));
}

namespace detail {

template <class T>
struct PromiseCoroutineBase {
    PendingPromise<T> pending = Promise<T>::makePendingPair();

    Promise<T> get_return_object() { return pending.promise; }
    std::suspend_never initial_suspend() noexcept { return {}; }
    std::suspend_never final_suspend() noexcept { return {}; }
    void unhandled_exception() { pending.resolver.rejectWith(platform::currentError()); }
};

template <class T>
struct PromiseCoroutine : PromiseCoroutineBase<T> {
    void return_value(T value) { this->pending.resolver.fulfilWith(std::move(value)); }
};
template <>
struct PromiseCoroutine<Unit> : PromiseCoroutineBase<Unit> {
    void return_void() { this->pending.resolver.fulfilVoid(); }
};

template <class T>
struct GuaranteeCoroutineBase {
    PendingGuarantee<T> pending = Guarantee<T>::makePendingPair();

    Guarantee<T> get_return_object() { return pending.guarantee; }
    std::suspend_never initial_suspend() noexcept { return {}; }
    std::suspend_never final_suspend() noexcept { return {}; }
    void unhandled_exception() {
        contractViolation("a guarantee coroutine threw: " + describeCurrentException());
    }
};

template <class T>
struct GuaranteeCoroutine : GuaranteeCoroutineBase<T> {
    void return_value(T value) { this->pending.resolve(std::move(value)); }
};
template <>
struct GuaranteeCoroutine<Unit> : GuaranteeCoroutineBase<Unit> {
    void return_void() { this->pending.resolve(Unit{}); }
};

}  // namespace detail

}  // namespace zoral::promises

template <class T, class... Args>
struct std::coroutine_traits<zoral::promises::Promise<T>, Args...> {
    using promise_type = zoral::promises::detail::PromiseCoroutine<T>;
};
template <class T, class... Args>
struct std::coroutine_traits<zoral::promises::Guarantee<T>, Args...> {
    using promise_type = zoral::promises::detail::GuaranteeCoroutine<T>;
};
