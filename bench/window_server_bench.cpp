// The simulated window server's own cost on a desktop of 50 windows of 10 applications: a hit
// test through the accessibility call, and the on-screen window list, as the engine asks them.

#include <benchmark/benchmark.h>

#include "fifty_windows.h"
#include "platform/accessibility.h"
#include "platform/window_list.h"

namespace {

using namespace zoral;

using Desktop = bench::FiftyWindows;

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
