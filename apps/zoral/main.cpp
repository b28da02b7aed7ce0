// The program: the application delegate on a world of the simulated desktop. It starts up, lives
// on the scheduler's clock and ends through its own termination path, whether the user quits or
// the system asks it to end (SIGINT, SIGTERM).

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_delegate.h"
#include "app/recording_controllers.h"
#include "app/status_bar_item_controller.h"
#include "app/status_menus.h"
#include "app/versioning.h"
#include "desktop/ax_access.h"
#include "desktop_pictures.h"
#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "platform/bundle.h"
#include "platform/dispatch.h"
#include "platform/output.h"
#include "platform/process_launcher.h"
#include "platform/process_state.h"
#include "platform/run_loop.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "platform/user_defaults_termination.h"
#include "preferences/window/preferences_window_adapter.h"
#include "script.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/system_commands.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "ui/event_pump.h"
#include "ui/system_tray.h"

namespace {

constexpr std::string_view usage =
    R"(usage: zoral [WORLD.json] [--script SCRIPT.json] [--virtual-clock] [--pictures DIR] [--help]

Runs Zoral on a world of the simulated desktop: WORLD.json, or the repository's default world
(two displays, an editor and a browser with their windows, the Dock). The program's log goes to
standard output.

Without a script the program runs on the machine's clock until it is told to end: SIGINT
(Control-C) or SIGTERM ends it the way quitting from its menu does (snapped windows put back, the
event tap stopped, "Zoral: Exiting...").

With --script, the user's actions of SCRIPT.json play at their times: hands and hardware input,
the Accessibility permission granted or taken away, displays plugged in and out, the appearance,
a shortcut recorded, {"quit": {}} (the steps after it see the desktop the program left). The
steps are those of the world runner (apps/zoral-world/script.h), but the engine is the program's
own: it comes and goes with the permission. The program starts before the first step, or at the
step {"launch": {}}, so that the steps before it set the world up (a first launch without the
permission: {"trusted": false}). --virtual-clock runs the same as fast as the machine allows, the
same way every time; the program then quits when the script is over.

With --pictures DIR the simulated displays are drawn as the user would see them (the menu bar, the
Dock, the windows in their order, the pointer and the program's tooltips) into DIR as PNG files,
when a gesture proposes an action and when it has ended: gesture-001-proposed.png,
gesture-001-ended.png, ...

The settings live in the simulated user's home, $XDG_DATA_HOME/zoral/home
(~/.local/share/zoral/home), and stay there between runs: the first run is a first launch.
Relative paths are read from the current directory.

Exit status: 0 when the program ran and quit, 1 when a file cannot be read or is refused (with the
place of the fault), 2 for wrong arguments; a program ended by a signal ends by that signal.
)";

// Unwinds the run from the main queue once the program has terminated on a signal's request: no
// std::exception, so that nothing on the way takes it for an error of a step.
struct TerminationRequest {
    int signal;
};

struct Arguments {
    std::optional<std::string> world;
    std::optional<std::string> script;
    std::optional<std::filesystem::path> pictures;
    bool virtualClock = false;
};

// Fills the arguments, or returns the exit status to end with.
std::optional<int> parse(int argc, char** argv, Arguments& arguments) {
    const auto wrong = [](const std::string& why) {
        std::cerr << "zoral: " << why << "\n" << usage;
        return 2;
    };
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            std::cout << usage;
            return 0;
        } else if (!optionsEnded && argument == "--virtual-clock") {
            arguments.virtualClock = true;
        } else if (!optionsEnded && argument == "--script") {
            if (i + 1 == argc)
                return wrong("--script needs a file");
            if (arguments.script)
                return wrong("one script only");
            arguments.script = argv[++i];
        } else if (!optionsEnded && argument == "--pictures") {
            if (i + 1 == argc)
                return wrong("--pictures needs a folder");
            arguments.pictures = std::filesystem::absolute(argv[++i]);
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            return wrong("unknown option " + argument);
        } else if (arguments.world) {
            return wrong("one world only");
        } else {
            arguments.world = argument;
        }
    }
    return std::nullopt;
}

