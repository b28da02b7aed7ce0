#pragma once

// System-wide hot keys as the window server gives them: a key combination registered for one of
// the program's event targets under a four-character signature and an identifier; the events
// (hot key pressed, hot key released) that reach the handlers installed on that target; and the
// system's own symbolic hot keys. The C calls of the system's event manager, in C++ form, with its
// status codes.
//
// Events and their parameters are plain values (platform/hot_keys.cpp); the calls that reach the
// window server are only declared here, and the simulated desktop (sim/) defines them.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/opaque_reference.h"
#include "platform/plist_object.h"

namespace zoral::platform {

using OSStatus = std::int32_t;
using FourCharCode = std::uint32_t;

// The four characters, first character in the highest byte, as the system packs them.
constexpr FourCharCode fourCharCode(const char (&text)[5]) {
    return (static_cast<FourCharCode>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<FourCharCode>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<FourCharCode>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<FourCharCode>(static_cast<unsigned char>(text[3]));
}

namespace carbon {

// Status codes of the event manager.
inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus paramErr = -50;
inline constexpr OSStatus errAECoercionFail = -1700;
inline constexpr OSStatus eventParameterNotFoundErr = -9870;
inline constexpr OSStatus eventNotHandledErr = -9874;
inline constexpr OSStatus eventHotKeyExistsErr = -9878;
inline constexpr OSStatus eventHotKeyInvalidErr = -9879;

inline constexpr FourCharCode kEventClassKeyboard = fourCharCode("keyb");
inline constexpr std::uint32_t kEventHotKeyPressed = 5;
inline constexpr std::uint32_t kEventHotKeyReleased = 6;
inline constexpr FourCharCode kEventParamDirectObject = fourCharCode("----");
inline constexpr FourCharCode typeEventHotKeyID = fourCharCode("hkid");

// The modifier bits of the event manager's masks.
inline constexpr std::uint32_t cmdKey = 0x100;
inline constexpr std::uint32_t shiftKey = 0x200;
inline constexpr std::uint32_t alphaLock = 0x400;
inline constexpr std::uint32_t optionKey = 0x800;
inline constexpr std::uint32_t controlKey = 0x1000;
inline constexpr std::uint32_t kEventKeyModifierNumLockMask = 0x10000;
inline constexpr std::uint32_t kEventKeyModifierFnMask = 0x20000;

// The identifier the program gives a hot key, handed back with each of its events: 8 bytes,
// signature first.
struct EventHotKeyID {
    FourCharCode signature = 0;
    std::uint32_t id = 0;

    friend constexpr bool operator==(const EventHotKeyID&, const EventHotKeyID&) = default;
};

using EventTargetRef = OpaqueReference<struct EventTargetTag>;
using EventHotKeyRef = OpaqueReference<struct EventHotKeyTag>;
using EventHandlerRef = OpaqueReference<struct EventHandlerTag>;
using EventHandlerCallRef = OpaqueReference<struct EventHandlerCallTag>;

struct EventTypeSpec {
    FourCharCode eventClass = 0;
    std::uint32_t eventKind = 0;

    friend constexpr bool operator==(const EventTypeSpec&, const EventTypeSpec&) = default;
};

// One event: its class, its kind and its parameters, each a typed run of bytes.
class Event {
public:
    struct Parameter {
        FourCharCode type = 0;
        std::vector<std::uint8_t> bytes;
    };

    Event(FourCharCode eventClass, std::uint32_t kind) : class_(eventClass), kind_(kind) {}

    // A hot-key event of the kind, carrying the identifier as its direct object.
    static Event hotKeyEvent(std::uint32_t kind, EventHotKeyID identifier);

    FourCharCode eventClass() const { return class_; }
    std::uint32_t kind() const { return kind_; }
    void setParameter(FourCharCode name, Parameter parameter);
    const Parameter* parameter(FourCharCode name) const;

private:
    FourCharCode class_;
    std::uint32_t kind_;
    std::map<FourCharCode, Parameter> parameters_;
};

// Events are handed to handlers by reference for the length of the call; null is no event.
using EventRef = const Event*;

// A handler answers noErr when it dealt with the event, eventNotHandledErr to pass it on to the
// next handler, or any other status.
using EventHandlerProc =
    std::function<OSStatus(EventHandlerCallRef nextHandler, EventRef event, void* userData)>;

// The target of the program's own event dispatch: where hot-key events arrive.
EventTargetRef getEventDispatcherTarget();

// Registers the combination (a virtual key code and a mask of the modifier bits above) for the
// target. Refused with eventHotKeyExistsErr when the combination is registered already, by this
// program or another one; with paramErr for a null target or a missing out-reference. The
// reference is written only on success.
OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                             EventHotKeyID identifier, EventTargetRef target, std::uint32_t options,
                             EventHotKeyRef* outRef);
// Releases it; eventHotKeyInvalidErr for a reference that is not registered (any more).
OSStatus unregisterEventHotKey(EventHotKeyRef hotKey);

// Installs the handler on the target for the listed event types. The most recently installed
// handler of a target is called first; one that answers eventNotHandledErr passes the event on.
// The reference is written only on success.
OSStatus installEventHandler(EventTargetRef target, EventHandlerProc handler,
                             std::span<const EventTypeSpec> types, void* userData,
                             EventHandlerRef* outRef);

FourCharCode getEventClass(EventRef event);
std::uint32_t getEventKind(EventRef event);
// Copies the parameter's bytes into the buffer (as many as fit) when the event holds it with the
// desired type. eventParameterNotFoundErr when it holds no such parameter, errAECoercionFail when
// it holds it with another type, paramErr for no event. The actual size is the parameter's own.
OSStatus getEventParameter(EventRef event, FourCharCode name, FourCharCode desiredType,
                           FourCharCode* outActualType, std::span<std::uint8_t> buffer,
                           std::size_t* outActualSize);

// The keys of the system's symbolic hot-key dictionaries.
inline constexpr const char* kHISymbolicHotKeyCode = "kHISymbolicHotKeyCode";
inline constexpr const char* kHISymbolicHotKeyModifiers = "kHISymbolicHotKeyModifiers";
inline constexpr const char* kHISymbolicHotKeyEnabled = "kHISymbolicHotKeyEnabled";

// The system's own keyboard shortcuts: an array of dictionaries, each with the key code, the
// modifiers in the event manager's mask and whether it is enabled. The array is written only on
// success.
OSStatus copySymbolicHotKeys(std::optional<PlistObject>* outArray);

}  // namespace carbon
}  // namespace zoral::platform
