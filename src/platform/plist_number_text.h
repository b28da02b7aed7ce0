#pragma once

// Integers and reals as XML property lists spell them.

#include <optional>
#include <string>
#include <string_view>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// Decimal or "0x" hexadecimal with an optional sign; nullopt when malformed or
// outside both INT64 and UINT64.
std::optional<PlistInteger> parseInteger(std::string_view text);

// A decimal real with an optional exponent, or "nan", "inf" or "infinity"
// (in any case), each with an optional sign.
std::optional<double> parseReal(std::string_view text);

// The shortest text that reads back as the same double; "nan", "+infinity"
// and "-infinity" for the values that have no digits.
void appendReal(std::string& out, double value);

}  // namespace zoral::platform::detail
