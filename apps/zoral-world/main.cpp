// The world runner: loads a simulated world, runs a script of steps against it on the virtual
// clock, and prints a line for each step and then the world as JSON.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "platform/dispatch.h"
#include "platform/enum_table.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/scheduler.h"
#include "platform/user_defaults_termination.h"
#include "script.h"
#include "settings/action_user_type.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace {

constexpr std::string_view usage = R"(usage: zoral-world [--help] WORLD.json [SCRIPT.json]

Loads the simulated world of WORLD.json, runs the steps of SCRIPT.json against it on the virtual
clock, and prints a line for each step, then the world as it is afterwards, in the notation of
world files. Relative paths are read from the current directory. The world runs in a home
directory of its own, made for the run and removed after it: the world file says every setting
the run needs, and nothing is left behind.

With {"engine": true} a script attaches the program's gesture engine to the world (the world
must grant the Accessibility permission): the hardware steps that follow reach it through the
event tap, and its log lines print among the steps' own. {"engine": false} detaches it.
{"enable": ["menubarAppSwitcher", "appChain"]} turns on kinds of action that are off by default.

World files and scripts are described in src/sim/world_file.h and apps/zoral-world/script.h;
tests/fixtures/worlds/ and tests/fixtures/scripts/ hold examples.

Exit status: 0 when the world and the script ran, 1 when a file cannot be read or is refused
(with the place of the fault), 2 for wrong arguments. SIGTERM or SIGINT ends the run at its next
step, with its settings saved and its home removed, and then the process by that signal.
)";

// Unwinds the run from the main queue when a signal asks it to end: no std::exception, so that
// nothing on the way takes it for an error of a step.
struct TerminationRequest {
    int signal;
};

// The program's gesture engine, attached to the world by a step and detached by another or at the
// end of the run, before the world goes.
class AttachedEngine {
public:
    AttachedEngine() = default;
    AttachedEngine(const AttachedEngine&) = delete;
    AttachedEngine& operator=(const AttachedEngine&) = delete;
    ~AttachedEngine() { detach(); }

    void step(const zoral::platform::Json& arguments) {
        using namespace zoral;
        if (!arguments.is_boolean())
            throw world_runner::ScriptError("takes true or false");
        if (!arguments.get<bool>()) {
            detach();
            zoral::platform::output::printLine("engine: detached");
            return;
        }
        if (engine_)
            throw world_runner::ScriptError("the engine is attached already");
        sim::World::current().programProcess();
        tooltips_ = engine::TooltipController::make(std::make_shared<engine::LiveTooltipWindow>());
        engine_ = engine::Engine::start(tooltips_);
        if (!engine_) {
            tooltips_.reset();
            throw world_runner::ScriptError(
                "the engine needs the Accessibility permission (\"trusted\": true)");
        }
        platform::output::printLine(engine_->isListening() ? "engine: attached"
                                                           : "engine: attached without a tap");
    }

    void detach() {
        engine_.reset();
        tooltips_.reset();
    }

private:
    std::shared_ptr<zoral::engine::TooltipController> tooltips_;
    std::unique_ptr<zoral::engine::Engine> engine_;
};

// Turns on kinds of action by their stored names.
void enableActions(const zoral::platform::Json& arguments) {
    using namespace zoral::settings;
    if (!arguments.is_array())
        throw zoral::world_runner::ScriptError("takes a list of kinds of action");
    auto enabled = Defaults::readValue(Defaults::Keys::actions());
    for (const auto& name : arguments) {
        const auto found =
            name.is_string()
                ? zoral::platform::fromRawValue<ActionUserType>(name.get_ref<const std::string&>())
                : std::nullopt;
        if (!found)
            throw zoral::world_runner::ScriptError("no kind of action is named " + name.dump());
        enabled.insert(*found);
    }
    Defaults::writeValue(Defaults::Keys::actions(), enabled);
    zoral::platform::output::printLine("enable: " + std::to_string(arguments.size()) +
                                       " kinds of action");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zoral;
    platform::ProcessState state;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            std::cout << usage;
            return 0;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            std::cerr << "zoral-world: unknown option " << argument << "\n" << usage;
            return 2;
        } else {
            files.push_back(argument);
        }
    }
    if (files.empty() || files.size() > 2) {
        std::cerr << usage;
        return 2;
    }
    // The tooltips are windows of the toolkit: without a display they are drawn offscreen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The offscreen platform warns of every window feature it lacks; those are no news here.
    setenv("QT_LOGGING_RULES", "default.warning=false;qt.qpa.*.warning=false", 0);
    try {
        const platform::TemporaryHomeDirectory home;
        // The toolkit keeps files at run time; without a place of the user's for them, they go
        // into the run's home and leave with it.
        if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
            const std::filesystem::path runtime = home.path() / "runtime";
            std::filesystem::create_directory(runtime);
            std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        }
        platform::ScopedScheduler scheduler;  // the virtual clock
        // Before the toolkit starts threads of its own; gone before the scheduler it hands to.
        const platform::UserDefaultsTermination termination([](int signal) {
            platform::DispatchQueue::main().async([signal] { throw TerminationRequest{signal}; });
        });
        sim::ScopedWorld world;
        sim::loadWorldFile(*world, files[0]);
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        AttachedEngine engine;
        if (files.size() == 2) {
            const platform::Json script = sim::readJsonFile(files[1]);
            try {
                world_runner::runScript(
                    script, {{"engine", [&](const platform::Json& on) { engine.step(on); }},
                             {"enable", enableActions}});
            } catch (const world_runner::ScriptError& error) {
                throw world_runner::ScriptError(files[1] + ": " + error.what());
            }
        }
        scheduler->runUntilIdle();
        engine.detach();
        scheduler->runUntilIdle();
        platform::output::printLine(sim::dumpWorld(*world).dump(2));
    } catch (const TerminationRequest& request) {
        platform::UserDefaultsTermination::endBySignal(request.signal);
    } catch (const std::exception& error) {
        std::cerr << "zoral-world: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
