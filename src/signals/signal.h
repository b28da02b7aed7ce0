#pragma once

// A typed in-process announcement channel. The owner fires values; subscribers
// receive them through callbacks, in subscription order. Observers are held
// weakly: once an observer is released its subscriptions receive nothing and
// are dropped at the next fire or subscription. With `retainLastData` the
// signal keeps its last value, so that a late subscriber can be handed the
// current state at once.
//
// Meant to be fired and subscribed to on one thread; it still keeps its own
// state consistent when used from several, and never holds its lock while a
// callback runs, so callbacks may fire, subscribe and cancel freely.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/thread_safety.h"
#include "signals/signal_subscription.h"

namespace zoral::signals {

template <class T>
class Signal {
public:
    using Subscription = SignalSubscription<T>;
    using SubscriptionRef = std::shared_ptr<Subscription>;
    using Callback = typename Subscription::Callback;

    explicit Signal(bool retainLastData) : retainLastData_(retainLastData) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    std::int64_t fireCount() const {
        const platform::MutexLock lock(mutex_);
        return fireCount_;
    }
    bool retainLastData() const {
        const platform::MutexLock lock(mutex_);
        return retainLastData_;
    }
    // Turning retention off forgets the stored value; turning it back on does not restore it.
    void setRetainLastData(bool retain) {
        const platform::MutexLock lock(mutex_);
        retainLastData_ = retain;
        if (!retain)
            lastDataFired_.reset();
    }
    std::optional<T> lastDataFired() const {
        const platform::MutexLock lock(mutex_);
        return lastDataFired_;
    }
    // The subscriptions in subscription order, dead ones not yet purged included.
    std::vector<SubscriptionRef> signalListeners() const {
        const platform::MutexLock lock(mutex_);
        return listeners_;
    }

    SubscriptionRef subscribe(SignalObserver observer, Callback callback) {
        return add(std::move(observer), std::move(callback), Mode::plain).first;
    }
    SubscriptionRef subscribeOnce(SignalObserver observer, Callback callback) {
        return add(std::move(observer), std::move(callback), Mode::once).first;
    }
    // Calls the callback with the last value, if any, before returning; that
    // replay passes no filter, queue or sampling.
    SubscriptionRef subscribeReplayingLast(SignalObserver observer, Callback callback) {
        auto [subscription, last] = add(std::move(observer), std::move(callback), Mode::plain);
        if (last)
            subscription->replay(*last);
        return subscription;
    }
    // With a last value the subscription receives only that value; otherwise it
    // waits for the next fire, once.
    SubscriptionRef subscribeOnceReplayingLast(SignalObserver observer, Callback callback) {
        auto [subscription, last] =
            add(std::move(observer), std::move(callback), Mode::onceReplayingLast);
        if (last)
            subscription->replay(*last);
        return subscription;
    }

    void fire(const T& value) {
        std::vector<SubscriptionRef> snapshot;
        std::vector<SubscriptionRef> dropped;
        {
            const platform::MutexLock lock(mutex_);
            ++fireCount_;
            if (retainLastData_)
                lastDataFired_ = value;
            else
                lastDataFired_.reset();
            purgeLocked(dropped);
            snapshot = listeners_;
        }
        // Callbacks may subscribe or cancel; the snapshot keeps this walk steady,
        // and a subscription cancelled meanwhile is skipped by deliver itself.
        for (const SubscriptionRef& subscription : snapshot) {
            if (!subscription->isLive() || !subscription->accepts(value))
                continue;
            subscription->deliver(value);
        }
    }

    void removeDeadSubscriptions() {
        std::vector<SubscriptionRef> dropped;
        const platform::MutexLock lock(mutex_);
        purgeLocked(dropped);
    }
    // Drops the live subscriptions of this observer (and every dead one).
    void cancelSubscriptionsOf(const std::shared_ptr<const void>& observer) {
        std::vector<SubscriptionRef> dropped;
        const platform::MutexLock lock(mutex_);
        removeLocked(dropped, [&](const Subscription& subscription) {
            return !subscription.isLive() || subscription.isObservedBy(observer);
        });
    }
    void cancelAll() {
        std::vector<SubscriptionRef> dropped;
        {
            const platform::MutexLock lock(mutex_);
            dropped.swap(listeners_);
        }
    }
    void clearLastData() {
        const platform::MutexLock lock(mutex_);
        lastDataFired_.reset();
    }
    // The observers of the live subscriptions, in subscription order.
    std::vector<std::shared_ptr<const void>> observers() const {
        std::vector<std::shared_ptr<const void>> result;
        const platform::MutexLock lock(mutex_);
        for (const SubscriptionRef& subscription : listeners_) {
            if (auto observer = subscription->observer())
                result.push_back(std::move(observer));
        }
        return result;
    }

private:
    enum class Mode { plain, once, onceReplayingLast };

    // The subscription is what it is to be before a fire can see it: a fire on another thread
    // must find it once-only, or already ended by the replay that is to come.
    std::pair<SubscriptionRef, std::optional<T>> add(SignalObserver observer, Callback callback,
                                                     Mode mode) {
        auto subscription =
            std::make_shared<Subscription>(std::move(observer), std::move(callback));
        std::vector<SubscriptionRef> dropped;
        const platform::MutexLock lock(mutex_);
        purgeLocked(dropped);
        if (mode == Mode::onceReplayingLast && lastDataFired_) {
            subscription->cancel();
        } else {
            subscription->setOnce(mode != Mode::plain);
        }
        listeners_.push_back(subscription);
        return {subscription, lastDataFired_};
    }

    // Dropped subscriptions go to `dropped`, which the caller declares before
    // taking the lock: they are destroyed only after it is released, since a
    // callback's captures may own things that use this signal.
    template <class Predicate>
    void removeLocked(std::vector<SubscriptionRef>& dropped, Predicate remove)
        ZORAL_REQUIRES(mutex_) {
        std::vector<SubscriptionRef> kept;
        kept.reserve(listeners_.size());
        for (SubscriptionRef& subscription : listeners_)
            (remove(*subscription) ? dropped : kept).push_back(std::move(subscription));
        listeners_ = std::move(kept);
    }
    void purgeLocked(std::vector<SubscriptionRef>& dropped) ZORAL_REQUIRES(mutex_) {
        removeLocked(dropped,
                     [](const Subscription& subscription) { return !subscription.isLive(); });
    }

    mutable platform::Mutex mutex_;
    std::int64_t fireCount_ ZORAL_GUARDED_BY(mutex_) = 0;
    bool retainLastData_ ZORAL_GUARDED_BY(mutex_);
    std::optional<T> lastDataFired_ ZORAL_GUARDED_BY(mutex_);
    std::vector<SubscriptionRef> listeners_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::signals
