#pragma once

// The system's symbolic hot keys: the shortcuts the system itself answers (switching spaces, for
// one), as the user has set them, read from the property list in the user's preferences.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/events.h"

namespace zoral::desktop {

struct SymbolicHotKey {
    bool enabled = false;
    platform::CGKeyCode keyCode = 0;
    // In the bit layout of event flags, ready to post.
    platform::CGEventFlags modifiers;

    friend bool operator==(const SymbolicHotKey&, const SymbolicHotKey&) = default;
};

// The system's identifiers of the shortcuts that move one space left and right.
inline constexpr std::string_view moveLeftASpaceHotKey = "79";
inline constexpr std::string_view moveRightASpaceHotKey = "81";

// Where the system keeps the hot keys: the preferences file of this domain in the program's home
// (the one the user defaults use); none without a home.
inline constexpr std::string_view symbolicHotKeysDomain = "com.apple.symbolichotkeys";
std::optional<std::string> symbolicHotKeysPath();

// The entry with the identifier, a decimal number. None when the file cannot be loaded, or the
// entry lacks "enabled" or its "value" lacks "parameters", or the parameters are fewer than three,
// or the key code (entry 1) is no integer from 0 to 65535, or the modifiers (entry 2) are no
// integer or negative. Whether the entry is enabled is left to the caller.
std::optional<SymbolicHotKey> symbolicHotKey(const std::string& identifier);

}  // namespace zoral::desktop
