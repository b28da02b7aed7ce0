#include "sim/journal.h"

#include "sim/world.h"

namespace zoral::sim {

double timeOf(const JournalEntry& entry) {
    return std::visit([](const auto& record) { return record.time; }, entry);
}

Journal& Journal::of(World& world) {
    return world.component<Journal>();
}

void Journal::record(JournalEntry entry) {
    const platform::MutexLock lock(mutex_);
    counts_[entry.index()] += 1;
    entries_.push_back(std::move(entry));
    if (entries_.size() > keptEntries)
        entries_.pop_front();
}

std::vector<JournalEntry> Journal::entries() const {
    const platform::MutexLock lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

std::int64_t Journal::recordedCount() const {
    const platform::MutexLock lock(mutex_);
    std::int64_t total = 0;
    for (const std::int64_t count : counts_)
        total += count;
    return total;
}

void Journal::clear() {
    const platform::MutexLock lock(mutex_);
    entries_.clear();
    counts_.fill(0);
}

}  // namespace zoral::sim
