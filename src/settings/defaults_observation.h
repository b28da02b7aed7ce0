#pragma once

// The handle of an observation of settings. The caller holds it (dropping the last reference ends
// the observation) or ties it to an owner, whose destruction ends it.

#include <functional>
#include <memory>

#include "platform/thread_safety.h"
#include "settings/lifetime_association.h"

namespace zoral::settings::Defaults {

class DefaultsObservation : public std::enable_shared_from_this<DefaultsObservation> {
public:
    virtual ~DefaultsObservation();
    DefaultsObservation(const DefaultsObservation&) = delete;
    DefaultsObservation& operator=(const DefaultsObservation&) = delete;

    // Ends the observation for good, and any tie to an owner: no handler runs for later changes.
    // Further calls do nothing.
    virtual void stopObserving() = 0;
    void invalidate() { stopObserving(); }

    // Ties the observation to the owner: the owner keeps it alive and its destruction stops it.
    // A tie to an earlier owner moves to this one; the observation goes on meanwhile.
    std::shared_ptr<DefaultsObservation> bindLifetime(LifetimeOwner& owner);
    // Removes the tie, leaving the observation running for as long as somebody holds it.
    void unbindLifetime();

protected:
    DefaultsObservation() = default;

private:
    platform::Mutex tieMutex_;
    std::unique_ptr<LifetimeAssociation> lifetimeAssociation_ ZORAL_GUARDED_BY(tieMutex_);
};

// Runs the body with every notification of every observation of settings dropped on this thread,
// so that a handler can change a setting without being called back for its own change. Nested
// uses restore the outer state when they return.
void updateWithoutNotifying(const std::function<void()>& body);

// True inside updateWithoutNotifying on this thread.
bool isUpdatingWithoutNotifying();

}  // namespace zoral::settings::Defaults
