#pragma once

// The outcome of a promise: a value, or the error it was rejected with. Errors are shared error
// objects, so the very object that rejected one promise passes unchanged along a chain.

#include <cassert>
#include <utility>
#include <variant>

#include "platform/error.h"

namespace zoral::promises {

using platform::ErrorRef;

// The empty value: what a promise or guarantee of no value holds.
struct Unit {
    friend constexpr bool operator==(Unit, Unit) = default;
};
using Void = Unit;

// Makes a rejection's error; a rejection always carries one (defined with the module's errors).
ErrorRef rejectionError(ErrorRef error);

template <class T>
class Result {
public:
    using ValueType = T;

    static Result fulfilled(T value) { return Result(std::in_place_index<0>, std::move(value)); }
    static Result rejected(ErrorRef error) {
        return Result(std::in_place_index<1>, rejectionError(std::move(error)));
    }

    bool holdsValue() const { return state_.index() == 0; }
    // Only for a fulfilled result.
    const T& value() const {
        assert(holdsValue());
        return std::get<0>(state_);
    }
    // The value of this copy, for a body that takes it to change.
    T& value() {
        assert(holdsValue());
        return std::get<0>(state_);
    }
    // Only for a rejected result.
    const ErrorRef& error() const {
        assert(!holdsValue());
        return std::get<1>(state_);
    }

    // Same value, or the same error object.
    friend bool operator==(const Result& a, const Result& b) requires std::equality_comparable<T> {
        return a.state_ == b.state_;
    }

private:
    template <std::size_t I, class V>
    Result(std::in_place_index_t<I> index, V&& v) : state_(index, std::forward<V>(v)) {}

    std::variant<T, ErrorRef> state_;
};

}  // namespace zoral::promises
