#include "platform/utf8.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zoral::platform::utf8 {

std::optional<char32_t> decode(std::string_view text, std::size_t& position) {
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
    if (text.size() - position < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byteAt(position + i);
        if ((next & 0xC0u) != 0x80u)
            return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || codePoint > 0x10FFFF || surrogate)
        return std::nullopt;
    position += length;
    return codePoint;
}

std::optional<std::size_t> findInvalid(std::string_view text) {
    constexpr std::uint64_t highBits = 0x8080808080808080u;
    std::size_t position = 0;
    while (position < text.size()) {
        // Runs of ASCII are the common case: eight bytes at a time.
        if (text.size() - position >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + position, 8);
            if ((word & highBits) == 0) {
                position += 8;
                continue;
            }
        }
        if (static_cast<std::uint8_t>(text[position]) < 0x80) {
            ++position;
            continue;
        }
        if (!decode(text, position))
            return position;
    }
    return std::nullopt;
}

void append(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
        return;
    }
    std::array<char, 4> bytes{};
    std::size_t length = 0;
    auto put = [&](char32_t value) { bytes[length++] = static_cast<char>(value); };
    if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
    }
    put(0x80 | (codePoint & 0x3F));
    out.append(bytes.data(), length);
}

}  // namespace zoral::platform::utf8
