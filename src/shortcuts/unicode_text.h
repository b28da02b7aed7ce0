#pragma once

// The little Unicode handling the shortcut texts need: full case mapping (independent of the
// user's locale), user-perceived characters, and UTF-16 from the text-input system.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace zoral::shortcuts {

std::string upperCased(std::string_view utf8);
std::string lowerCased(std::string_view utf8);
// The number of grapheme clusters ("?" with a combining circle is one).
std::size_t characterCount(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string utf8FromUtf16(std::span<const char16_t> units);

}  // namespace zoral::shortcuts
