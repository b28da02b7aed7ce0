#pragma once

// Lists in a sentence: "a, b, c and d".

#include <span>
#include <string>
#include <string_view>

namespace zoral::desktop {

// Up to two items are joined with the last separator; with more, the last two are, and
// everything else with the separator.
std::string joinedWithLastSeparator(std::span<const std::string> items, std::string_view separator,
                                    std::string_view lastSeparator);

}  // namespace zoral::desktop
