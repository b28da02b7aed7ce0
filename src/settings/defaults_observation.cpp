#include "settings/defaults_observation.h"

#include <utility>

namespace zoral::settings::Defaults {
namespace {

thread_local bool updatingWithoutNotifying = false;

}  // namespace

DefaultsObservation::~DefaultsObservation() = default;

std::shared_ptr<DefaultsObservation> DefaultsObservation::bindLifetime(LifetimeOwner& owner) {
    auto self = shared_from_this();
    // Disarmed before it is cancelled, the earlier tie goes without stopping the observation.
    unbindLifetime();
    auto association =
        std::make_unique<LifetimeAssociation>(self, owner, [weak = weak_from_this()] {
            if (auto observation = weak.lock())
                observation->stopObserving();
        });
    std::unique_ptr<LifetimeAssociation> replaced;
    {
        const platform::MutexLock lock(tieMutex_);
        replaced = std::exchange(lifetimeAssociation_, std::move(association));
    }
    return self;
}

void DefaultsObservation::unbindLifetime() {
    std::unique_ptr<LifetimeAssociation> association;
    {
        const platform::MutexLock lock(tieMutex_);
        association = std::move(lifetimeAssociation_);
    }
    if (association) {
        association->disarm();
        association->cancel();
    }
}

void updateWithoutNotifying(const std::function<void()>& body) {
    struct Restore {
        bool previous;
        ~Restore() { updatingWithoutNotifying = previous; }
    } restore{std::exchange(updatingWithoutNotifying, true)};
    body();
}

bool isUpdatingWithoutNotifying() {
    return updatingWithoutNotifying;
}

}  // namespace zoral::settings::Defaults
