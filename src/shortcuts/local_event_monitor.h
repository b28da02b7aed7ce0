#pragma once

// The owner of one local event monitor (platform/local_events.h): it starts the monitor, and the
// monitor goes when the owner does. There is no stop: an owner that is done drops its
// LocalEventMonitor. Main thread only.

#include <functional>
#include <memory>
#include <optional>

#include "platform/local_events.h"

namespace zoral::shortcuts::GlobalShortcuts {

class LocalEventMonitor {
public:
    // Gets each event of the mask: the event to pass on, or none to swallow it.
    using Callback = std::function<std::optional<platform::NSEvent>(const platform::NSEvent&)>;

    LocalEventMonitor(platform::NSEventMask events, Callback callback);
    ~LocalEventMonitor();
    LocalEventMonitor(const LocalEventMonitor&) = delete;
    LocalEventMonitor& operator=(const LocalEventMonitor&) = delete;

    // Adds the monitor; returns this owner.
    LocalEventMonitor& start();

    platform::NSEventMask events() const { return events_; }

private:
    platform::NSEventMask events_;
    // Shared with the monitor's handler, which may outlive this owner while an event is on its way.
    std::shared_ptr<Callback> callback_;
    // The system holds the monitor; this owner only removes it.
    std::weak_ptr<platform::EventMonitor> monitor_;
};

}  // namespace zoral::shortcuts::GlobalShortcuts
