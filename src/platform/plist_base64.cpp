#include "platform/plist_base64.h"

#include <array>
#include <cstdint>

namespace zoral::platform::detail {

namespace {

// The value of each base64 digit; the other characters are marked with the
// high bit, so that one test tells a run of four digits apart.
constexpr std::uint8_t space = 0x80;
constexpr std::uint8_t pad = 0x81;
constexpr std::uint8_t invalid = 0xFF;

constexpr std::array<std::uint8_t, 256> base64Values = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(invalid);
    for (std::size_t i = 0; i < base64Alphabet.size(); ++i)
        values[static_cast<std::uint8_t>(base64Alphabet[i])] = static_cast<std::uint8_t>(i);
    for (const char c : {' ', '\t', '\n', '\r'})
        values[static_cast<std::uint8_t>(c)] = space;
    values['='] = pad;
    return values;
}();

void putGroup(std::uint8_t*& out, std::uint32_t group) {
    out[0] = static_cast<std::uint8_t>(group >> 16);
    out[1] = static_cast<std::uint8_t>(group >> 8);
    out[2] = static_cast<std::uint8_t>(group);
    out += 3;
}

}  // namespace

std::optional<PlistData> decodeBase64(std::string_view text) {
    PlistData data(text.size() / 4 * 3 + 3);
    std::uint8_t* out = data.data();
    const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* const end = in + text.size();
    std::uint32_t group = 0;
    std::size_t digits = 0;
    std::size_t padding = 0;
    while (in < end) {
        // Between groups, runs of four digits go at once; white space and
        // padding go one character at a time.
        if (digits % 4 == 0 && padding == 0) {
            while (end - in >= 4) {
                const std::uint32_t a = base64Values[in[0]];
                const std::uint32_t b = base64Values[in[1]];
                const std::uint32_t c = base64Values[in[2]];
                const std::uint32_t d = base64Values[in[3]];
                if (((a | b | c | d) & 0x80u) != 0)
                    break;
                putGroup(out, a << 18 | b << 12 | c << 6 | d);
                in += 4;
                digits += 4;
            }
            if (in == end)
                break;
        }
        const std::uint8_t value = base64Values[*in++];
        if (value == space)
            continue;
        if (value == pad) {
            ++padding;
            continue;
        }
        if (value == invalid || padding > 0)
            return std::nullopt;
        group = (group << 6) | value;
        if (++digits % 4 == 0) {
            putGroup(out, group);
            group = 0;
        }
    }
    switch (digits % 4) {
        case 0:
            break;
        case 2:
            *out++ = static_cast<std::uint8_t>(group >> 4);
            break;
        case 3:
            *out++ = static_cast<std::uint8_t>(group >> 10);
            *out++ = static_cast<std::uint8_t>(group >> 2);
            break;
        default:
            return std::nullopt;
    }
    if (padding > 2 || (padding > 0 && (digits + padding) % 4 != 0))
        return std::nullopt;
    data.resize(static_cast<std::size_t>(out - data.data()));
    return data;
}

}  // namespace zoral::platform::detail
