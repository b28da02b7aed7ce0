#include "sim/hardware_script.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <set>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

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

// The ranges of the hardware's numbers: wider than a hand makes them, narrow enough that no
// conversion downstream (a scroll's deltas to 32-bit integers, durations to the clock, counts to
// loops of events) meets a value it cannot hold or a run it cannot finish.
constexpr double longestDuration = 60 * 60;           // seconds of a rest, a hold or a pause
constexpr double farthestTravel = maxScrollTravel;    // points of one move of the fingers
constexpr double farthestCoordinate = 1e9;            // points of a screen coordinate
constexpr double largestMagnification = 100;          // of one magnify event
constexpr std::int64_t mostEvents = maxScrollEvents;  // events of a move, momentum, key repeats
constexpr std::int64_t mostMagnifications = 1000;
constexpr std::int32_t mostLines = 1000;  // notches of one wheel step

// A fault of a field, with the field's place within the step ("scroll.moves[0].travel").
class FieldError : public JsonDecodeError {
public:
    FieldError(const std::string& place, const std::string& what)
        : JsonDecodeError(place + ": " + what) {}
};

// Reads the field's value as T, naming the field when the value is of the wrong type.
template <class T>
T valueAt(const Json& json, const std::string& place) {
    try {
        return exactValue<T>(json);
    } catch (const FieldError&) {
        throw;
    } catch (const JsonDecodeError& error) {
        throw FieldError(place, error.what());
    } catch (const nlohmann::json::exception& error) {
        throw FieldError(place, error.what());
    }
}

// The object's fields, refusing any not listed.
const Json& fields(const Json& json, const std::string& place, std::set<std::string_view> allowed) {
    if (!json.is_object())
        throw FieldError(place, "expected an object, found " + json.dump());
    for (const auto& [key, value] : json.items()) {
        if (!allowed.contains(key))
            throw FieldError(place, "unknown field \"" + key + "\"");
    }
    return json;
}

std::string placeOf(const std::string& place, const char* name) {
    return place + "." + name;
}

template <class T>
T field(const Json& json, const std::string& place, const char* name, T fallback) {
    const auto found = json.find(name);
    return found == json.end() ? fallback : valueAt<T>(*found, placeOf(place, name));
}

double seconds(const Json& json, const std::string& place) {
    const double value = valueAt<double>(json, place);
    if (!std::isfinite(value) || value < 0 || value > longestDuration) {
        throw FieldError(place, "must be a finite number of seconds from 0 to " +
                                    std::to_string(static_cast<int>(longestDuration)));
    }
    return value;
}

double duration(const Json& json, const std::string& place, const char* name, double fallback) {
    const auto found = json.find(name);
    return found == json.end() ? fallback : seconds(*found, placeOf(place, name));
}

platform::CGPoint point(const Json& json, const std::string& place, double farthest) {
    if (!json.is_array() || json.size() != 2)
        throw FieldError(place, "expected a point [x, y], found " + json.dump());
    const platform::CGPoint result{valueAt<double>(json[0], place + "[0]"),
                                   valueAt<double>(json[1], place + "[1]")};
    if (!std::isfinite(result.x) || !std::isfinite(result.y) || std::abs(result.x) > farthest ||
        std::abs(result.y) > farthest) {
        std::array<char, 32> bound{};
        std::snprintf(bound.data(), bound.size(), "%g", farthest);
        throw FieldError(place, std::string("a point's coordinates lie from -") + bound.data() +
                                    " to " + bound.data());
    }
    return result;
}

int count(const Json& json, const std::string& place, const char* name, int fallback,
          std::int64_t least, std::int64_t most) {
    const auto found = json.find(name);
    if (found == json.end())
        return fallback;
    const auto value = valueAt<std::int64_t>(*found, placeOf(place, name));
    if (value < least || value > most) {
        throw FieldError(placeOf(place, name),
                         "must be from " + std::to_string(least) + " to " + std::to_string(most));
    }
    return static_cast<int>(value);
}

CGEventFlags flags(const Json& json, const std::string& place) {
    if (json.is_number())
        return CGEventFlags(valueAt<std::uint64_t>(json, place));
    if (!json.is_array())
        throw FieldError(place, "expected flags as a number or a list of names");
    CGEventFlags result;
    for (const Json& name : json) {
        const auto text = valueAt<std::string>(name, place);
        const auto found = std::find_if(flagNames.begin(), flagNames.end(),
                                        [&](const auto& entry) { return entry.first == text; });
        if (found == flagNames.end())
            throw FieldError(place, "unknown modifier \"" + text + "\"");
        result = result | found->second;
    }
    return result;
}

const Json& required(const Json& json, const std::string& place, const char* name) {
    const auto found = json.find(name);
    if (found == json.end())
        throw FieldError(place, std::string("needs \"") + name + "\"");
    return *found;
}

std::int32_t lines(const Json& json, const std::string& place, const char* name,
                   std::int32_t fallback) {
    const auto value = field<std::int32_t>(json, place, name, fallback);
    if (value < -mostLines || value > mostLines) {
        throw FieldError(placeOf(place, name), "must be from " + std::to_string(-mostLines) +
                                                   " to " + std::to_string(mostLines));
    }
    return value;
}

