#pragma once

// What every promise and guarantee offers: a handler that receives the outcome once it is known
// (`attachHandler`) and the outcome if it is known already (`currentResult`). The chaining,
// error-handling and barrier operations are written against these two, and share the rule by
// which a body runs: in place without a queue, else submitted to the queue.

#include <concepts>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "promises/configuration.h"
#include "promises/promises_error.h"
#include "promises/result.h"

namespace zoral::promises {

template <class T>
class Promise;
template <class T>
class Guarantee;
template <class T>
class Resolver;
class PromisesFinalizer;

// The queue a body runs on (absent: in place) and the flags of its submission (absent: none).
using QueueArg = std::optional<platform::DispatchQueue>;
using FlagsArg = std::optional<platform::DispatchWorkItemFlags>;

template <class P>
concept Thenable = requires(const P& p,
                            std::function<void(const Result<typename P::ValueType>&)> h) {
    typename P::ValueType;
    p.attachHandler(h);
    { p.currentResult() } -> std::same_as<std::optional<Result<typename P::ValueType>>>;
};

template <Thenable P>
using ValueOf = typename P::ValueType;

template <class X>
inline constexpr bool isGuarantee = false;
template <class T>
inline constexpr bool isGuarantee<Guarantee<T>> = true;

template <class X>
inline constexpr bool isPromise = false;
template <class T>
inline constexpr bool isPromise<Promise<T>> = true;

// Marks the promise-returning form of running a body on a queue (runAsPromise, runAsGuarantee).
enum class PromisesNamespacer { promise };

namespace detail {

// Names a type through the template parameters of the code that uses it, so that class templates
// defined later in the module can be used before they are complete.
template <class X, class... Dependencies>
struct Dependent {
    using type = X;
};
template <class X, class... Dependencies>
using DependentT = typename Dependent<X, Dependencies...>::type;

// Joins a list of thenables into a promise of all their values (defined with the barriers).
template <class P>
struct ValueJoin;

// Stops the process: a body that must not fail did.
[[noreturn]] void contractViolation(std::string_view message);

// Calls a body with a value; a body for the empty value may also take nothing.
template <class F, class T>
decltype(auto) callWithValue(F& body, T& value) {
    if constexpr (std::is_invocable_v<F&, T&>) {
        return std::invoke(body, value);
    } else {
        static_assert(std::is_same_v<std::remove_cv_t<T>, Unit> && std::is_invocable_v<F&>,
                      "the body does not take the value");
        return std::invoke(body);
    }
}

template <class F, class T>
using BodyResult = decltype(callWithValue(std::declval<F&>(), std::declval<T&>()));

template <class X>
using UnitIfVoid = std::conditional_t<std::is_void_v<X>, Unit, X>;

// Calls the body and gives its result, the empty value for a body that returns nothing.
template <class F, class T>
UnitIfVoid<BodyResult<F, T>> callForValue(F& body, T& value) {
    if constexpr (std::is_void_v<BodyResult<F, T>>) {
        callWithValue(body, value);
        return Unit{};
    } else {
        return callWithValue(body, value);
    }
}

std::string describeCurrentException();

// A body that cannot fail (of a guarantee, an error handler, an always-handler): an exception
// out of it is a programming error.
template <class F, class... Args>
decltype(auto) callNoThrow(F& body, Args&... args) noexcept {
    try {
        return std::invoke(body, args...);
    } catch (...) {
        contractViolation("a body that cannot fail threw: " + describeCurrentException());
    }
}

}  // namespace detail

}  // namespace zoral::promises
