#include "platform/process_state.h"

#include <algorithm>
#include <atomic>

namespace zoral::platform {

namespace {

// The one static of the program that changes: which state is the process's.
std::atomic<ProcessState*> installedState{nullptr};

}  // namespace

ProcessState::ProcessState() : previous_(installedState.exchange(this)), installed_(true) {}

ProcessState::ProcessState(Uninstalled) {}

ProcessState::~ProcessState() {
    reset();
    if (installed_)
        installedState.store(previous_);
}

ProcessState& ProcessState::current() {
    if (ProcessState* state = installedState.load(std::memory_order_acquire))
        return *state;
    // Never destroyed: code that runs while the process exits still finds its parts.
    static ProcessState* const unowned = new ProcessState(Uninstalled{});
    return *unowned;
}

void* ProcessState::find(Key key) const {
    const MutexLock lock(mutex_);
    const auto found = parts_.find(key);
    return found == parts_.end() ? nullptr : found->second.get();
}

void* ProcessState::make(Key key, Maker maker) {
    const std::lock_guard making(making_);
    // Another thread may have made it while this one waited.
    if (void* found = find(key))
        return found;
    Holder part = maker();
    void* made = part.get();
    const MutexLock lock(mutex_);
    parts_.emplace(key, std::move(part));
    finished_.push_back(key);
    return made;
}

void ProcessState::reset() {
    for (;;) {
        Key key = nullptr;
        void* part = nullptr;
        void (*destroyer)(void*) = nullptr;
        {
            const MutexLock lock(mutex_);
            if (finished_.empty())
                return;
            key = finished_.back();
            const Holder& holder = parts_.at(key);
            part = holder.get();
            destroyer = holder.get_deleter();
        }
        // Outside the lock, and still found while it goes, so that its destructor may use it and
        // the other parts.
        destroyer(part);
        const MutexLock lock(mutex_);
        (void)parts_.at(key).release();
        parts_.erase(key);
        // Parts made while it went were finished after it.
        finished_.erase(std::find(finished_.begin(), finished_.end(), key));
    }
}

std::size_t ProcessState::partCount() const {
    const MutexLock lock(mutex_);
    return parts_.size();
}

}  // namespace zoral::platform
