#pragma once

// Strict UTF-16 conversion shared by the property-list readers and writers.
// Strings inside PlistObject are UTF-8 (see platform/utf8.h); UTF-16 with a
// surrogate on its own is refused rather than repaired.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zoral::platform::detail {

constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr char32_t combineSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Decodes `unitCount` UTF-16 code units of `bytes` (big- or little-endian) and
// appends them as UTF-8. Returns the index of the first unit that is an
// unpaired surrogate, or nullopt on success.
std::optional<std::size_t> appendUtf16AsUtf8(std::string& out, const std::uint8_t* bytes,
                                             std::size_t unitCount, bool bigEndian);

}  // namespace zoral::platform::detail
