#include "desktop/dispatch_control_item.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/run_after_delay.h"
#include "platform/dispatch.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::DispatchQueue;

class DispatchControlItemTest : public zoral::testing::VirtualClockTest {
protected:
    double now() { return scheduler().now().uptimeSeconds(); }

    std::vector<double> runs;
    std::vector<std::string> labels;
};

TEST_F(DispatchControlItemTest, OnlyTheLastOfQuickSchedulesRunsAfterItsDelay) {
    DispatchControlItem item{DispatchQueue::main(), {}, {}};
    const auto record = [this] { runs.push_back(now()); };
    item.schedule(0.1, record);
    scheduler().advance(0.05);
    item.schedule(0.1, record);
    scheduler().advance(0.05);
    item.schedule(0.1, record);
    const double third = now();
    scheduler().advance(0.0999);
    EXPECT_TRUE(runs.empty());
    scheduler().advance(1.0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0] - third, 0.1, 1e-9);
}

TEST_F(DispatchControlItemTest, WithoutAClosureTheLastClosureGivenRuns) {
    DispatchControlItem item{DispatchQueue::main(), [this] { labels.push_back("handler"); }, {}};
    item.schedule(0.1);
    scheduler().advance(0.2);
    item.schedule(0.1, [this] { labels.push_back("given"); });
    scheduler().advance(0.2);
    item.schedule(0.1);
    scheduler().advance(0.2);
    EXPECT_EQ(labels, (std::vector<std::string>{"handler", "given", "given"}));

    // With nothing to run at all, the work does nothing.
    DispatchControlItem empty{DispatchQueue::main(), {}, {}};
    empty.schedule(0.1);
    scheduler().advance(0.2);
    ASSERT_TRUE(empty.pendingItem);
}

TEST_F(DispatchControlItemTest, WorkRunsOnTheItemsQueueAndStaysPendingAfterItRan) {
    DispatchQueue queue("debounce.test");
    DispatchControlItem item{queue, {}, {}};
    item.schedule(0.0, [this] { labels.push_back(DispatchQueue::currentLabel()); });
    EXPECT_TRUE(labels.empty());  // never inside the call
    scheduler().runUntilIdle();
    EXPECT_EQ(labels, std::vector<std::string>{"debounce.test"});
    ASSERT_TRUE(item.pendingItem);
    EXPECT_FALSE(item.pendingItem->isCancelled());
    // Cancelling work that has run changes nothing.
    item.schedule(0.5, [this] { labels.push_back("again"); });
    scheduler().advance(0.5);
    EXPECT_EQ(labels.back(), "again");
}

TEST_F(DispatchControlItemTest, RunAfterDelayRunsOnceAtTheDeadlineOnTheQueue) {
    DispatchQueue queue("delayed.test");
    const double start = now();
    runAfterDelay(queue, 0.25, [this] {
        runs.push_back(now());
        labels.push_back(DispatchQueue::currentLabel());
    });
    scheduler().advance(0.2499);
    EXPECT_TRUE(runs.empty());
    scheduler().advance(1.0);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(runs[0] - start, 0.25, 1e-9);
    EXPECT_EQ(labels, std::vector<std::string>{"delayed.test"});
}

}  // namespace
}  // namespace zoral::desktop
