// The scheduler's own cost: one submission run to completion, immediate and delayed, and an item
// that blocks once; and the cost of handing the processor from one execution context to another,
// with the design that was not chosen (two threads handing a baton) beside it.

#include <condition_variable>
#include <mutex>
#include <thread>

#include <benchmark/benchmark.h>

#include "platform/dispatch.h"
#include "platform/execution_context.h"
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

// An item that sleeps once, as an accessibility round trip does: it starts, blocks, and resumes
// when the clock reaches its deadline.
void BM_BlockingRoundTrip(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue queue("AXQueue", DispatchQoS::unspecified,
                              DispatchQueue::Attributes::concurrent);
    int runs = 0;
    for (auto _ : state) {
        queue.async([&runs] {
            sleepFor(0.001);
            ++runs;
        });
        scheduler->advance(0.001);
    }
    benchmark::DoNotOptimize(runs);
}
BENCHMARK(BM_BlockingRoundTrip);

// One hand-off of the processor between two execution contexts (each iteration makes two).
void BM_ContextSwitchFiber(benchmark::State& state) {
    ExecutionContext root;
    bool done = false;
    ExecutionContext* other = nullptr;
    ExecutionContext fiber([&]() -> ExecutionContext& {
        while (!done)
            other->switchTo(root);
        return root;
    });
    other = &fiber;
    for (auto _ : state)
        root.switchTo(fiber);
    done = true;
    root.switchTo(fiber);
    state.counters["per switch"] =
        benchmark::Counter(static_cast<double>(state.iterations() * 2),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ContextSwitchFiber);

// The same hand-off between two threads that take turns holding a baton.
void BM_ContextSwitchThreadBaton(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable changed;
    int holder = 0;
    bool done = false;
    std::thread other([&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return holder == 1 || done; });
            if (done)
                return;
            holder = 0;
            changed.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock lock(mutex);
        holder = 1;
        changed.notify_all();
        changed.wait(lock, [&] { return holder == 0; });
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    changed.notify_all();
    other.join();
    state.counters["per switch"] =
        benchmark::Counter(static_cast<double>(state.iterations() * 2),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ContextSwitchThreadBaton)->UseRealTime();

}  // namespace
