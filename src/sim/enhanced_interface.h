#pragma once

// The enhanced accessibility interface of the simulated applications ("AXEnhancedUserInterface"
// on their application elements): each process's value and every write the program made, so that
// tests can see that the interface is switched off around frame changes and restored after.
// A world component (World::component<EnhancedInterface>()).

#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/accessibility.h"
#include "platform/ax_names.h"

namespace zoral::sim {

struct EnhancedInterfaceWrite {
    platform::ProcessId pid = 0;
    bool value = false;
    // Virtual seconds since the clock's start.
    double time = 0;

    friend bool operator==(const EnhancedInterfaceWrite&, const EnhancedInterfaceWrite&) = default;
};

class EnhancedInterface {
public:
    static constexpr std::string_view attribute = platform::ax::attribute::enhancedUserInterface;

    // None: the application does not report the attribute (it can still be written).
    std::optional<bool> value(platform::ProcessId pid) const;
    // Sets the state as the application starts with it; not recorded.
    void setValue(platform::ProcessId pid, std::optional<bool> value);
    // A write through the accessibility interface: stored and recorded.
    void write(platform::ProcessId pid, bool value);

    const std::vector<EnhancedInterfaceWrite>& writes() const { return writes_; }
    void clearWrites() { writes_.clear(); }

private:
    std::map<platform::ProcessId, bool> values_;
    std::vector<EnhancedInterfaceWrite> writes_;
};

}  // namespace zoral::sim
