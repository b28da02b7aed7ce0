#include "sim/input_devices.h"

#include <algorithm>
#include <utility>

#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

// The held flags after a key event. A modifier key's event (as the program posts them) holds its
// modifier or lets it go; it has no hand, so it sets no device bit, and the modifier stays while a
// hand holds one of its keys. Any other key holds nothing.
platform::CGEventFlags pressedModifierKey(platform::CGEventFlags held, platform::CGKeyCode code,
                                          bool down) {
    const auto key = std::ranges::find_if(modifierKeyPairs, [code](const ModifierKeyPair& pair) {
        return pair.left == code || pair.right == code;
    });
    if (key == modifierKeyPairs.end())
        return held;
    if (down)
        return held | key->flag;
    if ((held & (key->leftBit | key->rightBit)).isEmpty())
        held = held & ~key->flag;
    return held;
}

}  // namespace

InputDevices& InputDevices::of(World& world) {
    return world.component<InputDevices>();
}

InputDevices& InputDevices::current() {
    return of(World::current());
}

platform::CGPoint InputDevices::pointer() const {
    const platform::MutexLock lock(mutex_);
    return pointer_;
}

void InputDevices::movePointer(platform::CGPoint location) {
    const platform::MutexLock lock(mutex_);
    pointer_ = location;
}

platform::CGEventFlags InputDevices::heldModifierFlags() const {
    const platform::MutexLock lock(mutex_);
    return heldFlags_;
}

void InputDevices::setHeldModifierFlags(platform::CGEventFlags flags) {
    const platform::MutexLock lock(mutex_);
    heldFlags_ = flags;
}

std::uint64_t InputDevices::pressedMouseButtons() const {
    const platform::MutexLock lock(mutex_);
    return pressedButtons_;
}

void InputDevices::setPressedMouseButtons(std::uint64_t buttons) {
    const platform::MutexLock lock(mutex_);
    pressedButtons_ = buttons;
}

void InputDevices::setEventCreationFails(bool fails) {
    const platform::MutexLock lock(mutex_);
    creationFails_ = fails;
}

bool InputDevices::eventCreationFails() const {
    const platform::MutexLock lock(mutex_);
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

void InputDevices::follow(const platform::CGEvent& event) {
    using platform::CGEventType;
    using platform::CGMouseButton;
    const auto bit = [](CGMouseButton button) {
        return std::uint64_t{1} << (static_cast<std::uint32_t>(button) & 63U);
    };
    const platform::MutexLock lock(mutex_);
    switch (event.type) {
        case CGEventType::keyDown:
        case CGEventType::keyUp:
            heldFlags_ =
                pressedModifierKey(heldFlags_, event.keyCode, event.type == CGEventType::keyDown);
            return;
        case CGEventType::flagsChanged:
            heldFlags_ = event.flags & ~platform::CGEventFlags::maskNonCoalesced;
            return;
        case CGEventType::mouseMoved:
        case CGEventType::leftMouseDragged:
        case CGEventType::rightMouseDragged:
        case CGEventType::otherMouseDragged:
            pointer_ = event.location;
            return;
        case CGEventType::leftMouseDown:
            pointer_ = event.location;
            pressedButtons_ |= bit(CGMouseButton::left);
            return;
        case CGEventType::rightMouseDown:
            pointer_ = event.location;
            pressedButtons_ |= bit(CGMouseButton::right);
            return;
        case CGEventType::otherMouseDown:
            pointer_ = event.location;
            pressedButtons_ |= bit(event.mouseButton);
            return;
        case CGEventType::leftMouseUp:
            pointer_ = event.location;
            pressedButtons_ &= ~bit(CGMouseButton::left);
            return;
        case CGEventType::rightMouseUp:
            pointer_ = event.location;
            pressedButtons_ &= ~bit(CGMouseButton::right);
            return;
        case CGEventType::otherMouseUp:
            pointer_ = event.location;
            pressedButtons_ &= ~bit(event.mouseButton);
            return;
        default:
            return;
    }
}

std::optional<platform::CGEvent> InputDevices::makeEvent(platform::CGEventType type) const {
    const platform::MutexLock lock(mutex_);
    if (creationFails_)
        return std::nullopt;
    platform::CGEvent event;
    event.type = type;
    event.location = pointer_;
    event.unflippedLocation = Displays::of(world_).flipped(pointer_);
    event.flags = heldFlags_;
    event.timestamp = platform::uptimeSeconds();
    return event;
}

void InputDevices::recordWarp(platform::CGPoint location) {
    Journal::of(world_).record(PointerWarp{platform::uptimeSeconds(), location});
    const platform::MutexLock lock(mutex_);
    pointer_ = location;
}

}  // namespace zoral::sim
