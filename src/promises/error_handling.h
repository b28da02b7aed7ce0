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
        self().attachHandler(
            [queue = std::move(queue), flags, policy, body = std::move(body),
             resolve = finalizer.pending.resolve](const Result<T>& outcome) mutable {
                if (outcome.holdsValue() || isFiltered(policy, outcome.error())) {
                    resolve(Unit{});
                    return;
                }
                detail::dispatch(queue, flags,
                                 [body = std::move(body), error = outcome.error(),
                                  resolve = std::move(resolve)]() mutable {
                                     detail::callNoThrow(body, error);
                                     resolve(Unit{});
                                 });
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
        self().attachHandler([queue = std::move(queue), flags, policy, body = std::move(body),
                              result](const Result<T>& outcome) mutable {
            if (outcome.holdsValue() || isFiltered(policy, outcome.error())) {
                result.box()->settle(outcome);
                return;
            }
            detail::dispatch(
                queue, flags, [body = std::move(body), error = outcome.error(), result]() mutable {
                    std::optional<Inner> inner;
                    try {
                        inner.emplace(std::invoke(body, error));
                    } catch (...) {
                        result.box()->settle(Result<T>::rejected(platform::currentError()));
                        return;
                    }
                    if (detail::isSameObject(*inner, result)) {
                        result.box()->settle(Result<T>::rejected(PromisesError::returnedSelf()));
                        return;
                    }
                    inner->attachHandler([box = result.box()](const Result<T>& delivered) {
                        box->settle(delivered);
                    });
                });
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
        self().attachHandler([queue = std::move(queue), flags, body = std::move(body),
                              box = result.box()](const Result<T>& outcome) mutable {
            if (outcome.holdsValue()) {
                box->settle(outcome.value());
                return;
            }
            detail::dispatch(
                queue, flags, [body = std::move(body), error = outcome.error(), box]() mutable {
                    Out replacement = detail::callNoThrow(body, error);
                    replacement.attachValueHandler([box](const T& value) { box->settle(value); });
                });
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
        self().attachHandler([queue = std::move(queue), flags, body = std::move(body),
                              box = result.box()](const Result<T>& outcome) mutable {
            if (outcome.holdsValue()) {
                box->settle(Unit{});
                return;
            }
            detail::dispatch(queue, flags,
                             [body = std::move(body), error = outcome.error(), box]() mutable {
                                 detail::callNoThrow(body, error);
                                 box->settle(Unit{});
                             });
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
        self().attachHandler([queue = std::move(queue), flags, policy, body = std::move(body),
                              result](const Result<T>& outcome) mutable {
            if (outcome.holdsValue() || isFiltered(policy, outcome.error())) {
                result.box()->settle(outcome);
                return;
            }
            detail::dispatch(queue, flags,
                             [body = std::move(body), error = outcome.error(), result]() mutable {
                                 result.box()->settle(detail::resultOf<Unit>([&] {
                                     std::invoke(body, error);
                                     return Unit{};
                                 }));
                             });
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
        self().attachHandler([queue = std::move(queue), flags, body = std::move(body),
                              result](const Result<T>& outcome) mutable {
            detail::dispatch(queue, flags, [body = std::move(body), outcome, result]() mutable {
                detail::callNoThrow(body);
                result.box()->settle(outcome);
            });
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
        self().attachHandler([queue = std::move(queue), flags, body = std::move(body),
                              result](const Result<T>& outcome) mutable {
            detail::dispatch(queue, flags, [body = std::move(body), outcome, result]() mutable {
                auto done = detail::callNoThrow(body);
                done.runOnValue(promiseConfiguration().returnQueue, std::nullopt,
                                [outcome, result] { result.box()->settle(outcome); });
            });
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

    const Self& self() const { return static_cast<const Self&>(*this); }
};

}  // namespace zoral::promises
