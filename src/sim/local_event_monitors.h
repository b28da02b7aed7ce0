#pragma once

// The program's local event monitors (platform/local_events.h), kept as the system keeps them for
// the program's process: in the order added, each until it is removed. Every event the simulated
// desktop delivers to the program (a press or release on one of its status items) and every event
// the program's toolkit code hands over passes them before it reaches its window.
//
// A component of the world: LocalEventMonitors::of(world). Main thread only.

#include <memory>
#include <optional>
#include <vector>

#include "platform/local_events.h"

namespace zoral::sim {

class World;

class LocalEventMonitors {
public:
    static LocalEventMonitors& of(World& world);
    static LocalEventMonitors& current();

    std::shared_ptr<platform::EventMonitor> add(platform::NSEventMask mask,
                                                platform::LocalEventHandler handler);
    void remove(const std::shared_ptr<platform::EventMonitor>& monitor);
    // What goes on to the window; none when a monitor consumed the event.
    std::optional<platform::NSEvent> pass(const platform::NSEvent& event);

    // The monitors in place, in order.
    std::size_t count() const { return monitors_.size(); }

private:
    std::vector<std::shared_ptr<platform::EventMonitor>> monitors_;
};

}  // namespace zoral::sim
