#include "desktop/ax_access.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/iohid.h"
#include "platform/notification_center.h"
#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/iohid.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::iohid::AccessType;

struct Firing {
    bool value;
    double time;
};

class AXAccessTest : public zoral::testing::VirtualClockTest {
protected:
    double now() { return scheduler().now().uptimeSeconds(); }

    // Records every value the monitor fires from now on, with its time.
    void record(AXAccess& access) {
        subscription = access.onChange().subscribe(keepAlive, [this](const bool& value) {
            firings.push_back({value, now()});
        });
    }

    static void announce() {
        platform::DistributedNotificationCenter::defaultCenter().post(AXAccess::changeNotification);
    }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::shared_ptr<int> keepAlive = std::make_shared<int>(0);
    signals::Signal<bool>::SubscriptionRef subscription;
    std::vector<Firing> firings;
};

TEST_F(AXAccessTest, LogsInputMonitoringAccessOnRecentSystemsOnly) {
    struct Row {
        AccessType post;
        AccessType listen;
        platform::OperatingSystemVersion version;
        std::vector<std::string> lines;
    };
    const std::vector<Row> rows = {
        {AccessType::granted, AccessType::granted, {10, 15, 0}, {"IOHID: Post true, Listen true"}},
        {AccessType::granted, AccessType::denied, {14, 0, 0}, {"IOHID: Post true, Listen false"}},
        {AccessType::unknown, AccessType::granted, {14, 0, 0}, {"IOHID: Post false, Listen true"}},
        {AccessType::granted, AccessType::granted, {10, 14, 6}, {}},
    };
    for (const Row& row : rows) {
        auto& access = world->component<sim::InputMonitoringAccess>();
        access.post = row.post;
        access.listen = row.listen;
        sim::SystemVersion::of(*world).setVersion(row.version);
        output.clear();
        const auto monitor = AXAccess::make();
        EXPECT_EQ(output.lines(), row.lines);
    }
}

TEST_F(AXAccessTest, ChecksAtOnceAndAfterEachAnnouncement) {
    world->setTrusted(false);
    scheduler().runUntilIdle();
    const auto access = AXAccess::make();
    EXPECT_FALSE(access->isTrusted());
    EXPECT_EQ(access->onChange().fireCount(), 1);
    EXPECT_EQ(access->onChange().lastDataFired(), false);
    record(*access);

    // The permission is granted: the system announces it and the monitor follows 0.2 s later.
    const double start = now();
    world->setTrusted(true);
    scheduler().advance(0.19);
    EXPECT_FALSE(access->isTrusted());
    scheduler().advance(0.01);
    EXPECT_TRUE(access->isTrusted());
    ASSERT_EQ(firings.size(), 1u);
    EXPECT_TRUE(firings[0].value);
    EXPECT_DOUBLE_EQ(firings[0].time - start, 0.2);
}

TEST_F(AXAccessTest, TwoAnnouncementsGiveTwoChecksAndTwoFirings) {
    const auto access = AXAccess::make();
    record(*access);
    const double start = now();
    announce();
    scheduler().advance(0.1);
    announce();
    scheduler().advance(1);
    ASSERT_EQ(firings.size(), 2u);
    EXPECT_DOUBLE_EQ(firings[0].time - start, 0.2);
    EXPECT_DOUBLE_EQ(firings[1].time - start, 0.3);
    EXPECT_TRUE(firings[0].value && firings[1].value) << "fired although nothing changed";
    EXPECT_EQ(access->onChange().fireCount(), 3);
}

TEST_F(AXAccessTest, ALateSubscriberHearsTheLastValueAtOnce) {
    const auto access = AXAccess::make();
    std::vector<bool> heard;
    const auto late = access->onChange().subscribeReplayingLast(
        keepAlive, [&](const bool& value) { heard.push_back(value); });
    EXPECT_EQ(heard, std::vector<bool>{true});
    world->setTrusted(false);
    scheduler().advance(0.2);
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

TEST_F(AXAccessTest, PromptingAsksTheSystemAndChangesNothingHere) {
    world->setTrusted(false);
    scheduler().runUntilIdle();
    const auto access = AXAccess::make();
    record(*access);
    access->promptForAccess();
    EXPECT_EQ(world->trustPrompts(), 1);
    EXPECT_FALSE(access->isTrusted());
    scheduler().advance(1);
    EXPECT_TRUE(firings.empty());
}

TEST_F(AXAccessTest, AReleasedMonitorStopsListening) {
    auto access = AXAccess::make();
    record(*access);
    announce();
    scheduler().runUntilIdle();  // the check is now scheduled
    access.reset();
    announce();
    scheduler().advance(1);
    EXPECT_TRUE(firings.empty());
}

}  // namespace
}  // namespace zoral::desktop
