#include "settings/lifetime_association.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zoral::settings {

struct LifetimeOwner::Trackers {
    platform::Mutex mutex;
    std::vector<std::shared_ptr<ObjectLifetimeTracker>> list ZORAL_GUARDED_BY(mutex);
};

LifetimeOwner::LifetimeOwner() : trackers_(std::make_shared<Trackers>()) {}

LifetimeOwner::~LifetimeOwner() {
    std::vector<std::shared_ptr<ObjectLifetimeTracker>> trackers;
    {
        const platform::MutexLock lock(trackers_->mutex);
        trackers.swap(trackers_->list);
    }
    // The owner reads as gone from here on, so handlers that cancel their tie find nothing to do.
    trackers_.reset();
    // Handlers run outside the lock: a handler may tie or untie other objects.
    for (auto& tracker : trackers)
        tracker.reset();
}

ObjectLifetimeTracker::ObjectLifetimeTracker(std::shared_ptr<void> object,
                                             std::function<void()> deinitHandler)
    : object_(std::move(object)), deinitHandler_(std::move(deinitHandler)) {}

ObjectLifetimeTracker::~ObjectLifetimeTracker() {
    std::function<void()> handler;
    {
        const platform::MutexLock lock(mutex_);
        handler = std::move(deinitHandler_);
    }
    if (handler)
        handler();
    // object_ is released after this body, once the handler has run.
}

void ObjectLifetimeTracker::disarm() {
    std::function<void()> handler;
    const platform::MutexLock lock(mutex_);
    std::swap(handler, deinitHandler_);
}

LifetimeAssociation::LifetimeAssociation(std::shared_ptr<void> target, LifetimeOwner& owner,
                                         std::function<void()> deinitHandler) {
    auto tracker =
        std::make_shared<ObjectLifetimeTracker>(std::move(target), std::move(deinitHandler));
    wrappedObject_ = tracker;
    // An owner already being destroyed takes no new ties: the tracker goes at once, as it would
    // have with the owner.
    if (!owner.trackers_)
        return;
    owner_ = owner.trackers_;
    const platform::MutexLock lock(owner.trackers_->mutex);
    owner.trackers_->list.push_back(std::move(tracker));
}

LifetimeAssociation::~LifetimeAssociation() {
    cancel();
}

void LifetimeAssociation::disarm() {
    if (auto tracker = wrappedObject_.lock())
        tracker->disarm();
}

void LifetimeAssociation::cancel() {
    auto owner = owner_.lock();
    auto tracker = wrappedObject_.lock();
    if (!owner || !tracker)
        return;
    std::shared_ptr<ObjectLifetimeTracker> removed;
    {
        const platform::MutexLock lock(owner->mutex);
        auto found = std::find(owner->list.begin(), owner->list.end(), tracker);
        if (found == owner->list.end())
            return;
        removed = std::move(*found);
        owner->list.erase(found);
    }
    owner_.reset();
    // The tracker is destroyed here, with the last reference, outside the owner's lock.
}

}  // namespace zoral::settings
