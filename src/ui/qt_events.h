#pragma once

// The one conversion from the toolkit's input events to the program's (ui/event.h); for the code
// of ui/ (and its tests) that receives the toolkit's events.
//
// The key code is the key's place on the keyboard: from the window system's scan code where it
// gives one (an X server's key codes), otherwise from the key that the toolkit names, looked up
// in the user's current keyboard layout (so the key that types "a" on a French keyboard is the
// one at the place of Q). The modifier flags come from the toolkit's modifiers, with a modifier
// key's own flag added on its press and removed on its release, the side bits of each held
// modifier (the left key unless the event is the right key's own), the keypad and function bits
// that the keyboard sets on its keypad, function and navigation keys, and the non-coalesced bit.
// The characters are the layout's text for the key (with Shift when it is held), or the toolkit's
// character for a special key; Control makes a letter its control character in `characters`.

#include <optional>

#include "ui/event.h"

class QKeyEvent;
class QMouseEvent;

namespace zoral::ui {

// A key press becomes a key down, or a flags-changed event for a modifier key; a release a key
// up (flags-changed for a modifier key). None for a key that has no place on the keyboard.
std::optional<Event> eventFromKey(const QKeyEvent& key);

// Presses and releases of the three buttons, moves and drags. The location is in the window of
// the receiving widget, flipped to the bottom-left origin; `windowHeight` is that window's
// height.
std::optional<Event> eventFromMouse(const QMouseEvent& mouse, double windowHeight);

}  // namespace zoral::ui
