#include "sim/enhanced_interface.h"

#include "platform/dispatch_time.h"
#include "sim/world.h"

namespace zoral::sim {

std::optional<bool> EnhancedInterface::value(platform::ProcessId pid) const {
    const auto found = values_.find(pid);
    return found == values_.end() ? std::nullopt : std::optional<bool>(found->second);
}

void EnhancedInterface::setValue(platform::ProcessId pid, std::optional<bool> value) {
    if (value)
        values_[pid] = *value;
    else
        values_.erase(pid);
}

void EnhancedInterface::write(platform::ProcessId pid, bool value) {
    values_[pid] = value;
    Journal::of(world_).record(
        EnhancedInterfaceWrite{pid, value, platform::DispatchTime::now().uptimeSeconds()});
}

std::vector<EnhancedInterfaceWrite> EnhancedInterface::writes() const {
    return Journal::of(world_).recordsOf<EnhancedInterfaceWrite>();
}

void EnhancedInterface::clearWrites() {
    Journal::of(world_).clear<EnhancedInterfaceWrite>();
}

}  // namespace zoral::sim
