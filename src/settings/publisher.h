#pragma once

// A small stream of values in the shape of the platform's reactive framework: a publisher hands a
// subscriber first its subscription, then each value as it happens, on the thread that produces
// it. The publishers here never complete and never fail, and demand is not counted: every value is
// delivered when it happens, whatever the subscriber asked for.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::settings {

// How many more values a subscriber asks for.
class Demand {
public:
    static constexpr Demand none() { return Demand(0); }
    static constexpr Demand unlimited() { return Demand(std::nullopt); }
    static constexpr Demand max(std::size_t count) { return Demand(count); }

    // No limit for unlimited demand.
    constexpr std::optional<std::size_t> limit() const { return limit_; }

    friend constexpr bool operator==(const Demand&, const Demand&) = default;

private:
    constexpr explicit Demand(std::optional<std::size_t> limit) : limit_(limit) {}

    std::optional<std::size_t> limit_;
};

// A subscriber's link to its publisher.
class Subscription {
public:
    virtual ~Subscription() = default;
    virtual void request(Demand demand) = 0;
    // No value follows a cancel; further calls do nothing.
    virtual void cancel() = 0;
};

template <class Input>
class Subscriber {
public:
    virtual ~Subscriber() = default;
    // Once, before any value.
    virtual void receiveSubscription(std::shared_ptr<Subscription> subscription) = 0;
    // Each value; the result is how many more values the subscriber asks for.
    virtual Demand receive(const Input& input) = 0;
};

// Ends one subscription when cancelled or destroyed.
class Cancellable {
public:
    Cancellable() = default;
    explicit Cancellable(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Cancellable(Cancellable&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Cancellable& operator=(Cancellable&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    ~Cancellable() { cancel(); }
    Cancellable(const Cancellable&) = delete;
    Cancellable& operator=(const Cancellable&) = delete;

    void cancel() {
        if (auto cancel = std::exchange(cancel_, {}))
            cancel();
    }

private:
    std::function<void()> cancel_;
};

namespace detail {

// The subscriber behind Publisher::subscribe: asks for every value and hands each to a function.
template <class Input>
class Sink final : public Subscriber<Input> {
public:
    explicit Sink(std::function<void(const Input&)> receive)
        : receive_(std::make_shared<const std::function<void(const Input&)>>(std::move(receive))) {}

    void receiveSubscription(std::shared_ptr<Subscription> subscription) override {
        bool cancelled = false;
        {
            const platform::MutexLock lock(mutex_);
            cancelled = receive_ == nullptr;
            if (!cancelled)
                subscription_ = subscription;
        }
        if (cancelled) {
            subscription->cancel();
            return;
        }
        subscription->request(Demand::unlimited());
    }

    Demand receive(const Input& input) override {
        std::shared_ptr<const std::function<void(const Input&)>> receive;
        {
            const platform::MutexLock lock(mutex_);
            receive = receive_;
        }
        if (receive)
            (*receive)(input);
        return Demand::none();
    }

    void cancel() {
        std::shared_ptr<Subscription> subscription;
        std::shared_ptr<const std::function<void(const Input&)>> released;
        {
            const platform::MutexLock lock(mutex_);
            subscription = std::move(subscription_);
            released = std::move(receive_);
        }
        if (subscription)
            subscription->cancel();
    }

private:
    platform::Mutex mutex_;
    // Null once cancelled.
    std::shared_ptr<const std::function<void(const Input&)>> receive_ ZORAL_GUARDED_BY(mutex_);
    std::shared_ptr<Subscription> subscription_ ZORAL_GUARDED_BY(mutex_);
};

template <class Input, class Output, class Transform>
class MapSubscriber final : public Subscriber<Input> {
public:
    MapSubscriber(std::shared_ptr<Subscriber<Output>> downstream, Transform transform)
        : downstream_(std::move(downstream)), transform_(std::move(transform)) {}

    void receiveSubscription(std::shared_ptr<Subscription> subscription) override {
        downstream_->receiveSubscription(std::move(subscription));
    }
    Demand receive(const Input& input) override { return downstream_->receive(transform_(input)); }

private:
    std::shared_ptr<Subscriber<Output>> downstream_;
    Transform transform_;
};

// The one subscription of a merged stream: it stands for the subscriptions of every upstream.
class MergedSubscription final : public Subscription {
public:
    void add(const std::shared_ptr<Subscription>& upstream);
    void request(Demand demand) override;
    void cancel() override;

private:
    platform::Mutex mutex_;
    bool cancelled_ ZORAL_GUARDED_BY(mutex_) = false;
    std::vector<std::shared_ptr<Subscription>> upstream_ ZORAL_GUARDED_BY(mutex_);
};

template <class Input>
class MergeSubscriber final : public Subscriber<Input> {
public:
    MergeSubscriber(std::shared_ptr<Subscriber<Input>> downstream,
                    std::shared_ptr<MergedSubscription> merged)
        : downstream_(std::move(downstream)), merged_(std::move(merged)) {}

    void receiveSubscription(std::shared_ptr<Subscription> subscription) override {
        merged_->add(subscription);
    }
    Demand receive(const Input& input) override { return downstream_->receive(input); }

private:
    std::shared_ptr<Subscriber<Input>> downstream_;
    std::shared_ptr<MergedSubscription> merged_;
};

}  // namespace detail

// A publisher of any kind behind one type.
template <class Output>
class Publisher {
public:
    using ReceiveSubscriber = std::function<void(std::shared_ptr<Subscriber<Output>>)>;

    explicit Publisher(ReceiveSubscriber receive) : receive_(std::move(receive)) {}

    // Hands the subscriber its subscription, then values as they happen; values that exist
    // already (an initial value) may arrive before this returns.
    void receive(std::shared_ptr<Subscriber<Output>> subscriber) const {
        receive_(std::move(subscriber));
    }

    // Every value to the function until the returned handle is cancelled or destroyed.
    [[nodiscard]] Cancellable subscribe(std::function<void(const Output&)> receive) const {
        auto sink = std::make_shared<detail::Sink<Output>>(std::move(receive));
        receive_(sink);
        return Cancellable([sink] { sink->cancel(); });
    }

    template <class Transform>
    Publisher<std::invoke_result_t<Transform&, const Output&>> map(Transform transform) const {
        using Mapped = std::invoke_result_t<Transform&, const Output&>;
        return Publisher<Mapped>([upstream = *this, transform = std::move(transform)](
                                     std::shared_ptr<Subscriber<Mapped>> downstream) {
            upstream.receive(std::make_shared<detail::MapSubscriber<Output, Mapped, Transform>>(
                std::move(downstream), transform));
        });
    }

    // Every value of every publisher, as each happens; none for no publishers. The subscriber
    // receives one subscription, which cancels them all.
    static Publisher merge(std::vector<Publisher> publishers) {
        return Publisher(
            [publishers = std::move(publishers)](std::shared_ptr<Subscriber<Output>> downstream) {
                auto merged = std::make_shared<detail::MergedSubscription>();
                downstream->receiveSubscription(merged);
                for (const auto& publisher : publishers)
                    publisher.receive(
                        std::make_shared<detail::MergeSubscriber<Output>>(downstream, merged));
            });
    }

private:
    ReceiveSubscriber receive_;
};

}  // namespace zoral::settings
