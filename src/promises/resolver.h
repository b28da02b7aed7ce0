#pragma once

// The settling side of a pending promise. Only the first settling call of all has an effect.
// Copies share one resolver: when the last of them goes while the promise is still pending, it
// reports that through the configuration's log handler (the promise then stays pending for ever).

#include <concepts>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/error.h"
#include "promises/box.h"
#include "promises/configuration.h"
#include "promises/promises_error.h"
#include "promises/result.h"

namespace zoral::promises {

template <class T>
class Resolver {
public:
    using BoxType = Box<Result<T>>;

    explicit Resolver(std::shared_ptr<BoxType> box)
        : state_(std::make_shared<State>(std::move(box))) {}

    void fulfilWith(T value) const { settle(Result<T>::fulfilled(std::move(value))); }
    void rejectWith(ErrorRef error) const { settle(Result<T>::rejected(std::move(error))); }
    void resolveWithResult(Result<T> result) const { settle(std::move(result)); }

    // An error wins over a value; neither is a calling-convention error.
    void resolveValueOrError(std::optional<T> value, ErrorRef error) const {
        if (error) {
            rejectWith(std::move(error));
        } else if (value) {
            fulfilWith(std::move(*value));
        } else {
            rejectWith(PromisesError::invalidCallingConvention());
        }
    }
    void resolveErrorOrValue(ErrorRef error, std::optional<T> value) const {
        resolveValueOrError(std::move(value), std::move(error));
    }
    void resolveValueAndError(T value, ErrorRef error) const {
        if (error) {
            rejectWith(std::move(error));
        } else {
            fulfilWith(std::move(value));
        }
    }
    void resolveVoid(ErrorRef error) const requires std::is_same_v<T, Unit> {
        resolveValueAndError(Unit{}, std::move(error));
    }
    void fulfilVoid() const requires std::is_same_v<T, Unit> { fulfilWith(Unit{}); }

    // Settles from a success-or-typed-error outcome. The failure is an error object held as an
    // ErrorRef, or a value of a type derived from platform::Error (copied into a shared one).
    template <class E>
    void resolveWithStandardResult(const std::variant<T, E>& outcome) const {
        if (outcome.index() == 0) {
            fulfilWith(std::get<0>(outcome));
        } else if constexpr (std::is_convertible_v<const E&, ErrorRef>) {
            rejectWith(std::get<1>(outcome));
        } else {
            static_assert(std::is_base_of_v<platform::Error, E>, "the failure is an error");
            rejectWith(std::make_shared<const E>(std::get<1>(outcome)));
        }
    }

    const std::shared_ptr<BoxType>& box() const { return state_->box; }

private:
    struct State {
        explicit State(std::shared_ptr<BoxType> b) : box(std::move(b)) {}
        ~State() {
            if (box->readState().isPending() && detail::warnsOfDroppedBoxes())
                reportLogEvent(LogEvent::pendingPromiseDeallocated());
        }
        State(const State&) = delete;
        State& operator=(const State&) = delete;
        std::shared_ptr<BoxType> box;
    };

    void settle(Result<T> result) const {
        // Held here too, so that the box outlives handlers that drop the last resolver.
        const std::shared_ptr<BoxType> box = state_->box;
        box->settle(std::move(result));
    }

    std::shared_ptr<State> state_;
};

}  // namespace zoral::promises
