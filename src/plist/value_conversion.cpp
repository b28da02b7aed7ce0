#include "plist/value_conversion.h"

#include <cmath>
#include <cstdint>

namespace zoral::plist {
namespace {

// 2^63 and 2^64, where the signed and unsigned 64-bit ranges end.
constexpr double twoTo63 = 9223372036854775808.0;
constexpr double twoTo64 = 18446744073709551616.0;

std::optional<PListValue> convertReal(double real) {
    if (std::isfinite(real) && std::trunc(real) == real && real >= -twoTo63 && real < twoTo63)
        return PListValue::integer(static_cast<std::int64_t>(real));
    return PListValue::real(real);
}

std::optional<PListValue> convertInteger(platform::PlistInteger integer) {
    if (const auto signedValue = integer.int64Value())
        return PListValue::integer(*signedValue);
    // Above INT64_MAX: a Double only when it holds the value exactly.
    const std::uint64_t unsignedValue = *integer.uint64Value();
    const auto nearest = static_cast<double>(unsignedValue);
    if (nearest >= twoTo64 || static_cast<std::uint64_t>(nearest) != unsignedValue)
        return std::nullopt;
    return PListValue::real(nearest);
}

}  // namespace

std::optional<PListValue> convertObject(const platform::PlistObject& source) {
    using Kind = platform::PlistObject::Kind;
    switch (source.kind()) {
        case Kind::boolean:
            return PListValue::boolean(*source.getIf<bool>());
        case Kind::string:
            return PListValue::string(*source.getIf<std::string>());
        case Kind::integer:
            return convertInteger(*source.getIf<platform::PlistInteger>());
        case Kind::real:
            return convertReal(*source.getIf<double>());
        case Kind::date:
            return PListValue::date(*source.getIf<platform::Date>());
        case Kind::data:
            return PListValue::data(*source.getIf<platform::PlistData>());
        case Kind::dictionary:
            if (auto dictionary = convertDictionary(*source.getIf<platform::PlistDictionary>()))
                return PListValue(std::move(*dictionary));
            return std::nullopt;
        case Kind::array:
            if (auto array = convertArray(*source.getIf<platform::PlistArray>()))
                return PListValue(std::move(*array));
            return std::nullopt;
        case Kind::uid:
            // An archive reference fits no shape of the model.
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PListDictionary> convertDictionary(const platform::PlistDictionary& source) {
    PListDictionary result;
    for (const auto& [key, object] : source) {
        std::optional<PListValue> value = convertObject(object);
        if (!value)
            return std::nullopt;
        result.set(key, std::move(*value));
    }
    return result;
}

std::optional<PListArray> convertArray(const platform::PlistArray& source) {
    PListArray::Vector elements;
    elements.reserve(source.size());
    for (const platform::PlistObject& object : source) {
        std::optional<PListValue> value = convertObject(object);
        if (!value)
            return std::nullopt;
        elements.push_back(std::move(*value));
    }
    return PListArray(std::move(elements));
}

platform::PlistObject toPlistObject(const PListDictionary& dictionary) {
    platform::PlistDictionary result;
    for (const auto& [key, value] : dictionary)
        result.emplace_hint(result.end(), key, toPlistObject(value));
    return platform::PlistObject::dictionary(std::move(result));
}

platform::PlistObject toPlistObject(const PListValue& value) {
    if (const auto* text = value.getIf<std::string>())
        return platform::PlistObject::string(*text);
    if (const auto* integer = value.getIf<std::int64_t>())
        return platform::PlistObject::integer(*integer);
    if (const auto* real = value.getIf<double>())
        return platform::PlistObject::real(*real);
    if (const auto* boolean = value.getIf<bool>())
        return platform::PlistObject::boolean(*boolean);
    if (const auto* date = value.getIf<PListDate>())
        return platform::PlistObject::date(*date);
    if (const auto* data = value.getIf<PListData>())
        return platform::PlistObject::data(*data);
    if (const auto* dictionary = value.getIf<PListDictionary>())
        return toPlistObject(*dictionary);
    if (const auto* array = value.getIf<PListArray>()) {
        platform::PlistArray elements;
        elements.reserve(array->size());
        for (const PListValue& element : *array)
            elements.push_back(toPlistObject(element));
        return platform::PlistObject::array(std::move(elements));
    }
    return platform::PlistObject();
}

}  // namespace zoral::plist
