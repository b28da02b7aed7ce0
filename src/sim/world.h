#pragma once

// The simulated desktop: its processes and their accessibility trees, the
// system-wide element, the Accessibility permission and the observers. It
// answers the platform's accessibility calls (sim/accessibility.cpp), charging
// every round trip virtual time and counting it, so that tests can pin what an
// operation costs.
//
// A world is shared: what acts on it later (a delayed effect, a step of the
// user's hands) holds it weakly and does nothing once it is gone.
//
// A world belongs to the thread that made it: it is entered (current(), a
// component, a round trip) only there, as the scheduler's work runs there on
// fibers of that thread. Entry from another thread aborts with a message.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sim/node.h"
#include "sim/window_server.h"

namespace zoral::sim {

class SimObserver;

// The kinds of call that take time. Each kind but the last is a counted round trip of the
// accessibility interface; the last is the time a change takes to reach the observers of its
// process as a notification, which is never counted.
enum class RoundTrip {
    copyAttributeValue,
    copyAttributeNames,
    isAttributeSettable,
    setAttributeValue,
    copyActionNames,
    performAction,
    copyElementAtPosition,
    getWindow,
    notificationDelivery,
};

const char* roundTripName(RoundTrip kind);

struct Process {
    platform::ProcessId pid = 0;
    std::string bundleIdentifier;
    std::string name;
    // Answers every call only after the messaging time-out, with CannotComplete.
    bool hung = false;
    // The accessibility interface cannot tell which process the application's elements belong
    // to: asked for it, it fails.
    bool pidUnreadable = false;
    // Virtual seconds that each round trip to this process takes; none: the world's.
    std::optional<double> latency;
    // How the window server shows the process's top-level elements unless told otherwise (the
    // Dock's lie above every application's windows).
    WindowOptions windowOptions;
    std::shared_ptr<Node> application;
};

// One rule of the latency function: the seconds a call takes when it matches. A rule matches when
// each of its given fields equals the call's; the rule that gives the most fields wins, and among
// those the one added last.
struct LatencyRule {
    std::optional<platform::ProcessId> pid;
    std::optional<RoundTrip> kind;
    // The attribute, action or notification named by the call.
    std::optional<std::string> name;
    double seconds = 0;

    friend bool operator==(const LatencyRule&, const LatencyRule&) = default;
};

class World : public std::enable_shared_from_this<World> {
public:
    // The system's default messaging time-out, in seconds.
    static constexpr double defaultMessagingTimeout = 6.0;
    // The process that serves the system-wide element.
    static constexpr platform::ProcessId systemWidePid = 0;
    // The program's own process, unless a world says otherwise.
    static constexpr platform::ProcessId defaultProgramPid = 700;

    static std::shared_ptr<World> make();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The world the platform calls reach: the one a ScopedWorld installed, or an
    // empty world that lives as long as the process's state.
    static World& current();
    std::weak_ptr<World> weak() { return weak_from_this(); }

    // --- Processes and elements
    // Adds a running process with its application element ("AXApplication"), in front of the
    // others.
    Process& addProcess(platform::ProcessId pid, std::string bundleIdentifier, std::string name);
    // Removes the process; its elements become invalid and its windows leave the window server,
    // posting nothing; the workspace announces the end (Workspace::announceTermination).
    void removeProcess(platform::ProcessId pid);
    Process* process(platform::ProcessId pid);
    const Process* process(platform::ProcessId pid) const;
    // Front-most first: the order in which applications were activated.
    std::vector<platform::ProcessId> processIds() const;
    // A number that orders the process among the others: a lower one stands further in front. It
    // changes when the process moves; a process that does not run stands behind all.
    std::int64_t frontness(platform::ProcessId pid) const;
    // Puts the process first (last), with its windows in front of (behind) the others'.
    void bringToFront(platform::ProcessId pid, bool withWindows = true);
    void bringToBack(platform::ProcessId pid);

    // The program itself, as a process of the world: an accessory application whose windows are
    // the world's. Made on first use.
    Process& programProcess();
    void setProgramPid(platform::ProcessId pid) { programPid_ = pid; }
    platform::ProcessId programPid() const { return programPid_; }

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
    // The process an element belongs to, also after the element or its process is gone; none for
    // an element the world never handed out.
    std::optional<platform::ProcessId> pidOf(ax::Element element) const;
    // An application element for the process, even one that is not running: calls on it fail.
    ax::Element applicationElement(platform::ProcessId pid);
    std::shared_ptr<Node> systemWide() const { return systemWide_; }

