#pragma once

// Text helpers shared by the XML property-list reader and writer.

#include <string>
#include <string_view>

namespace zoral::platform::detail {

constexpr bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The text without XML white space at either end.
std::string_view trimmed(std::string_view text);

// A short, printable excerpt of a value for an error message, in quotes.
std::string excerpt(std::string_view text);

}  // namespace zoral::platform::detail
