#pragma once

// The system's own keyboard shortcuts (its symbolic hot keys), which a recorded shortcut must
// not take.

#include <optional>
#include <vector>

#include "platform/plist_object.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::CarbonGlobalShortcuts {

// The enabled ones, in the system's order; read afresh on every call, empty when the system
// gives no list.
std::vector<GlobalShortcuts::Shortcut> enabledSymbolicHotKeys();

// A shortcut only when the entry is enabled (the boolean true) and has an integer key code and
// an integer modifier mask; the mask is reduced to the four modifiers.
std::optional<GlobalShortcuts::Shortcut> parseSymbolicHotKey(
    const platform::PlistDictionary& dictionary);

}  // namespace zoral::shortcuts::CarbonGlobalShortcuts