    // --- Costs, faults and the permission
    // The latency of every call that no rule or process names.
    void setLatency(double seconds) { latency_ = seconds; }
    double latency() const { return latency_; }
    void addLatencyRule(LatencyRule rule) { latencyRules_.push_back(std::move(rule)); }
    const std::vector<LatencyRule>& latencyRules() const { return latencyRules_; }
    // The one latency function: seconds that a call of the kind, naming the attribute, action
    // or notification, takes with the process. A process's own latency counts as a rule that
    // names the process alone.
    double latencyOf(platform::ProcessId pid, RoundTrip kind, std::string_view name) const;
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
    // Prompts are recorded in the journal.
    int trustPrompts();
    void recordTrustPrompt();

    // --- Notifications
    // The node's application posts the notification after the latency of its delivery (on the
    // next turn of the run loop when that is 0), as the real one does once it has answered the
    // call that made the change: every observer of the node's process that has registered it on
    // the node or on one of its ancestors by then hears of it.
    void postNotification(const Node& node, std::string_view notification, ax::Info info = {});
    void addObserver(const std::shared_ptr<SimObserver>& observer);

    // --- Parts of the world kept by other modules (displays, input devices, ...):
    // one instance of each type, made on first use and destroyed with the world,
    // so that a module adds its state without the world knowing its type. A
    // component made from the world keeps a reference to it, which its life
    // within the world keeps valid.
    template <class Component>
    Component& component() {
        enter();
        const std::type_index type(typeid(Component));
        auto found = components_.find(type);
        if (found == components_.end()) {
            std::shared_ptr<Component> made;
            if constexpr (std::is_constructible_v<Component, World&>) {
                made = std::make_shared<Component>(*this);
            } else {
                made = std::make_shared<Component>();
            }
            found = components_.emplace(type, std::move(made)).first;
        }
        return *std::static_pointer_cast<Component>(found->second);
    }

    // --- Used by the accessibility calls
    // Charges the round trip and answers whether the process is responsive; a
    // hung process, or a call slower than the element's messaging time-out,
    // costs the time-out and fails with CannotComplete.
    ax::Error beginRoundTrip(RoundTrip kind, ax::Element element, std::string_view attribute);
    void setMessagingTimeout(ax::Element element, double seconds);
    double messagingTimeout(ax::Element element) const;

    // --- Told by the nodes
    void childAttached(const Node& parent, const std::shared_ptr<Node>& child);
    void childDetached(const Node& parent, const Node& child);

    // Aborts unless the calling thread is the one that made the world.
    void enter() const;

private:
    World() = default;
    bool isApplicationOfLiveProcess(const Node& node) const;

    struct Registration {
        std::weak_ptr<Node> node;
        platform::ProcessId pid = 0;
    };

    const std::thread::id owner_ = std::this_thread::get_id();
    std::shared_ptr<Node> systemWide_;
    std::map<platform::ProcessId, Process> processes_;
    // Front-most first, each with its frontness; moving a process costs the same however many
    // there are.
    struct Place {
        std::list<platform::ProcessId>::iterator at;
        std::int64_t frontness = 0;
    };
    std::list<platform::ProcessId> zOrder_;
    std::unordered_map<platform::ProcessId, Place> places_;
    std::int64_t frontmost_ = 0;
    std::int64_t backmost_ = 0;
    std::unordered_map<ax::Element, Registration> nodes_;
    std::map<std::pair<std::uint64_t, std::string>, ax::Error, std::less<>> injected_;
    std::unordered_map<ax::Element, double> timeouts_;
    std::map<CountKey, std::int64_t> roundTrips_;
    std::vector<std::weak_ptr<SimObserver>> observers_;
    std::map<std::type_index, std::shared_ptr<void>> components_;
    std::vector<LatencyRule> latencyRules_;
    // Application elements handed out for processes that do not run: kept so that they keep
    // their process identifier.
    std::map<platform::ProcessId, std::shared_ptr<Node>> strayApplications_;
    double latency_ = 0;
    bool trusted_ = true;
    platform::ProcessId programPid_ = defaultProgramPid;
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
    const std::shared_ptr<World>& shared() const { return world_; }

private:
    std::shared_ptr<World> world_;
    World* previous_;
};

}  // namespace zoral::sim
