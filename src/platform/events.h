#pragma once

// Synthetic input in the system's terms: events with a type, a location, modifier flags and a key
// code, created and then posted to the hardware event stream or to one process; the pointer (its
// warp, its location, the pressed buttons) and the modifier keys the user holds.
//
// Only the declarations live here; the simulated desktop (sim/) defines them. Locations are in the
// top-left coordinates of the primary display (y downwards), as event locations are on the system.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/accessibility.h"
#include "platform/geometry.h"
#include "platform/option_set.h"

namespace zoral::platform {

// Modifier flags of an event, as the system's bit masks.
class CGEventFlags : public OptionSet<CGEventFlags, std::uint64_t> {
public:
    using OptionSet::OptionSet;

    static const CGEventFlags maskAlphaShift;  // caps lock
    static const CGEventFlags maskShift;
    static const CGEventFlags maskControl;
    static const CGEventFlags maskAlternate;  // option
    static const CGEventFlags maskCommand;
    static const CGEventFlags maskNumericPad;
    static const CGEventFlags maskHelp;
    static const CGEventFlags maskSecondaryFn;
    static const CGEventFlags maskNonCoalesced;
    // The bits that name a key whatever the device, and those that tell which of two keys (left
    // or right) a device reports held.
    static const CGEventFlags maskDeviceIndependent;
    static const CGEventFlags maskDeviceLeftControl;
    static const CGEventFlags maskDeviceLeftShift;
    static const CGEventFlags maskDeviceRightShift;
    static const CGEventFlags maskDeviceLeftCommand;
    static const CGEventFlags maskDeviceRightCommand;
    static const CGEventFlags maskDeviceLeftOption;
    static const CGEventFlags maskDeviceRightOption;
    static const CGEventFlags maskDeviceRightControl;
};

inline constexpr CGEventFlags CGEventFlags::maskAlphaShift{0x10000};
inline constexpr CGEventFlags CGEventFlags::maskShift{0x20000};
inline constexpr CGEventFlags CGEventFlags::maskControl{0x40000};
inline constexpr CGEventFlags CGEventFlags::maskAlternate{0x80000};
inline constexpr CGEventFlags CGEventFlags::maskCommand{0x100000};
inline constexpr CGEventFlags CGEventFlags::maskNumericPad{0x200000};
inline constexpr CGEventFlags CGEventFlags::maskHelp{0x400000};
inline constexpr CGEventFlags CGEventFlags::maskSecondaryFn{0x800000};
inline constexpr CGEventFlags CGEventFlags::maskNonCoalesced{0x100};
inline constexpr CGEventFlags CGEventFlags::maskDeviceIndependent{0xFFFF0000};
inline constexpr CGEventFlags CGEventFlags::maskDeviceLeftControl{0x1};
inline constexpr CGEventFlags CGEventFlags::maskDeviceLeftShift{0x2};
inline constexpr CGEventFlags CGEventFlags::maskDeviceRightShift{0x4};
inline constexpr CGEventFlags CGEventFlags::maskDeviceLeftCommand{0x8};
inline constexpr CGEventFlags CGEventFlags::maskDeviceRightCommand{0x10};
inline constexpr CGEventFlags CGEventFlags::maskDeviceLeftOption{0x20};
inline constexpr CGEventFlags CGEventFlags::maskDeviceRightOption{0x40};
inline constexpr CGEventFlags CGEventFlags::maskDeviceRightControl{0x2000};

// The toolkit's modifier flags: the same bits as the event services' (menu items' key equivalent
// masks, the modifier flags of the application's events).
using NSEventModifierFlags = CGEventFlags;

// The event services' event types, with the system's numbers. Any other number may be held too.
enum class CGEventType : std::uint32_t {
    null = 0,
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    scrollWheel = 22,
    tabletPointer = 23,
    tabletProximity = 24,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    tapDisabledByTimeout = 0xFFFFFFFE,
    tapDisabledByUserInput = 0xFFFFFFFF,
};

// The application toolkit's event types, with the system's numbers; a superset of the event
// services' types that adds the trackpad gestures.
enum class NSEventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    mouseEntered = 8,
    mouseExited = 9,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    appKitDefined = 13,
    systemDefined = 14,
    applicationDefined = 15,
    periodic = 16,
    cursorUpdate = 17,
    rotate = 18,
    beginGesture = 19,
    endGesture = 20,
    scrollWheel = 22,
    tabletPoint = 23,
    tabletProximity = 24,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    gesture = 29,
    magnify = 30,
    swipe = 31,
    smartMagnify = 32,
    quickLook = 33,
    pressure = 34,
    directTouch = 37,
    changeMode = 38,
};

// The phases of a trackpad gesture's events. One event carries one phase; a set of phases is an
// or of their bits.
enum class NSEventPhase : std::uint64_t {
    none = 0,
    began = 0x1,
    stationary = 0x2,
    changed = 0x4,
    ended = 0x8,
    cancelled = 0x10,
    mayBegin = 0x20,
};

