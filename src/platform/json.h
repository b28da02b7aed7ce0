#pragma once

// JSON text in and out. Objects keep their members in insertion order, output is compact (no
// whitespace), and integers stay exact in the whole signed and unsigned 64-bit range. Nothing here
// throws past the caller: every failure comes back as an error text.
//
// Stored settings keep a value as the JSON text of a one-element array with its brackets cut off
// ("abc" with its quotes, 3, [1,2]); encodeJsonElement and decodeJsonElement are the two halves of
// that form.

#include <concepts>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

namespace zoral::platform {

using Json = nlohmann::ordered_json;

// The outcome of an encode or decode: a value, or the text of what went wrong.
template <class T>
struct JsonResult {
    std::optional<T> value;
    std::optional<std::string> error;

    bool ok() const { return value.has_value(); }
};

// Deeper nesting is refused when decoding: the encoder and the destructors of other libraries
// recurse, and stored text comes from files anybody can edit.
inline constexpr int maxJsonDepth = 512;

// Thrown by exactValue and meant for the from_json functions of the program's types; the decoding
// functions below turn it, like the library's own exceptions, into an error.
class JsonDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Compact text. A string that is not valid UTF-8 and a number that is not finite are errors (the
// library alone would give up on the first and write the second as null).
JsonResult<std::string> encodeJson(const Json& value);

// Any JSON text, a lone scalar included. Errors say what is wrong and where.
JsonResult<Json> decodeJson(std::string_view text);

// The stored form of one value: the compact text of [value] without its first and last characters.
JsonResult<std::string> encodeJsonElement(const Json& value);

// The reverse: "[" + text + "]" decoded, giving its first element. The empty text (an empty array)
// gives neither a value nor an error; text that does not decode gives the error.
JsonResult<Json> decodeJsonElement(std::string_view text);

// The value as T. Numbers convert only when nothing is lost: an integer type takes only integers
// within its range (not 3.5, not 300 for std::uint8_t, not -1 for an unsigned type), a floating
// type takes any number, bool takes only booleans. Other types use their from_json. Throws
// JsonDecodeError or the library's exceptions.
template <class T>
T exactValue(const Json& json) {
    if constexpr (std::same_as<T, bool>) {
        if (!json.is_boolean())
            throw JsonDecodeError("expected a boolean, found " + json.dump());
        return json.get<bool>();
    } else if constexpr (std::integral<T>) {
        if (json.is_number_unsigned()) {
            const auto value = json.get<std::uint64_t>();
            if (value <= static_cast<std::uint64_t>(std::numeric_limits<T>::max())) {
                return static_cast<T>(value);
            }
        } else if (json.is_number_integer()) {
            const auto value = json.get<std::int64_t>();
            if (std::in_range<T>(value))
                return static_cast<T>(value);
        } else {
            throw JsonDecodeError("expected an integer, found " + json.dump());
        }
        throw JsonDecodeError("integer out of range: " + json.dump());
    } else if constexpr (std::floating_point<T>) {
        if (!json.is_number())
            throw JsonDecodeError("expected a number, found " + json.dump());
        return json.get<T>();
    } else {
        return json.get<T>();
    }
}

// exactValue with its failure as an error text.
template <class T>
JsonResult<T> jsonValueAs(const Json& json) {
    try {
        return {exactValue<T>(json), std::nullopt};
    } catch (const JsonDecodeError& error) {
        return {std::nullopt, error.what()};
    } catch (const nlohmann::json::exception& error) {
        return {std::nullopt, error.what()};
    }
}

template <class T>
JsonResult<T> decodeJsonAs(std::string_view text) {
    auto decoded = decodeJson(text);
    if (!decoded.value)
        return {std::nullopt, std::move(decoded.error)};
    return jsonValueAs<T>(*decoded.value);
}

template <class T>
JsonResult<T> decodeJsonElementAs(std::string_view text) {
    auto decoded = decodeJsonElement(text);
    if (!decoded.value)
        return {std::nullopt, std::move(decoded.error)};
    return jsonValueAs<T>(*decoded.value);
}

// Encodes anything that converts to Json (through the library or a to_json of the program's own).
template <class T>
requires(!std::same_as<std::remove_cvref_t<T>, Json>)
    JsonResult<std::string> encodeJson(const T& value) {
    try {
        return encodeJson(Json(value));
    } catch (const nlohmann::json::exception& error) {
        return {std::nullopt, error.what()};
    }
}

template <class T>
requires(!std::same_as<std::remove_cvref_t<T>, Json>)
    JsonResult<std::string> encodeJsonElement(const T& value) {
    try {
        return encodeJsonElement(Json(value));
    } catch (const nlohmann::json::exception& error) {
        return {std::nullopt, error.what()};
    }
}

}  // namespace zoral::platform
