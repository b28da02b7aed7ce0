#include "settings/user_defaults_key_observation.h"

namespace zoral::settings::Defaults {

std::shared_ptr<UserDefaultsKeyObservation> UserDefaultsKeyObservation::make(
    std::weak_ptr<platform::UserDefaults> suite, std::string key, Callback callback) {
    return std::make_shared<UserDefaultsKeyObservation>(Passkey{}, std::move(suite), std::move(key),
                                                        std::move(callback));
}

UserDefaultsKeyObservation::UserDefaultsKeyObservation(Passkey,
                                                       std::weak_ptr<platform::UserDefaults> suite,
                                                       std::string key, Callback callback)
    : key_(std::move(key)), callback_(std::move(callback)), object_(std::move(suite)) {}

UserDefaultsKeyObservation::~UserDefaultsKeyObservation() {
    stopObserving();
}

void UserDefaultsKeyObservation::start(const ObservationOptions& options) {
    std::shared_ptr<platform::UserDefaults> suite;
    {
        const platform::MutexLock lock(mutex_);
        if (state_ != State::made)
            return;
        suite = object_.lock();
        if (!suite)
            return;
        state_ = State::starting;
    }
    const std::weak_ptr<UserDefaultsKeyObservation> weak =
        std::static_pointer_cast<UserDefaultsKeyObservation>(shared_from_this());
    // The observer keeps the observation alive while it calls back, so that a handler may drop
    // the last reference to it.
    const auto token = suite->addObserver(key_, platformOptions(options),
                                          [weak](const platform::KeyValueChange& change) {
                                              if (auto self = weak.lock())
                                                  self->handleChange(change);
                                          });
    bool stoppedMeanwhile = false;
    {
        const platform::MutexLock lock(mutex_);
        if (state_ == State::stopped) {
            stoppedMeanwhile = true;
        } else {
            state_ = State::started;
            token_ = token;
        }
    }
    // A handler stopped the observation during the initial delivery, before the token was known.
    if (stoppedMeanwhile)
        suite->removeObserver(token);
}

void UserDefaultsKeyObservation::stopObserving() {
    std::shared_ptr<platform::UserDefaults> suite;
    std::optional<platform::KeyValueObserverToken> token;
    {
        const platform::MutexLock lock(mutex_);
        state_ = State::stopped;
        suite = object_.lock();
        object_.reset();
        token = std::exchange(token_, std::nullopt);
    }
    if (suite && token)
        suite->removeObserver(*token);
    unbindLifetime();
}

void UserDefaultsKeyObservation::handleChange(const platform::KeyValueChange& change) {
    bool suiteGone = false;
    {
        const platform::MutexLock lock(mutex_);
        if (state_ == State::stopped)
            return;
        suiteGone = object_.expired();
    }
    if (suiteGone) {
        stopObserving();
        return;
    }
    if (isUpdatingWithoutNotifying())
        return;
    callback_(BaseChange::fromChange(change));
}

std::shared_ptr<DefaultsObservation> detail::observe(
    const Keys& key, const ObservationOptions& options,
    UserDefaultsKeyObservation::Callback callback) {
    auto observation =
        UserDefaultsKeyObservation::make(key.suite(), key.name(), std::move(callback));
    observation->start(options);
    return observation;
}

}  // namespace zoral::settings::Defaults