enum class CGMouseButton : std::uint32_t { left = 0, right = 1, center = 2 };

// Where an event enters the system's event stream: as if from the hardware, at the session, or
// after the session's annotations.
enum class CGEventTapLocation : std::uint32_t { hid = 0, session = 1, annotatedSession = 2 };

enum class CGScrollEventUnit : std::uint32_t { pixel = 0, line = 1 };

// Result codes of the graphics services.
enum class CGError : std::int32_t { success = 0, failure = 1000, illegalArgument = 1001 };

using CGKeyCode = std::uint16_t;

// The event services have no name for it: the type of the trackpad's gesture events (pinches,
// double taps, touches), whose toolkit type tells them apart.
inline constexpr CGEventType gestureEventType = static_cast<CGEventType>(29);

// The phase of one finger on the trackpad (bits, as the system's).
enum class NSTouchPhase : std::uint32_t {
    began = 0x1,
    moved = 0x2,
    stationary = 0x4,
    ended = 0x8,
    cancelled = 0x10,
};

// One finger on the trackpad, as a gesture event reports it.
struct Touch {
    std::int64_t identity = 0;
    NSTouchPhase phase = NSTouchPhase::began;
    // Where on the surface, from (0, 0) at the bottom left to (1, 1).
    CGPoint normalizedPosition;

    friend bool operator==(const Touch&, const Touch&) = default;
};

// One event as the program creates, reads and posts it, with what keyboards, mice and trackpads
// give.
struct CGEvent {
    CGEventType type = CGEventType::null;
    // Top-left coordinates, and the same point in the toolkit's bottom-left ones.
    CGPoint location;
    CGPoint unflippedLocation;
    // Device-independent bits (the upper sixteen) and device-dependent ones (the lower).
    CGEventFlags flags;
    // Seconds of the system's uptime clock when the event was made.
    double timestamp = 0;
    // Keyboard events: the virtual key code, and whether the key repeats while held.
    CGKeyCode keyCode = 0;
    bool autorepeat = false;
    // Mouse events: the button's number (0 for keyboard events).
    CGMouseButton mouseButton = CGMouseButton::left;
    // Scroll events: the wheels' deltas in the event's units, vertical first; the deltas in
    // points as the toolkit gives them, horizontal first; whether the device inverts them
    // ("natural" scrolling); the finger phase and the momentum phase.
    CGScrollEventUnit scrollUnit = CGScrollEventUnit::pixel;
    std::int32_t scrollDeltaAxis1 = 0;
    std::int32_t scrollDeltaAxis2 = 0;
    double scrollingDeltaX = 0;
    double scrollingDeltaY = 0;
    bool isDirectionInvertedFromDevice = false;
    NSEventPhase phase = NSEventPhase::none;
    NSEventPhase momentumPhase = NSEventPhase::none;
    // Gesture events: the toolkit's type (magnify, smart magnify, gesture, ...), the
    // magnification of a pinch, and the fingers on the surface.
    std::optional<NSEventType> gestureType;
    double magnification = 0;
    std::vector<Touch> touches;
    // The process an event was posted to; none for events in the common stream.
    std::optional<ProcessId> targetPid;

    friend bool operator==(const CGEvent&, const CGEvent&) = default;
};

// The toolkit's type of the event: the gesture's own for a gesture event, the same number for the
// others.
inline NSEventType toolkitType(const CGEvent& event) {
    if (event.type == gestureEventType && event.gestureType)
        return *event.gestureType;
    return static_cast<NSEventType>(event.type);
}

// Each new event carries the pointer's location, the modifier flags held at the moment and the
// current time; none when the system cannot make the event.
std::optional<CGEvent> eventCreate();
std::optional<CGEvent> eventCreateKeyboardEvent(CGKeyCode keyCode, bool keyDown);
// The location is the given one, not the pointer's.
std::optional<CGEvent> eventCreateMouseEvent(CGEventType type, CGPoint location,
                                             CGMouseButton button);
std::optional<CGEvent> eventCreateScrollWheelEvent(CGScrollEventUnit unit, std::int32_t wheel1,
                                                   std::int32_t wheel2);

// Posts to the common stream at the tap location, or to the one process.
void eventPost(CGEventTapLocation tap, const CGEvent& event);
void eventPostToPid(ProcessId pid, const CGEvent& event);

// Moves the pointer without posting an event; a location that is not a finite point fails.
CGError warpMouseCursorPosition(CGPoint location);

// The modifier flags the user holds right now.
CGEventFlags eventSourceFlagsState();

// The mouse buttons held right now: bit 0 the left button, bit 1 the right, bit n button n.
std::uint64_t pressedMouseButtons();

}  // namespace zoral::platform
