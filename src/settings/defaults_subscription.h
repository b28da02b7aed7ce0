#pragma once

// One subscriber's observation of one key, as a subscription of a settings publisher. The
// observation's callback holds the subscription and the subscription holds the observation, so
// the two keep each other alive until the subscription is cancelled.

#include <concepts>
#include <memory>
#include <string>
#include <utility>

#include "platform/thread_safety.h"
#include "platform/user_defaults.h"
#include "settings/key_change.h"
#include "settings/publisher.h"
#include "settings/user_defaults_key_observation.h"

namespace zoral::settings::Defaults {

template <std::derived_from<Subscriber<BaseChange>> S>
class DefaultsSubscription final : public Subscription {
    struct Passkey {};

public:
    // Made with its observation of the key, which is not started yet.
    static std::shared_ptr<DefaultsSubscription> make(std::weak_ptr<platform::UserDefaults> suite,
                                                      std::string key, ObservationOptions options,
                                                      std::shared_ptr<S> subscriber) {
        auto subscription = std::make_shared<DefaultsSubscription>(Passkey{}, std::move(subscriber),
                                                                   std::move(options));
        auto observation = UserDefaultsKeyObservation::make(
            std::move(suite), std::move(key),
            [subscription](const BaseChange& change) { subscription->deliver(change); });
        {
            const platform::MutexLock lock(subscription->mutex_);
            subscription->observation_ = std::move(observation);
        }
        return subscription;
    }

    DefaultsSubscription(Passkey, std::shared_ptr<S> subscriber, ObservationOptions options)
        : subscriber_(std::move(subscriber)), options_(std::move(options)) {}

    // Registers the observation, unless the subscription was cancelled already; with initial, the
    // subscriber receives the current value before this returns.
    void start() {
        std::shared_ptr<UserDefaultsKeyObservation> observation;
        {
            const platform::MutexLock lock(mutex_);
            observation = observation_;
        }
        if (observation)
            observation->start(options_);
    }

    // Demand is neither counted nor enforced: every change is delivered when it happens.
    void request(Demand) override {}

    void cancel() override {
        std::shared_ptr<UserDefaultsKeyObservation> observation;
        std::shared_ptr<S> subscriber;
        {
            const platform::MutexLock lock(mutex_);
            observation = std::move(observation_);
            subscriber = std::move(subscriber_);
        }
        // Stopped at once, also while a delivery in progress still holds the observation.
        if (observation)
            observation->stopObserving();
    }

private:
    void deliver(const BaseChange& change) {
        std::shared_ptr<S> subscriber;
        {
            const platform::MutexLock lock(mutex_);
            subscriber = subscriber_;
        }
        // The demand that the subscriber returns is not looked at.
        if (subscriber)
            (void)subscriber->receive(change);
    }

    platform::Mutex mutex_;
    std::shared_ptr<S> subscriber_ ZORAL_GUARDED_BY(mutex_);
    std::shared_ptr<UserDefaultsKeyObservation> observation_ ZORAL_GUARDED_BY(mutex_);
    const ObservationOptions options_;
};

}  // namespace zoral::settings::Defaults
