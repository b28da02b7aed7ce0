#pragma once

// One subscriber's hold on a Signal: an observer held weakly, the callback, and
// how values reach it (filter, queue, sampling, once-only). The signal owns its
// subscriptions; a subscription never refers back to its signal.
//
// The signal calls `deliver` from its firing thread while sampled blocks run on
// a queue, so the mutable fields sit behind a small lock that is never held
// while a callback or filter runs.

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "platform/dispatch.h"
#include "platform/dispatch_time.h"
#include "platform/thread_safety.h"

namespace zoral::signals {

// The delay of a sampling interval given in seconds: truncated to whole
// milliseconds; NaN and negative intervals are no delay, and intervals past
// the clock's range never come due.
platform::DispatchTimeInterval sampleDelay(double seconds);

// Any object a shared pointer owns can observe; the subscription ends when it
// is released.
using SignalObserver = std::weak_ptr<const void>;

template <class T>
class SignalSubscription : public std::enable_shared_from_this<SignalSubscription<T>> {
public:
    using Callback = std::function<void(const T&)>;
    using Filter = std::function<bool(const T&)>;
    using Ref = std::shared_ptr<SignalSubscription>;

    // Made by Signal; always owned by a shared pointer.
    SignalSubscription(SignalObserver observer, Callback callback)
        : observer_(std::move(observer)), callback_(std::move(callback)) {}

    SignalSubscription(const SignalSubscription&) = delete;
    SignalSubscription& operator=(const SignalSubscription&) = delete;

    // Modifiers return the subscription itself, so that they chain after subscribing.
    Ref withFilter(Filter predicate) {
        const platform::MutexLock lock(mutex_);
        filter_ = std::move(predicate);
        return this->shared_from_this();
    }
    Ref withSampleInterval(double seconds) {
        const platform::MutexLock lock(mutex_);
        sampleInterval_ = seconds;
        return this->shared_from_this();
    }
    Ref withQueue(platform::DispatchQueue queue) {
        const platform::MutexLock lock(mutex_);
        dispatchQueue_ = std::move(queue);
        return this->shared_from_this();
    }

    // Ends the subscription; the signal drops it at its next purge.
    void cancel() {
        const platform::MutexLock lock(mutex_);
        observer_.reset();
    }

    std::shared_ptr<const void> observer() const {
        const platform::MutexLock lock(mutex_);
        return observer_.lock();
    }
    void setObserver(SignalObserver observer) {
        const platform::MutexLock lock(mutex_);
        observer_ = std::move(observer);
    }
    bool isLive() const {
        const platform::MutexLock lock(mutex_);
        return !observer_.expired();
    }
    // Whether the observer is the given object (by owner, so any pointer into the
    // same object matches). A dead subscription observes nothing.
    bool isObservedBy(const std::shared_ptr<const void>& object) const {
        const platform::MutexLock lock(mutex_);
        return !observer_.expired() && !observer_.owner_before(object) &&
               !object.owner_before(observer_);
    }

    bool once() const {
        const platform::MutexLock lock(mutex_);
        return once_;
    }
    void setOnce(bool once) {
        const platform::MutexLock lock(mutex_);
        once_ = once;
    }
    std::optional<T> queuedData() const {
        const platform::MutexLock lock(mutex_);
        return queuedData_;
    }
    std::optional<double> sampleInterval() const {
        const platform::MutexLock lock(mutex_);
        return sampleInterval_;
    }
    std::optional<platform::DispatchQueue> dispatchQueue() const {
        const platform::MutexLock lock(mutex_);
        return dispatchQueue_;
    }
    bool hasFilter() const {
        const platform::MutexLock lock(mutex_);
        return static_cast<bool>(filter_);
    }

    // True when there is no filter or the filter accepts the value.
    bool accepts(const T& value) const {
        Filter filter;
        {
            const platform::MutexLock lock(mutex_);
            filter = filter_;
        }
        return !filter || filter(value);
    }

    void deliver(const T& value) {
        std::optional<platform::DispatchQueue> queue;
        std::optional<platform::DispatchTime> sampleDeadline;
        {
            const platform::MutexLock lock(mutex_);
            if (observer_.expired())
                return;
            if (sampleInterval_) {
                // A once-only sampled subscription stays open until its sampled block
                // runs, so that it receives exactly the one sampled value.
                const bool scheduled = queuedData_.has_value();
                queuedData_ = value;
                if (scheduled)
                    return;
                queue = dispatchQueue_.value_or(platform::DispatchQueue::main());
                sampleDeadline = platform::DispatchTime::now() + sampleDelay(*sampleInterval_);
            } else {
                if (once_)
                    observer_.reset();  // before the callback, so a re-entrant fire finds it dead
                queue = dispatchQueue_;
            }
        }
        if (sampleDeadline) {
            queue->asyncAfter(*sampleDeadline, [weakSelf = this->weak_from_this()] {
                if (auto self = weakSelf.lock())
                    self->deliverSampled();
            });
            return;
        }
        if (queue) {
            // Held strongly: a queued value is delivered even if the observer goes meanwhile.
            queue->async([self = this->shared_from_this(), value] { self->callback_(value); });
            return;
        }
        callback_(value);
    }

    // Calls the callback now, outside any filter, queue or sampling: the replay
    // of a signal's last value.
    void replay(const T& value) const { callback_(value); }

private:
    void deliverSampled() {
        std::optional<T> value;
        {
            const platform::MutexLock lock(mutex_);
            value = std::exchange(queuedData_, std::nullopt);
            if (!value || observer_.expired())
                return;
            if (once_)
                observer_.reset();
        }
        callback_(*value);
    }

    mutable platform::Mutex mutex_;
    SignalObserver observer_ ZORAL_GUARDED_BY(mutex_);
    bool once_ ZORAL_GUARDED_BY(mutex_) = false;
    std::optional<T> queuedData_ ZORAL_GUARDED_BY(mutex_);
    Filter filter_ ZORAL_GUARDED_BY(mutex_);
    const Callback callback_;
    std::optional<platform::DispatchQueue> dispatchQueue_ ZORAL_GUARDED_BY(mutex_);
    std::optional<double> sampleInterval_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::signals
