// The cost of promise chains as the program builds them: steps on the main queue of the virtual
// scheduler, each run to its end. Items are steps, so the time per item is the cost of one step.

#include <benchmark/benchmark.h>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "platform/scheduler.h"
#include "promises/promise.h"

namespace {

using namespace zoral::platform;
using namespace zoral::promises;

// A window chain: chain, then runOnValue, then the end-of-chain handleError.
void BM_PromiseThreeStepChainOnMainQueue(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue main = DispatchQueue::main();
    int sum = 0;
    for (auto _ : state) {
        Promise<int>::initFulfilled(1)
            .chain(main, [](int v) { return Promise<int>::initFulfilled(v + 1); })
            .runOnValue(main, [&sum](int v) { sum += v; })
            .handleError(main, CatchPolicy::allErrorsExceptCancellation, [](const ErrorRef&) {});
        scheduler->runUntilIdle();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_PromiseThreeStepChainOnMainQueue);

// The same chain failing at its first step: the error passes down to the handler's body.
void BM_PromiseThreeStepChainRejected(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue main = DispatchQueue::main();
    const ErrorRef error = makeError("Bench", 1, "failure");
    int handled = 0;
    for (auto _ : state) {
        Promise<int>::initFulfilled(1)
            .chain(main, [&error](int) { return Promise<int>::initRejected(error); })
            .runOnValue(main, [](int) {})
            .handleError(main, CatchPolicy::allErrorsExceptCancellation,
                         [&handled](const ErrorRef&) { ++handled; });
        scheduler->runUntilIdle();
    }
    benchmark::DoNotOptimize(handled);
    state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_PromiseThreeStepChainRejected);

// The gesture's guarantee steps: chain on the map queue, then runOnValue on the return queue.
void BM_PromiseGuaranteeTwoStepsOnMainQueue(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue main = DispatchQueue::main();
    int sum = 0;
    for (auto _ : state) {
        Guarantee<int>::initWithValue(1)
            .chain(main, [](int v) { return Guarantee<int>::initWithValue(v + 1); })
            .runOnValue(main, [&sum](int v) { sum += v; });
        scheduler->runUntilIdle();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_PromiseGuaranteeTwoStepsOnMainQueue);

// Without a queue every step runs in place: the cost of the promises themselves.
void BM_PromiseThreeStepChainInPlace(benchmark::State& state) {
    int sum = 0;
    for (auto _ : state) {
        Promise<int>::initFulfilled(1)
            .chain(std::nullopt, [](int v) { return Promise<int>::initFulfilled(v + 1); })
            .runOnValue(std::nullopt, [&sum](int v) { sum += v; })
            .handleError(std::nullopt, CatchPolicy::allErrorsExceptCancellation,
                         [](const ErrorRef&) {});
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_PromiseThreeStepChainInPlace);

// A pending chain built first and settled at its head: every step waits in a handler list and runs
// when the one before it settles, in place.
constexpr int pendingChainLength = 100;

void BM_PromisePendingChainSettledInPlace(benchmark::State& state) {
    int last = 0;
    for (auto _ : state) {
        auto [head, resolver] = Promise<int>::makePendingPair();
        Promise<int> tail = head;
        for (int i = 0; i < pendingChainLength; ++i)
            tail = tail.transformValue(std::nullopt, [](int v) { return v + 1; });
        resolver.fulfilWith(0);
        last = *tail.currentValue();
    }
    benchmark::DoNotOptimize(last);
    state.SetItemsProcessed(state.iterations() * pendingChainLength);
}
BENCHMARK(BM_PromisePendingChainSettledInPlace);

void BM_GuaranteePendingChainSettledInPlace(benchmark::State& state) {
    int last = 0;
    for (auto _ : state) {
        auto [head, resolve] = Guarantee<int>::makePendingPair();
        Guarantee<int> tail = head;
        for (int i = 0; i < pendingChainLength; ++i)
            tail = tail.transformValue(std::nullopt, [](int v) { return v + 1; });
        resolve(0);
        last = *tail.currentValue();
    }
    benchmark::DoNotOptimize(last);
    state.SetItemsProcessed(state.iterations() * pendingChainLength);
}
BENCHMARK(BM_GuaranteePendingChainSettledInPlace);

// The same pending chain with every step on the main queue.
void BM_PromisePendingChainOnMainQueue(benchmark::State& state) {
    ScopedScheduler scheduler;
    const DispatchQueue main = DispatchQueue::main();
    int last = 0;
    for (auto _ : state) {
        auto [head, resolver] = Promise<int>::makePendingPair();
        Promise<int> tail = head;
        for (int i = 0; i < pendingChainLength; ++i)
            tail = tail.transformValue(main, [](int v) { return v + 1; });
        resolver.fulfilWith(0);
        scheduler->runUntilIdle();
        last = *tail.currentValue();
    }
    benchmark::DoNotOptimize(last);
    state.SetItemsProcessed(state.iterations() * pendingChainLength);
}
BENCHMARK(BM_PromisePendingChainOnMainQueue);

}  // namespace
