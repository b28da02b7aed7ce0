#pragma once

// A named global shortcut. The name is what the program knows a shortcut by; the combination the
// user gives it is stored in the user defaults under "GlobalShortcuts_" followed by the name.
// Names are equal, order and hash by their text alone, whatever their defaults: every table keyed
// by name treats names with the same text as one entry.

#include <compare>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::GlobalShortcuts {

inline constexpr std::string_view userDefaultsKeyPrefix = "GlobalShortcuts_";

struct Name {
    // No default; touches nothing.
    explicit Name(std::string rawValue);
    // With a default, stores it (registering it and announcing the change) when nothing at all is
    // stored under the name's key; a stored shortcut, or the mark of a cleared one, stays.
    Name(std::string rawValue, std::optional<Shortcut> defaultShortcut);

    std::string rawValue;
    std::optional<Shortcut> defaultShortcut;

    // The user-defaults key of the name's shortcut.
    std::string userDefaultsKey() const;

    friend bool operator==(const Name& a, const Name& b) { return a.rawValue == b.rawValue; }
    friend std::strong_ordering operator<=>(const Name& a, const Name& b) {
        return a.rawValue <=> b.rawValue;
    }
};

}  // namespace zoral::shortcuts::GlobalShortcuts

template <>
struct std::hash<zoral::shortcuts::GlobalShortcuts::Name> {
    std::size_t operator()(const zoral::shortcuts::GlobalShortcuts::Name& name) const noexcept {
        return std::hash<std::string>{}(name.rawValue);
    }
};
