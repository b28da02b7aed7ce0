// The cost of the event tap's callback: 10,000 events of realistic gestures, recorded from the
// simulated hardware on a desktop with a window, replayed through the core's dispatcher at their
// own times with no accessibility latency. Reports the median and the 99th percentile of the
// time per event, overall and per kind of event (one that only passes through, a
// scroll of a gesture, a key, a modifier change, ...), with the accessibility round trips the
// callback made. The time is the monotonic clock's: reading the thread's CPU time is a system
// call costing a microsecond or more, ten times what an event that passes through should cost; the
// clock's own cost (the median of two reads in a row) is reported as the floor.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "desktop/ax_access.h"
#include "desktop/event_descriptions.h"
#include "desktop/screen.h"
#include "engine/gesture/gesture.h"
#include "engine/input/zoral_core.h"
#include "engine/windows/screen_rebuild.h"
#include "platform/event_tap.h"
#include "platform/home.h"
#include "platform/key_codes.h"
#include "platform/output.h"
#include "platform/run_loop.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/event_taps.h"
#include "sim/hardware_input.h"
#include "sim/input_devices.h"
#include "sim/window_node.h"
#include "sim/window_parts.h"
#include "sim/world.h"

namespace {

using namespace zoral;
using platform::CGEvent;

// The resolution, the executor and the tooltips stand aside: what is measured is the core, its
// engines, the gesture and the origin's classification.
class IdleResolver : public engine::ActionResolver {
public:
    promises::Guarantee<promises::Unit> resolveAction(engine::Gesture&) override {
        return promises::Guarantee<promises::Unit>::initVoid();
    }
};
class IdlePerformer : public engine::ActionPerformer {
public:
    promises::Guarantee<engine::ActionOutcome> perform(const engine::Origin& origin,
                                                       const engine::Action&) override {
        return promises::Guarantee<engine::ActionOutcome>::initWithValue({origin, true});
    }
};
class IdleTooltips : public engine::Tooltips {
public:
    void update(const engine::Action&, engine::TooltipDrawing, platform::CGPoint) override {}
    void hide() override {}
    void fadeTooltips(double) override {}
    void livePreview(const engine::Action&, const std::shared_ptr<desktop::Window>&,
                     const desktop::Screen&) override {}
};

double clockSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Touches and wheel scrolls only pass through the callback: the trackpad's touches are noted,
// the wheel is a mouse's.
std::string kindOf(const CGEvent& event, bool firstOfGesture) {
    const auto type = platform::toolkitType(event);
    std::string kind = desktop::description(type);
    if (type == platform::NSEventType::gesture)
        return kind + " (touches, passes through)";
    if (type == platform::NSEventType::scrollWheel) {
        if (event.momentumPhase != platform::NSEventPhase::none)
            return kind + " (momentum)";
        if (event.phase == platform::NSEventPhase::none)
            return kind + " (wheel, passes through)";
        return kind + (firstOfGesture ? " (first of a gesture)" : " (later)");
    }
    if (type == platform::NSEventType::magnify || type == platform::NSEventType::smartMagnify ||
        type == platform::NSEventType::keyDown)
        return kind + (firstOfGesture ? " (first of a gesture)" : " (later)");
    return kind;
}

// The entry at the fraction of the sorted times.
double percentile(const std::vector<double>& sorted, double fraction) {
    return sorted[static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1))];
}

