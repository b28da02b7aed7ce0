#pragma once

// The simulated pointer and keyboard: where the pointer is, which mouse buttons and modifier keys
// the user holds, and every event the program posts, recorded with the virtual time it was posted
// at and where it went. Posting changes nothing else yet; effects register as post handlers, which
// are called with each recorded event.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/events.h"
#include "sim/journal.h"

namespace zoral::sim {

class World;

class InputDevices {
public:
    explicit InputDevices(World& world) : world_(world) {}

    using PostHandler = std::function<void(const PostedEvent&)>;

    // The devices of the world (made on first use).
    static InputDevices& of(World& world);
    static InputDevices& current();

    // The pointer in top-left coordinates. Moving it is the user's doing and posts nothing.
    platform::CGPoint pointer() const;
    void movePointer(platform::CGPoint location);

    platform::CGEventFlags heldModifierFlags() const;
    void setHeldModifierFlags(platform::CGEventFlags flags);

    // Bit n for mouse button n.
    std::uint64_t pressedMouseButtons() const;
    void setPressedMouseButtons(std::uint64_t buttons);

    // Makes every event creation fail, as the system's does when it is out of resources.
    void setEventCreationFails(bool fails);
    bool eventCreationFails() const;

    // What the program posted since the last reset, in order (from the world's journal).
    std::vector<PostedEvent> postedEvents() const;
    // Where the program warped the pointer since the last reset, in order.
    std::vector<platform::CGPoint> warps() const;
    // Forgets the posted events and the warps.
    void resetPostedEvents();

    // Called, in the order added, with each event after it is recorded.
    void addPostHandler(PostHandler handler);

    // --- Used by the platform calls
    // A new event of the type, with the pointer's location, the held flags and the current time;
    // none while creation fails.
    std::optional<platform::CGEvent> makeEvent(platform::CGEventType type) const;
    void record(PostedEvent posted);
    void recordWarp(platform::CGPoint location);

private:
    World& world_;
    mutable std::mutex mutex_;
    platform::CGPoint pointer_;
    platform::CGEventFlags heldFlags_;
    std::uint64_t pressedButtons_ = 0;
    bool creationFails_ = false;
    std::vector<PostHandler> handlers_;
};

}  // namespace zoral::sim
