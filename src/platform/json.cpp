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
        return JsonError{"a number is not finite (NaN or infinity)"};
    try {
        return value.dump();
    } catch (const nlohmann::json::exception& error) {
        return JsonError{error.what()};
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
        return Json::parse(text.begin(), text.end(), limitDepth);
    } catch (const nlohmann::json::exception& error) {
        return JsonError{error.what()};
    } catch (const TooDeep&) {
        return JsonError{"nesting deeper than " + std::to_string(maxJsonDepth) + " levels"};
    }
}

JsonResult<std::string> encodeJsonElement(const Json& value) {
    // The compact text of [value] is "[" + text of value + "]": cutting the brackets leaves exactly
    // the value's own text.
    return encodeJson(value);
}

JsonResult<std::optional<Json>> decodeJsonElement(std::string_view text) {
    std::string wrapped;
    wrapped.reserve(text.size() + 2);
    wrapped += '[';
    wrapped += text;
    wrapped += ']';
    auto decoded = decodeJson(wrapped);
    if (!decoded.ok())
        return JsonError{decoded.error()};
    Json elements = std::move(decoded).value();
    if (elements.empty())
        return std::optional<Json>();
    return std::optional<Json>(std::move(elements.front()));
}

}  // namespace zoral::platform
