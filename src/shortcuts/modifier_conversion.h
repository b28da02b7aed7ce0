#pragma once

// Between the application toolkit's modifier flags and the event manager's modifier mask, over the
// four modifiers a shortcut can hold: control, option, shift and command. Every other bit (caps
// lock, function, numeric pad, help, the device bits) is dropped both ways.

#include <cstdint>

#include "settings/modifier_flags.h"

namespace zoral::shortcuts::GlobalShortcuts {

// The event manager's bits of the four modifiers.
inline constexpr std::int64_t carbonCommand = 0x100;
inline constexpr std::int64_t carbonShift = 0x200;
inline constexpr std::int64_t carbonOption = 0x800;
inline constexpr std::int64_t carbonControl = 0x1000;

std::int64_t carbonModifierMask(settings::ModifierFlags flags);
settings::ModifierFlags cocoaModifierFlags(std::int64_t carbonModifiers);

}  // namespace zoral::shortcuts::GlobalShortcuts
