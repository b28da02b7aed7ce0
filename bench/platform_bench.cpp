// The scheduler's own cost: one submission run to completion, immediate and delayed.

#include <benchmark/benchmark.h>

#include "platform/dispatch.h"
#include "platform/scheduler.h"

namespace {

using namespace zoral::platform;

void BM_AsyncRoundTrip(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue queue = DispatchQueue::main();
    int runs = 0;
    for (auto _ : state) {
        queue.async([&runs] { ++runs; });
        scheduler->runUntilIdle();
    }
    benchmark::DoNotOptimize(runs);
}
BENCHMARK(BM_AsyncRoundTrip);

void BM_AsyncAfterOnVirtualClock(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue queue = DispatchQueue::global();
    int runs = 0;
    for (auto _ : state) {
        queue.asyncAfter(DispatchTime::now() + 0.001, [&runs] { ++runs; });
        scheduler->advance(0.001);
    }
    benchmark::DoNotOptimize(runs);
}
BENCHMARK(BM_AsyncAfterOnVirtualClock);

// Many timers pending at once: the cost of keeping them in deadline order.
void BM_AsyncAfterThousandPending(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue queue = DispatchQueue::main();
    int runs = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            queue.asyncAfter(DispatchTime::now() + 0.001 * (i % 97), [&runs] { ++runs; });
        }
        scheduler->advance(0.1);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    benchmark::DoNotOptimize(runs);
}
BENCHMARK(BM_AsyncAfterThousandPending);

}  // namespace
