#pragma once

// Values attached to an object at run time, the way the system's runtime lets any object carry
// them: an association is the key (its own address, so two associations never collide) and says
// how the value is held. Replacing or removing a value releases the one held before.

#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/thread_safety.h"

namespace zoral::shortcuts::GlobalShortcuts {

// How an associated value is held; each case with the runtime's number.
enum class AssociationPolicy : std::uintptr_t {
    // Not owned: held weakly, so a value that is gone reads as none (never as a dangling one).
    assign = 0,
    retainNonatomic = 1,
    // The owner keeps a copy of its own (the value itself, for a type that cannot be copied).
    copyNonatomic = 3,
    retain = 0x301,
    copy = 0x303,
};

// An object that values can be attached to.
class AssociatedObjects {
public:
    AssociatedObjects() = default;
    // Values belong to the object, not to its copies.
    AssociatedObjects(const AssociatedObjects&) {}
    AssociatedObjects& operator=(const AssociatedObjects&) { return *this; }

private:
    template <class T>
    friend class ObjectAssociation;

    struct Slot {
        std::shared_ptr<void> strong;
        std::weak_ptr<void> weak;
    };

    // Returns the slot it replaces, for the caller to release outside the lock.
    Slot exchange(const void* key, Slot slot) {
        const platform::MutexLock lock(mutex_);
        Slot previous;
        if (auto found = slots_.find(key); found != slots_.end()) {
            previous = std::move(found->second);
            slots_.erase(found);
        }
        if (slot.strong || !slot.weak.expired())
            slots_.emplace(key, std::move(slot));
        return previous;
    }

    std::shared_ptr<void> read(const void* key) const {
        const platform::MutexLock lock(mutex_);
        const auto found = slots_.find(key);
        if (found == slots_.end())
            return nullptr;
        return found->second.strong ? found->second.strong : found->second.weak.lock();
    }

    mutable platform::Mutex mutex_;
    std::map<const void*, Slot> slots_ ZORAL_GUARDED_BY(mutex_);
};

template <class T>
class ObjectAssociation {
public:
    explicit ObjectAssociation(AssociationPolicy how = AssociationPolicy::retainNonatomic)
        : policy(how) {}
    ObjectAssociation(const ObjectAssociation&) = delete;
    ObjectAssociation& operator=(const ObjectAssociation&) = delete;

    const AssociationPolicy policy;

    std::shared_ptr<T> get(const AssociatedObjects& owner) const {
        return std::static_pointer_cast<T>(owner.read(this));
    }

    // Stores the value as the policy says; null removes it.
    void set(AssociatedObjects& owner, std::shared_ptr<T> value) const {
        AssociatedObjects::Slot slot;
        if (value) {
            switch (policy) {
                case AssociationPolicy::assign:
                    slot.weak = value;
                    break;
                case AssociationPolicy::copyNonatomic:
                case AssociationPolicy::copy:
                    if constexpr (std::is_copy_constructible_v<T>) {
                        slot.strong = std::make_shared<T>(*value);
                    } else {
                        slot.strong = std::move(value);
                    }
                    break;
                case AssociationPolicy::retainNonatomic:
                case AssociationPolicy::retain:
                    slot.strong = std::move(value);
                    break;
            }
        }
        // The replaced value goes here, outside the owner's lock: its release may do anything.
        const AssociatedObjects::Slot previous = owner.exchange(this, std::move(slot));
    }
};

}  // namespace zoral::shortcuts::GlobalShortcuts
