#include "sim/hardware_script.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string_view>
#include <utility>

namespace zoral::sim {

namespace {

using platform::CGEventFlags;
using platform::exactValue;
using platform::Json;
using platform::JsonDecodeError;

constexpr std::array<std::pair<std::string_view, CGEventFlags>, 6> flagNames{{
    {"capsLock", CGEventFlags::maskAlphaShift},
    {"shift", CGEventFlags::maskShift},
    {"control", CGEventFlags::maskControl},
    {"option", CGEventFlags::maskAlternate},
    {"command", CGEventFlags::maskCommand},
    {"fn", CGEventFlags::maskSecondaryFn},
}};

// The object's fields, refusing any not listed.
const Json& fields(const Json& json, std::set<std::string_view> allowed) {
    if (!json.is_object())
        throw JsonDecodeError("expected an object, found " + json.dump());
    for (const auto& [key, value] : json.items()) {
        if (!allowed.contains(key))
            throw JsonDecodeError("unknown field \"" + key + "\"");
    }
    return json;
}

template <class T>
T field(const Json& json, const char* name, T fallback) {
    const auto found = json.find(name);
    return found == json.end() ? fallback : exactValue<T>(*found);
}

double duration(const Json& json, const char* name, double fallback) {
    const double seconds = field(json, name, fallback);
    if (!std::isfinite(seconds) || seconds < 0)
        throw JsonDecodeError(std::string(name) +
                              " must be a finite number of seconds, not less "
                              "than 0");
    return seconds;
}

platform::CGPoint point(const Json& json) {
    if (!json.is_array() || json.size() != 2)
        throw JsonDecodeError("expected a point [x, y], found " + json.dump());
    const platform::CGPoint result{exactValue<double>(json[0]), exactValue<double>(json[1])};
    if (!std::isfinite(result.x) || !std::isfinite(result.y))
        throw JsonDecodeError("a point must be finite");
    return result;
}

int count(const Json& json, const char* name, int fallback, int least, int most) {
    const int value = field(json, name, fallback);
    if (value < least)
        throw JsonDecodeError(std::string(name) + " must be at least " + std::to_string(least));
    if (value > most)
        throw JsonDecodeError(std::string(name) + " must be at most " + std::to_string(most));
    return value;
}

platform::CGPoint travel(const Json& json) {
    const platform::CGPoint distance = point(json);
    if (std::abs(distance.x) > maxScrollTravel || std::abs(distance.y) > maxScrollTravel) {
        throw JsonDecodeError("travel must lie within " +
                              std::to_string(static_cast<int>(maxScrollTravel)) +
                              " points each way");
    }
    return distance;
}

CGEventFlags flags(const Json& json) {
    if (json.is_number())
        return CGEventFlags(exactValue<std::uint64_t>(json));
    if (!json.is_array())
        throw JsonDecodeError("expected flags as a number or a list of names");
    CGEventFlags result;
    for (const Json& name : json) {
        const auto text = exactValue<std::string>(name);
        const auto found = std::find_if(flagNames.begin(), flagNames.end(),
                                        [&](const auto& entry) { return entry.first == text; });
        if (found == flagNames.end())
            throw JsonDecodeError("unknown modifier \"" + text + "\"");
        result = result | found->second;
    }
    return result;
}

HardwareStep step(const Json& json) {
    if (!json.is_object() || json.size() != 1)
        throw JsonDecodeError("a step is an object of one key");
    const auto first = json.begin();
    const std::string key = first.key();
    const Json& value = first.value();
    if (key == "scroll") {
        fields(value, {"moves", "restBefore", "momentum", "mouse"});
        ScrollStroke stroke;
        if (const auto moves = value.find("moves"); moves != value.end()) {
            if (!moves->is_array())
                throw JsonDecodeError("moves must be a list");
            for (const Json& move : *moves) {
                fields(move, {"travel", "events", "holdAfter"});
                stroke.moves.push_back(
                    {.travel = travel(move.at("travel")),
                     .events = count(move, "events", ScrollMove{}.events, 1, maxScrollEvents),
                     .holdAfter = duration(move, "holdAfter", 0)});
            }
        }
        stroke.restBefore = duration(value, "restBefore", 0);
        stroke.momentumEvents = count(value, "momentum", 0, 0, maxMomentumEvents);
        stroke.fromMouse = field(value, "mouse", false);
        return stroke;
    }
    if (key == "pinch") {
        fields(value, {"magnifications", "restBefore"});
        PinchStroke pinch;
        pinch.magnifications = exactValue<std::vector<double>>(value.at("magnifications"));
        for (const double magnification : pinch.magnifications) {
            if (!std::isfinite(magnification))
                throw JsonDecodeError("a magnification must be finite");
        }
        pinch.restBefore = duration(value, "restBefore", PinchStroke{}.restBefore);
        return pinch;
    }
    if (key == "doubleTap") {
        fields(value, {});
        return SmartMagnifyTap{};
    }
    if (key == "wheel") {
        fields(value, {"lines", "horizontalLines"});
        return WheelScroll{.lines = field<std::int32_t>(value, "lines", 1),
                           .horizontalLines = field<std::int32_t>(value, "horizontalLines", 0)};
    }
    if (key == "key") {
        fields(value, {"code", "repeats"});
        return KeyStroke{.keyCode = exactValue<platform::CGKeyCode>(value.at("code")),
                         .repeats = count(value, "repeats", 0, 0, maxKeyRepeats)};
    }
    if (key == "modifiers") {
        fields(value, {"flags", "rightHand"});
        return ModifierChange{.flags = flags(value.at("flags")),
                              .rightHand = field(value, "rightHand", false)};
    }
    if (key == "pointer")
        return PointerMove{point(value)};
    if (key == "pause")
        return Pause{duration(json, "pause", 0)};
    throw JsonDecodeError("unknown hardware step \"" + key + "\"");
}

}  // namespace

platform::JsonResult<std::vector<HardwareStep>> hardwareStepsFromJson(const Json& json) {
    if (!json.is_array())
        return platform::JsonError{"hardware input must be a list of steps"};
    std::vector<HardwareStep> steps;
    for (std::size_t i = 0; i < json.size(); ++i) {
        try {
            steps.push_back(step(json[i]));
        } catch (const JsonDecodeError& error) {
            return platform::JsonError{"step " + std::to_string(i + 1) + ": " + error.what()};
        } catch (const nlohmann::json::exception& error) {
            return platform::JsonError{"step " + std::to_string(i + 1) + ": " + error.what()};
        }
    }
    return steps;
}

}  // namespace zoral::sim
