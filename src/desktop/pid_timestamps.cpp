#include "desktop/pid_timestamps.h"

namespace zoral::desktop {

PidTimestamps& PidTimestamps::shared() {
    static PidTimestamps timestamps;
    return timestamps;
}

void PidTimestamps::record(platform::ProcessId pid, std::int64_t windowId,
                           double secondsSince1970) {
    entries_[pid][windowId] = secondsSince1970;
}

const PidTimestamps::Stamps* PidTimestamps::stamps(platform::ProcessId pid) const {
    const auto found = entries_.find(pid);
    return found == entries_.end() ? nullptr : &found->second;
}

std::optional<std::int64_t> PidTimestamps::latest(platform::ProcessId pid) const {
    const Stamps* entry = stamps(pid);
    if (entry == nullptr || entry->empty())
        return std::nullopt;
    // Equal times: the later identity in the entry's order, as a stable ascending sort leaves it.
    auto best = entry->begin();
    for (auto it = entry->begin(); it != entry->end(); ++it) {
        if (it->second >= best->second)
            best = it;
    }
    return best->first;
}

void PidTimestamps::remove(platform::ProcessId pid, std::int64_t windowId) {
    const auto found = entries_.find(pid);
    if (found != entries_.end())
        found->second.erase(windowId);
}

}  // namespace zoral::desktop
