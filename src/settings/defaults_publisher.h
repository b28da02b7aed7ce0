#pragma once

// Settings as publishers: the changes of one key as typed change records, or of several keys as
// bare events. Each subscription observes its key from the moment it is made until it is
// cancelled; with initial, the current value arrives before receive (or subscribe) returns.

#include <concepts>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

#include "platform/user_defaults.h"
#include "settings/defaults_key.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_subscription.h"
#include "settings/key_change.h"
#include "settings/publisher.h"
#include "settings/secure_coding_key.h"
#include "settings/secure_coding_key_change.h"

namespace zoral::settings::Defaults {

// That one of several keys changed.
struct KeysChange {
    friend bool operator==(const KeysChange&, const KeysChange&) = default;
};

// The changes of one key of one suite, as the user defaults report them. The suite is held
// strongly by the publisher and weakly by its subscriptions.
struct DefaultsPublisher {
    std::shared_ptr<platform::UserDefaults> suite;
    std::string key;
    ObservationOptions options;

    // Hands the subscriber its subscription, then starts observing.
    template <std::derived_from<Subscriber<BaseChange>> S>
    void receive(std::shared_ptr<S> subscriber) const {
        auto subscription = DefaultsSubscription<S>::make(suite, key, options, subscriber);
        subscriber->receiveSubscription(subscription);
        subscription->start();
    }

    Publisher<BaseChange> eraseToAnyPublisher() const;
};

template <class Value>
Publisher<KeyChange<Value>> changePublisher(const Key<Value>& key,
                                            const ObservationOptions& options = {}) {
    return DefaultsPublisher{key.suite(), key.name(), options}.eraseToAnyPublisher().map(
        [defaultValue = key.defaultValue()](const BaseChange& change) {
            return KeyChange<Value>::fromBaseChange(change, defaultValue);
        });
}

template <class Value>
Publisher<NSSecureCodingKeyChange<Value>> secureCodingChangePublisher(
    const NSSecureCodingKey<Value>& key, const ObservationOptions& options = {}) {
    return DefaultsPublisher{key.suite(), key.name(), options}.eraseToAnyPublisher().map(
        [defaultValue = key.defaultValue()](const BaseChange& change) {
            return NSSecureCodingKeyChange<Value>::fromBaseChange(change, defaultValue);
        });
}

template <class Value>
Publisher<NSSecureCodingOptionalKeyChange<Value>> optionalSecureCodingChangePublisher(
    const NSSecureCodingOptionalKey<Value>& key, const ObservationOptions& options = {}) {
    return DefaultsPublisher{key.suite(), key.name(), options}.eraseToAnyPublisher().map(
        [](const BaseChange& change) {
            return NSSecureCodingOptionalKeyChange<Value>::fromBaseChange(change);
        });
}

// One event per change of any of the keys; no key, no event.
Publisher<KeysChange> keysChangePublisher(std::span<const Keys* const> keys,
                                          const ObservationOptions& options = {});
Publisher<KeysChange> keysChangePublisher(std::initializer_list<const Keys*> keys,
                                          const ObservationOptions& options = {});

}  // namespace zoral::settings::Defaults
