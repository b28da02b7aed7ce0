#pragma once

// Settings as publishers: the changes of one key as typed change records, or of several keys as
// bare events. Each subscription observes its key from the moment it is made until it is
// cancelled; with initial, the current value arrives before subscribe returns.

#include <initializer_list>
#include <memory>
#include <span>
#include <string>

#include "platform/user_defaults.h"
#include "settings/defaults_key.h"
#include "settings/defaults_keys.h"
#include "settings/key_change.h"
#include "settings/publisher.h"

namespace zoral::settings::Defaults {

// That one of several keys changed.
struct KeysChange {
    friend bool operator==(const KeysChange&, const KeysChange&) = default;
};

// The changes of one key of one suite, as the user defaults report them. The suite is held
// strongly by the publisher and weakly by its subscriptions.
Publisher<BaseChange> defaultsPublisher(std::shared_ptr<platform::UserDefaults> suite,
                                        std::string key, ObservationOptions options);

template <class Value>
Publisher<KeyChange<Value>> changePublisher(const Key<Value>& key,
                                            const ObservationOptions& options = {}) {
    return defaultsPublisher(key.suite(), key.name(), options)
        .map([defaultValue = key.defaultValue()](const BaseChange& change) {
            return KeyChange<Value>::fromBaseChange(change, defaultValue);
        });
}

// One event per change of any of the keys; no key, no event.
Publisher<KeysChange> keysChangePublisher(std::span<const Keys* const> keys,
                                          const ObservationOptions& options = {});
Publisher<KeysChange> keysChangePublisher(std::initializer_list<const Keys*> keys,
                                          const ObservationOptions& options = {});

}  // namespace zoral::settings::Defaults
