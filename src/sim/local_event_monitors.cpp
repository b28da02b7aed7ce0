#include "sim/local_event_monitors.h"

#include <algorithm>
#include <utility>

#include "sim/world.h"

namespace zoral::sim {

LocalEventMonitors& LocalEventMonitors::of(World& world) {
    return world.component<LocalEventMonitors>();
}

LocalEventMonitors& LocalEventMonitors::current() {
    return of(World::current());
}

std::shared_ptr<platform::EventMonitor> LocalEventMonitors::add(
    platform::NSEventMask mask, platform::LocalEventHandler handler) {
    auto monitor = std::make_shared<platform::EventMonitor>(mask, std::move(handler));
    monitors_.push_back(monitor);
    return monitor;
}

void LocalEventMonitors::remove(const std::shared_ptr<platform::EventMonitor>& monitor) {
    if (!monitor)
        return;
    const auto found = std::find(monitors_.begin(), monitors_.end(), monitor);
    if (found == monitors_.end())
        return;
    monitors_.erase(found);
    // The handler goes now, with what it holds; an event on its way skips the monitor.
    monitor->markRemoved();
}

std::optional<platform::NSEvent> LocalEventMonitors::pass(const platform::NSEvent& event) {
    // A copy: handlers may add and remove monitors.
    const auto monitors = monitors_;
    platform::NSEvent passed = event;
    for (const auto& monitor : monitors) {
        if (monitor->isRemoved() || !monitor->matches(passed.type))
            continue;
        auto result = monitor->handle(passed);
        if (!result)
            return std::nullopt;
        passed = std::move(*result);
    }
    return passed;
}

}  // namespace zoral::sim

namespace zoral::platform {

std::shared_ptr<EventMonitor> addLocalMonitorForEvents(NSEventMask mask,
                                                       LocalEventHandler handler) {
    return sim::LocalEventMonitors::current().add(mask, std::move(handler));
}

void removeMonitor(const std::shared_ptr<EventMonitor>& monitor) {
    sim::LocalEventMonitors::current().remove(monitor);
}

std::optional<NSEvent> passThroughLocalMonitors(const NSEvent& event) {
    return sim::LocalEventMonitors::current().pass(event);
}

}  // namespace zoral::platform
