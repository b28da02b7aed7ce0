// The simulated window server's own cost on a desktop of 50 windows of 10 applications: a hit
// test through the accessibility call, and the on-screen window list, as the engine asks them.

#include <benchmark/benchmark.h>

#include "platform/accessibility.h"
#include "platform/scheduler.h"
#include "platform/window_list.h"
#include "sim/displays.h"
#include "sim/window_node.h"
#include "sim/world.h"

namespace {

using namespace zoral;

// Ten applications with five windows each, cascaded over one display, each window holding a
// title-bar button and a content group with a text, so that a hit descends a little.
struct Desktop {
    Desktop() {
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        std::int64_t number = 100;
        for (platform::ProcessId pid = 1; pid <= 10; ++pid) {
            sim::Process& process = world->addProcess(pid, "org.example.app", "App");
            for (int i = 0; i < 5; ++i) {
                auto window = world->makeNode<sim::WindowNode>(pid, number++);
                window->set("AXTitle", std::string("Window"));
                const double offset = static_cast<double>(pid * 5 + i) * 12;
                window->moveTo(*world, {offset, 25 + offset});
                window->resizeTo(*world, {500, 400});
                auto button = world->makeNode(pid, "AXButton");
                button->set("AXPosition", platform::CGPoint{offset + 8, 30 + offset});
                button->set("AXSize", platform::CGSize{12, 12});
                auto group = world->makeNode(pid, "AXGroup");
                auto text = world->makeNode(pid, "AXStaticText");
                text->set("AXPosition", platform::CGPoint{offset + 20, 80 + offset});
                text->set("AXSize", platform::CGSize{200, 20});
                group->appendChild(text);
                window->appendChild(button);
                window->appendChild(group);
                process.application->appendChild(window);
            }
        }
    }

    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
};

void BM_HitTest50Windows(benchmark::State& state) {
    Desktop desktop;
    const platform::ax::Element systemWide = platform::ax::createSystemWide();
    // Near the back of the stack, where the search passes most windows.
    const float x = 30;
    const float y = 60;
    for (auto _ : state) {
        auto hit = platform::ax::copyElementAtPosition(systemWide, x, y);
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(BM_HitTest50Windows);

void BM_OnScreenList50Windows(benchmark::State& state) {
    Desktop desktop;
    for (auto _ : state) {
        auto list = platform::windowListCopyWindowInfo(
            platform::windowListOptionOnScreenOnly | platform::windowListExcludeDesktopElements, 0);
        benchmark::DoNotOptimize(list);
    }
    state.SetItemsProcessed(state.iterations() * 50);
}
BENCHMARK(BM_OnScreenList50Windows);

}  // namespace
