#include "platform/json.h"

#include <cmath>

namespace zoral::platform {
namespace {

struct TooDeep {};

// Non-finite numbers have no JSON form; the encoder must refuse them rather than write null.
bool hasNonFiniteNumber(const Json& value) {
    if (value.is_number_float())
        return !std::isfinite(value.get<double>());
    if (value.is_structured()) {
        for (const auto& element : value) {
            if (hasNonFiniteNumber(element))
                return true;
        }
    }
    return false;
}

}  // namespace

JsonResult<std::string> encodeJson(const Json& value) {
    if (hasNonFiniteNumber(value))
        return {std::nullopt, "a number is not finite (NaN or infinity)"};
    try {
        return {value.dump(), std::nullopt};
    } catch (const nlohmann::json::exception& error) {
        return {std::nullopt, error.what()};
    }
}

JsonResult<Json> decodeJson(std::string_view text) {
    const auto limitDepth = [](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start ||
             event == Json::parse_event_t::array_start) &&
            depth >= maxJsonDepth) {
            throw TooDeep{};
        }
        return true;
    };
    try {
        return {Json::parse(text.begin(), text.end(), limitDepth), std::nullopt};
    } catch (const nlohmann::json::exception& error) {
        return {std::nullopt, error.what()};
    } catch (const TooDeep&) {
        return {std::nullopt, "nesting deeper than " + std::to_string(maxJsonDepth) + " levels"};
    }
}

JsonResult<std::string> encodeJsonElement(const Json& value) {
    // The compact text of [value] is "[" + text of value + "]": cutting the brackets leaves exactly
    // the value's own text.
    return encodeJson(value);
}

JsonResult<Json> decodeJsonElement(std::string_view text) {
    std::string wrapped;
    wrapped.reserve(text.size() + 2);
    wrapped += '[';
    wrapped += text;
    wrapped += ']';
    auto decoded = decodeJson(wrapped);
    if (!decoded.value)
        return decoded;
    if (decoded.value->empty())
        return {std::nullopt, std::nullopt};
    return {std::move(decoded.value->front()), std::nullopt};
}

}  // namespace zoral::platform
