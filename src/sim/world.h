#pragma once

// The simulated desktop: its processes and their accessibility trees, the
// system-wide element, the Accessibility permission and the observers. It
// answers the platform's accessibility calls (sim/accessibility.cpp), charging
// every round trip virtual time and counting it, so that tests can pin what an
// operation costs.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <typeindex>
#include <unordered_map>
#include <vector>

#include "sim/node.h"

namespace zoral::sim {

class SimObserver;

// The kinds of accessibility round trip that are counted.
enum class RoundTrip {
    copyAttributeValue,
    copyAttributeNames,
    isAttributeSettable,
    setAttributeValue,
    copyActionNames,
    performAction,
    copyElementAtPosition,
};

const char* roundTripName(RoundTrip kind);

struct Process {
    platform::ProcessId pid = 0;
    std::string bundleIdentifier;
    std::string name;
    // Answers every call only after the messaging time-out, with CannotComplete.
    bool hung = false;
    // Virtual seconds that each round trip to this process takes; none: the world's.
    std::optional<double> latency;
    // Drawn above every application's windows (the Dock, the menu bar): hit
    // tests search these processes first.
    bool aboveWindows = false;
    std::shared_ptr<Node> application;
};

class World {
public:
    // The system's default messaging time-out, in seconds.
    static constexpr double defaultMessagingTimeout = 6.0;
    // The process that serves the system-wide element.
    static constexpr platform::ProcessId systemWidePid = 0;

    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The world the platform calls reach: the one a ScopedWorld installed, or an
    // empty world that lives as long as the process.
    static World& current();

    // --- Processes and elements
    // Adds a running process with its application element ("AXApplication").
    Process& addProcess(platform::ProcessId pid, std::string bundleIdentifier, std::string name);
    // Removes the process; its elements become invalid.
    void removeProcess(platform::ProcessId pid);
    Process* process(platform::ProcessId pid);
    std::vector<platform::ProcessId> processIds() const;
    // Front-most first: the order in which hit tests search applications.
    void bringToFront(platform::ProcessId pid);
    void bringToBack(platform::ProcessId pid);

    // Makes a node of the process and registers it so that its element resolves;
    // the caller places it in the tree.
    template <class NodeType = Node, class... Args>
    std::shared_ptr<NodeType> makeNode(platform::ProcessId pid, Args&&... args) {
        auto node = std::make_shared<NodeType>(pid, std::forward<Args>(args)...);
        registerNode(node);
        return node;
    }
    void registerNode(const std::shared_ptr<Node>& node);
    // The live node behind an element, or null when it is gone.
    std::shared_ptr<Node> resolve(ax::Element element) const;
    std::shared_ptr<Node> systemWide() const { return systemWide_; }

    // --- Costs, faults and the permission
    void setLatency(double seconds) { latency_ = seconds; }
    double latency() const { return latency_; }
    // Every call on the element that names the attribute (or action) fails with the code.
    void injectError(ax::Element element, std::string attribute, ax::Error code);
    void clearInjectedErrors();

    struct CountKey {
        RoundTrip kind;
        std::string attribute;
        platform::ProcessId pid;
        friend auto operator<=>(const CountKey&, const CountKey&) = default;
    };
    // Round trips since the last reset, by kind, attribute (or action) and process.
    const std::map<CountKey, std::int64_t>& roundTrips() const { return roundTrips_; }
    std::int64_t roundTripCount() const;
    std::int64_t roundTripCount(RoundTrip kind) const;
    void resetRoundTrips() { roundTrips_.clear(); }

    bool isTrusted() const { return trusted_; }
    // Changing the permission announces it with the distributed notification
    // "com.apple.accessibility.api", as the system does.
    void setTrusted(bool trusted);
    int trustPrompts() const { return trustPrompts_; }
    void recordTrustPrompt() { ++trustPrompts_; }

    // --- Notifications
    // Tells every observer of the node's process that registered the
    // notification on the node or on one of its ancestors.
    void postNotification(const Node& node, std::string_view notification, ax::Info info = {});
    void addObserver(const std::shared_ptr<SimObserver>& observer);

    // --- Parts of the world kept by other modules (displays, input devices, ...):
    // one instance of each type, made on first use and destroyed with the world,
    // so that a module adds its state without the world knowing its type.
    template <class Component>
    Component& component() {
        const std::type_index type(typeid(Component));
        auto found = components_.find(type);
        if (found == components_.end()) {
            found = components_.emplace(type, std::make_shared<Component>()).first;
        }
        return *std::static_pointer_cast<Component>(found->second);
    }

    // --- Used by the accessibility calls
    // Charges the round trip and answers whether the process is responsive; a
    // hung process costs the element's messaging time-out and fails.
    ax::Error beginRoundTrip(RoundTrip kind, ax::Element element, std::string_view attribute);
    void setMessagingTimeout(ax::Element element, double seconds);
    double messagingTimeout(ax::Element element) const;
    std::shared_ptr<Node> hitTest(platform::CGPoint point,
                                  std::optional<platform::ProcessId> pid) const;

private:
    double latencyOf(platform::ProcessId pid) const;

    std::shared_ptr<Node> systemWide_;
    std::map<platform::ProcessId, Process> processes_;
    std::vector<platform::ProcessId> zOrder_;
    std::unordered_map<ax::Element, std::weak_ptr<Node>> nodes_;
    std::map<std::pair<std::uint64_t, std::string>, ax::Error, std::less<>> injected_;
    std::unordered_map<ax::Element, double> timeouts_;
    std::map<CountKey, std::int64_t> roundTrips_;
    std::vector<std::weak_ptr<SimObserver>> observers_;
    std::map<std::type_index, std::shared_ptr<void>> components_;
    double latency_ = 0;
    bool trusted_ = true;
    int trustPrompts_ = 0;
};

// Installs a fresh world for the life of this object.
class ScopedWorld {
public:
    ScopedWorld();
    ~ScopedWorld();
    ScopedWorld(const ScopedWorld&) = delete;
    ScopedWorld& operator=(const ScopedWorld&) = delete;

    World& operator*() const { return *world_; }
    World* operator->() const { return world_.get(); }

private:
    std::unique_ptr<World> world_;
    World* previous_;
};

}  // namespace zoral::sim
