#pragma once

// UTF-8 as the program accepts it: well-formed only, with no overlong forms,
// no surrogates and nothing past U+10FFFF. Bytes that break it are refused,
// never repaired.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zoral::platform::utf8 {

// The code point at `position`, advancing `position` past it; nullopt, with
// `position` unchanged, when the bytes there are not valid UTF-8.
std::optional<char32_t> decode(std::string_view text, std::size_t& position);

// The offset of the first byte that breaks UTF-8, or nullopt when all is valid.
std::optional<std::size_t> findInvalid(std::string_view text);

inline bool isValid(std::string_view text) {
    return !findInvalid(text);
}

// Appends a Unicode scalar value (no surrogate, at most U+10FFFF).
void append(std::string& out, char32_t codePoint);

}  // namespace zoral::platform::utf8
