#include "platform/url_opening.h"

#include <algorithm>
#include <cctype>

namespace zoral::platform {

bool isValidURL(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size())
        return false;
    const auto isAlpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (!isAlpha(text[0]))
        return false;
    const std::string_view scheme = text.substr(0, colon);
    if (!std::ranges::all_of(scheme, [&](char c) {
            return isAlpha(c) || std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '+' ||
                   c == '-' || c == '.';
        })) {
        return false;
    }
    return std::ranges::none_of(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

}  // namespace zoral::platform
