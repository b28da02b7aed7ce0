#include "platform/plist_number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace zoral::platform::detail {

std::optional<PlistInteger> parseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars would take a second sign; the digits must start at once.
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, magnitude, base);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    if (!negative)
        return PlistInteger::fromUnsigned(magnitude);
    constexpr std::uint64_t minimumMagnitude = static_cast<std::uint64_t>(INT64_MAX) + 1;
    if (magnitude > minimumMagnitude)
        return std::nullopt;
    if (magnitude == minimumMagnitude)
        return PlistInteger::fromSigned(INT64_MIN);
    return PlistInteger::fromSigned(-static_cast<std::int64_t>(magnitude));
}

std::optional<double> parseReal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

void appendReal(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
    } else if (std::isinf(value)) {
        out += value > 0 ? "+infinity" : "-infinity";
    } else {
        std::array<char, 64> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        out.append(buffer.data(), result.ptr);
    }
}

}  // namespace zoral::platform::detail
