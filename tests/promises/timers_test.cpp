#include "promises/timers.h"

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/run_loop.h"
#include "promises/promise.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using platform::DispatchTime;
using platform::DispatchTimeInterval;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Timers = testing::PromisesTest;

TEST_F(Timers, DelaySettlesAtItsDeadlineOnTheGlobalQueue) {
    const auto delay = guaranteeAfterSeconds(0.5);
    std::string settledOn;
    bool onMain = true;
    delay.runOnValue(std::nullopt, [&] {
        settledOn = DispatchQueue::currentLabel();
        onMain = platform::isMainThread();
    });
    scheduler().advance(0.49);
    EXPECT_TRUE(delay.isStillPending());
    scheduler().advance(0.01);
    EXPECT_TRUE(delay.isSettled());
    EXPECT_EQ(settledOn, DispatchQueue::global().label());
    EXPECT_FALSE(onMain);
}

// Work the scheduler drops unrun when it goes (pending delays, steps waiting for their queue)
// is no promise that the program lost: tearing it down says nothing, however much there is. A
// promise that the program drops still warns.
TEST_F(Timers, TearingDownPendingWorkWithTheSchedulerWarnsOfNothing) {
    {
        platform::ScopedScheduler ending;
        const DispatchQueue main = DispatchQueue::main();
        for (int i = 0; i < 1000; ++i) {
            guaranteeAfterSeconds(1).runOnValue(std::nullopt, [] {});
            guaranteeAfterSeconds(2).chain(main, [] { return Promise<int>::initFulfilled(1); });
            Guarantee<int>::initWithValue(i).transformValue(main, [](int v) { return v; });
            Promise<int>::initFulfilled(i).peekResult(main, [](const Result<int>&) {});
        }
        EXPECT_EQ(ending->pendingCount(), 4000u);
    }
    EXPECT_THAT(lines(), IsEmpty());

    {
        const auto dropped = guaranteeAfterSeconds(1).runOnValue(std::nullopt, [] {});
    }
    {
        const auto pair = Guarantee<int>::makePendingPair();
        pair.guarantee.runOnValue(std::nullopt, [](int) {});
    }
    // The timer's step is still held by the timer; the pair's box and its step are dropped.
    EXPECT_THAT(lines(), ElementsAre(testing::pendingGuaranteeLine, testing::pendingGuaranteeLine));
}

TEST_F(Timers, NoDelayIsStillSettledByTheQueuedWork) {
    const auto delay = guaranteeAfterSeconds(0);
    EXPECT_TRUE(delay.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_TRUE(delay.isSettled());
}

TEST_F(Timers, DelaysOutsideTheClocksRangeAreClamped) {
    struct Case {
        double seconds;
        std::optional<double> settlesAt;  // absent: not within a year
    };
    const std::vector<Case> cases = {
        {std::numeric_limits<double>::quiet_NaN(), 0.0},
        {-3.0, 0.0},
        {-std::numeric_limits<double>::infinity(), 0.0},
        {std::numeric_limits<double>::infinity(), std::nullopt},
        {1e300, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        const double start = DispatchTime::now().uptimeSeconds();
        const auto delay = guaranteeAfterSeconds(c.seconds);
        scheduler().runUntilIdle();
        if (c.settlesAt) {
            EXPECT_TRUE(delay.isSettled());
        } else {
            scheduler().advance(365.0 * 24 * 3600);
            EXPECT_TRUE(delay.isStillPending());
        }
        EXPECT_GE(DispatchTime::now().uptimeSeconds(), start);
    }
}

TEST_F(Timers, IntervalDelay) {
    const auto delay = guaranteeAfterInterval(DispatchTimeInterval::milliseconds(250));
    scheduler().advance(0.2);
    EXPECT_TRUE(delay.isStillPending());
    scheduler().advance(0.05);
    EXPECT_TRUE(delay.isSettled());

    const auto negative = guaranteeAfterInterval(DispatchTimeInterval::seconds(-5));
    scheduler().runUntilIdle();
    EXPECT_TRUE(negative.isSettled());
}

TEST_F(Timers, BeginChainTakesOverTheBodysOutcome) {
    const ErrorRef error = failure();
    EXPECT_EQ(beginChain([&]() -> Promise<int> { platform::throwError(error); }).currentError(),
              error);
    // A settled guarantee: the promise is fulfilled before beginChain returns.
    EXPECT_EQ(beginChain([] { return Guarantee<int>::initWithValue(4); }).currentValue(), 4);
    EXPECT_EQ(beginChain([&] { return Promise<int>::initRejected(error); }).currentError(), error);

    auto inner = Promise<std::string>::makePendingPair();
    const auto later = beginChain([&] { return inner.promise; });
    EXPECT_TRUE(later.isStillPending());
    inner.resolver.fulfilWith("x");
    EXPECT_EQ(later.currentValue(), "x");
}

TEST_F(Timers, HangOnASettledPromiseAnswersAtOnce) {
    EXPECT_EQ(hang(Promise<int>::initFulfilled(3)), 3);
    const ErrorRef error = failure();
    try {
        hang(Promise<int>::initRejected(error));
        ADD_FAILURE() << "hang did not throw";
    } catch (...) {
        EXPECT_EQ(platform::currentError(), error);
    }
    EXPECT_EQ(platform::RunLoop::main().runDepth(), 0);
    EXPECT_EQ(scheduler().pendingCount(), 0u);
}

TEST_F(Timers, HangTurnsTheRunLoopUntilThePromiseIsSettled) {
    auto [promise, resolver] = Promise<int>::makePendingPair();
    // The work that settles the promise also stops the loop, so hang may return before its own
    // stopping body has run on the main queue.
    guaranteeAfterSeconds(3).runOnValue(std::nullopt, [r = resolver] {
        r.fulfilWith(8);
        platform::RunLoop::main().stop();
    });
    // Something else stops the run loop first: hang only turns it again.
    guaranteeAfterSeconds(1).runOnValue(std::nullopt, [] { platform::RunLoop::main().stop(); });
    std::vector<int> depths;
    guaranteeAfterSeconds(2).runOnValue(
        DispatchQueue::main(), [&] { depths.push_back(platform::RunLoop::main().runDepth()); });

    EXPECT_EQ(hang(promise), 8);
    EXPECT_DOUBLE_EQ(DispatchTime::now().uptimeSeconds(), 3.0);
    EXPECT_THAT(depths, ElementsAre(1));

    // That late body must not stop the next run of the loop.
    bool ranLater = false;
    guaranteeAfterSeconds(1).runOnValue(DispatchQueue::main(), [&] {
        ranLater = true;
        platform::RunLoop::main().stop();
    });
    platform::RunLoop::main().run();
    EXPECT_TRUE(ranLater);
    EXPECT_THAT(lines(), IsEmpty());
}

TEST(TimersDeathTest, HangOffTheMainThreadStopsTheProcess) {
    EXPECT_DEATH(
        {
            platform::ScopedScheduler scheduler;
            const auto pending = Promise<int>::initPending();
            std::thread([&] { hang(pending); }).join();
        },
        "Only call hang\\(\\) on the main thread\\.");
}

}  // namespace
}  // namespace zoral::promises
