// Memory over a long run: 10,000 gestures of the whole engine (tap, gesture, resolution, executor,
// the tooltip windows) snapping one window left and right. After the first thousand, which fill
// whatever keeps the latest few thousand records, neither the heap in use nor the resident size
// may keep growing; the counters give both at the thousandth gesture and their peaks after it.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include "desktop/ax_access.h"
#include "desktop/screen.h"
#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snapped_windows.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/hardware_input.h"
#include "sim/input_devices.h"
#include "sim/window_node.h"
#include "sim/window_parts.h"
#include "sim/world.h"
#include "ui/application.h"

namespace {

using namespace zoral;

double heapInUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

double residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0;
    std::int64_t resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * 4096.0;
}

struct GestureDesk {
    GestureDesk() {
        // The tooltip windows paint offscreen.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        ui::ensureApplication();
        platform::UserDefaults::resetForTesting();
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        engine::reinitializeScreens();
        world->addProcess(12, "org.example.editor", "Editor");
        window = world->makeNode<sim::WindowNode>(12, 100);
        window->set("AXTitle", std::string("Document"));
        window->set("AXMinimized", false);
        window->set("AXFullScreen", false);
        window->set("AXPosition", platform::CGPoint{200, 100});
        window->set("AXSize", platform::CGSize{800, 600});
        world->process(12)->application->appendChild(window);
        sim::WindowParts::addTitleBarButtons(*world, window);
        sim::WindowParts::addContent(*world, window, 28);
        world->bringToFront(12);
        world->programProcess();
        desktop::AXAccess::shared().setIsTrusted(true);
        tooltips = engine::TooltipController::make(std::make_shared<engine::LiveTooltipWindow>());
        running = engine::Engine::start(tooltips);
    }
    ~GestureDesk() {
        running.reset();
        tooltips.reset();
        engine::SnappedWindows::shared().removeAll();
        desktop::Screen::setScreens({});
        platform::UserDefaults::resetForTesting();
    }

    // A scroll on the title bar, left or right: a snap to that half.
    void gesture(bool leftwards) {
        const platform::CGRect frame = *window->frame();
        sim::InputDevices::of(*world).movePointer({frame.midX(), frame.minY() + 10});
        const std::vector<sim::HardwareStep> steps{sim::ScrollStroke{
            .moves = {{.travel = {leftwards ? -200.0 : 200.0, 0}, .events = 8, .holdAfter = 0.05}},
            .restBefore = 0.3}};
        scheduler->runFor(sim::HardwareInput::of(*world).play(steps) + 1);
    }

    platform::TemporaryHomeDirectory home;
    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
    std::shared_ptr<sim::WindowNode> window;
    std::shared_ptr<engine::TooltipController> tooltips;
    std::unique_ptr<engine::Engine> running;
};

void BM_TenThousandGestures(benchmark::State& state) {
    constexpr int gestures = 10'000;
    constexpr int warmUp = 1'000;
    const auto previousSink = platform::output::setSink([](std::string_view) {});
    for (auto _ : state) {
        GestureDesk desk;
        double heapAtWarmUp = 0;
        double residentAtWarmUp = 0;
        double heapPeak = 0;
        double residentPeak = 0;
        for (int index = 1; index <= gestures; ++index) {
            desk.gesture(index % 2 == 1);
            if (index == warmUp) {
                heapAtWarmUp = heapInUse();
                residentAtWarmUp = residentBytes();
            } else if (index > warmUp && index % 50 == 0) {
                heapPeak = std::max(heapPeak, heapInUse());
                residentPeak = std::max(residentPeak, residentBytes());
            }
        }
        state.counters["heap_at_1k_MB"] = heapAtWarmUp / 1e6;
        state.counters["heap_growth_after_1k_MB"] = (heapPeak - heapAtWarmUp) / 1e6;
        state.counters["rss_at_1k_MB"] = residentAtWarmUp / 1e6;
        state.counters["rss_growth_after_1k_MB"] = (residentPeak - residentAtWarmUp) / 1e6;
    }
    platform::output::setSink(previousSink);
}
BENCHMARK(BM_TenThousandGestures)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
