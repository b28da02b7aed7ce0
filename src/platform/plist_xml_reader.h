#pragma once

// The XML property-list reader.

#include <cstdint>
#include <span>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// Throws PlistSerializationError.
PlistObject readXmlPlist(std::span<const std::uint8_t> bytes);

}  // namespace zoral::platform::detail
