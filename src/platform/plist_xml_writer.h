#pragma once

// The XML property-list writer.

#include <cstdint>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// Throws PlistSerializationError for values that XML cannot hold.
std::vector<std::uint8_t> writeXmlPlist(const PlistObject& object);

}  // namespace zoral::platform::detail
