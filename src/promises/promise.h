#pragma once

// A promise: the one-time outcome of an asynchronous operation, a value or an error. Promises are
// handles: copies share one box, and two promises are the same promise when they share it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "platform/scheduler.h"
#include "promises/box.h"
#include "promises/chaining.h"
#include "promises/configuration.h"
#include "promises/error_handling.h"
#include "promises/guarantee.h"
#include "promises/resolver.h"
#include "promises/result.h"
#include "promises/sequence.h"
#include "promises/step.h"
#include "promises/text_form.h"
#include "promises/thenable.h"

namespace zoral::promises {

// A pending promise and the resolver that settles it.
template <class T>
struct PendingPromise {
    Promise<T> promise;
    Resolver<T> resolver;
};

template <class T>
class Promise : public ChainingOperations<Promise<T>, T>,
                public CatchMixin<Promise<T>, T>,
                public SequenceOperations<Promise<T>, T> {
public:
    using ValueType = T;
    using BoxType = Box<Result<T>>;

    explicit Promise(std::shared_ptr<BoxType> box) : box_(std::move(box)) {}
    // Takes over the other thenable's outcome.
    template <class Other>
    requires(!std::is_same_v<Other, Promise> && Thenable<Other> &&
             std::is_same_v<ValueOf<Other>, T>) explicit Promise(const Other& other)
        : Promise(initFromThenable(other)) {}

    static Promise initWithBox(std::shared_ptr<BoxType> box) { return Promise(std::move(box)); }
    static Promise initFulfilled(T value) {
        return Promise(
            std::make_shared<SealedBox<Result<T>>>(Result<T>::fulfilled(std::move(value))));
    }
    static Promise initRejected(ErrorRef error) {
        return Promise(
            std::make_shared<SealedBox<Result<T>>>(Result<T>::rejected(std::move(error))));
    }
    static Promise initVoid() requires std::is_same_v<T, Unit> { return initFulfilled(Unit{}); }
    // Pending, with no resolver: for the module's operations, which settle the box directly.
    static Promise initPending() { return Promise(std::make_shared<EmptyBox<Result<T>>>()); }
    static PendingPromise<T> makePendingPair() {
        Promise promise = initPending();
        Resolver<T> resolver(promise.box_);
        return PendingPromise<T>{std::move(promise), std::move(resolver)};
    }
    // Calls the body at once with the resolver of the new promise. A body that throws rejects
    // the promise with the error, unless it settled the promise first.
    template <class F>
    static Promise initWithResolver(F body) {
        Promise promise = initPending();
        {
            Resolver<T> resolver(promise.box_);
            try {
                std::invoke(body, resolver);
            } catch (...) {
                resolver.rejectWith(platform::currentError());
            }
        }
        return promise;
    }
    template <Thenable Other>
    static Promise initFromThenable(const Other& other) {
        Promise promise = initPending();
        detail::runAll(other.attachStep(
            [box = promise.box_](const Result<T>& outcome) { return box->seal(outcome); }));
        return promise;
    }

    const std::shared_ptr<BoxType>& box() const { return box_; }

    // The body runs once with the outcome: at once when it is known, else on the settling thread.
    template <class F>
    void attachHandler(F body) const {
        detail::runAll(attachStep([body = std::move(body)](const Result<T>& outcome) mutable {
            body(outcome);
            return detail::Next();
        }));
    }

    // For the module's operations: the step runs once with the outcome, at once when it is known
    // (its run is handed back), else in the settling thread's loop.
    template <class F>
    detail::Next attachStep(F step) const {
        return detail::attachBody<Result<T>>(*box_, std::move(step));
    }

    std::optional<Result<T>> currentResult() const {
        Sealant<Result<T>> state = box_->readState();
        if (state.isPending())
            return std::nullopt;
        return state.value();
    }

    // Blocks the calling thread until the promise is settled; gives the value or throws the
    // error. On the main thread it reports the wait first; there the scheduler keeps running
    // other work meanwhile.
    T wait() const {
        if (platform::isMainThread())
            reportLogEvent(LogEvent::waitOnMainThread());
        std::optional<Result<T>> outcome = currentResult();
        if (!outcome) {
            platform::DispatchGroup group;
            auto slot = std::make_shared<std::optional<Result<T>>>();
            group.enter();
            attachHandler([group, slot](const Result<T>& delivered) {
                slot->emplace(delivered);
                group.leave();
            });
            group.wait();
            outcome = std::move(*slot);
        }
        if (!outcome->holdsValue())
            platform::throwError(outcome->error());
        return outcome->value();
    }

    std::string description() const {
        Sealant<Result<T>> state = box_->readState();
        if (state.isPending())
            return "Promise(\u2026" + typeName<T>() + ")";
        const Result<T>& outcome = state.value();
        if (outcome.holdsValue())
            return "Promise(" + textForm(outcome.value()) + ")";
        return "Promise(" + outcome.error()->description() + ")";
    }
    std::string debugDescription() const {
        Sealant<Result<T>> state = box_->readState();
        const std::string head = "Promise<" + typeName<T>() + ">.";
        if (state.isPending())
            return head + "pending(handlers: " + std::to_string(state.handlers().bodies.size()) +
                   ")";
        const Result<T>& outcome = state.value();
        if (outcome.holdsValue())
            return head + "fulfilled(" + textForm(outcome.value()) + ")";
        return head + "rejected(" + errorTypeName(*outcome.error()) + "." +
               outcome.error()->description() + ")";
    }

    friend bool operator==(const Promise& a, const Promise& b) { return a.box_ == b.box_; }

private:
    std::shared_ptr<BoxType> box_;
};

// Runs the body on the queue; the promise is settled by its outcome there.
template <class F>
auto runAsPromise(const platform::DispatchQueue& queue, PromisesNamespacer,
                  platform::DispatchSubmission submission, F body) {
    using T = std::remove_cvref_t<detail::UnitIfVoid<std::invoke_result_t<F&>>>;
    Promise<T> result = Promise<T>::initPending();
    detail::runOnQueue(queue, std::move(submission), result.box(), std::move(body));
    return result;
}
template <class F>
auto runAsPromise(const platform::DispatchQueue& queue, PromisesNamespacer namespacer, F body) {
    return runAsPromise(queue, namespacer, platform::DispatchSubmission{}, std::move(body));
}

}  // namespace zoral::promises

// The finaliser of error handlers, and the barriers that the sequence operations join through.
#include "promises/barriers.h"
#include "promises/finalizer.h"
