#include "desktop/pid_timestamps.h"

#include "platform/process_state.h"

namespace zoral::desktop {

PidTimestamps& PidTimestamps::shared() {
    return platform::processPart<PidTimestamps>();
}

void PidTimestamps::record(platform::ProcessId pid, std::int64_t windowId,
                           double secondsSince1970) {
    const platform::MutexLock lock(mutex_);
    entries_[pid][windowId] = secondsSince1970;
}

std::optional<PidTimestamps::Stamps> PidTimestamps::stamps(platform::ProcessId pid) const {
    const platform::MutexLock lock(mutex_);
    const auto found = entries_.find(pid);
    return found == entries_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::int64_t> PidTimestamps::latest(platform::ProcessId pid) const {
    const platform::MutexLock lock(mutex_);
    const auto found = entries_.find(pid);
    if (found == entries_.end() || found->second.empty())
        return std::nullopt;
    const Stamps& entry = found->second;
    // Equal times: the later identity in the entry's order, as a stable ascending sort leaves it.
    auto best = entry.begin();
    for (auto it = entry.begin(); it != entry.end(); ++it) {
        if (it->second >= best->second)
            best = it;
    }
    return best->first;
}

void PidTimestamps::remove(platform::ProcessId pid, std::int64_t windowId) {
    const platform::MutexLock lock(mutex_);
    const auto found = entries_.find(pid);
    if (found != entries_.end())
        found->second.erase(windowId);
}

void PidTimestamps::removeAll() {
    const platform::MutexLock lock(mutex_);
    entries_.clear();
}

std::size_t PidTimestamps::windowCount() const {
    const platform::MutexLock lock(mutex_);
    std::size_t count = 0;
    for (const auto& [pid, stamps] : entries_)
        count += stamps.size();
    return count;
}

}  // namespace zoral::desktop
