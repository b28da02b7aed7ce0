#pragma once

// What the simulated workspace knows of each process beyond the world's process record: its
// bundle's location, its activation policy and whether it is hidden. The active application is
// the front-most process that is a regular application and not hidden.

#include <map>
#include <optional>
#include <string>

#include "platform/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

struct ApplicationInfo {
    std::optional<std::string> bundleURL;
    platform::ActivationPolicy activationPolicy = platform::ActivationPolicy::regular;
    bool hidden = false;
};

// A component of the world (World::component<Workspace>()).
class Workspace {
public:
    // The process's information, made with the defaults on first use.
    ApplicationInfo& info(platform::ProcessId pid) { return infos_[pid]; }
    ApplicationInfo infoOf(platform::ProcessId pid) const;

    std::optional<platform::ProcessId> frontmost(World& world) const;
    platform::RunningApplication record(World& world, const Process& process) const;

private:
    std::map<platform::ProcessId, ApplicationInfo> infos_;
};

inline Workspace& workspace(World& world) {
    return world.component<Workspace>();
}

}  // namespace zoral::sim