// A list of at most `most` items, each read by the function.
template <class Read>
auto listOf(const Json& json, const std::string& place, const char* name, std::int64_t most,
            Read read) {
    using Item = decltype(read(json, place));
    std::vector<Item> items;
    const auto found = json.find(name);
    if (found == json.end())
        return items;
    const std::string at = placeOf(place, name);
    if (!found->is_array() || found->size() > static_cast<std::size_t>(most))
        throw FieldError(at, "must be a list of at most " + std::to_string(most) + " items");
    for (std::size_t i = 0; i < found->size(); ++i)
        items.push_back(read((*found)[i], at + "[" + std::to_string(i) + "]"));
    return items;
}

std::vector<double> gaps(const Json& json, const std::string& place, const char* name) {
    return listOf(json, place, name, mostEvents, seconds);
}

std::vector<platform::CGPoint> deltas(const Json& json, const std::string& place,
                                      const char* name) {
    return listOf(json, place, name, mostEvents, [](const Json& item, const std::string& at) {
        return point(item, at, farthestTravel);
    });
}

std::optional<double> optionalDuration(const Json& json, const std::string& place,
                                       const char* name) {
    const auto found = json.find(name);
    if (found == json.end())
        return std::nullopt;
    return seconds(*found, placeOf(place, name));
}

ScrollMove scrollMove(const Json& move, const std::string& at) {
    fields(move, at, {"travel", "events", "holdAfter", "deltas", "gaps"});
    ScrollMove result{.travel = {},
                      .events = ScrollMove{}.events,
                      .holdAfter = duration(move, at, "holdAfter", 0),
                      .deltas = deltas(move, at, "deltas"),
                      .gaps = gaps(move, at, "gaps")};
    if (move.contains("deltas")) {
        if (move.contains("travel") || move.contains("events"))
            throw FieldError(at, "gives its deltas, or its travel and events, not both");
        if (result.deltas.empty())
            throw FieldError(placeOf(at, "deltas"), "must not be empty");
        return result;
    }
    result.travel = point(required(move, at, "travel"), placeOf(at, "travel"), farthestTravel);
    result.events = count(move, at, "events", ScrollMove{}.events, 1, mostEvents);
    return result;
}

HardwareStep step(const Json& json) {
    if (!json.is_object() || json.size() != 1)
        throw JsonDecodeError("a step is an object of one key");
    const auto first = json.begin();
    const std::string key = first.key();
    const Json& value = first.value();
    if (key == "scroll") {
        fields(value, key,
               {"moves", "restBefore", "momentum", "mouse", "liftAfter", "momentumDeltas",
                "momentumGaps"});
        ScrollStroke stroke;
        if (const auto moves = value.find("moves"); moves != value.end()) {
            const std::string movesPlace = placeOf(key, "moves");
            if (!moves->is_array())
                throw FieldError(movesPlace, "must be a list");
            for (std::size_t i = 0; i < moves->size(); ++i)
                stroke.moves.push_back(
                    scrollMove((*moves)[i], movesPlace + "[" + std::to_string(i) + "]"));
        }
        stroke.restBefore = duration(value, key, "restBefore", 0);
        stroke.momentumEvents = count(value, key, "momentum", 0, 0, mostEvents);
        stroke.fromMouse = field(value, key, "mouse", false);
        stroke.liftAfter = optionalDuration(value, key, "liftAfter");
        stroke.momentumDeltas = deltas(value, key, "momentumDeltas");
        stroke.momentumGaps = gaps(value, key, "momentumGaps");
        if (value.contains("momentum") && value.contains("momentumDeltas"))
            throw FieldError(key, "gives \"momentum\" or \"momentumDeltas\", not both");
        return stroke;
    }
    if (key == "pinch") {
        fields(value, key, {"magnifications", "restBefore", "gaps", "liftAfter"});
        PinchStroke pinch;
        const std::string at = placeOf(key, "magnifications");
        const Json& magnifications = required(value, key, "magnifications");
        if (!magnifications.is_array() ||
            magnifications.size() > static_cast<std::size_t>(mostMagnifications)) {
            throw FieldError(
                at, "must be a list of at most " + std::to_string(mostMagnifications) + " numbers");
        }
        for (std::size_t i = 0; i < magnifications.size(); ++i) {
            const std::string place = at + "[" + std::to_string(i) + "]";
            const double magnification = valueAt<double>(magnifications[i], place);
            if (!std::isfinite(magnification) || std::abs(magnification) > largestMagnification)
                throw FieldError(place, "a magnification lies from -100 to 100");
            pinch.magnifications.push_back(magnification);
        }
        pinch.restBefore = duration(value, key, "restBefore", PinchStroke{}.restBefore);
        pinch.gaps = gaps(value, key, "gaps");
        pinch.liftAfter = optionalDuration(value, key, "liftAfter");
        return pinch;
    }
    if (key == "oneFinger") {
        fields(value, key, {"holdFor"});
        return OneFingerContact{.holdFor =
                                    duration(value, key, "holdFor", OneFingerContact{}.holdFor)};
    }
    if (key == "doubleTap") {
        fields(value, key, {});
        return SmartMagnifyTap{};
    }
    if (key == "wheel") {
        fields(value, key, {"lines", "horizontalLines"});
        return WheelScroll{.lines = lines(value, key, "lines", 1),
                           .horizontalLines = lines(value, key, "horizontalLines", 0)};
    }
    if (key == "key") {
        fields(value, key, {"code", "repeats"});
        return KeyStroke{.keyCode = valueAt<platform::CGKeyCode>(required(value, key, "code"),
                                                                 placeOf(key, "code")),
                         .repeats = count(value, key, "repeats", 0, 0, mostEvents)};
    }
    if (key == "modifiers") {
        fields(value, key, {"flags", "rightHand"});
        return ModifierChange{.flags = flags(required(value, key, "flags"), placeOf(key, "flags")),
                              .rightHand = field(value, key, "rightHand", false)};
    }
    if (key == "pointer")
        return PointerMove{point(value, key, farthestCoordinate)};
    if (key == "pause")
        return Pause{seconds(value, key)};
    throw JsonDecodeError("unknown hardware step \"" + key + "\"");
}

