#pragma once

// Base64 as XML property lists carry data: the standard alphabet with "="
// padding, white space anywhere ignored on reading.

#include <optional>
#include <string>
#include <string_view>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

inline constexpr std::string_view base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Nullopt when the text holds anything but base64 digits, padding and white space.
std::optional<PlistData> decodeBase64(std::string_view text);

}  // namespace zoral::platform::detail
