#pragma once

// A guarantee: a deferred value that cannot fail. Bodies attached to it run once the value is
// there, each on the queue its call names (in place without one), and every operation returns a
// new guarantee so that steps chain. A pending guarantee whose box is dropped reports it once.

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/dispatch.h"
#include "platform/scheduler.h"
#include "promises/box.h"
#include "promises/chaining.h"
#include "promises/configuration.h"
#include "promises/result.h"
#include "promises/sequence.h"
#include "promises/step.h"
#include "promises/thenable.h"

namespace zoral::promises {

// A pending guarantee and the function that settles it.
template <class T>
struct PendingGuarantee {
    Guarantee<T> guarantee;
    std::function<void(T)> resolve;
};

template <class T>
class Guarantee : public ChainingOperations<Guarantee<T>, T>,
                  public SequenceOperations<Guarantee<T>, T> {
    // The box of every pending guarantee: it reports being dropped while still pending.
    class Box final : public EmptyBox<T> {
    public:
        ~Box() override {
            if (this->isPending() && detail::warnsOfDroppedBoxes())
                reportLogEvent(LogEvent::pendingGuaranteeDeallocated());
        }
    };

public:
    using ValueType = T;
    using BoxType = promises::Box<T>;

    explicit Guarantee(std::shared_ptr<BoxType> box) : box_(std::move(box)) {}

    static Guarantee initWithBox(std::shared_ptr<BoxType> box) { return Guarantee(std::move(box)); }
    static Guarantee initWithValue(T value) {
        return Guarantee(std::make_shared<SealedBox<T>>(std::move(value)));
    }
    static Guarantee initVoid() requires std::is_same_v<T, Unit> { return initWithValue(Unit{}); }
    static Guarantee initPending() { return Guarantee(std::make_shared<Box>()); }
    // Calls the body at once with the function that settles the new guarantee.
    template <class F>
    static Guarantee initWithResolver(F body) {
        Guarantee guarantee = initPending();
        std::invoke(body, guarantee.resolveFunction());
        return guarantee;
    }
    static PendingGuarantee<T> makePendingPair() {
        Guarantee guarantee = initPending();
        auto resolve = guarantee.resolveFunction();
        return PendingGuarantee<T>{std::move(guarantee), std::move(resolve)};
    }

    const std::shared_ptr<BoxType>& box() const { return box_; }

    // The handler runs once with the value: at once when it is there, else on the settling thread.
    template <class F>
    void attachValueHandler(F handler) const {
        detail::runAll(attachValueStep([handler = std::move(handler)](const T& value) mutable {
            handler(value);
            return detail::Next();
        }));
    }
    template <class F>
    void attachHandler(F handler) const {
        attachValueHandler([handler = std::move(handler)](const T& value) mutable {
            handler(Result<T>::fulfilled(value));
        });
    }

    // For the module's operations: the step runs once with the value, at once when it is there
    // (its run is handed back), else in the settling thread's loop.
    template <class F>
    detail::Next attachValueStep(F step) const {
        return detail::attachBody<T>(*box_, std::move(step));
    }
    template <class F>
    detail::Next attachStep(F step) const {
        return attachValueStep([step = std::move(step)](const T& value) mutable {
            return step(Result<T>::fulfilled(value));
        });
    }

    std::optional<Result<T>> currentResult() const {
        Sealant<T> state = box_->readState();
        if (state.isPending())
            return std::nullopt;
        return Result<T>::fulfilled(state.value());
    }

    // Runs a body with the value; the result holds the empty value after it.
    template <class F>
    Guarantee<Unit> runOnValue(F body) const {
        return runOnValue(promiseConfiguration().returnQueue, std::nullopt, std::move(body));
    }
    template <class F>
    Guarantee<Unit> runOnValue(QueueArg queue, F body) const {
        return runOnValue(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    Guarantee<Unit> runOnValue(QueueArg queue, FlagsArg flags, F body) const {
        Guarantee<Unit> result = Guarantee<Unit>::initPending();
        detail::attachToValue(*this, result.box(), std::move(queue), flags,
                              [body = std::move(body)](T& value) mutable {
                                  detail::callWithValue(body, value);
                                  return Unit{};
                              });
        return result;
    }

    // Maps the value.
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
        Guarantee<U> result = Guarantee<U>::initPending();
        detail::attachToValue(*this, result.box(), std::move(queue), flags,
                              [body = std::move(body)](T& value) mutable {
                                  return detail::callForValue(body, value);
                              });
        return result;
    }

    // A body returning a guarantee gives a guarantee that follows it; a body returning a promise
    // gives a promise (the chaining of every thenable, where the body may also throw).
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
        if constexpr (isGuarantee<Inner>) {
            using U = ValueOf<Inner>;
            Guarantee<U> result = Guarantee<U>::initPending();
            detail::attachToValue(*this, result.box(), std::move(queue), flags,
                                  [body = std::move(body)](T& value) mutable {
                                      return detail::Follow{detail::callWithValue(body, value)};
                                  });
            return result;
        } else {
            return ChainingOperations<Guarantee<T>, T>::chain(std::move(queue), flags,
                                                              std::move(body));
        }
    }

    // Runs a body with the value and passes the same value on.
    template <class F>
    Guarantee<T> peekValue(F body) const {
        return peekValue(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }
    template <class F>
    Guarantee<T> peekValue(QueueArg queue, F body) const {
        return peekValue(std::move(queue), std::nullopt, std::move(body));
    }
    template <class F>
    Guarantee<T> peekValue(QueueArg queue, FlagsArg flags, F body) const {
        return transformValue(std::move(queue), flags, [body = std::move(body)](T& value) mutable {
            detail::callWithValue(body, value);
            return value;
        });
    }

    Guarantee<Unit> discardValue() const {
        return transformValue(std::nullopt, std::nullopt, [](const T&) { return Unit{}; });
    }

    // Blocks the calling thread until the value is there. On the main thread it reports the wait
    // first; there the scheduler keeps running other work meanwhile.
    T wait() const {
        if (platform::isMainThread())
            reportLogEvent(LogEvent::waitOnMainThread());
        if (auto known = currentResult())
            return known->value();
        platform::DispatchGroup group;
        auto slot = std::make_shared<std::optional<T>>();
        group.enter();
        attachValueHandler([group, slot](const T& value) {
            slot->emplace(value);
            group.leave();
        });
        group.wait();
        return std::move(**slot);
    }

    friend bool operator==(const Guarantee& a, const Guarantee& b) { return a.box_ == b.box_; }

private:
    std::function<void(T)> resolveFunction() const {
        return [box = box_](T value) { box->settle(std::move(value)); };
    }

    std::shared_ptr<BoxType> box_;
};

// Runs the body on the queue; the guarantee holds what it returns.
template <class F>
auto runAsGuarantee(const platform::DispatchQueue& queue, PromisesNamespacer,
                    platform::DispatchSubmission submission, F body) {
    using T = std::remove_cvref_t<detail::UnitIfVoid<std::invoke_result_t<F&>>>;
    Guarantee<T> result = Guarantee<T>::initPending();
    detail::runOnQueue(queue, std::move(submission), result.box(), std::move(body));
    return result;
}
template <class F>
auto runAsGuarantee(const platform::DispatchQueue& queue, PromisesNamespacer namespacer, F body) {
    return runAsGuarantee(queue, namespacer, platform::DispatchSubmission{}, std::move(body));
}

}  // namespace zoral::promises

// Promises complete the guarantee's interface (a chain body may return one).
#include "promises/promise.h"
