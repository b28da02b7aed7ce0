#include "platform/user_defaults_coercion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace zoral::platform::detail {
namespace {

std::string formatReal(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string_view trimLeading(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\n\r\f\v");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The integer at the start of the text, clamped to the 64-bit range.
std::int64_t leadingInteger(std::string_view text) {
    text = trimLeading(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return text.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                                   : std::numeric_limits<std::int64_t>::max();
    }
    return result.ec == std::errc() ? value : 0;
}

double leadingReal(std::string_view text) {
    text = trimLeading(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0;
}

std::int64_t clampToInteger(double value) {
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (value >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (value < -limit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

}  // namespace

std::optional<std::string> coerceToString(const PlistObject& value) {
    if (auto text = value.stringValue())
        return std::string(*text);
    if (auto integer = value.integerValue())
        return integer->toString();
    if (auto real = value.realValue())
        return formatReal(*real);
    if (auto boolean = value.boolValue())
        return *boolean ? "1" : "0";
    return std::nullopt;
}

bool coerceToBool(const PlistObject& value) {
    if (auto boolean = value.boolValue())
        return *boolean;
    if (auto integer = value.integerValue())
        return *integer != PlistInteger();
    if (auto real = value.realValue())
        return *real != 0;
    if (auto text = value.stringValue()) {
        const auto trimmed = trimLeading(*text);
        return equalsIgnoringCase(trimmed, "yes") || equalsIgnoringCase(trimmed, "true") ||
               leadingInteger(trimmed) != 0;
    }
    return false;
}

std::int64_t coerceToInteger(const PlistObject& value) {
    if (auto integer = value.integerValue()) {
        return integer->int64Value().value_or(std::numeric_limits<std::int64_t>::max());
    }
    if (auto real = value.realValue())
        return clampToInteger(*real);
    if (auto boolean = value.boolValue())
        return *boolean ? 1 : 0;
    if (auto text = value.stringValue())
        return leadingInteger(*text);
    return 0;
}

double coerceToDouble(const PlistObject& value) {
    if (auto real = value.realValue())
        return *real;
    if (auto integer = value.integerValue())
        return integer->doubleValue();
    if (auto boolean = value.boolValue())
        return *boolean ? 1 : 0;
    if (auto text = value.stringValue())
        return leadingReal(*text);
    return 0;
}

}  // namespace zoral::platform::detail
