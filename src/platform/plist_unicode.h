#pragma once

// Strict UTF-8 and UTF-16 conversions shared by the property-list readers and
// writers. Strings inside PlistObject are UTF-8; anything that is not valid
// UTF-8 or UTF-16 (overlong forms, surrogates on their own, code points past
// U+10FFFF) is refused rather than repaired.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zoral::platform::detail {

// The next code point of `text` at `position`, advancing `position` past it;
// nullopt, with `position` unchanged, when the bytes there are not valid UTF-8.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& position);

// The offset of the first byte that breaks UTF-8, or nullopt when all is valid.
std::optional<std::size_t> findInvalidUtf8(std::string_view text);

void appendUtf8(std::string& out, char32_t codePoint);

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
