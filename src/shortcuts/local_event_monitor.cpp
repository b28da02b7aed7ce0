#include "shortcuts/local_event_monitor.h"

#include <utility>

namespace zoral::shortcuts::GlobalShortcuts {

LocalEventMonitor::LocalEventMonitor(platform::NSEventMask events, Callback callback)
    : events_(events), callback_(std::make_shared<Callback>(std::move(callback))) {}

LocalEventMonitor::~LocalEventMonitor() {
    if (const auto monitor = monitor_.lock())
        platform::removeMonitor(monitor);
}

LocalEventMonitor& LocalEventMonitor::start() {
    monitor_ = platform::addLocalMonitorForEvents(
        events_,
        [callback = callback_](const platform::NSEvent& event) { return (*callback)(event); });
    return *this;
}

}  // namespace zoral::shortcuts::GlobalShortcuts
