#pragma once

// The application's own events, as the toolkit hands them to its windows, and the local monitors
// that see them first. An event reaches the application when the user acts on one of its windows
// (its status items' buttons among them) or types while one of its windows is key; before the
// application delivers it, every local monitor whose mask holds its type gets it, in the order the
// monitors were added, and returns it (perhaps changed) to pass it on or nothing to consume it. A
// consumed event reaches no later monitor and no window.
//
// The system keeps a monitor until it is removed. A monitor removed while an event is on its way
// (by a monitor's handler, say) sees nothing more, that event included.
//
// The monitors are the simulated desktop's (sim/); the program's toolkit code passes the events
// its widgets receive through them, and the simulated desktop passes the events of the status
// items. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/program_windows.h"

namespace zoral::platform {

struct NSEvent {
    NSEventType type = NSEventType::keyDown;
    NSEventModifierFlags modifierFlags;
    // Key events.
    CGKeyCode keyCode = 0;
    std::u16string characters;
    std::u16string charactersIgnoringModifiers;
    bool isARepeat = false;
    // Mouse events: where in the window (bottom-left origin), how many clicks, which button.
    CGPoint locationInWindow;
    std::int64_t clickCount = 0;
    std::int64_t buttonNumber = 0;
    // The window the event is for; none for an event of no window.
    std::optional<WindowNumber> window;
    // Seconds of the system's uptime clock.
    double timestamp = 0;

    friend bool operator==(const NSEvent&, const NSEvent&) = default;
};

// One bit per event type, bit n for the type numbered n.
using NSEventMask = std::uint64_t;

constexpr NSEventMask eventMaskFromType(NSEventType type) {
    const auto number = static_cast<std::uint32_t>(type);
    return number < 64 ? NSEventMask{1} << number : 0;
}

// Returns the event to pass on (the same or another), or none to consume it.
using LocalEventHandler = std::function<std::optional<NSEvent>(const NSEvent& event)>;

// A monitor as the system hands it out; the program keeps it to remove it.
class EventMonitor {
public:
    EventMonitor(NSEventMask mask, LocalEventHandler handler)
        : mask_(mask), handler_(std::move(handler)) {}
    EventMonitor(const EventMonitor&) = delete;
    EventMonitor& operator=(const EventMonitor&) = delete;

    NSEventMask mask() const { return mask_; }
    bool matches(NSEventType type) const { return (mask_ & eventMaskFromType(type)) != 0; }
    bool isRemoved() const { return !handler_; }

    // The system's side: runs the handler (a removed monitor passes the event on), and drops the
    // handler, with what it holds, when the monitor is removed.
    std::optional<NSEvent> handle(const NSEvent& event) const {
        if (!handler_)
            return event;
        // A copy: the handler may remove its own monitor.
        const LocalEventHandler handler = handler_;
        return handler(event);
    }
    void markRemoved() { handler_ = nullptr; }

private:
    NSEventMask mask_;
    LocalEventHandler handler_;
};

// Adds a monitor of the application's events of the mask; the system holds it until it is
// removed, so the program may keep it weakly.
std::shared_ptr<EventMonitor> addLocalMonitorForEvents(NSEventMask mask, LocalEventHandler handler);
// Removing a monitor that is not there (removed already, or of another run) does nothing.
void removeMonitor(const std::shared_ptr<EventMonitor>& monitor);

// The application takes an event off its queue: the monitors see it first. Returns what goes on
// to the window, none when a monitor consumed it.
std::optional<NSEvent> passThroughLocalMonitors(const NSEvent& event);

}  // namespace zoral::platform
