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
#include "sim/journal.h"

namespace zoral::sim {

class World;

class EnhancedInterface {
public:
    explicit EnhancedInterface(World& world) : world_(world) {}

    static constexpr std::string_view attribute = platform::ax::attribute::enhancedUserInterface;

    // None: the application does not report the attribute (it can still be written).
    std::optional<bool> value(platform::ProcessId pid) const;
    // Sets the state as the application starts with it; not recorded.
    void setValue(platform::ProcessId pid, std::optional<bool> value);
    // A write through the accessibility interface: stored and recorded.
    void write(platform::ProcessId pid, bool value);

    // The writes, from the world's journal.
    std::vector<EnhancedInterfaceWrite> writes() const;
    void clearWrites();

private:
    World& world_;
    std::map<platform::ProcessId, bool> values_;
};

}  // namespace zoral::sim
