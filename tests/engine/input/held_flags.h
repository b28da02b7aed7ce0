#pragma once

// The modifier flags the input tests hold, by the names of their keys.

#include "platform/events.h"

namespace zoral::engine::testing {

inline constexpr platform::CGEventFlags fn = platform::CGEventFlags::maskSecondaryFn;
inline constexpr platform::CGEventFlags option = platform::CGEventFlags::maskAlternate;
inline constexpr platform::CGEventFlags control = platform::CGEventFlags::maskControl;

}  // namespace zoral::engine::testing