Json pointJson(platform::CGPoint point) {
    return Json::array({point.x, point.y});
}

Json pointsJson(const std::vector<platform::CGPoint>& points) {
    Json list = Json::array();
    for (const platform::CGPoint& point : points)
        list.push_back(pointJson(point));
    return list;
}

// The flags by name when every bit has one, as a number otherwise.
Json flagsJson(CGEventFlags flags) {
    Json names = Json::array();
    CGEventFlags named;
    for (const auto& [name, flag] : flagNames) {
        if (flags.contains(flag)) {
            names.push_back(name);
            named = named | flag;
        }
    }
    if (named == flags)
        return names;
    return flags.rawValue();
}

// The fields that differ from the description's defaults.
Json stepJson(const HardwareStep& step) {
    return std::visit(
        [](const auto& description) -> Json {
            using Step = std::decay_t<decltype(description)>;
            const Step usual{};
            Json body = Json::object();
            if constexpr (std::is_same_v<Step, ScrollStroke>) {
                if (!description.moves.empty()) {
                    Json moves = Json::array();
                    for (const ScrollMove& move : description.moves) {
                        Json written = Json::object();
                        if (!move.deltas.empty()) {
                            written["deltas"] = pointsJson(move.deltas);
                        } else {
                            written["travel"] = pointJson(move.travel);
                            if (move.events != ScrollMove{}.events)
                                written["events"] = move.events;
                        }
                        if (move.holdAfter != 0)
                            written["holdAfter"] = move.holdAfter;
                        if (!move.gaps.empty())
                            written["gaps"] = move.gaps;
                        moves.push_back(std::move(written));
                    }
                    body["moves"] = std::move(moves);
                }
                if (description.restBefore != usual.restBefore)
                    body["restBefore"] = description.restBefore;
                if (!description.momentumDeltas.empty())
                    body["momentumDeltas"] = pointsJson(description.momentumDeltas);
                else if (description.momentumEvents != usual.momentumEvents)
                    body["momentum"] = description.momentumEvents;
                if (!description.momentumGaps.empty())
                    body["momentumGaps"] = description.momentumGaps;
                if (description.fromMouse)
                    body["mouse"] = true;
                if (description.liftAfter)
                    body["liftAfter"] = *description.liftAfter;
                return {{"scroll", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, PinchStroke>) {
                body["magnifications"] = description.magnifications;
                if (description.restBefore != usual.restBefore)
                    body["restBefore"] = description.restBefore;
                if (!description.gaps.empty())
                    body["gaps"] = description.gaps;
                if (description.liftAfter)
                    body["liftAfter"] = *description.liftAfter;
                return {{"pinch", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, OneFingerContact>) {
                if (description.holdFor != usual.holdFor)
                    body["holdFor"] = description.holdFor;
                return {{"oneFinger", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, SmartMagnifyTap>) {
                return {{"doubleTap", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, WheelScroll>) {
                if (description.lines != usual.lines)
                    body["lines"] = description.lines;
                if (description.horizontalLines != usual.horizontalLines)
                    body["horizontalLines"] = description.horizontalLines;
                return {{"wheel", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, KeyStroke>) {
                body["code"] = description.keyCode;
                if (description.repeats != usual.repeats)
                    body["repeats"] = description.repeats;
                return {{"key", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, ModifierChange>) {
                body["flags"] = flagsJson(description.flags);
                if (description.rightHand)
                    body["rightHand"] = true;
                return {{"modifiers", std::move(body)}};
            } else if constexpr (std::is_same_v<Step, PointerMove>) {
                return {{"pointer", pointJson(description.location)}};
            } else {
                return {{"pause", description.seconds}};
            }
        },
        step);
}

}  // namespace

Json hardwareStepsToJson(const std::vector<HardwareStep>& steps) {
    Json list = Json::array();
    for (const HardwareStep& step : steps)
        list.push_back(stepJson(step));
    return list;
}

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
