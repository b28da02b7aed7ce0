#pragma once

// The error handling of promises: end a chain with an error handler, recover from an error with a
// replacement, run a body whatever the outcome, log what reaches the end. Operations that take a
// catch policy let a cancellation pass by (unhandled, unrecovered) under
// allErrorsExceptCancellation.

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
class CatchMixin {
public:
    // Ends a chain: the body runs with the error of a rejection; the finalizer's guarantee is
    // resolved once, after the body when it runs.
    template <class F>
    auto handleError(F body) const {
        const auto configuration = promiseConfiguration();
        return handleError(configuration.returnQueue, std::nullopt, configuration.catchPolicy,
                           std::move(body));
    }
    template <class F>
    auto handleError(QueueArg queue, F body) const {
        return handleError(std::move(queue), std::nullopt, promiseConfiguration().catchPolicy,
                           std::move(body));
    }
    template <class F>
    auto handleError(QueueArg queue, CatchPolicy policy, F body) const {
        return handleError(std::move(queue), std::nullopt, policy, std::move(body));
    }
    template <class F>
    auto handleError(QueueArg queue, FlagsArg flags, CatchPolicy policy, F body) const {
        using Finalizer = detail::DependentT<PromisesFinalizer, F>;
        Finalizer finalizer;
        onError(finalizer.pending.guarantee.box(), std::move(queue), flags,
                passValueAs(Unit{}, policy),
                [body = std::move(body)](const ErrorRef& error) mutable {
                    detail::callNoThrow(body, error);
                    return Unit{};
                });
        return finalizer;
    }

    // Replaces a rejection with the outcome of the thenable that the body returns.
    template <class F>
    auto recoverError(F body) const {
        const auto configuration = promiseConfiguration();
        return recoverError(configuration.mapQueue, std::nullopt, configuration.catchPolicy,
                            std::move(body));
    }
    template <class F>
    auto recoverError(QueueArg queue, F body) const {
        return recoverError(std::move(queue), std::nullopt, promiseConfiguration().catchPolicy,
                            std::move(body));
    }
    template <class F>
    auto recoverError(QueueArg queue, FlagsArg flags, F body) const {
        return recoverError(std::move(queue), flags, promiseConfiguration().catchPolicy,
                            std::move(body));
    }
    template <class F>
    auto recoverError(QueueArg queue, CatchPolicy policy, F body) const {
        return recoverError(std::move(queue), std::nullopt, policy, std::move(body));
    }
    template <class F>
    auto recoverError(QueueArg queue, FlagsArg flags, CatchPolicy policy, F body) const {
        using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ErrorRef&>>;
        static_assert(Thenable<Inner> && std::is_same_v<ValueOf<Inner>, T>,
                      "a recovery body returns a thenable of the same value type");
        using Out = detail::DependentT<Promise<T>, F>;
        Out result = Out::initPending();
        onError(result.box(), std::move(queue), flags, passOutcome(policy),
                [body = std::move(body)](const ErrorRef& error) mutable {
                    return detail::Follow{std::invoke(body, error)};
                });
        return result;
    }

