#pragma once

// An input event as it reaches the program's own windows, in the system's terms: the toolkit's
// event type, the virtual key code, the modifier flags (device-independent bits, the side of each
// held modifier key and the non-coalesced bit, as the keyboard reports them), the characters the
// key types with and without the modifiers, and for mouse events the location in the window
// (bottom-left origin, y upwards) and the click count.
//
// Events of the toolkit become these through one conversion (ui/qt_events.h), so the shortcut
// recorder and the key monitors read the same fields whatever the toolkit underneath.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/local_events.h"
#include "platform/program_windows.h"

namespace zoral::ui {

// The keys that type no printable character, with the toolkit's characters for them (a private
// range of Unicode for the function and navigation keys, control characters for the others).
enum class SpecialKey : std::uint16_t {
    enter = 0x03,
    backspace = 0x08,
    tab = 0x09,
    newline = 0x0A,
    carriageReturn = 0x0D,
    backTab = 0x19,
    delete_ = 0x7F,  // the Delete key (above Return); "delete" is a keyword
    upArrow = 0xF700,
    downArrow = 0xF701,
    leftArrow = 0xF702,
    rightArrow = 0xF703,
    f1 = 0xF704,
    f35 = 0xF726,
    deleteForward = 0xF728,
    home = 0xF729,
    end = 0xF72B,
    pageUp = 0xF72C,
    pageDown = 0xF72D,
    help = 0xF746,
};

struct Event {
    platform::NSEventType type = platform::NSEventType::keyDown;
    platform::CGKeyCode keyCode = 0;
    platform::CGEventFlags modifierFlags;
    std::u16string characters;
    std::u16string charactersIgnoringModifiers;
    bool isARepeat = false;
    platform::CGPoint locationInWindow;
    std::int64_t clickCount = 0;
    std::int64_t buttonNumber = 0;
    double timestamp = 0;

    // The special key that the characters name, when they are one (F1 to F35 among them).
    std::optional<SpecialKey> specialKey() const;

    // The event in the event services' form: type, key code, flags, time and, for mouse
    // events, the button.
    platform::CGEvent cgEvent() const;

    // The event as the application hands it to its local monitors, for the window given.
    platform::NSEvent nsEvent(std::optional<platform::WindowNumber> window) const;

    friend bool operator==(const Event&, const Event&) = default;
};

// F1 to F35.
bool isFunctionKey(SpecialKey key);

// The special key of an application event, as Event::specialKey reads it.
std::optional<SpecialKey> specialKey(const platform::NSEvent& event);

}  // namespace zoral::ui
