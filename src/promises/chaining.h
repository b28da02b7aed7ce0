#pragma once

// The chaining operations of every promise and guarantee: run a body with the fulfilled value on
// a queue and hand back a new promise that settles with what the body produced. A rejection
// passes down at once, on the thread that delivers it, as the same error object; the body does
// not run and the queue is not used.

#include <optional>
#include <type_traits>
#include <utility>

#include "platform/error.h"
#include "promises/configuration.h"
#include "promises/promises_error.h"
#include "promises/result.h"
#include "promises/step.h"
#include "promises/thenable.h"

namespace zoral::promises {

template <class Self, class T>
class ChainingOperations {
public:
    // Runs a side-effect body with the value; the result is fulfilled after it.
    template <class F>
    auto runOnValue(F body) const {
        return runOnValue(promiseConfiguration().returnQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto runOnValue(QueueArg queue, F body) const {
        return runOnValue(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto runOnValue(QueueArg queue, FlagsArg flags, F body) const {
        using Out = detail::DependentT<Promise<Unit>, F>;
        Out result = Out::initPending();
        onValue<Unit>(result, std::move(queue), flags, [body = std::move(body)](T& value) mutable {
            detail::callWithValue(body, value);
            return Unit{};
        });
        return result;
    }

    // Runs a body that returns another promise or guarantee; the result follows that one.
    template <class F>
    auto chain(F body) const {
        return chain(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto chain(QueueArg queue, F body) const {
        return chain(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto chain(QueueArg queue, FlagsArg flags, F body) const {
        using Inner = std::remove_cvref_t<detail::BodyResult<F, T>>;
        static_assert(Thenable<Inner>, "a chain body returns a promise or a guarantee");
        using U = ValueOf<Inner>;
        Promise<U> result = Promise<U>::initPending();
        onValue<U>(result, std::move(queue), flags, [body = std::move(body)](T& value) mutable {
            return detail::Follow{detail::callWithValue(body, value)};
        });
        return result;
    }

    // Maps the value with a body.
    template <class F>
    auto transformValue(F body) const {
        return transformValue(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto transformValue(QueueArg queue, F body) const {
        return transformValue(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto transformValue(QueueArg queue, FlagsArg flags, F body) const {
        using U = std::remove_cvref_t<detail::UnitIfVoid<detail::BodyResult<F, T>>>;
        Promise<U> result = Promise<U>::initPending();
        onValue<U>(result, std::move(queue), flags, [body = std::move(body)](T& value) mutable {
            return detail::callForValue(body, value);
        });
        return result;
    }

    // Maps the value with a body that may give nothing, which rejects with compactMap.
    template <class F>
    auto transformOptional(F body) const {
        return transformOptional(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto transformOptional(QueueArg queue, F body) const {
        return transformOptional(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto transformOptional(QueueArg queue, FlagsArg flags, F body) const {
        using Maybe = std::remove_cvref_t<detail::BodyResult<F, T>>;
        using U = typename Maybe::value_type;
        return transformValue(std::move(queue), flags,
                              [body = std::move(body)](T& value) mutable -> U {
                                  Maybe mapped = detail::callWithValue(body, value);
                                  if (!mapped)
                                      platform::throwError(PromisesError::compactMap<U>(value));
                                  return std::move(*mapped);
                              });
    }

    // Runs a body with the value and passes the same value on.
    template <class F>
    auto peekValue(F body) const {
        return peekValue(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto peekValue(QueueArg queue, F body) const {
        return peekValue(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto peekValue(QueueArg queue, FlagsArg flags, F body) const {
        return transformValue(std::move(queue), flags, [body = std::move(body)](T& value) mutable {
            detail::callWithValue(body, value);
            return value;
        });
    }

    // Runs a body with every outcome, fulfilled or rejected, and passes the same outcome on.
    template <class F>
    auto peekResult(F body) const {
        return peekResult(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto peekResult(QueueArg queue, F body) const {
        return peekResult(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto peekResult(QueueArg queue, FlagsArg flags, F body) const {
        using Out = detail::DependentT<Promise<T>, F>;
        using OutResolver = detail::DependentT<Resolver<T>, F>;
        Out result = Out::initPending();
        // A resolver rides along, so that the result dropped unsettled reports it as the result
        // made by a resolver does.
        detail::attachToOutcome(
            self(), result.box(), std::move(queue), flags, detail::PassNothing{},
            [body = std::move(body),
             resolver = OutResolver(result.box())](const Result<T>& outcome) mutable {
                detail::callNoThrow(body, outcome);
                return outcome;
            });
        return result;
    }

    // Drops the value; the result follows the receiver at once, on the delivering thread.
    auto discardValue() const {
        return transformValue(std::nullopt, std::nullopt, [](const T&) { return Unit{}; });
    }

    std::optional<T> currentValue() const {
        auto outcome = self().currentResult();
        if (!outcome || !outcome->holdsValue())
            return std::nullopt;
        return outcome->value();
    }
    std::optional<ErrorRef> currentError() const {
        auto outcome = self().currentResult();
        if (!outcome || outcome->holdsValue())
            return std::nullopt;
        return outcome->error();
    }
    bool isStillPending() const { return !self().currentResult().has_value(); }
    bool isSettled() const { return !isStillPending(); }
    bool hasValue() const { return currentValue().has_value(); }
    bool hasError() const { return currentError().has_value(); }

private:
    // The step of an operation that runs its work with the value: a rejection passes down at once.
    template <class U, class Out, class Work>
    void onValue(const Out& result, QueueArg queue, FlagsArg flags, Work work) const {
        detail::attachToOutcome(
            self(), result.box(), std::move(queue), flags, detail::PassRejection<U>{},
            [work = std::move(work)](Result<T>& outcome) mutable { return work(outcome.value()); });
    }

    const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace zoral::promises
