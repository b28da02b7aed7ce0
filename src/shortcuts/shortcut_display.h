#pragma once

// A shortcut as people and menus see it: the modifier symbols and the key's text, and the key
// equivalent a menu item needs. The text of a key that is no special key comes from the user's
// current keyboard layout, asked afresh on every call, so it follows a change of layout.

#include <optional>
#include <string>

#include "settings/modifier_flags.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::GlobalShortcuts {

// The symbols of the flags present, in the order control, option, shift, command, function;
// empty for none. Also the flags' description.
std::string modifierSymbols(settings::ModifierFlags flags);

// The key's text (only the key code counts): the special keys' symbols and names, else what the
// key types under the current ASCII-capable layout, not upper-cased. None without such a layout
// or its data, when the translation fails, and for a key code beyond 65535.
std::optional<std::string> keyString(const Shortcut& shortcut);

// The modifier symbols followed by the key's text upper-cased, or by U+FFFD without one.
std::string displayString(const Shortcut& shortcut);

// What a menu item takes as its key equivalent: the key's text when it is one character (a
// letter's lower-case character, an arrow's symbol), else the function keys' characters, else
// nothing. Space gives a space, which is what the menu matches the key against.
std::string menuKeyEquivalent(const Shortcut& shortcut);

}  // namespace zoral::shortcuts::GlobalShortcuts
