#pragma once

// Dates as XML property lists spell them: "YYYY-MM-DDTHH:MM:SSZ" in UTC on the
// proleptic Gregorian calendar, with a fraction of a second only when the date
// has one.

#include <optional>
#include <string>
#include <string_view>

#include "platform/date.h"

namespace zoral::platform::detail {

// Nullopt for dates that are not finite or lie 2^53 seconds or more from 2001.
std::optional<std::string> formatDate(Date date);

// Nullopt when the text is no such date or names a day that does not exist.
std::optional<Date> parseDate(std::string_view text);

}  // namespace zoral::platform::detail
