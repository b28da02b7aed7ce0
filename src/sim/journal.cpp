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
    entries_.push_back(std::move(entry));
}

std::vector<JournalEntry> Journal::entries() const {
    const platform::MutexLock lock(mutex_);
    return entries_;
}

void Journal::clear() {
    const platform::MutexLock lock(mutex_);
    entries_.clear();
}

}  // namespace zoral::sim
