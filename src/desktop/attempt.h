#pragma once

// The retry combinator of the desktop model's polls: runs a body that answers with a promise and,
// while it fails with a PromiseError other than cancel, runs it again after a fixed delay, at most
// `maximumRetries` more times. The body gets the attempt's index (0 for the first run, which is
// made at once); the last error is passed on unchanged.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "desktop/promise_error.h"
#include "promises/promises.h"

namespace zoral::desktop {

namespace detail {

template <class T>
using AttemptBody = std::function<promises::Promise<T>(int)>;

template <class T>
promises::Promise<T> attemptFrom(int index, int maximumRetries, double delay,
                                 std::shared_ptr<const AttemptBody<T>> body) {
    // A body that throws fails this attempt like a rejected promise.
    auto current = promises::beginChain([&] { return (*body)(index); });
    return current.recoverError([index, maximumRetries, delay,
                                 body](const platform::ErrorRef& error) -> promises::Promise<T> {
        const PromiseError* failure = promiseErrorOf(error);
        if (index >= maximumRetries || failure == nullptr ||
            failure->kind() == PromiseError::Kind::cancel) {
            return promises::Promise<T>::initRejected(error);
        }
        return promises::guaranteeAfterSeconds(delay).chain([index, maximumRetries, delay, body] {
            return attemptFrom<T>(index + 1, maximumRetries, delay, body);
        });
    });
}

}  // namespace detail

template <class F>
auto attempt(int maximumRetries, double delay, F body) {
    using Inner = std::remove_cvref_t<std::invoke_result_t<F&, int>>;
    using T = promises::ValueOf<Inner>;
    auto shared = std::make_shared<const detail::AttemptBody<T>>(
        [body = std::move(body)](int index) mutable -> promises::Promise<T> {
            if constexpr (std::is_same_v<Inner, promises::Promise<T>>) {
                return body(index);
            } else {
                return promises::Promise<T>::initFromThenable(body(index));
            }
        });
    return detail::attemptFrom<T>(0, maximumRetries, delay, std::move(shared));
}

}  // namespace zoral::desktop
