#pragma once

// A small stream of values: a publisher hands each value to its subscribers as it happens, until
// their subscriptions are cancelled. It never completes and never fails, and demand is not
// counted: every value is delivered when it happens.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace zoral::settings {

// Ends one subscription when cancelled or destroyed.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    ~Subscription() { cancel(); }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void cancel() {
        if (auto cancel = std::exchange(cancel_, {}))
            cancel();
    }

private:
    std::function<void()> cancel_;
};

template <class Output>
class Publisher {
public:
    using Receiver = std::function<void(const Output&)>;
    using SubscribeFunction = std::function<Subscription(Receiver)>;

    explicit Publisher(SubscribeFunction subscribe) : subscribe_(std::move(subscribe)) {}

    // The receiver runs on the thread that produces each value; values that exist already (an
    // initial value) may arrive before this returns.
    [[nodiscard]] Subscription subscribe(Receiver receive) const {
        return subscribe_(std::move(receive));
    }

    template <class Transform>
    Publisher<std::invoke_result_t<Transform&, const Output&>> map(Transform transform) const {
        using Mapped = std::invoke_result_t<Transform&, const Output&>;
        return Publisher<Mapped>(
            [upstream = *this, transform](typename Publisher<Mapped>::Receiver receive) {
                return upstream.subscribe(
                    [transform, receive = std::move(receive)](const Output& value) mutable {
                        receive(transform(value));
                    });
            });
    }

    // Every value of every publisher, as each happens; none for no publishers.
    static Publisher merge(std::vector<Publisher> publishers) {
        return Publisher([publishers = std::move(publishers)](Receiver receive) {
            auto subscriptions = std::make_shared<std::vector<Subscription>>();
            for (const auto& publisher : publishers)
                subscriptions->push_back(publisher.subscribe(receive));
            return Subscription([subscriptions] { subscriptions->clear(); });
        });
    }

private:
    SubscribeFunction subscribe_;
};

}  // namespace zoral::settings
