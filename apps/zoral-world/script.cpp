#include "script.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "desktop/ax_error.h"
#include "platform/accessibility.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "sim/element_names.h"
#include "sim/json_codec.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "sim/world_format.h"

namespace zoral::world_runner {

namespace ax = platform::ax;
using platform::Json;
using sim::json_codec::fail;
using sim::json_codec::Place;

struct AttributeStep {
    std::string element;
    std::string attribute;
};

struct SetStep {
    std::string element;
    std::string attribute;
    sim::AttributeValue value;
};

struct ActionStep {
    std::string element;
    std::string action;
};

}  // namespace zoral::world_runner

namespace zoral::sim::json_codec {

template <>
struct FieldTable<world_runner::AttributeStep> {
    using S = world_runner::AttributeStep;
    static constexpr auto fields = std::tuple{
        field("element", &S::element).required(),
        field("attribute", &S::attribute).required(),
    };
};

template <>
struct FieldTable<world_runner::SetStep> {
    using S = world_runner::SetStep;
    static constexpr auto fields = std::tuple{
        field("element", &S::element).required(),
        field("attribute", &S::attribute).required(),
        field("value", &S::value).required(),
    };
};

template <>
struct FieldTable<world_runner::ActionStep> {
    using S = world_runner::ActionStep;
    static constexpr auto fields = std::tuple{
        field("element", &S::element).required(),
        field("action", &S::action).required(),
    };
};

}  // namespace zoral::sim::json_codec

namespace zoral::world_runner {

namespace {

// Longer runs of the clock are no use to a script and could keep it busy for ever.
constexpr double longestAdvance = 24 * 60 * 60;
// Screen coordinates beyond this lie on no display, and would not survive the conversion to the
// interface's single precision.
constexpr double farthestCoordinate = 1e9;

std::string resultText(ax::Error error) {
    if (error == ax::success)
        return "ok";
    const std::string_view name = desktop::axErrorName(error);
    return "error " +
           (name == "UnknownDefault" ? std::to_string(static_cast<int>(error)) : std::string(name));
}

ax::Element elementNamed(sim::World& world, const std::string& name, const Place& at) {
    const auto element = sim::elementNamed(world, name);
    if (!element)
        fail(at.key("element"), "no element is named \"" + name + "\"");
    return *element;
}

void advance(sim::World&, const Json& arguments, const Place& at) {
    const double seconds = sim::json_codec::read<double>(arguments, at);
    if (seconds < 0 || seconds > longestAdvance)
        fail(at, "takes seconds from 0 to " + std::to_string(static_cast<int>(longestAdvance)));
    platform::Scheduler::current().advance(seconds);
}

void read(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<AttributeStep>(arguments, at);
    const auto result =
        ax::copyAttributeValue(elementNamed(world, step.element, at), step.attribute);
    platform::output::printLine("read " + step.attribute + ": " +
                                (result.ok() ? sim::valueToJson(world, result.value()).dump()
                                             : resultText(result.error())));
}

void set(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<SetStep>(arguments, at);
    const ax::Element element = elementNamed(world, step.element, at);
    const sim::ElementNames& names = sim::ElementNames::of(world);
    const ax::Value value = sim::toValue(step.value, [&](const sim::ElementReference& reference) {
        const auto found = names.elementFor(reference);
        if (!found)
            fail(at.key("value"), "no element is named \"" + *reference.name + "\"");
        return *found;
    });
    const ax::Error error = ax::setAttributeValue(element, step.attribute, value);
    platform::output::printLine("set " + step.attribute + ": " + resultText(error));
}

void perform(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<ActionStep>(arguments, at);
    const ax::Error error = ax::performAction(elementNamed(world, step.element, at), step.action);
    platform::output::printLine("perform " + step.action + ": " + resultText(error));
}

void hitTest(sim::World& world, const Json& arguments, const Place& at) {
    const auto point = sim::json_codec::read<platform::CGPoint>(arguments, at);
    if (std::abs(point.x) > farthestCoordinate || std::abs(point.y) > farthestCoordinate)
        fail(at, "a coordinate lies from -1e9 to 1e9");
    const auto hit = ax::copyElementAtPosition(ax::createSystemWide(), static_cast<float>(point.x),
                                               static_cast<float>(point.y));
    platform::output::printLine(
        "hitTest: " + (hit.ok() ? sim::elementName(world, hit.value()) : resultText(hit.error())));
}

void trusted(sim::World& world, const Json& arguments, const Place& at) {
    world.setTrusted(sim::json_codec::read<bool>(arguments, at));
}

sim::Process& processOf(sim::World& world, const Json& arguments, const Place& at) {
    const std::int64_t pid = sim::json_codec::read<std::int64_t>(arguments, at);
    sim::Process* process = std::in_range<platform::ProcessId>(pid)
                                ? world.process(static_cast<platform::ProcessId>(pid))
                                : nullptr;
    if (process == nullptr)
        fail(at, "no process has the pid " + std::to_string(pid));
    return *process;
}

void hang(sim::World& world, const Json& arguments, const Place& at) {
    processOf(world, arguments, at).hung = true;
}

void unhang(sim::World& world, const Json& arguments, const Place& at) {
    processOf(world, arguments, at).hung = false;
}

using Step = void (*)(sim::World&, const Json&, const Place&);

constexpr std::array<std::pair<std::string_view, Step>, 8> steps{{
    {"advance", advance},
    {"read", read},
    {"set", set},
    {"perform", perform},
    {"hitTest", hitTest},
    {"trusted", trusted},
    {"hang", hang},
    {"unhang", unhang},
}};

void runStep(sim::World& world, const Json& entry) {
    if (!entry.is_object() || entry.size() != 1)
        fail({}, "a step is an object with one key, the step's name");
    const std::string verb = entry.begin().key();
    for (const auto& [name, step] : steps) {
        if (name == verb) {
            step(world, entry.begin().value(), Place().key(verb));
            return;
        }
    }
    std::array<std::string_view, steps.size()> names{};
    for (std::size_t i = 0; i < steps.size(); ++i)
        names[i] = steps[i].first;
    fail(Place().key(verb), "unknown step (expected " +
                                sim::json_codec::joinedNames(names.data(), names.size()) + ")");
}

}  // namespace

void runScript(const Json& script) {
    if (!script.is_array())
        throw ScriptError("a script is a JSON array of steps");
    sim::World& world = sim::World::current();
    for (std::size_t step = 0; step < script.size(); ++step) {
        try {
            runStep(world, script[step]);
        } catch (const sim::json_codec::FormatError& error) {
            throw ScriptError("step " + std::to_string(step + 1) + ": " + error.what());
        }
    }
}

}  // namespace zoral::world_runner
