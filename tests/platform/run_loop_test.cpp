#include "platform/run_loop.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/date.h"
#include "platform/dispatch.h"
#include "support/environment.h"
#include "support/virtual_clock.h"

namespace zoral::platform {
namespace {

using RunLoopTest = zoral::testing::VirtualClockTest;

TEST_F(RunLoopTest, RunTurnsTheMainQueueUntilStopped) {
    const DispatchTime start = DispatchTime::now();
    int ticks = 0;
    for (int i = 1; i <= 3; ++i) {
        DispatchQueue::main().asyncAfter(start + i, [&] {
            if (++ticks == 2)
                RunLoop::main().stop();
        });
    }
    RunLoop::main().run();
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(DispatchTime::now(), start + 2.0);
    EXPECT_EQ(RunLoop::main().runDepth(), 0);
}

TEST_F(RunLoopTest, StopBeforeRunEndsTheNextRunAtOnce) {
    RunLoop::main().stop();
    bool ran = false;
    DispatchQueue::main().async([&] { ran = true; });
    RunLoop::main().run();
    EXPECT_FALSE(ran);
    EXPECT_EQ(RunLoop::main().runFor(1.0), RunLoop::RunResult::timedOut);
    EXPECT_TRUE(ran);
}

TEST_F(RunLoopTest, StopEndsTheInnermostRun) {
    std::vector<std::string> order;
    DispatchQueue::main().async([&] {
        DispatchQueue::global().asyncAfter(DispatchTime::now() + 1, [&] {
            order.push_back("inner stop");
            RunLoop::main().stop();
        });
        RunLoop::main().run();  // nested: other queues keep running
        order.push_back("inner returned");
        RunLoop::main().stop();
    });
    RunLoop::main().run();
    order.push_back("outer returned");
    EXPECT_EQ(order, (std::vector<std::string>{"inner stop", "inner returned", "outer returned"}));
}

// Runs in different contexts nest by the order they began: a stop ends the one
// that began last, and a timed run may end by its time while a later one goes on.
TEST_F(RunLoopTest, AStopEndsTheRunThatBeganLast) {
    std::vector<std::string> order;
    const auto nested = [&](const std::string& name) {
        return [&order, name] {
            RunLoop::main().run();
            order.push_back(name + " returned");
        };
    };
    DispatchQueue first("first");
    DispatchQueue second("second");
    first.async(nested("first"));
    second.async(nested("second"));
    EXPECT_EQ(RunLoop::main().runFor(1.0), RunLoop::RunResult::timedOut);
    EXPECT_EQ(RunLoop::main().runDepth(), 2) << "the items' runs go on";
    RunLoop::main().stop();
    scheduler().runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"second returned"}));
    RunLoop::main().stop();
    scheduler().runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"second returned", "first returned"}));
    EXPECT_EQ(RunLoop::main().runDepth(), 0);
}

TEST_F(RunLoopTest, AnotherThreadCanStopTheRun) {
    std::thread stopper;
    DispatchQueue::main().async([&] { stopper = std::thread([] { RunLoop::main().stop(); }); });
    RunLoop::main().run();  // waits for the other thread instead of returning when idle
    stopper.join();
    SUCCEED();
}

TEST_F(RunLoopTest, SignalledSourcesPerformOnceWhileAttached) {
    int performed = 0;
    auto source = std::make_shared<RunLoopSource>([&] {
        EXPECT_TRUE(isMainThread());
        ++performed;
    });
    RunLoop& loop = RunLoop::main();
    loop.addSource(source, RunLoopMode::commonModes);
    EXPECT_TRUE(loop.containsSource(source, RunLoopMode::commonModes));
    EXPECT_FALSE(loop.containsSource(source, RunLoopMode::defaultMode));

    source->signal();
    source->signal();
    EXPECT_EQ(performed, 0) << "a source performs as later main-queue work";
    scheduler().runUntilIdle();
    EXPECT_EQ(performed, 1) << "signals before the perform are coalesced";

    source->signal();
    loop.removeSource(source, RunLoopMode::commonModes);
    scheduler().runUntilIdle();
    EXPECT_EQ(performed, 1) << "a removed source never performs";

    loop.addSource(source, RunLoopMode::defaultMode);
    source->signal();
    source->invalidate();
    scheduler().runUntilIdle();
    EXPECT_EQ(performed, 1) << "an invalidated source never performs";

    auto released = std::make_shared<RunLoopSource>([&] { ++performed; });
    loop.addSource(released, RunLoopMode::defaultMode);
    released->signal();
    loop.removeSource(released, RunLoopMode::defaultMode);
    released.reset();
    scheduler().runUntilIdle();
    EXPECT_EQ(performed, 1);
}

class LogTime : public ::testing::Test {
protected:
    zoral::testing::ScopedTimeZone utc_{"UTC"};
};

TEST_F(LogTime, FormatsHoursToHundredthsTruncated) {
    const Date midnight = Date::fromUnixTime(1767571200.0);  // 2026-01-05 00:00:00 UTC
    const std::vector<std::pair<double, std::string>> cases = {
        {0.0, "00:00:00.00"},      {0.29, "00:00:00.29"},      {0.999, "00:00:00.99"},
        {3723.456, "01:02:03.45"}, {86399.999, "23:59:59.99"}, {-0.5, "23:59:59.50"},
    };
    for (const auto& [offset, text] : cases) {
        EXPECT_EQ(formatLogTime(midnight + offset), text) << offset;
    }
    EXPECT_EQ(formatLogTime(Date{std::numeric_limits<double>::quiet_NaN()}), "--:--:--.--");
}

TEST_F(LogTime, VirtualDatesFollowTheVirtualClock) {
    ScopedScheduler scheduler(Scheduler::ClockKind::virtualTime, Date::fromUnixTime(1767603600.0));
    EXPECT_EQ(formatLogTime(Date::now()), "09:00:00.00");
    scheduler->advance(61.25);
    EXPECT_EQ(formatLogTime(Date::now()), "09:01:01.25");
    EXPECT_DOUBLE_EQ(Date::now() - Date::fromUnixTime(1767603600.0), 61.25);
}

}  // namespace
}  // namespace zoral::platform
