#pragma once

// The old-style text property-list format: quoted and unquoted strings,
// <hex data>, ( arrays ) and { dictionaries; }. Every scalar reads as a
// string, as the format has no other. It is only ever read.

#include <cstdint>
#include <span>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// Throws PlistSerializationError.
PlistObject readOpenStepPlist(std::span<const std::uint8_t> bytes);

}  // namespace zoral::platform::detail
