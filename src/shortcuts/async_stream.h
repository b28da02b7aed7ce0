#pragma once

// An asynchronous stream of values with a buffer that has no limit. The producer hands values
// through a continuation; the consumer, who owns the stream, takes them one at a time, at once
// when one is buffered or as a guarantee settled by the next value. The stream ends when its
// consumer cancels it or lets it go: its termination handler runs then, once, and values handed
// afterwards are dropped. Producer and consumer may be on different threads.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/thread_safety.h"
#include "promises/guarantee.h"

namespace zoral::shortcuts {

template <class Element>
class AsyncStream {
    struct State {
        platform::Mutex mutex;
        std::deque<Element> buffer ZORAL_GUARDED_BY(mutex);
        std::deque<std::function<void(std::optional<Element>)>> waiting ZORAL_GUARDED_BY(mutex);
        std::function<bool(const Element&)> filter ZORAL_GUARDED_BY(mutex);
        std::function<void()> onTermination ZORAL_GUARDED_BY(mutex);
        bool terminated ZORAL_GUARDED_BY(mutex) = false;
    };

public:
    // The producing side; copies hand to the same stream, and keep it alive for the producer.
    class Continuation {
    public:
        // Buffers the value, or settles the oldest waiting guarantee with it; nothing once the
        // stream has ended, or for a value the stream's filter leaves out.
        void yield(Element value) const {
            std::function<void(std::optional<Element>)> waiter;
            {
                const platform::MutexLock lock(state_->mutex);
                if (state_->terminated || (state_->filter && !state_->filter(value)))
                    return;
                if (state_->waiting.empty()) {
                    state_->buffer.push_back(std::move(value));
                    return;
                }
                waiter = std::move(state_->waiting.front());
                state_->waiting.pop_front();
            }
            waiter(std::move(value));
        }

        // Runs once when the stream ends; set it while building the stream.
        void setOnTermination(std::function<void()> handler) const {
            const platform::MutexLock lock(state_->mutex);
            state_->onTermination = std::move(handler);
        }

    private:
        friend class AsyncStream;
        explicit Continuation(std::shared_ptr<State> state) : state_(std::move(state)) {}
        std::shared_ptr<State> state_;
    };

    // Calls build at once with the stream's continuation.
    explicit AsyncStream(const std::function<void(const Continuation&)>& build)
        : state_(std::make_shared<State>()) {
        build(Continuation(state_));
    }

    AsyncStream(AsyncStream&& other) noexcept = default;
    AsyncStream& operator=(AsyncStream&& other) noexcept {
        if (this != &other) {
            cancel();
            state_ = std::move(other.state_);
        }
        return *this;
    }
    AsyncStream(const AsyncStream&) = delete;
    AsyncStream& operator=(const AsyncStream&) = delete;

    // The consumer stops: the stream ends.
    ~AsyncStream() { cancel(); }

    // The oldest buffered value, taken out; none when nothing is buffered.
    std::optional<Element> poll() {
        if (!state_)
            return std::nullopt;
        const platform::MutexLock lock(state_->mutex);
        if (state_->buffer.empty())
            return std::nullopt;
        Element value = std::move(state_->buffer.front());
        state_->buffer.pop_front();
        return value;
    }

    // The next value: settled at once with a buffered one, later with the next one handed, or
    // with none once the stream has ended.
    promises::Guarantee<std::optional<Element>> next() {
        using Result = promises::Guarantee<std::optional<Element>>;
        if (!state_)
            return Result::initWithValue(std::nullopt);
        const platform::MutexLock lock(state_->mutex);
        if (!state_->buffer.empty()) {
            Element value = std::move(state_->buffer.front());
            state_->buffer.pop_front();
            return Result::initWithValue(std::move(value));
        }
        if (state_->terminated)
            return Result::initWithValue(std::nullopt);
        auto pending = Result::makePendingPair();
        state_->waiting.push_back(std::move(pending.resolve));
        return std::move(pending.guarantee);
    }

    // Ends the stream: buffered values are dropped, waiting guarantees settle with none and the
    // termination handler runs. Nothing after the first time.
    void cancel() {
        if (!state_)
            return;
        std::deque<std::function<void(std::optional<Element>)>> waiting;
        std::function<void()> onTermination;
        {
            const platform::MutexLock lock(state_->mutex);
            if (state_->terminated)
                return;
            state_->terminated = true;
            state_->buffer.clear();
            waiting.swap(state_->waiting);
            onTermination = std::move(state_->onTermination);
        }
        for (auto& waiter : waiting)
            waiter(std::nullopt);
        if (onTermination)
            onTermination();
    }

    bool isTerminated() const {
        if (!state_)
            return true;
        const platform::MutexLock lock(state_->mutex);
        return state_->terminated;
    }

    // This stream, keeping only the values that pass (those buffered already included).
    AsyncStream filter(std::function<bool(const Element&)> predicate) && {
        {
            const platform::MutexLock lock(state_->mutex);
            std::erase_if(state_->buffer, [&](const Element& value) { return !predicate(value); });
            if (state_->filter) {
                predicate = [first = std::move(state_->filter), second = std::move(predicate)](
                                const Element& value) { return first(value) && second(value); };
            }
            state_->filter = std::move(predicate);
        }
        return AsyncStream(std::move(state_));
    }

private:
    explicit AsyncStream(std::shared_ptr<State> state) : state_(std::move(state)) {}

    std::shared_ptr<State> state_;
};

}  // namespace zoral::shortcuts
