#include "script.h"

#include <string>

#include "platform/accessibility.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace zoral::world_runner {

namespace ax = platform::ax;
using platform::Json;

namespace {

[[noreturn]] void fail(std::size_t step, const std::string& what) {
    throw ScriptError("step " + std::to_string(step + 1) + ": " + what);
}

ax::Element elementNamed(std::size_t step, const Json& arguments) {
    if (!arguments.is_object() || !arguments.contains("element") ||
        !arguments["element"].is_string()) {
        fail(step, "needs an \"element\" name");
    }
    const std::string name = arguments["element"].get<std::string>();
    const auto element = sim::elementNamed(sim::World::current(), name);
    if (!element)
        fail(step, "no element is named \"" + name + "\"");
    return *element;
}

std::string field(std::size_t step, const Json& arguments, const char* name) {
    if (!arguments.contains(name) || !arguments[name].is_string()) {
        fail(step, std::string("needs a string \"") + name + "\"");
    }
    return arguments[name].get<std::string>();
}

std::string errorText(ax::Error error) {
    return error == ax::success ? "ok" : "error " + std::to_string(static_cast<int>(error));
}

}  // namespace

void runScript(const Json& script) {
    if (!script.is_array())
        throw ScriptError("a script is a JSON array of steps");
    sim::World& world = sim::World::current();
    for (std::size_t step = 0; step < script.size(); ++step) {
        const Json& entry = script[step];
        if (!entry.is_object() || entry.size() != 1)
            fail(step, "a step is an object with one key");
        const std::string verb = entry.begin().key();
        const Json& arguments = entry.begin().value();
        if (verb == "advance") {
            if (!arguments.is_number() || arguments.get<double>() < 0) {
                fail(step, "\"advance\" takes a number of seconds");
            }
            platform::Scheduler::current().advance(arguments.get<double>());
        } else if (verb == "read") {
            const ax::Element element = elementNamed(step, arguments);
            const std::string attribute = field(step, arguments, "attribute");
            const auto result = ax::copyAttributeValue(element, attribute);
            platform::output::printLine("read " + attribute + ": " +
                                        (result.ok()
                                             ? sim::valueToJson(world, result.value()).dump()
                                             : errorText(result.error())));
        } else if (verb == "set") {
            const ax::Element element = elementNamed(step, arguments);
            const std::string attribute = field(step, arguments, "attribute");
            if (!arguments.contains("value"))
                fail(step, "\"set\" needs a \"value\"");
            ax::Value value;
            try {
                value = sim::valueFromJson(world, arguments["value"]);
            } catch (const sim::WorldFileError& error) {
                fail(step, error.what());
            }
            const ax::Error error = ax::setAttributeValue(element, attribute, value);
            platform::output::printLine("set " + attribute + ": " + errorText(error));
        } else if (verb == "perform") {
            const ax::Element element = elementNamed(step, arguments);
            const std::string action = field(step, arguments, "action");
            const ax::Error error = ax::performAction(element, action);
            platform::output::printLine("perform " + action + ": " + errorText(error));
        } else if (verb == "hitTest") {
            if (!arguments.is_array() || arguments.size() != 2 || !arguments[0].is_number() ||
                !arguments[1].is_number()) {
                fail(step, "\"hitTest\" takes [x, y]");
            }
            const auto hit = ax::copyElementAtPosition(
                ax::createSystemWide(), arguments[0].get<float>(), arguments[1].get<float>());
            platform::output::printLine("hitTest: " + (hit.ok()
                                                           ? sim::elementName(world, hit.value())
                                                           : errorText(hit.error())));
        } else if (verb == "trusted") {
            if (!arguments.is_boolean())
                fail(step, "\"trusted\" takes true or false");
            world.setTrusted(arguments.get<bool>());
        } else if (verb == "hang" || verb == "unhang") {
            if (!arguments.is_number_integer())
                fail(step, "\"" + verb + "\" takes a pid");
            sim::Process* process = world.process(arguments.get<platform::ProcessId>());
            if (process == nullptr)
                fail(step, "no process " + arguments.dump());
            process->hung = verb == "hang";
        } else {
            fail(step, "unknown step \"" + verb + "\"");
        }
    }
}

}  // namespace zoral::world_runner
