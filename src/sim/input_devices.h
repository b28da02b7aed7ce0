#pragma once

// The simulated pointer and keyboard: where the pointer is, which mouse buttons and modifier keys
// are held, and every event the program posts, recorded in the world's journal with the virtual
// time it was posted at and where it went. The state follows every event of the input pipeline,
// from the user's hands and from the program alike (sim/input_pipeline.h); the modifier flags
// follow the modifier keys alone.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/events.h"
#include "platform/key_codes.h"
#include "platform/thread_safety.h"
#include "sim/journal.h"

namespace zoral::sim {

class World;

// The modifier keys, in the order they go down (they come up in reverse), each with the key code
// and the device bit of its left and right key; fn has one key and no device bit.
struct ModifierKeyPair {
    platform::CGEventFlags flag;
    platform::CGKeyCode left;
    platform::CGEventFlags leftBit;
    platform::CGKeyCode right;
    platform::CGEventFlags rightBit;
};

inline constexpr std::array<ModifierKeyPair, 5> modifierKeyPairs{{
    {platform::CGEventFlags::maskShift, platform::virtualKey::shift,
     platform::CGEventFlags::maskDeviceLeftShift, platform::virtualKey::rightShift,
     platform::CGEventFlags::maskDeviceRightShift},
    {platform::CGEventFlags::maskControl, platform::virtualKey::control,
     platform::CGEventFlags::maskDeviceLeftControl, platform::virtualKey::rightControl,
     platform::CGEventFlags::maskDeviceRightControl},
    {platform::CGEventFlags::maskAlternate, platform::virtualKey::option,
     platform::CGEventFlags::maskDeviceLeftOption, platform::virtualKey::rightOption,
     platform::CGEventFlags::maskDeviceRightOption},
    {platform::CGEventFlags::maskCommand, platform::virtualKey::command,
     platform::CGEventFlags::maskDeviceLeftCommand, platform::virtualKey::rightCommand,
     platform::CGEventFlags::maskDeviceRightCommand},
    {platform::CGEventFlags::maskSecondaryFn, platform::virtualKey::function,
     platform::CGEventFlags(), platform::virtualKey::function, platform::CGEventFlags()},
}};

class InputDevices {
public:
    explicit InputDevices(World& world) : world_(world) {}

    using PostHandler = std::function<void(const PostedEvent&)>;

    // The devices of the world (made on first use).
    static InputDevices& of(World& world);
    static InputDevices& current();

    // The pointer in top-left coordinates, the modifier flags held (device-independent and
    // device-dependent bits) and the pressed mouse buttons (bit n for button n). The setters put
    // the devices in a state as if it had always been so, and send nothing; the user's hands
    // (sim/hands.h) make the events that change it.
    platform::CGPoint pointer() const;
    void movePointer(platform::CGPoint location);
    platform::CGEventFlags heldModifierFlags() const;
    void setHeldModifierFlags(platform::CGEventFlags flags);
    std::uint64_t pressedMouseButtons() const;
    void setPressedMouseButtons(std::uint64_t buttons);

    // Follows one event of the common stream: a mouse event moves the pointer and presses or
    // releases its button; a flags change sets the modifier flags it carries, and a key event of
    // a modifier key (as the program posts them) presses or releases that key. The flags that
    // other key events carry change nothing: they are the keyboard's bits of the key, or what the
    // program chose to send with it.
    void follow(const platform::CGEvent& event);

    // Makes every event creation fail, as the system's does when it is out of resources.
    void setEventCreationFails(bool fails);
    bool eventCreationFails() const;

    // What the program posted since the last reset, in order (from the world's journal).
    std::vector<PostedEvent> postedEvents() const;
    // Where the program warped the pointer since the last reset, in order.
    std::vector<platform::CGPoint> warps() const;
    // Forgets the posted events and the warps.
    void resetPostedEvents();

    // --- Used by the platform calls
    // A new event of the type, with the pointer's location, the held flags and the current time;
    // none while creation fails.
    std::optional<platform::CGEvent> makeEvent(platform::CGEventType type) const;
    void recordWarp(platform::CGPoint location);

private:
    World& world_;
    mutable platform::Mutex mutex_;
    platform::CGPoint pointer_ ZORAL_GUARDED_BY(mutex_);
    platform::CGEventFlags heldFlags_ ZORAL_GUARDED_BY(mutex_);
    std::uint64_t pressedButtons_ ZORAL_GUARDED_BY(mutex_) = 0;
    bool creationFails_ ZORAL_GUARDED_BY(mutex_) = false;
};

}  // namespace zoral::sim
