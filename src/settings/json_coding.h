#pragma once

// The JSON form of the values that the settings store keeps as text: scalars as themselves,
// enumerations by raw value, sets and arrays as JSON arrays (a set in its own order), dictionaries
// with string keys as objects and every other dictionary as one flat array alternating key and
// value. Decoding is strict: a wrong shape, a number out of range or a raw value that names no case
// throws platform::JsonDecodeError (or the library's own exceptions).

#include <concepts>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/enum_table.h"
#include "platform/json.h"

namespace zoral::settings {

// Specialise for a type of the program's own (encode and decode as static functions).
template <class T>
struct JsonCoding;

template <class T>
concept JsonCodable = requires(const T& value, const platform::Json& json) {
    { JsonCoding<T>::encode(value) } -> std::convertible_to<platform::Json>;
    { JsonCoding<T>::decode(json) } -> std::convertible_to<T>;
};

template <class T>
requires std::same_as<T, bool> || std::integral<T> || std::floating_point<T> ||
    std::same_as<T, std::string>
struct JsonCoding<T> {
    static platform::Json encode(const T& value) { return platform::Json(value); }
    static T decode(const platform::Json& json) {
        if constexpr (std::same_as<T, std::string>) {
            if (!json.is_string())
                throw platform::JsonDecodeError("expected a string, found " + json.dump());
            return json.get<std::string>();
        } else {
            return platform::exactValue<T>(json);
        }
    }
};

// An enumeration stored by its raw value, whose table names the type for the message about a raw
// value that names no case.
template <class E>
concept StoredEnum = platform::RawValuedEnum<E> && requires {
    { platform::EnumTable<E>::typeName } -> std::convertible_to<std::string_view>;
};

template <StoredEnum E>
struct JsonCoding<E> {
    static platform::Json encode(const E& value) {
        if constexpr (storedAsText) {
            return platform::Json(std::string(platform::rawValue(value)));
        } else {
            return platform::Json(platform::rawValue(value));
        }
    }
    static E decode(const platform::Json& json) {
        if constexpr (storedAsText) {
            if (!json.is_string())
                throw platform::JsonDecodeError("expected a string, found " + json.dump());
            if (auto value = platform::fromRawValue<E>(json.get_ref<const std::string&>()))
                return *value;
        } else {
            if (auto value = platform::fromRawValue<E>(
                    platform::exactValue<platform::EnumRawValue<E>>(json)))
                return *value;
        }
        throw platform::JsonDecodeError(json.dump() + " is no case of " +
                                        std::string(platform::EnumTable<E>::typeName));
    }

private:
    static constexpr bool storedAsText = std::same_as<platform::EnumRawValue<E>, std::string_view>;
};

template <JsonCodable T>
struct JsonCoding<std::optional<T>> {
    static platform::Json encode(const std::optional<T>& value) {
        return value ? JsonCoding<T>::encode(*value) : platform::Json(nullptr);
    }
    static std::optional<T> decode(const platform::Json& json) {
        if (json.is_null())
            return std::nullopt;
        return JsonCoding<T>::decode(json);
    }
};

namespace detail {

inline const platform::Json& expectArray(const platform::Json& json) {
    if (!json.is_array())
        throw platform::JsonDecodeError("expected an array, found " + json.dump());
    return json;
}

}  // namespace detail

template <JsonCodable T>
struct JsonCoding<std::vector<T>> {
    static platform::Json encode(const std::vector<T>& values) {
        auto json = platform::Json::array();
        for (const auto& value : values)
            json.push_back(JsonCoding<T>::encode(value));
        return json;
    }
    static std::vector<T> decode(const platform::Json& json) {
        std::vector<T> values;
        for (const auto& element : detail::expectArray(json))
            values.push_back(JsonCoding<T>::decode(element));
        return values;
    }
};

// In the set's own order, so that the stored text is the same on every write.
template <JsonCodable T>
struct JsonCoding<std::set<T>> {
    static platform::Json encode(const std::set<T>& values) {
        auto json = platform::Json::array();
        for (const auto& value : values)
            json.push_back(JsonCoding<T>::encode(value));
        return json;
    }
    static std::set<T> decode(const platform::Json& json) {
        std::set<T> values;
        for (const auto& element : detail::expectArray(json))
            values.insert(JsonCoding<T>::decode(element));
        return values;
    }
};

template <JsonCodable K, JsonCodable V>
struct JsonCoding<std::map<K, V>> {
    static platform::Json encode(const std::map<K, V>& values) {
        if constexpr (std::same_as<K, std::string>) {
            auto json = platform::Json::object();
            for (const auto& [key, value] : values)
                json[key] = JsonCoding<V>::encode(value);
            return json;
        } else {
            auto json = platform::Json::array();
            for (const auto& [key, value] : values) {
                json.push_back(JsonCoding<K>::encode(key));
                json.push_back(JsonCoding<V>::encode(value));
            }
            return json;
        }
    }
    // A key given twice keeps its last value.
    static std::map<K, V> decode(const platform::Json& json) {
        std::map<K, V> values;
        if constexpr (std::same_as<K, std::string>) {
            if (!json.is_object())
                throw platform::JsonDecodeError("expected an object, found " + json.dump());
            for (const auto& item : json.items())
                values.insert_or_assign(item.key(), JsonCoding<V>::decode(item.value()));
        } else {
            const auto& array = detail::expectArray(json);
            if (array.size() % 2 != 0) {
                throw platform::JsonDecodeError(
                    "expected keys and values in turn, found an odd count of " +
                    std::to_string(array.size()) + " elements");
            }
            for (std::size_t index = 0; index < array.size(); index += 2) {
                values.insert_or_assign(JsonCoding<K>::decode(array[index]),
                                        JsonCoding<V>::decode(array[index + 1]));
            }
        }
        return values;
    }
};

}  // namespace zoral::settings