// What reading the clock around nothing measures.
double clockFloor() {
    std::vector<double> seconds(10'000);
    for (double& interval : seconds) {
        const double before = clockSeconds();
        interval = clockSeconds() - before;
    }
    std::sort(seconds.begin(), seconds.end());
    return percentile(seconds, 0.5);
}

struct KindFigures {
    std::vector<double> seconds;
    std::int64_t roundTrips = 0;
};

struct CallbackDesk {
    CallbackDesk() {
        platform::UserDefaults::resetForTesting();
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        settings::Defaults::writeValue(settings::Defaults::Keys::hotkeys(), true);
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
    }
    ~CallbackDesk() {
        desktop::Screen::setScreens({});
        platform::UserDefaults::resetForTesting();
    }

    platform::TemporaryHomeDirectory home;
    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
    std::shared_ptr<sim::WindowNode> window;
};

// Plays gestures on the title bar and hotkey presses until the count is reached; gives the events
// as the tap saw them.
std::vector<CGEvent> record(CallbackDesk& desk, std::size_t count) {
    std::vector<CGEvent> events;
    const auto tap = platform::eventTapCreate(
        platform::CGEventTapLocation::session, platform::CGEventTapPlacement::headInsertEventTap,
        platform::CGEventTapOptions::listenOnly, engine::ZoralCore::eventMask,
        [&](platform::CGEventType, const CGEvent& event) {
            events.push_back(event);
            return std::optional(event);
        });
    const auto source = platform::machPortCreateRunLoopSource(tap, 0);
    platform::RunLoop::main().addSource(source, platform::RunLoopMode::commonModes);
    auto& hardware = sim::HardwareInput::of(*desk.world);
    sim::InputDevices::of(*desk.world).movePointer({600, 110});
    namespace vk = platform::virtualKey;
    int round = 0;
    while (events.size() < count) {
        const double dx = (round % 2 == 0) ? -240 : 240;
        const std::vector<sim::HardwareStep> steps{
            sim::ScrollStroke{.moves = {{.travel = {dx, 10}, .events = 20, .holdAfter = 0.1},
                                        {.travel = {0, 200}, .events = 15}},
                              .restBefore = 0.05,
                              .momentumEvents = 10},
            sim::Pause{0.3},
            sim::PinchStroke{.magnifications = std::vector<double>(24, 0.015)},
            sim::Pause{0.3},
            sim::SmartMagnifyTap{},
            sim::Pause{0.3},
            sim::WheelScroll{.lines = 3},
            sim::ModifierChange{platform::CGEventFlags::maskSecondaryFn},
            sim::KeyStroke{.keyCode = vk::leftArrow},
            sim::KeyStroke{.keyCode = vk::upArrow},
            sim::ModifierChange{},
            sim::Pause{1},
        };
        desk.scheduler->runFor(hardware.play(steps) + 0.1);
        ++round;
    }
    platform::machPortInvalidate(tap);
    events.resize(count);
    return events;
}

void BM_CoreCallback(benchmark::State& state) {
    const auto previousSink = platform::output::setSink([](std::string_view) {});
    constexpr std::size_t eventCount = 10'000;
    std::vector<double> seconds;
    std::map<std::string, KindFigures> kinds;
    for (auto _ : state) {
        CallbackDesk desk;
        const std::vector<CGEvent> events = record(desk, eventCount);
        const bool trusted = desktop::AXAccess::shared().isTrusted();
        desktop::AXAccess::shared().setIsTrusted(true);
        auto core = engine::ZoralCore::make({std::make_shared<IdleResolver>(),
                                             std::make_shared<IdlePerformer>(),
                                             std::make_shared<IdleTooltips>()});
        seconds.clear();
        seconds.reserve(events.size());
        kinds.clear();
        const double start = platform::uptimeSeconds();
        const double recorded = events.front().timestamp;
        for (const CGEvent& event : events) {
            // Between events the clock moves on as it did: timers and the scroll handling that
            // waits for the next turn of the main queue run here, outside the measure.
            const double due = start + (event.timestamp - recorded);
            desk.scheduler->advance(std::max(due - platform::uptimeSeconds(), 0.0));
            CGEvent replayed = event;
            replayed.timestamp = platform::uptimeSeconds();
            sim::InputDevices::of(*desk.world).movePointer(event.location);
            const bool idle = !core->touchEngine() && !core->keyEngine();
            const std::int64_t tripsBefore = desk.world->roundTripCount();
            const double before = clockSeconds();
            auto answer = core->handleEvent(replayed);
            const double after = clockSeconds();
            benchmark::DoNotOptimize(answer);
            seconds.push_back(after - before);
            auto& kind = kinds[kindOf(event, idle)];
            kind.seconds.push_back(after - before);
            kind.roundTrips += desk.world->roundTripCount() - tripsBefore;
        }
        desk.scheduler->advance(2);
        core->eventTap()->invalidate();
        core.reset();
        desktop::AXAccess::shared().setIsTrusted(trusted);
    }
    platform::output::setSink(previousSink);

    std::sort(seconds.begin(), seconds.end());
    state.counters["events"] = static_cast<double>(seconds.size());
    state.counters["median_us"] = percentile(seconds, 0.5) * 1e6;
    state.counters["p99_us"] = percentile(seconds, 0.99) * 1e6;
    state.counters["max_us"] = seconds.back() * 1e6;
    state.counters["floor_us"] = clockFloor() * 1e6;
    std::printf(
        "\nThe callback per kind of event (with the clock's floor; accessibility round "
        "trips):\n");
    std::printf("%-44s %7s %10s %10s %12s\n", "event", "events", "median us", "p99 us",
                "round trips");
    for (auto& [kind, figures] : kinds) {
        std::sort(figures.seconds.begin(), figures.seconds.end());
        std::printf("%-44s %7zu %10.3f %10.3f %12lld\n", kind.c_str(), figures.seconds.size(),
                    percentile(figures.seconds, 0.5) * 1e6, percentile(figures.seconds, 0.99) * 1e6,
                    static_cast<long long>(figures.roundTrips));
    }
}

BENCHMARK(BM_CoreCallback)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
