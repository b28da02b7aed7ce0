// The platform's workspace calls, answered from the simulated world's processes.

#include "sim/workspace.h"

#include <utility>

namespace zoral::sim {

namespace {
std::optional<std::string> nonEmpty(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional(text);
}
}  // namespace

ApplicationInfo Workspace::infoOf(platform::ProcessId pid) const {
    auto found = infos_.find(pid);
    return found == infos_.end() ? ApplicationInfo{} : found->second;
}

std::optional<platform::ProcessId> Workspace::frontmost(World& world) const {
    for (platform::ProcessId pid : world.processIds()) {
        const ApplicationInfo info = infoOf(pid);
        if (info.activationPolicy == platform::ActivationPolicy::regular && !info.hidden)
            return pid;
    }
    return std::nullopt;
}

platform::RunningApplication Workspace::record(World& world, const Process& process) const {
    const ApplicationInfo info = infoOf(process.pid);
    return platform::RunningApplication{
        .processIdentifier = process.pid,
        .bundleIdentifier = nonEmpty(process.bundleIdentifier),
        .bundleURL = info.bundleURL,
        .localizedName = nonEmpty(process.name),
        .activationPolicy = info.activationPolicy,
        .active = frontmost(world) == process.pid,
        .hidden = info.hidden,
    };
}

}  // namespace zoral::sim

namespace zoral::platform {

using sim::World;

std::optional<RunningApplication> runningApplicationWithProcessIdentifier(ProcessId pid) {
    World& world = World::current();
    const sim::Process* process = world.process(pid);
    if (process == nullptr)
        return std::nullopt;
    return sim::workspace(world).record(world, *process);
}

std::optional<RunningApplication> frontmostApplication() {
    World& world = World::current();
    const auto pid = sim::workspace(world).frontmost(world);
    return pid ? runningApplicationWithProcessIdentifier(*pid) : std::nullopt;
}

std::vector<RunningApplication> runningApplications() {
    World& world = World::current();
    std::vector<RunningApplication> records;
    for (ProcessId pid : world.processIds())
        records.push_back(sim::workspace(world).record(world, *world.process(pid)));
    return records;
}

std::vector<RunningApplication> runningApplicationsWithBundleIdentifier(
    std::string_view bundleIdentifier) {
    std::vector<RunningApplication> records = runningApplications();
    std::erase_if(records, [&](const RunningApplication& record) {
        return record.bundleIdentifier != bundleIdentifier;
    });
    return records;
}

bool isTerminated(const RunningApplication& application) {
    return World::current().process(application.processIdentifier) == nullptr;
}

}  // namespace zoral::platform
