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
#include <variant>

#include <nlohmann/json.hpp>

namespace zoral::platform {

using Json = nlohmann::ordered_json;

// What went wrong in an encode or decode, as text.
struct JsonError {
    std::string message;
};

// The outcome of an encode or decode: a value, or the error that says why there is none; never
// both, never neither.
template <class T>
class JsonResult {
public:
    JsonResult(T value) : outcome_(std::in_place_index<0>, std::move(value)) {}
    JsonResult(JsonError error) : outcome_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return outcome_.index() == 0; }
    // Asking an error for its value, or a value for its error, is a programming error: it throws.
    const T& value() const& { return std::get<0>(outcome_); }
    T value() && { return std::get<0>(std::move(outcome_)); }
    const std::string& error() const { return std::get<1>(outcome_).message; }
    // The value, or none when this is an error.
    std::optional<T> optional() const& { return ok() ? std::optional<T>(value()) : std::nullopt; }
    std::optional<T> optional() && {
        return ok() ? std::optional<T>(std::move(*this).value()) : std::nullopt;
    }

private:
    std::variant<T, JsonError> outcome_;
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
// decodes to no value, which is no error; text that does not decode gives the error.
JsonResult<std::optional<Json>> decodeJsonElement(std::string_view text);

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
        return exactValue<T>(json);
    } catch (const JsonDecodeError& error) {
        return JsonError{error.what()};
    } catch (const nlohmann::json::exception& error) {
        return JsonError{error.what()};
    }
}

template <class T>
JsonResult<T> decodeJsonAs(std::string_view text) {
    auto decoded = decodeJson(text);
    if (!decoded.ok())
        return JsonError{decoded.error()};
    return jsonValueAs<T>(decoded.value());
}

// The empty text gives no value, as decodeJsonElement does.
template <class T>
JsonResult<std::optional<T>> decodeJsonElementAs(std::string_view text) {
    auto decoded = decodeJsonElement(text);
    if (!decoded.ok())
        return JsonError{decoded.error()};
    if (!decoded.value())
        return std::optional<T>();
    auto converted = jsonValueAs<T>(*decoded.value());
    if (!converted.ok())
        return JsonError{converted.error()};
    return std::optional<T>(std::move(converted).value());
}

// Encodes anything that converts to Json (through the library or a to_json of the program's own).
template <class T>
requires(!std::same_as<std::remove_cvref_t<T>, Json>)
    JsonResult<std::string> encodeJson(const T& value) {
    try {
        return encodeJson(Json(value));
    } catch (const nlohmann::json::exception& error) {
        return JsonError{error.what()};
    }
}

template <class T>
requires(!std::same_as<std::remove_cvref_t<T>, Json>)
    JsonResult<std::string> encodeJsonElement(const T& value) {
    try {
        return encodeJsonElement(Json(value));
    } catch (const nlohmann::json::exception& error) {
        return JsonError{error.what()};
    }
}

}  // namespace zoral::platform
