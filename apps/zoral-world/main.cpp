// The world runner: loads a simulated world, runs a script of steps against it on the virtual
// clock, and prints a line for each step and then the world as JSON.

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine_steps.h"
#include "platform/dispatch.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/scheduler.h"
#include "platform/user_defaults_termination.h"
#include "script.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace {

constexpr std::string_view usage =
    R"(usage: zoral-world [--help] [--pictures DIR] WORLD.json [SCRIPT.json]

Loads the simulated world of WORLD.json, runs the steps of SCRIPT.json against it on the virtual
clock, and prints a line for each step, then the world as it is afterwards, in the notation of
world files. Relative paths are read from the current directory. The world runs in a home
directory of its own, made for the run and removed after it: the world file says every setting
the run needs, and nothing is left behind.

With {"engine": true} a script attaches the program's gesture engine to the world (the world
must grant the Accessibility permission): the hardware steps that follow reach it through the
event tap, and its log lines print among the steps' own. {"engine": false} detaches it.
{"enable": ["menubarAppSwitcher", "appChain"]} turns on kinds of action that are off by default.

With --pictures DIR the runner draws the simulated displays as the user would see them (the menu
bar, the Dock, the windows in their order, the pointer and the program's tooltips) into DIR as
PNG files, when a gesture of the attached engine proposes an action and when it has ended:
gesture-001-proposed.png, gesture-001-ended.png, ...

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

}  // namespace

int main(int argc, char** argv) {
    using namespace zoral;
    platform::ProcessState state;
    std::vector<std::string> files;
    std::optional<std::filesystem::path> pictures;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            std::cout << usage;
            return 0;
        } else if (!optionsEnded && argument == "--pictures") {
            if (i + 1 == argc) {
                std::cerr << "zoral-world: --pictures needs a folder\n" << usage;
                return 2;
            }
            pictures = std::filesystem::absolute(argv[++i]);
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
    try {
        const platform::TemporaryHomeDirectory home;
        // The tooltips are windows of the toolkit: without a display they are drawn offscreen,
        // and the files it keeps at run time go into the run's home and leave with it.
        world_runner::prepareToolkit(home.path());
        platform::ScopedScheduler scheduler;  // the virtual clock
        // Before the toolkit starts threads of its own; gone before the scheduler it hands to.
        const platform::UserDefaultsTermination termination([](int signal) {
            platform::DispatchQueue::main().async([signal] { throw TerminationRequest{signal}; });
        });
        sim::ScopedWorld world;
        sim::loadWorldFile(*world, files[0]);
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        world_runner::AttachedEngine engine(pictures);
        if (files.size() == 2) {
            const platform::Json script = sim::readJsonFile(files[1]);
            try {
                world_runner::runScript(script, world_runner::engineSteps(engine));
            } catch (const world_runner::ScriptError& error) {
                throw world_runner::ScriptError(files[1] + ": " + error.what());
            }
        }
        scheduler->runUntilIdle();
        engine.detach();
        scheduler->runUntilIdle();
        platform::output::printLine(sim::dumpWorld(*world).dump(2));
        engine.reportPictures();
    } catch (const TerminationRequest& request) {
        platform::UserDefaultsTermination::endBySignal(request.signal);
    } catch (const std::exception& error) {
        std::cerr << "zoral-world: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
