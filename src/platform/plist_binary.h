#pragma once

// The binary "bplist00" property-list format.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// Throws PlistSerializationError.
PlistObject readBinaryPlist(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> writeBinaryPlist(const PlistObject& object);

}  // namespace zoral::platform::detail
