#include "platform/associated_objects.h"

#include <utility>

namespace zoral::platform {

void AssociatedObjects::setAssociatedObject(const void* key, std::shared_ptr<void> value,
                                            bool retained) {
    Slot slot;
    if (retained) {
        slot.strong = std::move(value);
    } else {
        slot.weak = value;
    }
    // Released after the lock, with whatever it holds.
    Slot previous;
    const MutexLock lock(mutex_);
    if (auto found = slots_.find(key); found != slots_.end()) {
        previous = std::move(found->second);
        slots_.erase(found);
    }
    if (slot.strong || !slot.weak.expired())
        slots_.emplace(key, std::move(slot));
}

std::shared_ptr<void> AssociatedObjects::associatedObject(const void* key) const {
    const MutexLock lock(mutex_);
    const auto found = slots_.find(key);
    if (found == slots_.end())
        return nullptr;
    return found->second.strong ? found->second.strong : found->second.weak.lock();
}

}  // namespace zoral::platform
