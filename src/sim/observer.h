#pragma once

// The simulated accessibility observer: the registrations of one observer of
// one process, and the queue of notifications that its run-loop source
// delivers on the main run loop.

#include <deque>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <tuple>

#include "platform/accessibility.h"

namespace zoral::sim {

class Node;

class SimObserver : public std::enable_shared_from_this<SimObserver> {
public:
    // Observers are made only through make(), which wires the run-loop source.
    static platform::ax::ObserverRef make(platform::ProcessId pid,
                                          platform::ax::ObserverCallback callback);
    SimObserver(platform::ProcessId pid, platform::ax::ObserverCallback callback);
    ~SimObserver();
    SimObserver(const SimObserver&) = delete;
    SimObserver& operator=(const SimObserver&) = delete;

    platform::ProcessId pid() const { return pid_; }
    const std::shared_ptr<platform::RunLoopSource>& source() const { return source_; }

    platform::ax::Error add(platform::ax::Element element, std::string notification,
                            platform::ax::ObserverUserData userData);
    platform::ax::Error remove(platform::ax::Element element, const std::string& notification);
    bool isRegistered(platform::ax::Element element, const std::string& notification) const;
    std::size_t registrationCount() const { return registrations_.size(); }

    // Queues the notification of the element when it is registered on the element or one of its
    // ancestors (lineage: the element first, then its ancestors, as the tree was when the
    // application posted it); the run loop delivers it next.
    void offer(std::span<const platform::ax::Element> lineage, const std::string& notification,
               const platform::ax::Info& info);

private:
    struct Registration {
        platform::ax::Element element;
        std::string notification;
        platform::ax::ObserverUserData userData;
    };
    struct Pending {
        platform::ax::Element registeredOn;
        platform::ax::Element element;
        std::string notification;
        platform::ax::Info info;
    };

    void deliverPending();
    const Registration* find(platform::ax::Element element, const std::string& notification) const;

    const platform::ProcessId pid_;
    platform::ax::ObserverCallback callback_;
    std::vector<Registration> registrations_;
    std::deque<Pending> pending_;
    std::shared_ptr<platform::RunLoopSource> source_;
};

}  // namespace zoral::sim

namespace zoral::platform::ax {
// The platform's observer is the simulated one.
class Observer : public sim::SimObserver {
public:
    using sim::SimObserver::SimObserver;
};
}  // namespace zoral::platform::ax
