#pragma once

// The XML property-list format, read with expat and written by hand.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// Throws PlistSerializationError.
PlistObject readXmlPlist(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> writeXmlPlist(const PlistObject& object);

}  // namespace zoral::platform::detail
