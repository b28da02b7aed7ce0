#include "platform/plist_unicode.h"

namespace zoral::platform::detail {

std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& position) {
    const std::size_t size = text.size();
    auto byteAt = [&](std::size_t index) { return static_cast<std::uint8_t>(text[index]); };
    const std::uint8_t lead = byteAt(position);
    if (lead < 0x80) {
        ++position;
        return lead;
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (size - position < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byteAt(position + i);
        if ((next & 0xC0u) != 0x80u)
            return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || isHighSurrogate(codePoint) ||
        isLowSurrogate(codePoint)) {
        return std::nullopt;
    }
    position += length;
    return codePoint;
}

std::optional<std::size_t> findInvalidUtf8(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        // Runs of ASCII are the common case; skip them without decoding.
        if (static_cast<std::uint8_t>(text[position]) < 0x80) {
            ++position;
            continue;
        }
        if (!decodeUtf8(text, position))
            return position;
    }
    return std::nullopt;
}

void appendUtf8(std::string& out, char32_t codePoint) {
    auto put = [&](char32_t value) { out.push_back(static_cast<char>(value)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
}

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
        if (isLowSurrogate(unit))
            return index;
        if (isHighSurrogate(unit)) {
            if (index + 1 == unitCount || !isLowSurrogate(unitAt(index + 1)))
                return index;
            appendUtf8(out, combineSurrogates(unit, unitAt(index + 1)));
            ++index;
            continue;
        }
        appendUtf8(out, unit);
    }
    return std::nullopt;
}

}  // namespace zoral::platform::detail
