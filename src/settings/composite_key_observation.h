#pragma once

// One observation of several keys with one handler, which is told that one of them changed but
// not which.

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/key_value_observing.h"
#include "platform/thread_safety.h"
#include "platform/user_defaults.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_observation.h"
#include "settings/key_change.h"

namespace zoral::settings::Defaults {

class CompositeUserDefaultsKeyObservation final : public DefaultsObservation {
    struct Passkey {};

public:
    using Callback = std::function<void(const BaseChange&)>;

    struct SuiteKeyPair {
        std::weak_ptr<platform::UserDefaults> suite;
        std::string key;
    };

    static std::shared_ptr<CompositeUserDefaultsKeyObservation> make(
        std::vector<SuiteKeyPair> observables, Callback callback);

    CompositeUserDefaultsKeyObservation(Passkey, std::vector<SuiteKeyPair> observables,
                                        Callback callback);
    ~CompositeUserDefaultsKeyObservation() override;

    // Registers every pair whose suite still exists, in order. Only the first start counts.
    void start(const ObservationOptions& options);
    void stopObserving() override;

private:
    struct Registration {
        SuiteKeyPair pair;
        std::optional<platform::KeyValueObserverToken> token;
    };
    enum class State { made, starting, started, stopped };

    void handleChange(const platform::KeyValueChange& change);

    const Callback callback_;
    platform::Mutex mutex_;
    std::vector<Registration> observables_ ZORAL_GUARDED_BY(mutex_);
    State state_ ZORAL_GUARDED_BY(mutex_) = State::made;
};

// Calls the handler once for each change of any of the keys.
[[nodiscard]] std::shared_ptr<DefaultsObservation> observeKeys(std::span<const Keys* const> keys,
                                                               const ObservationOptions& options,
                                                               std::function<void()> handler);
[[nodiscard]] std::shared_ptr<DefaultsObservation> observeKeys(
    std::initializer_list<const Keys*> keys, const ObservationOptions& options,
    std::function<void()> handler);

}  // namespace zoral::settings::Defaults
