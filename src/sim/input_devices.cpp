#include "sim/input_devices.h"

#include <utility>

#include "platform/scheduler.h"
#include "sim/world.h"

namespace zoral::sim {

InputDevices& InputDevices::of(World& world) {
    return world.component<InputDevices>();
}

InputDevices& InputDevices::current() {
    return of(World::current());
}

platform::CGPoint InputDevices::pointer() const {
    std::lock_guard lock(mutex_);
    return pointer_;
}

void InputDevices::movePointer(platform::CGPoint location) {
    std::lock_guard lock(mutex_);
    pointer_ = location;
}

platform::CGEventFlags InputDevices::heldModifierFlags() const {
    std::lock_guard lock(mutex_);
    return heldFlags_;
}

void InputDevices::setHeldModifierFlags(platform::CGEventFlags flags) {
    std::lock_guard lock(mutex_);
    heldFlags_ = flags;
}

std::uint64_t InputDevices::pressedMouseButtons() const {
    std::lock_guard lock(mutex_);
    return pressedButtons_;
}

void InputDevices::setPressedMouseButtons(std::uint64_t buttons) {
    std::lock_guard lock(mutex_);
    pressedButtons_ = buttons;
}

void InputDevices::setEventCreationFails(bool fails) {
    std::lock_guard lock(mutex_);
    creationFails_ = fails;
}

bool InputDevices::eventCreationFails() const {
    std::lock_guard lock(mutex_);
    return creationFails_;
}

std::vector<PostedEvent> InputDevices::postedEvents() const {
    return Journal::of(world_).recordsOf<PostedEvent>();
}

std::vector<platform::CGPoint> InputDevices::warps() const {
    std::vector<platform::CGPoint> locations;
    for (const PointerWarp& warp : Journal::of(world_).recordsOf<PointerWarp>())
        locations.push_back(warp.location);
    return locations;
}

void InputDevices::resetPostedEvents() {
    Journal& journal = Journal::of(world_);
    journal.clear<PostedEvent>();
    journal.clear<PointerWarp>();
}

void InputDevices::addPostHandler(PostHandler handler) {
    std::lock_guard lock(mutex_);
    handlers_.push_back(std::move(handler));
}

std::optional<platform::CGEvent> InputDevices::makeEvent(platform::CGEventType type) const {
    std::lock_guard lock(mutex_);
    if (creationFails_)
        return std::nullopt;
    platform::CGEvent event;
    event.type = type;
    event.location = pointer_;
    event.flags = heldFlags_;
    event.timestamp = platform::uptimeSeconds();
    return event;
}

void InputDevices::record(PostedEvent posted) {
    Journal::of(world_).record(posted);
    std::vector<PostHandler> handlers;
    {
        std::lock_guard lock(mutex_);
        handlers = handlers_;
    }
    // Without the lock, so that a handler may post again or read the record.
    for (const auto& handler : handlers)
        handler(posted);
}

void InputDevices::recordWarp(platform::CGPoint location) {
    Journal::of(world_).record(PointerWarp{platform::uptimeSeconds(), location});
    std::lock_guard lock(mutex_);
    pointer_ = location;
}

}  // namespace zoral::sim
