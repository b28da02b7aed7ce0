// The platform's event calls, answered by the simulated pointer and keyboard; posted events enter
// the world's input pipeline after the journal has recorded them.

#include "platform/events.h"

#include <cmath>

#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/input_devices.h"
#include "sim/input_pipeline.h"
#include "sim/journal.h"
#include "sim/world.h"

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
        event->unflippedLocation = sim::Displays::current().flipped(location);
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
    sim::World& world = sim::World::current();
    CGEvent posted = event;
    posted.targetPid.reset();
    sim::Journal::of(world).record(
        sim::PostedEvent{.time = uptimeSeconds(), .event = posted, .tap = tap});
    sim::InputPipeline::of(world).enter(
        {.event = std::move(posted), .source = sim::InputSource::posted, .tap = tap});
}

void eventPostToPid(ProcessId pid, const CGEvent& event) {
    sim::World& world = sim::World::current();
    CGEvent posted = event;
    posted.targetPid = pid;
    sim::Journal::of(world).record(
        sim::PostedEvent{.time = uptimeSeconds(), .event = posted, .tap = std::nullopt});
    sim::InputPipeline::of(world).enter(
        {.event = std::move(posted), .source = sim::InputSource::posted, .tap = std::nullopt});
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
