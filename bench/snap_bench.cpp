// A snap of one window on desktops of 10, 100 and 1000 windows: what the snap costs must not grow
// with the windows that it does not touch.

#include <cstdint>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/window_node.h"
#include "sim/world.h"

namespace {

using namespace zoral;

// Ten windows to an application, cascaded over one display; the snapped window is the last made.
struct Crowd {
    explicit Crowd(std::int64_t windows) {
        platform::UserDefaults::resetForTesting();
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        engine::reinitializeScreens();
        for (std::int64_t index = 0; index < windows; ++index) {
            const auto pid = static_cast<platform::ProcessId>(1000 + index / 10);
            if (world->process(pid) == nullptr)
                world->addProcess(pid, "org.example.app" + std::to_string(pid), "App");
            target = world->makeNode<sim::WindowNode>(pid, 1000 + index);
            target->set("AXTitle", std::string("Window"));
            target->set("AXMinimized", false);
            target->set("AXFullScreen", false);
            const double offset = static_cast<double>(index % 50) * 8;
            target->set("AXPosition", platform::CGPoint{offset, 25 + offset});
            target->set("AXSize", platform::CGSize{600, 400});
            world->process(pid)->application->appendChild(target);
        }
    }
    ~Crowd() {
        engine::SnappedWindows::shared().removeAll();
        desktop::Screen::setScreens({});
        platform::UserDefaults::resetForTesting();
    }

    platform::TemporaryHomeDirectory home;
    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
    std::shared_ptr<sim::WindowNode> target;
};

void BM_SnapOneWindow(benchmark::State& state) {
    const auto previousSink = platform::output::setSink([](std::string_view) {});
    {
        Crowd crowd(state.range(0));
        const auto window = desktop::Window::make(desktop::UIElement(crowd.target->element()));
        const desktop::Screen screen = desktop::Screen::screens().at(0);
        std::int64_t column = 0;
        for (auto _ : state) {
            // Left and right halves in turn, so that every snap moves the window.
            engine::snap(window, {{column, 0}, {column + 1, 1}, {2, 1}}, screen);
            column = 1 - column;
            state.PauseTiming();
            crowd.scheduler->runFor(0.01);
            // Every snap a first one, which knows nothing of the window yet.
            engine::SnappedWindows::shared().removeAll();
            state.ResumeTiming();
        }
    }
    platform::output::setSink(previousSink);
}
BENCHMARK(BM_SnapOneWindow)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace
