#pragma once

// What the simulated workspace knows of each process beyond the world's process record: its
// bundle's location, its activation policy and whether it is hidden. The active application is
// the front-most process that is a regular application and not hidden.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workspace.h"
#include "sim/journal.h"
#include "sim/world.h"

namespace zoral::sim {

struct ApplicationInfo {
    std::optional<std::string> bundleURL;
    platform::ActivationPolicy activationPolicy = platform::ActivationPolicy::regular;
    bool hidden = false;
    // Answers a termination request by staying.
    bool refusesTermination = false;
};

// A component of the world (World::component<Workspace>()).
class Workspace {
public:
    explicit Workspace(World& world) : world_(world) {}

    // The process's information, made with the defaults on first use.
    ApplicationInfo& info(platform::ProcessId pid) { return infos_[pid]; }
    ApplicationInfo infoOf(platform::ProcessId pid) const;
    bool isHidden(platform::ProcessId pid) const;

    std::optional<platform::ProcessId> frontmost(World& world) const;

    // Brings the process in front (unhiding it), as an activation does once it has happened:
    // with all its windows, or (as a click on one of them does) with none but the clicked one.
    void activateNow(World& world, platform::ProcessId pid, bool allWindows = true);
    // Hides or shows the process at once: what a world starts with, or a test sets up.
    void setHidden(World& world, platform::ProcessId pid, bool hidden);
    // Hides or shows it as the system does, after the world's latency for it.
    void requestHidden(World& world, platform::ProcessId pid, bool hidden);

    // The workspace's announcement that the process has ended, on the main queue's next turn; the
    // world calls it as the process goes, whatever ended it.
    void announceTermination(World& world, const Process& process) const;

    // Bundles on disk, running or not: URL to bundle identifier.
    void installBundle(std::string url, std::string bundleIdentifier) {
        bundles_[std::move(url)] = std::move(bundleIdentifier);
    }
    std::optional<std::string> bundleIdentifierAt(std::string_view url) const;
    const std::map<std::string, std::string, std::less<>>& bundles() const { return bundles_; }
    std::optional<platform::ProcessId> processWithBundleURL(World& world,
                                                            std::string_view url) const;

    // The requests the program made, from the world's journal.
    std::vector<WorkspaceRequest> requests() const;
    void record(WorkspaceRequest request);
    platform::RunningApplication record(World& world, const Process& process) const;

private:
    World& world_;
    std::map<platform::ProcessId, ApplicationInfo> infos_;
    std::map<std::string, std::string, std::less<>> bundles_;
};

inline Workspace& workspace(World& world) {
    return world.component<Workspace>();
}

}  // namespace zoral::sim
