#include "settings/native_value.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zoral::settings {

using platform::PlistObject;

PlistObject nativeObject(bool value) {
    return PlistObject::boolean(value);
}
PlistObject nativeObject(const std::string& value) {
    return PlistObject::string(value);
}
PlistObject nativeObject(std::int64_t value) {
    return PlistObject::integer(value);
}
PlistObject nativeObject(double value) {
    return PlistObject::real(value);
}
PlistObject nativeObject(float value) {
    return PlistObject::real(static_cast<double>(value));
}
PlistObject nativeObject(platform::Date value) {
    return PlistObject::date(value);
}
PlistObject nativeObject(const platform::PlistData& value) {
    return PlistObject::data(value);
}

namespace {

// The number an object holds, as a double, and whether that double is exact.
struct Number {
    double value = 0;
    bool exact = true;
};

std::optional<Number> numberOf(const PlistObject& object) {
    if (auto boolean = object.boolValue())
        return Number{*boolean ? 1.0 : 0.0};
    if (auto real = object.realValue())
        return Number{*real};
    if (auto integer = object.integerValue()) {
        // Integers beyond 2^53 may be rounded on the way to double: exact only if they come back.
        const double value = integer->doubleValue();
        constexpr double twoTo63 = 9223372036854775808.0;
        if (auto signedValue = integer->int64Value()) {
            return Number{value,
                          value < twoTo63 && static_cast<std::int64_t>(value) == *signedValue};
        }
        const auto unsignedValue = *integer->uint64Value();
        return Number{value,
                      value < 2 * twoTo63 && static_cast<std::uint64_t>(value) == unsignedValue};
    }
    return std::nullopt;
}

}  // namespace

std::optional<bool> nativeBool(const PlistObject& object) {
    if (auto boolean = object.boolValue())
        return *boolean;
    const auto number = numberOf(object);
    if (number && number->value == 0)
        return false;
    if (number && number->value == 1)
        return true;
    return std::nullopt;
}

std::optional<std::string> nativeString(const PlistObject& object) {
    if (auto text = object.stringValue())
        return std::string(*text);
    return std::nullopt;
}

std::optional<std::int64_t> nativeInt(const PlistObject& object) {
    if (auto integer = object.integerValue())
        return integer->int64Value();
    const auto number = numberOf(object);
    if (!number || !std::isfinite(number->value) || std::trunc(number->value) != number->value)
        return std::nullopt;
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (number->value >= limit || number->value < -limit)
        return std::nullopt;
    return static_cast<std::int64_t>(number->value);
}

std::optional<double> nativeDouble(const PlistObject& object) {
    const auto number = numberOf(object);
    if (!number || !number->exact)
        return std::nullopt;
    return number->value;
}

std::optional<float> nativeFloat(const PlistObject& object) {
    const auto number = numberOf(object);
    if (!number || !number->exact)
        return std::nullopt;
    if (std::isfinite(number->value) &&
        std::fabs(number->value) > static_cast<double>(std::numeric_limits<float>::max())) {
        return std::nullopt;
    }
    // Integers must survive the narrowing; reals may lose precision, as a stored 0.05 must still
    // read as a Float.
    const auto narrowed = static_cast<float>(number->value);
    if ((object.integerValue() || object.boolValue()) &&
        static_cast<double>(narrowed) != number->value) {
        return std::nullopt;
    }
    return narrowed;
}

std::optional<platform::Date> nativeDate(const PlistObject& object) {
    if (const auto* date = object.getIf<platform::Date>())
        return *date;
    return std::nullopt;
}

std::optional<platform::PlistData> nativeData(const PlistObject& object) {
    if (const auto* data = object.getIf<platform::PlistData>())
        return *data;
    return std::nullopt;
}

std::optional<std::string> objectText(const PlistObject& object) {
    if (auto text = object.stringValue())
        return std::string(*text);
    if (auto integer = object.integerValue())
        return integer->toString();
    if (auto real = object.realValue()) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, *real);
        return std::string(buffer, result.ptr);
    }
    if (auto boolean = object.boolValue())
        return std::string(*boolean ? "1" : "0");
    return std::nullopt;
}

}  // namespace zoral::settings