    // Replaces any rejection, cancellations included, with the value of the guarantee that the
    // body returns; the result cannot fail.
    template <class F>
    auto recoverWithGuarantee(F body) const {
        return recoverWithGuarantee(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto recoverWithGuarantee(QueueArg queue, F body) const {
        return recoverWithGuarantee(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto recoverWithGuarantee(QueueArg queue, FlagsArg flags, F body) const {
        using Out = detail::DependentT<Guarantee<T>, F>;
        static_assert(
            std::is_same_v<std::remove_cvref_t<std::invoke_result_t<F&, const ErrorRef&>>, Out>,
            "a recovery body returns a guarantee of the same value type");
        Out result = Out::initPending();
        onError(
            result.box(), std::move(queue), flags,
            [](const Result<T>& outcome) -> std::optional<T> {
                if (outcome.holdsValue())
                    return outcome.value();
                return std::nullopt;
            },
            [body = std::move(body)](const ErrorRef& error) mutable {
                return detail::Follow{std::invoke(body, error)};
            });
        return result;
    }
    // The same, under the name the desktop model's callers use.
    template <class... Args>
    auto recoverGuarantee(Args&&... args) const {
        return recoverWithGuarantee(std::forward<Args>(args)...);
    }

    // For a promise of no value: the body runs with any error, cancellations included; the
    // result is fulfilled either way.
    template <class F>
    auto recoverVoid(F body) const requires std::is_same_v<T, Unit> {
        return recoverVoid(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto recoverVoid(QueueArg queue, F body) const requires std::is_same_v<T, Unit> {
        return recoverVoid(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto recoverVoid(QueueArg queue, FlagsArg flags,
                     F body) const requires std::is_same_v<T, Unit> {
        using Out = detail::DependentT<Guarantee<Unit>, F>;
        Out result = Out::initPending();
        onError(result.box(), std::move(queue), flags, passValueAs(Unit{}, std::nullopt),
                [body = std::move(body)](const ErrorRef& error) mutable {
                    detail::callNoThrow(body, error);
                    return Unit{};
                });
        return result;
    }

    // For a promise of no value: the body may throw, which rejects the result.
    template <class F>
    auto recoverVoidThrowing(F body) const requires std::is_same_v<T, Unit> {
        const auto configuration = promiseConfiguration();
        return recoverVoidThrowing(configuration.mapQueue, std::nullopt, configuration.catchPolicy,
                                   std::move(body));
    }
    template <class F>
    auto recoverVoidThrowing(QueueArg queue, FlagsArg flags, CatchPolicy policy,
                             F body) const requires std::is_same_v<T, Unit> {
        using Out = detail::DependentT<Promise<Unit>, F>;
        Out result = Out::initPending();
        onError(result.box(), std::move(queue), flags, passOutcome(policy),
                [body = std::move(body)](const ErrorRef& error) mutable {
                    std::invoke(body, error);
                    return Unit{};
                });
        return result;
    }

    // Runs the body whatever the outcome, then passes the same outcome on.
    template <class F>
    auto runAlways(F body) const {
        return runAlways(promiseConfiguration().returnQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto runAlways(QueueArg queue, F body) const {
        return runAlways(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto runAlways(QueueArg queue, FlagsArg flags, F body) const {
        using Out = detail::DependentT<Promise<T>, F>;
        Out result = Out::initPending();
        detail::attachToOutcome(self(), result.box(), std::move(queue), flags,
                                detail::PassNothing{},
                                [body = std::move(body)](const Result<T>& outcome) mutable {
                                    detail::callNoThrow(body);
                                    return outcome;
                                });
        return result;
    }

    // Runs a body that returns a guarantee of no value whatever the outcome, and passes the same
    // outcome on once that guarantee is resolved.
    template <class F>
    auto runAlwaysThen(F body) const {
        return runAlwaysThen(promiseConfiguration().returnQueue, std::nullopt, std::move(body));
    }
    template <class F>
    auto runAlwaysThen(QueueArg queue, F body) const {
        return runAlwaysThen(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    auto runAlwaysThen(QueueArg queue, FlagsArg flags, F body) const {
        using Out = detail::DependentT<Promise<T>, F>;
        Out result = Out::initPending();
        detail::attachToOutcome(self(), result.box(), std::move(queue), flags,
                                detail::PassNothing{},
                                [body = std::move(body)](const Result<T>& outcome) mutable {
                                    auto done = detail::callNoThrow(body);
                                    // The outcome passes on from the return queue as it is when the
                                    // body returns.
                                    return detail::Follow{done.transformValue(
                                        promiseConfiguration().returnQueue, std::nullopt,
                                        [outcome] { return outcome; })};
                                });
        return result;
    }

    // Ends a chain by reporting the error to the configuration's log handler.
    auto logErrors() const {
        using Finalizer = detail::DependentT<PromisesFinalizer, Self>;
        const auto configuration = promiseConfiguration();
        Finalizer finalizer =
            handleError(configuration.returnQueue, std::nullopt, configuration.catchPolicy,
                        [](const ErrorRef& error) { reportLogEvent(LogEvent::cauterized(error)); });
        return finalizer;
    }

private:
    static bool isFiltered(CatchPolicy policy, const ErrorRef& error) {
        return policy == CatchPolicy::allErrorsExceptCancellation && countsAsCancelled(error);
    }

    // A value passes as the result's value; so does a cancellation that the policy filters.
    template <class V>
    static auto passValueAs(V value, std::optional<CatchPolicy> policy) {
        return [value, policy](const Result<T>& outcome) -> std::optional<V> {
            if (outcome.holdsValue() || (policy && isFiltered(*policy, outcome.error())))
                return value;
            return std::nullopt;
        };
    }
    // A value passes as it is; so does a cancellation that the policy filters.
    static auto passOutcome(CatchPolicy policy) {
        return [policy](const Result<T>& outcome) -> std::optional<Result<T>> {
            if (outcome.holdsValue() || isFiltered(policy, outcome.error()))
                return outcome;
            return std::nullopt;
        };
    }

    // The step of an operation that runs its work with the error of a rejection that `pass` did
    // not pass on.
    template <class V, class Pass, class Work>
    void onError(detail::OutBox<V> out, QueueArg queue, FlagsArg flags, Pass pass,
                 Work work) const {
        detail::attachToOutcome(self(), std::move(out), std::move(queue), flags, std::move(pass),
                                [work = std::move(work)](const Result<T>& outcome) mutable {
                                    return work(outcome.error());
                                });
    }

    const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace zoral::promises
