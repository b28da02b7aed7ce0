#include "platform/plist_unicode.h"

#include "platform/utf8.h"

namespace zoral::platform::detail {

std::optional<std::size_t> appendUtf16AsUtf8(std::string& out, const std::uint8_t* bytes,
                                             std::size_t unitCount, bool bigEndian) {
    auto unitAt = [&](std::size_t index) -> char32_t {
        const std::uint8_t first = bytes[2 * index];
        const std::uint8_t second = bytes[2 * index + 1];
        return bigEndian ? static_cast<char32_t>((first << 8) | second)
                         : static_cast<char32_t>((second << 8) | first);
    };
    for (std::size_t index = 0; index < unitCount; ++index) {
        const char32_t unit = unitAt(index);
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        if (isLowSurrogate(unit))
            return index;
        if (isHighSurrogate(unit)) {
            if (index + 1 == unitCount || !isLowSurrogate(unitAt(index + 1)))
                return index;
            utf8::append(out, combineSurrogates(unit, unitAt(index + 1)));
            ++index;
            continue;
        }
        utf8::append(out, unit);
    }
    return std::nullopt;
}

}  // namespace zoral::platform::detail
