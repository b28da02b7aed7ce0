#include "platform/plist_xml_text.h"

#include <cstdint>

namespace zoral::platform::detail {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A short, printable excerpt of a value for an error message.
std::string excerpt(std::string_view text) {
    constexpr std::size_t limit = 40;
    std::string out = "\"";
    if (text.size() > limit) {
        // Cut at a character boundary, not inside a UTF-8 sequence.
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<std::uint8_t>(text[cut]) & 0xC0u) == 0x80u)
            --cut;
        out += text.substr(0, cut);
        out += "...";
    } else {
        out += text;
    }
    out += "\"";
    return out;
}

}  // namespace zoral::platform::detail
