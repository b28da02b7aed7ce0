// Real threads against the promise locks: settling races attaching, and barriers whose inputs
// are settled on several threads at once. Each handler must run exactly once.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "promises/barriers.h"
#include "promises/promise.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using Stress = testing::PromisesTest;

constexpr int rounds = 200;
constexpr int attachers = 4;
constexpr int handlersPerAttacher = 25;

// Starts the threads together, so that their work overlaps as much as it can.
class StartLine {
public:
    explicit StartLine(int threads) : waiting_(threads) {}
    void arrive() {
        waiting_.fetch_sub(1);
        while (waiting_.load() > 0)
            std::this_thread::yield();
    }

private:
    std::atomic<int> waiting_;
};

TEST_F(Stress, SettlingRacesAttachingAndEveryHandlerRunsOnce) {
    for (int round = 0; round < rounds; ++round) {
        auto [promise, resolver] = Promise<int>::makePendingPair();
        std::vector<std::atomic<int>> runs(attachers * handlersPerAttacher);
        std::atomic<int> wrongValues{0};
        StartLine start(attachers + 1);
        std::vector<std::thread> threads;
        for (int t = 0; t < attachers; ++t) {
            threads.emplace_back([&, t, p = promise] {
                start.arrive();
                for (int h = 0; h < handlersPerAttacher; ++h) {
                    const auto index = static_cast<std::size_t>(t * handlersPerAttacher + h);
                    if (h % 2 == 0) {
                        p.attachHandler([&, index](const Result<int>& r) {
                            runs[index].fetch_add(1);
                            if (!r.holdsValue() || r.value() != round)
                                wrongValues.fetch_add(1);
                        });
                    } else {
                        // Chaining without a queue attaches through the same path.
                        p.transformValue(std::nullopt, [](int v) {
                             return v;
                         }).runOnValue(std::nullopt, [&, index](int v) {
                            runs[index].fetch_add(1);
                            if (v != round)
                                wrongValues.fetch_add(1);
                        });
                    }
                }
            });
        }
        threads.emplace_back([&, r = resolver] {
            start.arrive();
            r.fulfilWith(round);
            r.fulfilWith(-1);  // ignored
        });
        for (auto& thread : threads)
            thread.join();
        for (const auto& count : runs)
            ASSERT_EQ(count.load(), 1) << "round " << round;
        ASSERT_EQ(wrongValues.load(), 0);
    }
}

TEST_F(Stress, JoinsCollectValuesSettledOnManyThreads) {
    constexpr int inputs = 16;
    for (int round = 0; round < rounds / 4; ++round) {
        std::vector<PendingPromise<int>> pairs;
        std::vector<Promise<int>> promises;
        for (int i = 0; i < inputs; ++i) {
            pairs.push_back(Promise<int>::makePendingPair());
            promises.push_back(pairs.back().promise);
        }
        const auto all = allFulfilled(promises);
        const auto resolved = allResolved(promises);
        const auto firstWins = raceFulfilled(promises);
        StartLine start(4);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&, t] {
                start.arrive();
                for (int i = t; i < inputs; i += 4)
                    pairs[static_cast<std::size_t>(i)].resolver.fulfilWith(i);
            });
        }
        for (auto& thread : threads)
            thread.join();
        ASSERT_TRUE(all.hasValue());
        for (int i = 0; i < inputs; ++i)
            ASSERT_EQ(all.currentValue()->at(static_cast<std::size_t>(i)), i);
        ASSERT_EQ(resolved.currentValue()->size(), static_cast<std::size_t>(inputs));
        ASSERT_TRUE(firstWins.hasValue());
    }
}

TEST_F(Stress, LimitedJoinKeepsItsLimitAndNeverLosesARejection) {
    constexpr int inputs = 24;
    constexpr std::int64_t limit = 3;
    const ErrorRef error = failure();
    for (int round = 0; round < rounds / 2; ++round) {
        struct Shared {
            std::vector<PendingPromise<int>> pairs;
            std::atomic<int> taken{0};
            std::atomic<int> settled{0};
            std::atomic<bool> overLimit{false};
        };
        auto shared = std::make_shared<Shared>();
        for (int i = 0; i < inputs; ++i)
            shared->pairs.push_back(Promise<int>::makePendingPair());
        const int rejected = round % inputs;
        const bool withRejection = round % 2 == 0;

        const auto all = allFulfilledLimited(
            [shared]() -> std::optional<Promise<int>> {
                const int index = shared->taken.load();
                if (index == inputs)
                    return std::nullopt;
                if (index - shared->settled.load() >= limit)
                    shared->overLimit = true;
                shared->taken.fetch_add(1);
                return shared->pairs[static_cast<std::size_t>(index)].promise;
            },
            limit);

        // Workers settle whatever has been taken, in parallel.
        std::atomic<int> next{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t) {
            threads.emplace_back([&, shared] {
                for (;;) {
                    const int index = next.load();
                    if (index == inputs)
                        return;
                    if (index >= shared->taken.load()) {
                        if (all.isSettled() && index >= shared->taken.load())
                            return;  // nothing more will be taken
                        std::this_thread::yield();
                        continue;
                    }
                    int expected = index;
                    if (!next.compare_exchange_strong(expected, index + 1))
                        continue;
                    shared->settled.fetch_add(1);
                    auto& resolver = shared->pairs[static_cast<std::size_t>(index)].resolver;
                    if (withRejection && index == rejected) {
                        resolver.rejectWith(error);
                    } else {
                        resolver.fulfilWith(index);
                    }
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        ASSERT_FALSE(shared->overLimit.load()) << "round " << round;
        if (withRejection) {
            ASSERT_EQ(all.currentError(), error) << "round " << round;
        } else {
            ASSERT_TRUE(all.hasValue()) << "round " << round;
            ASSERT_EQ(all.currentValue()->size(), static_cast<std::size_t>(inputs));
        }
        // Inputs never taken stay pending; settle them so that nothing is left waiting.
        for (auto& pair : shared->pairs)
            pair.resolver.fulfilWith(0);
    }
}

}  // namespace
}  // namespace zoral::promises
