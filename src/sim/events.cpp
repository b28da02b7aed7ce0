// The platform's event calls, answered by the simulated pointer and keyboard.

#include "platform/events.h"

#include <cmath>

#include "platform/scheduler.h"
#include "sim/input_devices.h"

namespace zoral::platform {

using sim::InputDevices;

std::optional<CGEvent> eventCreate() {
    return InputDevices::current().makeEvent(CGEventType::null);
}

std::optional<CGEvent> eventCreateKeyboardEvent(CGKeyCode keyCode, bool keyDown) {
    auto event =
        InputDevices::current().makeEvent(keyDown ? CGEventType::keyDown : CGEventType::keyUp);
    if (event)
        event->keyCode = keyCode;
    return event;
}

std::optional<CGEvent> eventCreateMouseEvent(CGEventType type, CGPoint location,
                                             CGMouseButton button) {
    auto event = InputDevices::current().makeEvent(type);
    if (event) {
        event->location = location;
        event->mouseButton = button;
    }
    return event;
}

std::optional<CGEvent> eventCreateScrollWheelEvent(CGScrollEventUnit unit, std::int32_t wheel1,
                                                   std::int32_t wheel2) {
    auto event = InputDevices::current().makeEvent(CGEventType::scrollWheel);
    if (event) {
        event->scrollUnit = unit;
        event->scrollDeltaAxis1 = wheel1;
        event->scrollDeltaAxis2 = wheel2;
    }
    return event;
}

void eventPost(CGEventTapLocation tap, const CGEvent& event) {
    CGEvent posted = event;
    posted.targetPid.reset();
    InputDevices::current().record({.time = uptimeSeconds(), .event = posted, .tap = tap});
}

void eventPostToPid(ProcessId pid, const CGEvent& event) {
    CGEvent posted = event;
    posted.targetPid = pid;
    InputDevices::current().record({.time = uptimeSeconds(), .event = posted, .tap = std::nullopt});
}

CGError warpMouseCursorPosition(CGPoint location) {
    if (!std::isfinite(location.x) || !std::isfinite(location.y))
        return CGError::illegalArgument;
    InputDevices::current().recordWarp(location);
    return CGError::success;
}

CGEventFlags eventSourceFlagsState() {
    return InputDevices::current().heldModifierFlags();
}

std::uint64_t pressedMouseButtons() {
    return InputDevices::current().pressedMouseButtons();
}

}  // namespace zoral::platform
