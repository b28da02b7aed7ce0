#pragma once

// The program on the repository's default world (two displays, the editor's and the browser's
// windows, the Dock), in a home of the test's own, on the virtual clock, with its log captured
// and the local time UTC. The status item (unless a test gives the real one) and the preferences
// are recording stand-ins whose calls
// appear in the log as lines "» <call>", so that a test reads them among the program's own. The
// delegate's engine has tooltips of the test's own.

#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_delegate.h"
#include "app/recording_controllers.h"
#include "desktop/ax_access.h"
#include "desktop/pid_timestamps.h"
#include "desktop/screen.h"
#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "engine/windows/snapped_windows.h"
#include "platform/json.h"
#include "platform/output.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcut_state.h"
#include "sim/system_commands.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "support/captured_output.h"
#include "support/environment.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::app::testing {

class AppWorldTest : public zoral::testing::VirtualClockTest {
protected:
    AppWorldTest() : wasTrusted_(desktop::AXAccess::shared().isTrusted()) {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        resetWorld();
    }

    // A fresh world from the file (or the description given: a dump of the last world is the
    // same desktop at the program's next launch), with the settings and the program's state of a
    // fresh process. The delegate must be gone.
    void resetWorld(const std::optional<platform::Json>& description = std::nullopt) {
        resetProcessState();
        settings::removeAllKeys(*settings::Defaults::standardSuite());
        worldScope_.reset();
        worldScope_.emplace();
        world = &**worldScope_;
        if (description) {
            sim::loadWorld(*world, *description);
        } else {
            sim::loadWorldFile(*world, ZORAL_FIXTURES_DIR "/worlds/default.json");
        }
        world->programProcess();
        scheduler().runUntilIdle();
        output.clear();
    }

    ~AppWorldTest() override {
        delegate.reset();
        resetProcessState();
        worldScope_.reset();
        desktop::AXAccess::shared().setIsTrusted(wasTrusted_);
    }

    // The permission as the world gives it, known to the monitor as if it had just checked.
    void reportPermission(bool trusted) {
        world->setTrusted(trusted);
        // The monitor checks 0.2 s after the announcement.
        scheduler().advance(desktop::AXAccess::recheckDelay);
    }

    // Launches the program as a build: its delegate starts up with the permission as given.
    void launch(std::int64_t build = 100, bool trusted = true) {
        if (world->isTrusted() != trusted) {
            world->setTrusted(trusted);
            // The announcement's check comes and goes before the program starts.
            scheduler().advance(desktop::AXAccess::recheckDelay);
        }
        desktop::AXAccess::shared().setIsTrusted(trusted);
        // The monitor's last report is the state the program finds.
        desktop::AXAccess::shared().onChange().fire(trusted);
        statusItem = std::make_shared<RecordingStatusItem>(note());
        delegate = AppDelegate::make({
            .statusItem = statusItemController ? statusItemController
                                               : std::shared_ptr<StatusItemController>(statusItem),
            .makePreferencesController =
                [this] {
                    preferences = std::make_shared<RecordingPreferencesController>(note());
                    return preferences;
                },
            .makeCore =
                [] {
                    return engine::Engine::start(engine::TooltipController::make(
                        std::make_shared<engine::LiveTooltipWindow>()));
                },
            .endApplication = [this] { ++ended; },
            .build = build,
            .relaunchCommand = platform::ProcessLaunch{.executable = "/opt/Zoral/zoral"},
        });
        setAppDelegate(delegate);
        delegate->applicationWillFinishLaunching();
        delegate->applicationDidFinishLaunching();
    }

    // The log lines that start with one of the prefixes, in order, their time stamps
    // "(HH:mm:ss.SS)" written "(<time>)".
    std::vector<std::string> linesStarting(const std::vector<std::string>& prefixes) const {
        static const std::regex stamp(R"(\(\d\d:\d\d:\d\d\.\d\d\))");
        std::vector<std::string> found;
        for (const auto& line : output.lines()) {
            for (const auto& prefix : prefixes) {
                if (line.starts_with(prefix)) {
                    found.push_back(std::regex_replace(line, stamp, "(<time>)"));
                    break;
                }
            }
        }
        return found;
    }

    zoral::testing::TemporaryHome home;
    zoral::testing::ScopedTimeZone utc{"UTC"};
    sim::World* world = nullptr;
    sim::ScopedSystemCommands systemCommands;
    zoral::testing::ScopedOutputCapture output;
    std::shared_ptr<RecordingStatusItem> statusItem;
    // The status item the program sets up in place of the recording one, when a test gives one.
    std::shared_ptr<StatusItemController> statusItemController;
    std::shared_ptr<RecordingPreferencesController> preferences;
    std::shared_ptr<AppDelegate> delegate;
    int ended = 0;

private:
    static CallNote note() {
        return [](const std::string& call) { platform::output::printLine("» " + call); };
    }

public:
    // What a new launch in the same test finds as a new process would: no global shortcut of the
    // last launch registered with the system, nor kept by the program.
    static void forgetShortcuts() {
        auto& state = shortcuts::detail::state();
        for (const auto& [id, hotKey] : state.hotKeys)
            platform::carbon::unregisterEventHotKey(hotKey.carbonHotKey);
        state = {};
    }

private:
    static void resetProcessState() {
        resetAppState();
        forgetShortcuts();
        engine::SnappedWindows::shared().removeAll();
        desktop::PidTimestamps::shared().removeAll();
        desktop::Screen::setScreens({});
    }

    bool wasTrusted_;
    std::optional<sim::ScopedWorld> worldScope_;
};

}  // namespace zoral::app::testing
