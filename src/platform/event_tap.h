#pragma once

// Event taps as the window server gives them: a tap placed in the session's chain of taps sees
// every event of the types in its mask before the applications do, and an active tap decides
// whether each is delivered (returned, perhaps changed) or swallowed (nothing returned). A
// listen-only tap only looks. The tap is served through a run-loop source of its port: the window
// server waits for the callback's answer, and a tap whose callback keeps it waiting too long is
// disabled by the system, which then calls the callback once with the type tapDisabledByTimeout
// (tapDisabledByUserInput when the user's input disabled it). A disabled tap sees nothing until it
// is enabled again.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/events.h"
#include "platform/opaque_reference.h"
#include "platform/run_loop.h"

namespace zoral::platform {

// The port of one event tap; the null reference names none.
using CFMachPortRef = OpaqueReference<struct MachPortTag>;

// Where in the chain of taps at its location a new tap goes.
enum class CGEventTapPlacement : std::uint32_t { headInsertEventTap = 0, tailAppendEventTap = 1 };

enum class CGEventTapOptions : std::uint32_t { defaultTap = 0, listenOnly = 1 };

// One bit per event type, bit n for the type numbered n.
using CGEventMask = std::uint64_t;

constexpr CGEventMask eventMaskBit(CGEventType type) {
    const auto number = static_cast<std::uint32_t>(type);
    return number < 64 ? CGEventMask{1} << number : 0;
}

// Called with the event's type and the event; returns the event to deliver (the same or another)
// or none to swallow it. For the disabling notices the event carries only its type, and what is
// returned does not matter.
using CGEventTapCallBack =
    std::function<std::optional<CGEvent>(CGEventType type, const CGEvent& event)>;

// Creates a tap, enabled, at the location (only the session's chain is open to the program); the
// null reference when the system refuses it.
CFMachPortRef eventTapCreate(CGEventTapLocation location, CGEventTapPlacement placement,
                             CGEventTapOptions options, CGEventMask eventsOfInterest,
                             CGEventTapCallBack callback);
void eventTapEnable(CFMachPortRef tap, bool enable);
bool eventTapIsEnabled(CFMachPortRef tap);

// The source that serves the port on a run loop, with its order; null when none can be made.
std::shared_ptr<RunLoopSource> machPortCreateRunLoopSource(CFMachPortRef port, std::int64_t order);
// An invalid port is out of every chain and its callback is never called again.
void machPortInvalidate(CFMachPortRef port);
bool machPortIsValid(CFMachPortRef port);

}  // namespace zoral::platform
