#include "platform/plist_base64.h"

#include <array>
#include <cstdint>

#include "platform/plist_xml_text.h"

namespace zoral::platform::detail {

namespace {

constexpr std::array<std::int8_t, 256> base64Values = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (std::size_t i = 0; i < base64Alphabet.size(); ++i) {
        values[static_cast<std::uint8_t>(base64Alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return values;
}();

}  // namespace

// Nullopt when the text holds anything but base64 digits, padding and white space.
std::optional<PlistData> decodeBase64(std::string_view text) {
    PlistData out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    std::size_t digits = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (isXmlSpace(c))
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const std::int8_t value = base64Values[static_cast<std::uint8_t>(c)];
        if (value < 0 || padding > 0)
            return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++digits % 4 == 0) {
            out.push_back(static_cast<std::uint8_t>(group >> 16));
            out.push_back(static_cast<std::uint8_t>(group >> 8));
            out.push_back(static_cast<std::uint8_t>(group));
            group = 0;
        }
    }
    switch (digits % 4) {
        case 0:
            break;
        case 2:
            out.push_back(static_cast<std::uint8_t>(group >> 4));
            break;
        case 3:
            out.push_back(static_cast<std::uint8_t>(group >> 10));
            out.push_back(static_cast<std::uint8_t>(group >> 2));
            break;
        default:
            return std::nullopt;
    }
    if (padding > 2 || (padding > 0 && (digits + padding) % 4 != 0))
        return std::nullopt;
    return out;
}

}  // namespace zoral::platform::detail
