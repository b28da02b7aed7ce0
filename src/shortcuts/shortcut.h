#pragma once

// A key combination: a virtual key code and a modifier mask in the event manager's encoding
// (command 0x100, shift 0x200, option 0x800, control 0x1000). Both are 64-bit as stored; only
// values that fit in 32 bits can be registered with the system.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/events.h"
#include "settings/modifier_flags.h"
#include "shortcuts/key.h"

namespace zoral::shortcuts::GlobalShortcuts {

struct Name;

struct Shortcut {
    std::int64_t carbonKeyCode = 0;
    std::int64_t carbonModifiers = 0;

    friend constexpr bool operator==(const Shortcut&, const Shortcut&) = default;
    friend constexpr auto operator<=>(const Shortcut&, const Shortcut&) = default;

    // The key code as it is, the mask reduced to the four modifiers.
    static Shortcut withCarbonValues(std::int64_t keyCode, std::int64_t carbonModifiers);
    static Shortcut withKey(Key key, settings::ModifierFlags flags);
    // The combination of a key down (10) or key up (11) event; none for any other type.
    static std::optional<Shortcut> fromEvent(platform::NSEventType type,
                                             platform::CGKeyCode keyCode,
                                             settings::ModifierFlags modifierFlags);
    // The name's stored shortcut.
    static std::optional<Shortcut> forName(const Name& name);

    // The four modifiers as the application toolkit's flags.
    settings::ModifierFlags modifiers() const;
    // The display string.
    std::string description() const;

    // The stored form: compact JSON text of an object with the integer members "carbonKeyCode"
    // and "carbonModifiers", in that order. None when it cannot be encoded.
    std::optional<std::string> jsonText() const;
    // Reads the stored form: a JSON object with both members as integers in any order, with or
    // without whitespace and further members. None for anything else.
    static std::optional<Shortcut> fromJsonText(std::string_view text);
};

std::ostream& operator<<(std::ostream& stream, const Shortcut& shortcut);

}  // namespace zoral::shortcuts::GlobalShortcuts

template <>
struct std::hash<zoral::shortcuts::GlobalShortcuts::Shortcut> {
    std::size_t operator()(
        const zoral::shortcuts::GlobalShortcuts::Shortcut& shortcut) const noexcept {
        const std::size_t code = std::hash<std::int64_t>{}(shortcut.carbonKeyCode);
        const std::size_t modifiers = std::hash<std::int64_t>{}(shortcut.carbonModifiers);
        return code ^ (modifiers + 0x9E3779B97F4A7C15ULL + (code << 6) + (code >> 2));
    }
};
