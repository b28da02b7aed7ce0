// The platform's workspace calls, answered from the simulated world's processes.

#include "sim/workspace.h"

#include <functional>
#include <string>
#include <utility>

#include "platform/dispatch.h"
#include "platform/process_state.h"
#include "sim/timing.h"

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

bool Workspace::isHidden(platform::ProcessId pid) const {
    auto found = infos_.find(pid);
    return found != infos_.end() && found->second.hidden;
}

std::vector<WorkspaceRequest> Workspace::requests() const {
    return Journal::of(world_).recordsOf<WorkspaceRequest>();
}

void Workspace::record(WorkspaceRequest request) {
    Journal::of(world_).record(request);
}

std::optional<platform::ProcessId> Workspace::frontmost(World& world) const {
    for (platform::ProcessId pid : world.processIds()) {
        const auto found = infos_.find(pid);
        if (found == infos_.end() ||
            (found->second.activationPolicy == platform::ActivationPolicy::regular &&
             !found->second.hidden)) {
            return pid;
        }
    }
    return std::nullopt;
}

std::optional<std::string> Workspace::bundleIdentifierAt(std::string_view url) const {
    if (auto found = bundles_.find(url); found != bundles_.end())
        return found->second;
    return std::nullopt;
}

std::optional<platform::ProcessId> Workspace::processWithBundleURL(World& world,
                                                                   std::string_view url) const {
    for (platform::ProcessId pid : world.processIds()) {
        if (infoOf(pid).bundleURL == url)
            return pid;
    }
    return std::nullopt;
}

void Workspace::activateNow(World& world, platform::ProcessId pid, bool allWindows) {
    if (world.process(pid) == nullptr)
        return;
    setHidden(world, pid, false);
    const auto before = frontmost(world);
    world.bringToFront(pid, allWindows);
    if (before != frontmost(world)) {
        world.postNotification(*world.process(pid)->application,
                               ax::notification::applicationActivated);
    }
}

void Workspace::setHidden(World& world, platform::ProcessId pid, bool hidden) {
    Process* process = world.process(pid);
    if (process == nullptr || info(pid).hidden == hidden)
        return;
    info(pid).hidden = hidden;
    world.postNotification(*process->application, hidden ? ax::notification::applicationHidden
                                                         : ax::notification::applicationShown);
}

void Workspace::requestHidden(World& world, platform::ProcessId pid, bool hidden) {
    platform::DispatchQueue::main().asyncAfter(
        platform::DispatchTime::now() + world.component<Timing>().hide,
        [weakWorld = world.weak(), pid, hidden] {
            if (const auto owner = weakWorld.lock())
                workspace(*owner).setHidden(*owner, pid, hidden);
        });
}

void Workspace::announceTermination(World& world, const Process& process) const {
    platform::DispatchQueue::main().async(
        [weakWorld = world.weak(), application = record(world, process)] {
            if (weakWorld.expired())
                return;
            platform::workspaceNotificationCenter().post(
                std::string(platform::workspaceDidTerminateApplicationNotification), nullptr,
                {{std::string(platform::workspaceApplicationKey), application}});
        });
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

namespace {

struct WorkspaceCenter {
    NotificationCenter center;
};

}  // namespace

NotificationCenter& workspaceNotificationCenter() {
    return processPart<WorkspaceCenter>().center;
}

ProcessId currentProcessIdentifier() {
    return World::current().programProcess().pid;
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

namespace {

// Records the request and, when the process is there, runs its effect after the delay.
bool request(sim::WorkspaceRequest::Kind kind, const RunningApplication& application,
             ApplicationActivationOptions options, double delay,
             std::function<void(World&, sim::Workspace&, ProcessId)> effect) {
    World& world = World::current();
    const ProcessId pid = application.processIdentifier;
    sim::workspace(world).record({kind, pid, options, DispatchTime::now().uptimeSeconds()});
    if (world.process(pid) == nullptr)
        return false;
    // The effect belongs to this world: it does nothing once the world is gone.
    DispatchQueue::main().asyncAfter(DispatchTime::now() + delay,
                                     [weakWorld = world.weak(), pid, effect = std::move(effect)] {
                                         const auto owner = weakWorld.lock();
                                         if (owner && owner->process(pid) != nullptr)
                                             effect(*owner, sim::workspace(*owner), pid);
                                     });
    return true;
}

}  // namespace

std::optional<std::string> bundleIdentifierOfBundleAt(std::string_view fileURL) {
    World& world = World::current();
    sim::Workspace& workspace = sim::workspace(world);
    if (auto identifier = workspace.bundleIdentifierAt(fileURL))
        return identifier;
    // A running application's bundle is on disk too.
    if (auto pid = workspace.processWithBundleURL(world, fileURL)) {
        const sim::Process* process = world.process(*pid);
        if (process != nullptr && !process->bundleIdentifier.empty())
            return process->bundleIdentifier;
    }
    return std::nullopt;
}

bool activate(const RunningApplication& application, ApplicationActivationOptions options) {
    const double delay = World::current().component<sim::Timing>().activation;
    return request(sim::WorkspaceRequest::Kind::activate, application, options, delay,
                   [](World& world, sim::Workspace& workspace, ProcessId pid) {
                       workspace.activateNow(world, pid);
                   });
}

bool hide(const RunningApplication& application) {
    const double delay = World::current().component<sim::Timing>().hide;
    return request(sim::WorkspaceRequest::Kind::hide, application, {}, delay,
                   [](World& world, sim::Workspace& workspace, ProcessId pid) {
                       workspace.setHidden(world, pid, true);
                   });
}

bool unhide(const RunningApplication& application) {
    const double delay = World::current().component<sim::Timing>().hide;
    return request(sim::WorkspaceRequest::Kind::unhide, application, {}, delay,
                   [](World& world, sim::Workspace& workspace, ProcessId pid) {
                       workspace.setHidden(world, pid, false);
                   });
}

bool terminate(const RunningApplication& application) {
    const double delay = World::current().component<sim::Timing>().termination;
    return request(sim::WorkspaceRequest::Kind::terminate, application, {}, delay,
                   [](World& world, sim::Workspace& workspace, ProcessId pid) {
                       if (!workspace.infoOf(pid).refusesTermination)
                           world.removeProcess(pid);
                   });
}

bool isTerminated(const RunningApplication& application) {
    return World::current().process(application.processIdentifier) == nullptr;
}

}  // namespace zoral::platform
