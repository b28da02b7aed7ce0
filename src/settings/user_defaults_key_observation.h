#pragma once

// Observation of one key of one suite: each change of the value that a read of the key gives is
// turned into a change record and handed to a callback, on the thread that made the change, before
// the write returns.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/key_value_observing.h"
#include "platform/thread_safety.h"
#include "platform/user_defaults.h"
#include "settings/defaults_key.h"
#include "settings/defaults_observation.h"
#include "settings/key_change.h"
#include "settings/secure_coding_key.h"
#include "settings/secure_coding_key_change.h"

namespace zoral::settings::Defaults {

class UserDefaultsKeyObservation final : public DefaultsObservation {
    struct Passkey {};

public:
    using Callback = std::function<void(const BaseChange&)>;

    // Made, not yet started. The suite is held weakly: a suite that is gone stops the observation.
    static std::shared_ptr<UserDefaultsKeyObservation> make(
        std::weak_ptr<platform::UserDefaults> suite, std::string key, Callback callback);

    UserDefaultsKeyObservation(Passkey, std::weak_ptr<platform::UserDefaults> suite,
                               std::string key, Callback callback);
    ~UserDefaultsKeyObservation() override;

    // Registers with the suite; with initial, the callback runs once before this returns. Only the
    // first start counts, and none after a stop.
    void start(const ObservationOptions& options);
    void stopObserving() override;

    const std::string& key() const { return key_; }

private:
    enum class State { made, starting, started, stopped };

    void handleChange(const platform::KeyValueChange& change);

    const std::string key_;
    const Callback callback_;
    platform::Mutex mutex_;
    std::weak_ptr<platform::UserDefaults> object_ ZORAL_GUARDED_BY(mutex_);
    State state_ ZORAL_GUARDED_BY(mutex_) = State::made;
    std::optional<platform::KeyValueObserverToken> token_ ZORAL_GUARDED_BY(mutex_);
};

namespace detail {

// A started observation of the key with the callback.
std::shared_ptr<DefaultsObservation> observe(const Keys& key, const ObservationOptions& options,
                                             UserDefaultsKeyObservation::Callback callback);

}  // namespace detail

// Observes the key, handing each change to the handler as a typed record; the observation lasts
// until it is stopped, its last reference goes, or the owner it is tied to goes.
template <class Value>
[[nodiscard]] std::shared_ptr<DefaultsObservation> observeKey(
    const Key<Value>& key, const ObservationOptions& options,
    std::type_identity_t<std::function<void(const KeyChange<Value>&)>> handler) {
    return detail::observe(key, options,
                           [defaultValue = key.defaultValue(),
                            handler = std::move(handler)](const BaseChange& change) {
                               handler(KeyChange<Value>::fromBaseChange(change, defaultValue));
                           });
}

template <class Value>
[[nodiscard]] std::shared_ptr<DefaultsObservation> observeSecureCodingKey(
    const NSSecureCodingKey<Value>& key, const ObservationOptions& options,
    std::type_identity_t<std::function<void(const NSSecureCodingKeyChange<Value>&)>> handler) {
    return detail::observe(
        key, options,
        [defaultValue = key.defaultValue(),
         handler = std::move(handler)](const BaseChange& change) {
            handler(NSSecureCodingKeyChange<Value>::fromBaseChange(change, defaultValue));
        });
}

template <class Value>
[[nodiscard]] std::shared_ptr<DefaultsObservation> observeOptionalSecureCodingKey(
    const NSSecureCodingOptionalKey<Value>& key, const ObservationOptions& options,
    std::type_identity_t<std::function<void(const NSSecureCodingOptionalKeyChange<Value>&)>>
        handler) {
    return detail::observe(key, options, [handler = std::move(handler)](const BaseChange& change) {
        handler(NSSecureCodingOptionalKeyChange<Value>::fromBaseChange(change));
    });
}

}  // namespace zoral::settings::Defaults
