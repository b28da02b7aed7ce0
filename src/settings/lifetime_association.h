#pragma once

// Ties an object (an observation) to the lifetime of an owner: the owner keeps the object alive,
// and when the owner goes the object's handler runs (stopping the observation) and the object is
// released. Nothing points back to the owner strongly, so a tie never keeps an owner alive.

#include <functional>
#include <memory>

#include "platform/thread_safety.h"

namespace zoral::settings {

// Held by an owner (as a member or a base); destroying it ends every tie made to it, in the order
// the ties were made.
class LifetimeOwner {
public:
    LifetimeOwner();
    ~LifetimeOwner();
    LifetimeOwner(const LifetimeOwner&) = delete;
    LifetimeOwner& operator=(const LifetimeOwner&) = delete;

private:
    friend class LifetimeAssociation;
    struct Trackers;
    std::shared_ptr<Trackers> trackers_;
};

// Kept in an owner's list: holds its object strongly, and runs its handler when it is destroyed,
// before it releases the object.
class ObjectLifetimeTracker {
public:
    ObjectLifetimeTracker(std::shared_ptr<void> object, std::function<void()> deinitHandler);
    ~ObjectLifetimeTracker();
    ObjectLifetimeTracker(const ObjectLifetimeTracker&) = delete;
    ObjectLifetimeTracker& operator=(const ObjectLifetimeTracker&) = delete;

    // From now on destruction runs no handler.
    void disarm();

private:
    platform::Mutex mutex_;
    // Set when made and released when destroyed, never touched in between.
    std::shared_ptr<void> object_;
    std::function<void()> deinitHandler_ ZORAL_GUARDED_BY(mutex_);
};

// One tie, held by the tied object: places a tracker in the owner's list and can take it out
// again. Destroying the association takes the tracker out.
class LifetimeAssociation {
public:
    LifetimeAssociation(std::shared_ptr<void> target, LifetimeOwner& owner,
                        std::function<void()> deinitHandler);
    ~LifetimeAssociation();
    LifetimeAssociation(const LifetimeAssociation&) = delete;
    LifetimeAssociation& operator=(const LifetimeAssociation&) = delete;

    // The tracker, if it still exists, runs no handler when it goes.
    void disarm();
    // Takes the tracker out of the owner's list (destroying it); nothing when the owner or the
    // tracker is gone already.
    void cancel();

private:
    std::weak_ptr<ObjectLifetimeTracker> wrappedObject_;
    std::weak_ptr<LifetimeOwner::Trackers> owner_;
};

}  // namespace zoral::settings
