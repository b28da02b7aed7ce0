#pragma once

// The storage form of a setting: native values as themselves, every other value as the JSON text
// of a one-element array with its brackets cut off (a string with its quotes, a bare number, a set
// as an array). Reads never fail towards the caller; what cannot be decoded or encoded is printed
// as one line.

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/json.h"
#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "settings/json_coding.h"
#include "settings/native_value.h"

namespace zoral::settings {

// A value type the settings store can keep.
template <class T>
concept StorableValue = NativeValue<T> || JsonCodable<T>;

namespace Defaults {

namespace detail {

// One line each, naming the setting.
void reportDecodingFailure(std::string_view name, std::string_view error);
void reportEncodingFailure(std::string_view name, std::string_view error);

// Stores the object; an object the user defaults refuse is reported and leaves the stored value
// as it was.
void setStoredObject(platform::UserDefaults& suite, std::string_view name,
                     platform::PlistObject object);

// Runs the coding and turns every exception it throws into an error text.
template <class F>
auto catchingCodingErrors(F&& coding) -> platform::JsonResult<decltype(coding())> {
    try {
        return coding();
    } catch (const std::exception& error) {
        return platform::JsonError{error.what()};
    }
}

// The empty text decodes to no value, which is no error.
template <JsonCodable T>
platform::JsonResult<std::optional<T>> decodeElementText(std::string_view text) {
    auto element = platform::decodeJsonElement(text);
    if (!element.ok())
        return platform::JsonError{element.error()};
    if (!element.value())
        return std::optional<T>();
    auto decoded = catchingCodingErrors([&] { return JsonCoding<T>::decode(*element.value()); });
    if (!decoded.ok())
        return platform::JsonError{decoded.error()};
    return std::optional<T>(std::move(decoded).value());
}

template <JsonCodable T>
platform::JsonResult<std::string> encodeElementText(const T& value) {
    auto json = catchingCodingErrors([&] { return JsonCoding<T>::encode(value); });
    if (!json.ok())
        return platform::JsonError{json.error()};
    return platform::encodeJsonElement(json.value());
}

// The object stored for a value that is present (an engaged optional, or any other value).
template <StorableValue T>
platform::JsonResult<platform::PlistObject> storedObject(const T& value) {
    if constexpr (NativeValue<T>) {
        if constexpr (isOptional<T>) {
            return nativeObject(*value);
        } else {
            return nativeObject(value);
        }
    } else {
        auto text = encodeElementText(value);
        if (!text.ok())
            return platform::JsonError{text.error()};
        return platform::PlistObject::string(std::move(text).value());
    }
}

template <class T>
bool isAbsent(const T& value) {
    if constexpr (isOptional<T>) {
        return !value.has_value();
    } else {
        return false;
    }
}

}  // namespace detail

template <class T>
constexpr bool isNativeType() {
    return NativeValue<T>;
}

// The stored text of a non-native value; an encoding failure is printed and gives no text.
template <JsonCodable T>
std::optional<std::string> encodeJSON(const T& value) {
    auto text = detail::encodeElementText(value);
    if (!text.ok())
        detail::reportEncodingFailure({}, text.error());
    return std::move(text).optional();
}

// A whole JSON text as the value type; any failure gives no value, silently.
template <JsonCodable T>
std::optional<T> decodeJSONText(std::string_view text) {
    auto json = platform::decodeJson(text);
    if (!json.ok())
        return std::nullopt;
    return detail::catchingCodingErrors([&] { return JsonCoding<T>::decode(json.value()); })
        .optional();
}

template <JsonCodable T>
std::optional<T> decodeJSON(std::span<const std::uint8_t> data) {
    return decodeJSONText<T>(
        std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

namespace detail {

// A stored object as the value type: a native value as the system bridges it, any other value from
// the object's text.
template <StorableValue T>
std::optional<T> valueFromObject(const platform::PlistObject& object, std::string_view name) {
    if constexpr (NativeValue<T>) {
        if constexpr (isOptional<T>) {
            auto value = nativeValue<typename T::value_type>(object);
            if (!value)
                return std::nullopt;
            return T(std::move(*value));
        } else {
            return nativeValue<T>(object);
        }
    } else {
        const auto text = objectText(object);
        if (!text)
            return std::nullopt;
        auto decoded = decodeElementText<T>(*text);
        if (!decoded.ok()) {
            reportDecodingFailure(name, decoded.error());
            return std::nullopt;
        }
        return std::move(decoded).value();
    }
}

}  // namespace detail

// The value stored (or registered) under the name, or none when nothing usable is there. Stored
// text that does not decode prints one line; empty stored text gives none silently.
template <StorableValue T>
std::optional<T> storedValue(const platform::UserDefaults& suite, std::string_view name) {
    const auto object = suite.objectForKey(name);
    if (!object)
        return std::nullopt;
    return detail::valueFromObject<T>(*object, name);
}

// Stores the value in its storage form; an absent optional removes the entry. A value that cannot
// be encoded is printed and leaves the stored value as it was.
template <StorableValue T>
void storeValue(platform::UserDefaults& suite, std::string_view name, const T& value) {
    if (detail::isAbsent(value)) {
        suite.removeObjectForKey(name);
        return;
    }
    auto object = detail::storedObject(value);
    if (!object.ok()) {
        detail::reportEncodingFailure(name, object.error());
        return;
    }
    detail::setStoredObject(suite, name, std::move(object).value());
}

// What the user's own settings hold under the name, ignoring registered defaults and registering
// none: for reading a setting of an older build whose name a current setting may have taken over.
// Decoding failures print one line, as for storedValue.
template <StorableValue T>
std::optional<T> persistedValue(std::string_view name, const platform::UserDefaults& suite =
                                                           platform::UserDefaults::standard()) {
    const auto values = suite.persistentDomainForName(suite.domainName());
    const auto found = values.find(name);
    if (found == values.end())
        return std::nullopt;
    return detail::valueFromObject<T>(found->second, name);
}

}  // namespace Defaults
}  // namespace zoral::settings
