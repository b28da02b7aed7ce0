#pragma once

// Values attached to an object at run time, the way the system's runtime lets any of its objects
// carry them: each under a key (an address, so two keys never collide), held strongly or weakly.
// A weakly held value that is gone reads as none, never as a dangling one. Replacing or removing
// a value releases the one held before, outside the object's lock, since its release may do
// anything (even attach values to the same object).
//
// Safe from any thread.

#include <map>
#include <memory>

#include "platform/thread_safety.h"

namespace zoral::platform {

class AssociatedObjects {
public:
    AssociatedObjects() = default;
    virtual ~AssociatedObjects() = default;
    // Values belong to the object, not to its copies.
    AssociatedObjects(const AssociatedObjects&) {}
    AssociatedObjects& operator=(const AssociatedObjects&) { return *this; }

    // Holds the value under the key, strongly when `retained`, else weakly; null removes the key.
    void setAssociatedObject(const void* key, std::shared_ptr<void> value, bool retained);
    std::shared_ptr<void> associatedObject(const void* key) const;

private:
    struct Slot {
        std::shared_ptr<void> strong;
        std::weak_ptr<void> weak;
    };

    mutable Mutex mutex_;
    std::map<const void*, Slot> slots_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::platform
