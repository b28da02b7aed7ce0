#pragma once

// How the typed reads of user defaults turn a stored value into the type asked for, as the
// system's own user defaults do: numbers, booleans and strings stand in for one another.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// A string, or a number as its text (true as "1", 3.0 as "3"); none for other kinds.
std::optional<std::string> coerceToString(const PlistObject& value);
// A boolean or a number (non-zero), or a string "YES"/"true" (any case) or of a non-zero integer;
// false otherwise.
bool coerceToBool(const PlistObject& value);
// A number (a real truncated towards zero, out-of-range values clamped), a boolean as 0 or 1, or a
// string that starts with an integer; 0 otherwise.
std::int64_t coerceToInteger(const PlistObject& value);
// A number, a boolean as 0 or 1, or a string that starts with a number; 0 otherwise.
double coerceToDouble(const PlistObject& value);

}  // namespace zoral::platform::detail
