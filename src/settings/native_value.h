#pragma once

// The value types that the user defaults hold as themselves: Bool, String, Int (64-bit), Double,
// Float, Date and Data, and the optional form of each. Every other type is stored as JSON text.

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/date.h"
#include "platform/plist_object.h"

namespace zoral::settings {

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class T>
inline constexpr bool isOptional = IsOptional<T>::value;

template <class T>
concept NativeScalar = std::same_as<T, bool> || std::same_as<T, std::string> ||
    std::same_as<T, std::int64_t> || std::same_as<T, double> || std::same_as<T, float> ||
    std::same_as<T, platform::Date> || std::same_as<T, platform::PlistData>;

namespace detail {
template <class T>
struct NativeTest : std::bool_constant<NativeScalar<T>> {};
template <class T>
struct NativeTest<std::optional<T>> : std::bool_constant<NativeScalar<T>> {};
}  // namespace detail

template <class T>
concept NativeValue = detail::NativeTest<T>::value;

template <class T>
constexpr bool isNativeType() {
    return NativeValue<T>;
}

// The object the user defaults store for a native value.
platform::PlistObject nativeObject(bool value);
platform::PlistObject nativeObject(const std::string& value);
platform::PlistObject nativeObject(std::int64_t value);
platform::PlistObject nativeObject(double value);
platform::PlistObject nativeObject(float value);
platform::PlistObject nativeObject(platform::Date value);
platform::PlistObject nativeObject(const platform::PlistData& value);

// A stored object as a native value, as the system bridges it: numbers convert between Bool, Int
// and the floating types only when nothing is lost (1 is true, 2 is no Bool, 3.5 is no Int), and
// strings, dates and data only as themselves. No value when the object does not convert.
std::optional<bool> nativeBool(const platform::PlistObject& object);
std::optional<std::string> nativeString(const platform::PlistObject& object);
std::optional<std::int64_t> nativeInt(const platform::PlistObject& object);
std::optional<double> nativeDouble(const platform::PlistObject& object);
std::optional<float> nativeFloat(const platform::PlistObject& object);
std::optional<platform::Date> nativeDate(const platform::PlistObject& object);
std::optional<platform::PlistData> nativeData(const platform::PlistObject& object);

template <NativeScalar T>
std::optional<T> nativeValue(const platform::PlistObject& object) {
    if constexpr (std::same_as<T, bool>) {
        return nativeBool(object);
    } else if constexpr (std::same_as<T, std::string>) {
        return nativeString(object);
    } else if constexpr (std::same_as<T, std::int64_t>) {
        return nativeInt(object);
    } else if constexpr (std::same_as<T, double>) {
        return nativeDouble(object);
    } else if constexpr (std::same_as<T, float>) {
        return nativeFloat(object);
    } else if constexpr (std::same_as<T, platform::Date>) {
        return nativeDate(object);
    } else {
        return nativeData(object);
    }
}

// The object's text as the user defaults give it for a string read: a string as itself, a number
// in decimal, a boolean as 1 or 0. No text for dates, data and collections.
std::optional<std::string> objectText(const platform::PlistObject& object);

}  // namespace zoral::settings
