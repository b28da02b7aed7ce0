#include "settings/defaults_publisher.h"

#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "settings/user_defaults_key_observation.h"

namespace zoral::settings::Defaults {
namespace {

// One subscriber's observation. The observation's callback holds the subscription, and the
// subscription holds the observation, until cancel breaks the pair.
struct DefaultsSubscription {
    std::mutex mutex;
    std::function<void(const BaseChange&)> subscriber;
    std::shared_ptr<UserDefaultsKeyObservation> observation;

    void deliver(const BaseChange& change) {
        std::function<void(const BaseChange&)> receive;
        {
            std::lock_guard lock(mutex);
            receive = subscriber;
        }
        if (receive)
            receive(change);
    }

    void cancel() {
        std::shared_ptr<UserDefaultsKeyObservation> stopped;
        std::function<void(const BaseChange&)> released;
        {
            std::lock_guard lock(mutex);
            stopped = std::move(observation);
            released = std::move(subscriber);
        }
        // Stopped at once, also when a delivery in progress still holds the observation.
        if (stopped)
            stopped->stopObserving();
    }
};

}  // namespace

Publisher<BaseChange> defaultsPublisher(std::shared_ptr<platform::UserDefaults> suite,
                                        std::string key, ObservationOptions options) {
    return Publisher<BaseChange>(
        [suite = std::move(suite), key = std::move(key),
         options = std::move(options)](Publisher<BaseChange>::Receiver receive) {
            auto subscription = std::make_shared<DefaultsSubscription>();
            subscription->subscriber = std::move(receive);
            auto observation = UserDefaultsKeyObservation::make(
                suite, key,
                [subscription](const BaseChange& change) { subscription->deliver(change); });
            subscription->observation = observation;
            Subscription handle([subscription] { subscription->cancel(); });
            observation->start(options);
            return handle;
        });
}

Publisher<KeysChange> keysChangePublisher(std::span<const Keys* const> keys,
                                          const ObservationOptions& options) {
    std::vector<Publisher<KeysChange>> publishers;
    for (const Keys* key : keys) {
        publishers.push_back(
            defaultsPublisher(key->suite(), key->name(), options).map([](const BaseChange&) {
                return KeysChange{};
            }));
    }
    return Publisher<KeysChange>::merge(std::move(publishers));
}

Publisher<KeysChange> keysChangePublisher(std::initializer_list<const Keys*> keys,
                                          const ObservationOptions& options) {
    return keysChangePublisher(std::span<const Keys* const>(keys.begin(), keys.size()), options);
}

}  // namespace zoral::settings::Defaults