// Whether one of the script's steps is {"launch": ...}.
bool launchesTheProgram(const zoral::platform::Json& script) {
    if (!script.is_array())
        return false;
    for (const auto& step : script) {
        if (step.is_object() && step.contains("launch"))
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zoral;
    platform::ProcessState state;
    Arguments arguments;
    if (const auto status = parse(argc, argv, arguments))
        return *status;
    // Without a graphical session the program's windows are drawn offscreen.
    const bool graphical =
        std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
    if (!graphical)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The offscreen platform warns of every window feature it lacks; those are no news here.
    setenv("QT_LOGGING_RULES", "default.warning=false;qt.qpa.*.warning=false", 0);

    std::vector<std::string> ownArguments(argv + 1, argv + argc);
    try {
        platform::ScopedScheduler scheduler(arguments.virtualClock
                                                ? platform::Scheduler::ClockKind::virtualTime
                                                : platform::Scheduler::ClockKind::wallTime);
        std::shared_ptr<app::AppDelegate> delegate;
        // Before the toolkit starts threads of its own; gone before the scheduler it hands to.
        const platform::UserDefaultsTermination termination([&delegate](int signal) {
            platform::DispatchQueue::main().async([&delegate, signal] {
                if (delegate)
                    delegate->terminate();
                throw TerminationRequest{signal};
            });
        });
        sim::ScopedWorld world;
        sim::loadWorldFile(*world, arguments.world.value_or(ZORAL_DEFAULT_WORLD));
        const std::optional<platform::Json> script =
            arguments.script ? std::optional(sim::readJsonFile(*arguments.script)) : std::nullopt;
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        world->programProcess();
        const sim::ScopedSystemCommands systemCommands;
        // The update framework comes with the program, checking daily by itself as it starts out;
        // the About tab's update options change it.
        sim::Updater::of(*world).setState(
            sim::Updater::State{.feedURL = std::string(app::UpdaterSettings::feedAddress),
                                .automaticallyChecksForUpdates = true,
                                .updateCheckInterval = 86400});

        // The tooltips' windows go with the program, before the toolkit that draws them.
        std::shared_ptr<engine::Tooltips> tooltips =
            engine::TooltipController::make(std::make_shared<engine::LiveTooltipWindow>());
        std::shared_ptr<pictures::PicturingTooltips> picturing;
        if (arguments.pictures) {
            picturing = std::make_shared<pictures::PicturingTooltips>(*arguments.pictures);
            picturing->drawOver(tooltips);
            tooltips = picturing;
        }
        // The menus and their controllers live as long as the program.
        const app::MainNib nib = app::loadMainNib();
        const auto statusItem = std::make_shared<app::StatusBarItemController>(nib.statusMenu);
        // Where the session has a system tray, the status item shows there too, on the machine's
        // clock (the tray's events need the toolkit's pump, which never lets a virtual clock rest).
        std::unique_ptr<ui::SystemTray> tray;
        std::unique_ptr<ui::ToolkitEventPump> pump;
        // The program's windows go with it when it ends.
        std::weak_ptr<preferences::PreferencesWindowAdapter> preferencesWindow;
        delegate = app::AppDelegate::make({
            .statusItem = statusItem,
            // The window's Quit ends the program as its menu's does, once the click is over.
            .makePreferencesController =
                [&delegate, &preferencesWindow] {
                    auto made = std::make_shared<preferences::PreferencesWindowAdapter>(
                        preferences::PreferencesEnvironment{
                            .access = &desktop::AXAccess::shared(), .terminate = [&delegate] {
                                platform::DispatchQueue::main().async([&delegate] {
                                    if (delegate && !delegate->isTerminated())
                                        delegate->terminate();
                                });
                            }});
                    preferencesWindow = made;
                    return made;
                },
            .makeCore = [tooltips] { return engine::Engine::start(tooltips); },
            .endApplication =
                [&preferencesWindow] {
                    if (const auto window = preferencesWindow.lock())
                        window->windowController().close();
                    platform::RunLoop::main().stop();
                },
            .relaunchCommand = platform::ProcessLaunch{.executable = platform::executablePath(),
                                                       .arguments = ownArguments},
        });
        app::setAppDelegate(delegate);
        bool launched = false;
        const auto launch = [&] {
            launched = true;
            delegate->applicationWillFinishLaunching();
            delegate->applicationDidFinishLaunching();
            if (graphical && !arguments.virtualClock && ui::SystemTray::isAvailable() &&
                statusItem->statusItem()) {
                tray = std::make_unique<ui::SystemTray>(statusItem->statusItem());
                pump = std::make_unique<ui::ToolkitEventPump>();
            }
        };
        // A script may set the world up before the user starts the program.
        if (!script || !launchesTheProgram(*script))
            launch();

        if (script) {
            const auto noArguments = [](const platform::Json& step) {
                if (!step.is_object() || !step.empty())
                    throw world_runner::ScriptError("takes {}");
            };
            const world_runner::ExtraSteps programSteps{
                {"launch",
                 [&](const platform::Json& step) {
                     noArguments(step);
                     if (launched)
                         throw world_runner::ScriptError("the program was launched already");
                     launch();
                 }},
                {"quit",
                 [&](const platform::Json& step) {
                     noArguments(step);
                     if (!launched || delegate->isTerminated())
                         throw world_runner::ScriptError("the program is not running");
                     delegate->terminate();
                 }},
            };
            try {
                world_runner::runScript(*script, programSteps);
            } catch (const world_runner::ScriptError& error) {
                throw world_runner::ScriptError(*arguments.script + ": " + error.what());
            }
        }
        if (!launched)
            launch();
        if (!delegate->isTerminated()) {
            if (arguments.virtualClock) {
                // Nobody is left to quit it.
                scheduler->runUntilIdle();
                delegate->terminate();
            } else {
                platform::RunLoop::main().run();
            }
        }
        // The pump's work never ends: it goes before the rest is run out.
        tray.reset();
        pump.reset();
        scheduler->runUntilIdle();
        if (picturing)
            platform::output::printLine("pictures: " + std::to_string(picturing->written()) +
                                        " written into " + arguments.pictures->string());
        // The engine goes before the world it watches, after the program's last word.
        platform::output::setSink([](std::string_view) {});
        delegate.reset();
        app::resetAppState();
    } catch (const TerminationRequest& request) {
        (void)platform::UserDefaults::synchronizeAll();
        platform::UserDefaultsTermination::endBySignal(request.signal);
    } catch (const std::exception& error) {
        std::cerr << "zoral: " << error.what() << "\n";
        return 1;
    }
    // The quit path: what waits for its save is saved before the process ends.
    (void)platform::UserDefaults::synchronizeAll();
    return 0;
}
