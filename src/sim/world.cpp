#include "sim/world.h"

#include <algorithm>
#include <atomic>

#include "platform/notification_center.h"
#include "platform/scheduler.h"
#include "sim/application_node.h"
#include "sim/observer.h"
#include "sim/system_wide_node.h"

namespace zoral::sim {

namespace {
std::atomic<World*> installedWorld{nullptr};
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
    }
    return "unknown";
}

World::World() {
    systemWide_ = makeNode<SystemWideNode>(systemWidePid);
}

World::~World() = default;

World& World::current() {
    if (World* world = installedWorld.load())
        return *world;
    static World* const processWorld = new World();
    return *processWorld;
}

Process& World::addProcess(platform::ProcessId pid, std::string bundleIdentifier,
                           std::string name) {
    auto application = makeNode<ApplicationNode>(pid);
    application->set(ax::attribute::title, name);
    Process& process = processes_[pid];
    process = Process{.pid = pid,
                      .bundleIdentifier = std::move(bundleIdentifier),
                      .name = std::move(name),
                      .hung = false,
                      .latency = std::nullopt,
                      .aboveWindows = false,
                      .application = std::move(application)};
    std::erase(zOrder_, pid);
    zOrder_.insert(zOrder_.begin(), pid);
    return process;
}

void World::removeProcess(platform::ProcessId pid) {
    processes_.erase(pid);
    std::erase(zOrder_, pid);
}

Process* World::process(platform::ProcessId pid) {
    auto found = processes_.find(pid);
    return found == processes_.end() ? nullptr : &found->second;
}

std::vector<platform::ProcessId> World::processIds() const {
    return zOrder_;
}

void World::bringToFront(platform::ProcessId pid) {
    if (std::find(zOrder_.begin(), zOrder_.end(), pid) == zOrder_.end())
        return;
    std::erase(zOrder_, pid);
    zOrder_.insert(zOrder_.begin(), pid);
}

void World::bringToBack(platform::ProcessId pid) {
    if (std::find(zOrder_.begin(), zOrder_.end(), pid) == zOrder_.end())
        return;
    std::erase(zOrder_, pid);
    zOrder_.push_back(pid);
}

void World::registerNode(const std::shared_ptr<Node>& node) {
    nodes_[node->element()] = node;
}

std::shared_ptr<Node> World::resolve(ax::Element element) const {
    auto found = nodes_.find(element);
    if (found == nodes_.end())
        return nullptr;
    auto node = found->second.lock();
    if (node && node->isDestroyed())
        return nullptr;
    // A node of a process that has gone is gone too, even while someone holds it.
    if (node && node->pid() != systemWidePid && !processes_.contains(node->pid()))
        return nullptr;
    return node;
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

void World::postNotification(const Node& node, std::string_view notification, ax::Info info) {
    const std::string name(notification);
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
    for (const auto& weak : observers_) {
        auto observer = weak.lock();
        if (observer && observer->pid() == node.pid())
            observer->offer(node, name, info);
    }
}

void World::addObserver(const std::shared_ptr<SimObserver>& observer) {
    observers_.push_back(observer);
}

double World::latencyOf(platform::ProcessId pid) const {
    auto found = processes_.find(pid);
    if (found != processes_.end() && found->second.latency)
        return *found->second.latency;
    return latency_;
}

ax::Error World::beginRoundTrip(RoundTrip kind, ax::Element element, std::string_view attribute) {
    const std::shared_ptr<Node> node = resolve(element);
    const platform::ProcessId pid = node ? node->pid() : -1;
    roundTrips_[CountKey{kind, std::string(attribute), pid}] += 1;
    if (!node)
        return ax::invalidUIElement;
    if (const Process* owner = process(pid); owner != nullptr && owner->hung) {
        platform::sleepFor(messagingTimeout(element));
        return ax::cannotComplete;
    }
    platform::sleepFor(latencyOf(pid));
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

std::shared_ptr<Node> World::hitTest(platform::CGPoint point,
                                     std::optional<platform::ProcessId> pid) const {
    // The deepest element under the point, searching applications front-most first.
    const auto deepest = [&](const auto& self,
                             const std::shared_ptr<Node>& node) -> std::shared_ptr<Node> {
        // Later children lie above earlier ones.
        for (auto child = node->children().rbegin(); child != node->children().rend(); ++child) {
            if (auto hit = self(self, *child))
                return hit;
        }
        const auto frame = node->frame();
        return frame && frame->containsPoint(point) ? node : nullptr;
    };
    std::vector<platform::ProcessId> order;
    for (bool above : {true, false}) {
        for (platform::ProcessId candidate : zOrder_) {
            if (processes_.at(candidate).aboveWindows == above)
                order.push_back(candidate);
        }
    }
    for (platform::ProcessId candidate : order) {
        if (pid && candidate != *pid)
            continue;
        const auto& application = processes_.at(candidate).application;
        for (auto child = application->children().rbegin(); child != application->children().rend();
             ++child) {
            if (auto hit = deepest(deepest, *child))
                return hit;
        }
    }
    return nullptr;
}

ScopedWorld::ScopedWorld()
    : world_(std::make_unique<World>()), previous_(installedWorld.exchange(world_.get())) {}

ScopedWorld::~ScopedWorld() {
    installedWorld.store(previous_);
    world_.reset();
}

}  // namespace zoral::sim
