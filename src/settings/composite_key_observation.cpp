#include "settings/composite_key_observation.h"

#include <utility>

namespace zoral::settings::Defaults {

std::shared_ptr<CompositeUserDefaultsKeyObservation> CompositeUserDefaultsKeyObservation::make(
    std::vector<SuiteKeyPair> observables, Callback callback) {
    return std::make_shared<CompositeUserDefaultsKeyObservation>(Passkey{}, std::move(observables),
                                                                 std::move(callback));
}

CompositeUserDefaultsKeyObservation::CompositeUserDefaultsKeyObservation(
    Passkey, std::vector<SuiteKeyPair> observables, Callback callback)
    : callback_(std::move(callback)) {
    for (auto& pair : observables)
        observables_.push_back({std::move(pair), std::nullopt});
}

CompositeUserDefaultsKeyObservation::~CompositeUserDefaultsKeyObservation() {
    stopObserving();
}

void CompositeUserDefaultsKeyObservation::start(const ObservationOptions& options) {
    std::vector<SuiteKeyPair> pairs;
    {
        const platform::MutexLock lock(mutex_);
        if (state_ != State::made)
            return;
        state_ = State::starting;
        for (const auto& registration : observables_)
            pairs.push_back(registration.pair);
    }
    const std::weak_ptr<CompositeUserDefaultsKeyObservation> weak =
        std::static_pointer_cast<CompositeUserDefaultsKeyObservation>(shared_from_this());
    const auto observer = [weak](const platform::KeyValueChange& change) {
        if (auto self = weak.lock())
            self->handleChange(change);
    };

    // Registered one by one without the lock: an initial delivery may run a handler that stops
    // the observation, after which the remaining pairs are not registered and the registered ones
    // are removed again.
    std::vector<std::pair<std::shared_ptr<platform::UserDefaults>, platform::KeyValueObserverToken>>
        orphans;
    for (std::size_t index = 0; index < pairs.size(); ++index) {
        auto suite = pairs[index].suite.lock();
        if (!suite)
            continue;
        {
            const platform::MutexLock lock(mutex_);
            if (state_ == State::stopped)
                break;
        }
        const auto token = suite->addObserver(pairs[index].key, platformOptions(options), observer);
        const platform::MutexLock lock(mutex_);
        if (state_ == State::stopped) {
            orphans.emplace_back(std::move(suite), token);
        } else {
            observables_[index].token = token;
        }
    }
    {
        const platform::MutexLock lock(mutex_);
        if (state_ == State::starting)
            state_ = State::started;
    }
    for (const auto& [suite, token] : orphans)
        suite->removeObserver(token);
}

void CompositeUserDefaultsKeyObservation::stopObserving() {
    std::vector<std::pair<std::shared_ptr<platform::UserDefaults>, platform::KeyValueObserverToken>>
        registered;
    {
        const platform::MutexLock lock(mutex_);
        state_ = State::stopped;
        for (auto& registration : observables_) {
            auto suite = registration.pair.suite.lock();
            registration.pair.suite.reset();
            if (suite && registration.token)
                registered.emplace_back(std::move(suite), *registration.token);
            registration.token.reset();
        }
    }
    for (const auto& [suite, token] : registered)
        suite->removeObserver(token);
    unbindLifetime();
}

void CompositeUserDefaultsKeyObservation::handleChange(const platform::KeyValueChange& change) {
    {
        const platform::MutexLock lock(mutex_);
        if (state_ == State::stopped)
            return;
    }
    if (isUpdatingWithoutNotifying())
        return;
    callback_(BaseChange::fromChange(change));
}

std::shared_ptr<DefaultsObservation> observeKeys(std::span<const Keys* const> keys,
                                                 const ObservationOptions& options,
                                                 std::function<void()> handler) {
    std::vector<CompositeUserDefaultsKeyObservation::SuiteKeyPair> pairs;
    for (const Keys* key : keys)
        pairs.push_back({key->suite(), key->name()});
    auto observation = CompositeUserDefaultsKeyObservation::make(
        std::move(pairs), [handler = std::move(handler)](const BaseChange&) { handler(); });
    observation->start(options);
    return observation;
}

std::shared_ptr<DefaultsObservation> observeKeys(std::initializer_list<const Keys*> keys,
                                                 const ObservationOptions& options,
                                                 std::function<void()> handler) {
    return observeKeys(std::span<const Keys* const>(keys.begin(), keys.size()), options,
                       std::move(handler));
}

}  // namespace zoral::settings::Defaults
