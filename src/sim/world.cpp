#include "sim/world.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/bundle.h"
#include "platform/dispatch.h"
#include "platform/notification_center.h"
#include "platform/process_state.h"
#include "platform/scheduler.h"
#include "sim/application_node.h"
#include "sim/journal.h"
#include "sim/observer.h"
#include "sim/system_wide_node.h"
#include "sim/workspace.h"

namespace zoral::sim {

namespace {
std::atomic<World*> installedWorld{nullptr};

// The world of code that installed none.
struct UninstalledWorld {
    std::shared_ptr<World> world = World::make();
};
}  // namespace

const char* roundTripName(RoundTrip kind) {
    switch (kind) {
        case RoundTrip::copyAttributeValue:
            return "copyAttributeValue";
        case RoundTrip::copyAttributeNames:
            return "copyAttributeNames";
        case RoundTrip::isAttributeSettable:
            return "isAttributeSettable";
        case RoundTrip::setAttributeValue:
            return "setAttributeValue";
        case RoundTrip::copyActionNames:
            return "copyActionNames";
        case RoundTrip::performAction:
            return "performAction";
        case RoundTrip::copyElementAtPosition:
            return "copyElementAtPosition";
        case RoundTrip::getWindow:
            return "getWindow";
        case RoundTrip::notificationDelivery:
            return "notificationDelivery";
    }
    return "unknown";
}

std::shared_ptr<World> World::make() {
    // The constructor is private, so that every world is shared and its nodes can know it.
    std::shared_ptr<World> world(new World());
    world->systemWide_ = world->makeNode<SystemWideNode>(systemWidePid);
    return world;
}

World::~World() = default;

World& World::current() {
    World* world = installedWorld.load();
    if (world == nullptr)
        world = platform::processPart<UninstalledWorld>().world.get();
    world->enter();
    return *world;
}

void World::enter() const {
    if (std::this_thread::get_id() != owner_) {
        std::fputs("World: entered from a thread other than the one that made it\n", stderr);
        std::abort();
    }
}

Process& World::addProcess(platform::ProcessId pid, std::string bundleIdentifier,
                           std::string name) {
    if (processes_.contains(pid))
        removeProcess(pid);
    auto application = makeNode<ApplicationNode>(pid);
    application->set(ax::attribute::title, name);
    Process& process = processes_[pid];
    process = Process{.pid = pid,
                      .bundleIdentifier = std::move(bundleIdentifier),
                      .name = std::move(name),
                      .hung = false,
                      .latency = std::nullopt,
                      .windowOptions = {},
                      .application = std::move(application)};
    zOrder_.push_front(pid);
    places_[pid] = {zOrder_.begin(), --frontmost_};
    return process;
}

void World::removeProcess(platform::ProcessId pid) {
    auto found = processes_.find(pid);
    if (found == processes_.end())
        return;
    // Its windows post nothing as they go; the workspace announces the end of the process.
    workspace(*this).announceTermination(*this, found->second);
    // Its elements stay dead even if a process with the same identifier starts later.
    found->second.application->markSubtreeDestroyed();
    WindowServer::of(*this).detachProcess(pid);
    processes_.erase(found);
    if (const auto place = places_.find(pid); place != places_.end()) {
        zOrder_.erase(place->second.at);
        places_.erase(place);
    }
}

Process* World::process(platform::ProcessId pid) {
    auto found = processes_.find(pid);
    return found == processes_.end() ? nullptr : &found->second;
}

const Process* World::process(platform::ProcessId pid) const {
    auto found = processes_.find(pid);
    return found == processes_.end() ? nullptr : &found->second;
}

std::vector<platform::ProcessId> World::processIds() const {
    return {zOrder_.begin(), zOrder_.end()};
}

std::int64_t World::frontness(platform::ProcessId pid) const {
    const auto place = places_.find(pid);
    return place != places_.end() ? place->second.frontness
                                  : std::numeric_limits<std::int64_t>::max();
}

void World::bringToFront(platform::ProcessId pid, bool withWindows) {
    const auto place = places_.find(pid);
    if (place == places_.end())
        return;
    zOrder_.splice(zOrder_.begin(), zOrder_, place->second.at);
    place->second.frontness = --frontmost_;
    WindowServer& server = WindowServer::of(*this);
    if (withWindows) {
        server.orderProcessFront(pid);
    } else {
        server.processMoved(pid);
    }
}

void World::bringToBack(platform::ProcessId pid) {
    const auto place = places_.find(pid);
    if (place == places_.end())
        return;
    zOrder_.splice(zOrder_.end(), zOrder_, place->second.at);
    place->second.frontness = ++backmost_;
    WindowServer::of(*this).orderProcessBack(pid);
}

Process& World::programProcess() {
    if (Process* existing = process(programPid_))
        return *existing;
    Process& program =
        addProcess(programPid_, std::string(platform::Bundle::main().bundleIdentifier()),
                   std::string(platform::Bundle::main().name()));
    // A menu-bar program: never the active application, behind every other one.
    workspace(*this).info(programPid_).activationPolicy = platform::ActivationPolicy::accessory;
    bringToBack(programPid_);
    return program;
}

void World::registerNode(const std::shared_ptr<Node>& node) {
    node->world_ = weak_from_this();
    nodes_[node->element()] = Registration{node, node->pid()};
}

std::shared_ptr<Node> World::resolve(ax::Element element) const {
    auto found = nodes_.find(element);
    if (found == nodes_.end())
        return nullptr;
    auto node = found->second.node.lock();
    if (node && node->isDestroyed())
        return nullptr;
    // A node of a process that has gone is gone too, even while someone holds it.
    if (node && node->pid() != systemWidePid && !processes_.contains(node->pid()))
        return nullptr;
    return node;
}

std::optional<platform::ProcessId> World::pidOf(ax::Element element) const {
    auto found = nodes_.find(element);
    if (found == nodes_.end())
        return std::nullopt;
    return found->second.pid;
}

ax::Element World::applicationElement(platform::ProcessId pid) {
    if (const Process* running = process(pid))
        return running->application->element();
    auto& stray = strayApplications_[pid];
    if (!stray) {
        stray = makeNode<ApplicationNode>(pid);
        stray->markDestroyed();
    }
    return stray->element();
}

void World::injectError(ax::Element element, std::string attribute, ax::Error code) {
    injected_[{element.identifier(), std::move(attribute)}] = code;
}

void World::clearInjectedErrors() {
    injected_.clear();
}

std::int64_t World::roundTripCount() const {
    std::int64_t total = 0;
    for (const auto& [key, count] : roundTrips_)
        total += count;
    return total;
}

std::int64_t World::roundTripCount(RoundTrip kind) const {
    std::int64_t total = 0;
    for (const auto& [key, count] : roundTrips_) {
        if (key.kind == kind)
            total += count;
    }
    return total;
}

void World::setTrusted(bool trusted) {
    if (trusted_ == trusted)
        return;
    trusted_ = trusted;
    platform::DistributedNotificationCenter::defaultCenter().post("com.apple.accessibility.api");
}

int World::trustPrompts() {
    return static_cast<int>(Journal::of(*this).countOf<PermissionPrompt>());
}

void World::recordTrustPrompt() {
    Journal::of(*this).record(PermissionPrompt{platform::uptimeSeconds()});
}

void World::postNotification(const Node& node, std::string_view notification, ax::Info info) {
    // The application posts it when its run loop next turns, after the change and after its
    // answer to the call that made it, and the observers registered by then hear of it: a program
    // that writes a frame and then starts observing the window still hears of the write. The
    // element's place in the tree is the one it had at the change.
    std::vector<ax::Element> lineage{node.element()};
    for (auto parent = node.parent(); parent; parent = parent->parent())
        lineage.push_back(parent->element());
    const platform::ProcessId pid = node.pid();
    const double delay = latencyOf(pid, RoundTrip::notificationDelivery, notification);
    platform::DispatchQueue::main().asyncAfter(
        platform::DispatchTime::now() + delay,
        [weak = weak_from_this(), pid, lineage = std::move(lineage),
         name = std::string(notification), info = std::move(info)] {
            const auto world = weak.lock();
            if (!world)
                return;
            std::erase_if(world->observers_,
                          [](const auto& observer) { return observer.expired(); });
            // A copy: a delivery may add observers.
            const auto observers = world->observers_;
            for (const auto& entry : observers) {
                const auto observer = entry.lock();
                if (observer && observer->pid() == pid)
                    observer->offer(lineage, name, info);
            }
        });
}

void World::addObserver(const std::shared_ptr<SimObserver>& observer) {
    observers_.push_back(observer);
}

double World::latencyOf(platform::ProcessId pid, RoundTrip kind, std::string_view name) const {
    double seconds = latency_;
    int best = 0;
    if (const Process* owner = process(pid); owner != nullptr && owner->latency) {
        seconds = *owner->latency;
        best = 1;
    }
    for (const LatencyRule& rule : latencyRules_) {
        if ((rule.pid && *rule.pid != pid) || (rule.kind && *rule.kind != kind) ||
            (rule.name && *rule.name != name)) {
            continue;
        }
        const int given = (rule.pid ? 1 : 0) + (rule.kind ? 1 : 0) + (rule.name ? 1 : 0);
        if (given >= best) {
            best = given;
            seconds = rule.seconds;
        }
    }
    return seconds;
}

ax::Error World::beginRoundTrip(RoundTrip kind, ax::Element element, std::string_view attribute) {
    enter();
    const std::shared_ptr<Node> node = resolve(element);
    const platform::ProcessId pid = node ? node->pid() : -1;
    roundTrips_[CountKey{kind, std::string(attribute), pid}] += 1;
    // Without the Accessibility permission the system answers no call of the program.
    if (!trusted_)
        return ax::apiDisabled;
    if (!node)
        return ax::invalidUIElement;
    const double timeout = messagingTimeout(element);
    if (const Process* owner = process(pid); owner != nullptr && owner->hung) {
        platform::sleepFor(timeout);
        return ax::cannotComplete;
    }
    // The caller stops waiting at its time-out, whether or not an answer would come later.
    const double latency = latencyOf(pid, kind, attribute);
    if (latency > timeout) {
        platform::sleepFor(timeout);
        return ax::cannotComplete;
    }
    platform::sleepFor(latency);
    // Other queues ran meanwhile: the element may be gone by the time the call arrives.
    if (!resolve(element))
        return ax::invalidUIElement;
    auto injected = injected_.find(std::pair{element.identifier(), std::string(attribute)});
    return injected == injected_.end() ? ax::success : injected->second;
}

void World::setMessagingTimeout(ax::Element element, double seconds) {
    if (seconds <= 0) {
        timeouts_.erase(element);
    } else {
        timeouts_[element] = seconds;
    }
}

double World::messagingTimeout(ax::Element element) const {
    if (auto own = timeouts_.find(element); own != timeouts_.end())
        return own->second;
    // The system-wide element's time-out is the default of every element.
    if (auto global = timeouts_.find(systemWide_->element()); global != timeouts_.end()) {
        return global->second;
    }
    return defaultMessagingTimeout;
}

bool World::isApplicationOfLiveProcess(const Node& node) const {
    const Process* owner = process(node.pid());
    return owner != nullptr && owner->application.get() == &node;
}

void World::childAttached(const Node& parent, const std::shared_ptr<Node>& child) {
    if (isApplicationOfLiveProcess(parent))
        WindowServer::of(*this).attach(*this, child);
}

void World::childDetached(const Node& parent, const Node& child) {
    if (isApplicationOfLiveProcess(parent))
        WindowServer::of(*this).detach(child);
}

ScopedWorld::ScopedWorld()
    : world_(World::make()), previous_(installedWorld.exchange(world_.get())) {}

ScopedWorld::~ScopedWorld() {
    installedWorld.store(previous_);
    world_.reset();
}

}  // namespace zoral::sim
