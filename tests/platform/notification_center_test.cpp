#include "platform/notification_center.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "support/virtual_clock.h"

namespace zoral::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Two senders, known by their addresses only.
int senderA = 0;
int senderB = 0;

// Which observers a post reaches: observers registered with a name or none and a sender or none.
struct FilterCase {
    std::optional<std::string> observedName;
    bool observesSenderA;  // false: every sender
    std::string postedName;
    const void* postedSender;
    bool delivered;
};

const FilterCase filterCases[] = {
    {"screens", false, "screens", nullptr, true},
    {"screens", false, "screens", &senderA, true},
    {"screens", false, "other", nullptr, false},
    {std::nullopt, false, "anything", nullptr, true},
    {std::nullopt, false, "anything", &senderB, true},
    {"screens", true, "screens", &senderA, true},
    {"screens", true, "screens", &senderB, false},
    {"screens", true, "screens", nullptr, false},
    {std::nullopt, true, "anything", &senderA, true},
    {std::nullopt, true, "anything", &senderB, false},
};

TEST(NotificationCenter, DeliversAtOnceOnThePostingThread) {
    NotificationCenter center;
    std::vector<std::thread::id> callers;
    center.addObserver("changed", nullptr,
                       [&](const Notification&) { callers.push_back(std::this_thread::get_id()); });
    std::thread([&] { center.post("changed"); }).join();
    ASSERT_EQ(callers.size(), 1u);
    EXPECT_NE(callers[0], std::this_thread::get_id());
    center.post("changed");
    ASSERT_EQ(callers.size(), 2u);
    EXPECT_EQ(callers[1], std::this_thread::get_id());
}

TEST(NotificationCenter, FiltersByNameAndSender) {
    for (const auto& c : filterCases) {
        NotificationCenter center;
        int calls = 0;
        center.addObserver(c.observedName, c.observesSenderA ? &senderA : nullptr,
                           [&](const Notification&) { ++calls; });
        center.post(c.postedName, c.postedSender);
        EXPECT_EQ(calls, c.delivered ? 1 : 0) << c.observedName.value_or("(any)") << " / "
                                              << c.observesSenderA << " <- " << c.postedName;
    }
}

TEST(NotificationCenter, PassesNameSenderAndUserInfo) {
    NotificationCenter center;
    std::optional<Notification> received;
    center.addObserver(std::nullopt, nullptr, [&](const Notification& n) { received = n; });
    center.post("GlobalShortcuts_shortcutByNameDidChange", &senderA,
                {{"name", std::string("fixPinchAndSwipe")}, {"count", 2}});
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->name, "GlobalShortcuts_shortcutByNameDidChange");
    EXPECT_EQ(received->object, &senderA);
    ASSERT_EQ(received->userInfo.size(), 2u);
    EXPECT_EQ(std::any_cast<std::string>(received->userInfo.at("name")), "fixPinchAndSwipe");
    EXPECT_EQ(std::any_cast<int>(received->userInfo.at("count")), 2);
}

TEST(NotificationCenter, ObserversAreCalledInRegistrationOrder) {
    NotificationCenter center;
    std::vector<std::string> calls;
    center.addObserver("n", nullptr, [&](const Notification&) { calls.emplace_back("first"); });
    center.addObserver(std::nullopt, nullptr,
                       [&](const Notification&) { calls.emplace_back("second"); });
    center.addObserver("n", nullptr, [&](const Notification&) { calls.emplace_back("third"); });
    center.post("n");
    EXPECT_THAT(calls, ElementsAre("first", "second", "third"));
}

TEST(NotificationCenter, RemovedObserverIsNotCalled) {
    NotificationCenter center;
    int kept = 0;
    int removed = 0;
    center.addObserver("n", nullptr, [&](const Notification&) { ++kept; });
    const auto token = center.addObserver("n", nullptr, [&](const Notification&) { ++removed; });
    center.post("n");
    center.removeObserver(token);
    center.removeObserver(token);
    center.removeObserver(ObserverToken());
    center.post("n");
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(removed, 1);
}

TEST(NotificationCenter, ObserverRemovedByAnEarlierOneInTheSameDeliveryIsSkipped) {
    NotificationCenter center;
    std::vector<std::string> calls;
    ObserverToken second;
    const auto first = center.addObserver("n", nullptr, [&](const Notification&) {
        calls.emplace_back("first");
        center.removeObserver(second);
    });
    second = center.addObserver("n", nullptr,
                                [&](const Notification&) { calls.emplace_back("second"); });
    center.addObserver("n", nullptr, [&](const Notification&) { calls.emplace_back("third"); });
    center.post("n");
    EXPECT_THAT(calls, ElementsAre("first", "third"));
    center.removeObserver(first);
}

TEST(NotificationCenter, ObserverRemovingItselfFinishesItsCallAndIsNotCalledAgain) {
    NotificationCenter center;
    int calls = 0;
    ObserverToken token;
    // The block owns state that must stay alive for the rest of its call.
    auto owned = std::make_shared<std::string>("still here");
    token = center.addObserver("n", nullptr, [&, owned](const Notification&) {
        center.removeObserver(token);
        EXPECT_EQ(*owned, "still here");
        ++calls;
    });
    owned.reset();
    center.post("n");
    center.post("n");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, PostFromInsideABlockIsDeliveredBeforeTheOuterPostGoesOn) {
    NotificationCenter center;
    std::vector<std::string> calls;
    center.addObserver("outer", nullptr, [&](const Notification&) {
        calls.emplace_back("outer begins");
        center.post("inner");
        calls.emplace_back("outer ends");
    });
    center.addObserver("inner", nullptr, [&](const Notification&) { calls.emplace_back("inner"); });
    center.addObserver("outer", nullptr,
                       [&](const Notification&) { calls.emplace_back("outer 2"); });
    center.post("outer");
    EXPECT_THAT(calls, ElementsAre("outer begins", "inner", "outer ends", "outer 2"));
}

TEST(NotificationCenter, ObserverAddedDuringADeliveryWaitsForTheNextPost) {
    NotificationCenter center;
    int lateCalls = 0;
    bool added = false;
    center.addObserver("n", nullptr, [&](const Notification&) {
        if (!added) {
            added = true;
            center.addObserver("n", nullptr, [&](const Notification&) { ++lateCalls; });
        }
    });
    center.post("n");
    EXPECT_EQ(lateCalls, 0);
    center.post("n");
    EXPECT_EQ(lateCalls, 1);
}

TEST(NotificationCenter, DefaultCenterIsOneInstance) {
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
    int calls = 0;
    const auto token = NotificationCenter::defaultCenter().addObserver(
        "NSApplicationDidChangeScreenParametersNotification", nullptr,
        [&](const Notification&) { ++calls; });
    NotificationCenter::defaultCenter().post("NSApplicationDidChangeScreenParametersNotification");
    NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, ConcurrentPostsAndRegistrationsAreSafe) {
    NotificationCenter center;
    std::atomic<int> steadyCalls{0};
    center.addObserver("n", nullptr, [&](const Notification&) { ++steadyCalls; });

    constexpr int posters = 4;
    constexpr int postsEach = 500;
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        // Observers come and go while the posts run.
        while (!stop) {
            const auto token = center.addObserver("n", nullptr, [](const Notification&) {});
            center.removeObserver(token);
        }
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < posters; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < postsEach; ++i) {
                center.post("n");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    stop = true;
    churn.join();
    EXPECT_EQ(steadyCalls, posters * postsEach);
}

class DistributedNotificationCenterTest : public testing::VirtualClockTest {
protected:
    DistributedNotificationCenter center;
};

TEST_F(DistributedNotificationCenterTest, DeliversLaterOnTheMainQueue) {
    std::vector<std::string> calls;
    bool onMainThread = false;
    center.addObserver("com.apple.accessibility.api", std::nullopt,
                       [&](const DistributedNotification& n) {
                           calls.push_back(n.name);
                           onMainThread = isMainThread();
                       });
    center.post("com.apple.accessibility.api");
    EXPECT_THAT(calls, IsEmpty());
    scheduler().runUntilIdle();
    EXPECT_THAT(calls, ElementsAre("com.apple.accessibility.api"));
    EXPECT_TRUE(onMainThread);
}

TEST_F(DistributedNotificationCenterTest, PostFromAnotherThreadIsDeliveredOnTheMainQueue) {
    int calls = 0;
    bool onMainThread = false;
    center.addObserver(std::nullopt, std::nullopt, [&](const DistributedNotification&) {
        ++calls;
        onMainThread = isMainThread();
    });
    std::thread([&] { center.post("AppleInterfaceThemeChangedNotification"); }).join();
    EXPECT_EQ(calls, 0);
    scheduler().runUntilIdle();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(onMainThread);
}

TEST_F(DistributedNotificationCenterTest, FiltersByNameAndSender) {
    // The sender of a distributed notification is a string; "A" stands for senderA.
    for (const auto& c : filterCases) {
        DistributedNotificationCenter local;
        int calls = 0;
        local.addObserver(c.observedName,
                          c.observesSenderA ? std::optional<std::string>("A") : std::nullopt,
                          [&](const DistributedNotification&) { ++calls; });
        std::optional<std::string> sender;
        if (c.postedSender == &senderA) {
            sender = "A";
        } else if (c.postedSender == &senderB) {
            sender = "B";
        }
        local.post(c.postedName, sender);
        scheduler().runUntilIdle();
        EXPECT_EQ(calls, c.delivered ? 1 : 0) << c.observedName.value_or("(any)") << " / "
                                              << c.observesSenderA << " <- " << c.postedName;
    }
}

TEST_F(DistributedNotificationCenterTest, PassesSenderAndUserInfo) {
    std::optional<DistributedNotification> received;
    center.addObserver("n", std::nullopt, [&](const DistributedNotification& n) { received = n; });
    center.post("n", "com.apple.dock", {{"orientation", std::string("left")}});
    scheduler().runUntilIdle();
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->object, "com.apple.dock");
    EXPECT_EQ(std::any_cast<std::string>(received->userInfo.at("orientation")), "left");
}

TEST_F(DistributedNotificationCenterTest, ObserverRemovedBeforeDeliveryIsNotCalled) {
    int removedCalls = 0;
    int keptCalls = 0;
    const auto token = center.addObserver("n", std::nullopt,
                                          [&](const DistributedNotification&) { ++removedCalls; });
    center.addObserver("n", std::nullopt, [&](const DistributedNotification&) { ++keptCalls; });
    center.post("n");
    center.removeObserver(token);
    scheduler().runUntilIdle();
    EXPECT_EQ(removedCalls, 0);
    EXPECT_EQ(keptCalls, 1);
}

TEST_F(DistributedNotificationCenterTest, ObserverRemovedByAnEarlierOneInTheSameDeliveryIsSkipped) {
    std::vector<std::string> calls;
    ObserverToken second;
    center.addObserver("n", std::nullopt, [&](const DistributedNotification&) {
        calls.emplace_back("first");
        center.removeObserver(second);
    });
    second = center.addObserver(
        "n", std::nullopt, [&](const DistributedNotification&) { calls.emplace_back("second"); });
    center.post("n");
    scheduler().runUntilIdle();
    EXPECT_THAT(calls, ElementsAre("first"));
}

TEST_F(DistributedNotificationCenterTest, ObserverAddedAfterThePostIsNotCalledForIt) {
    int calls = 0;
    center.post("n");
    center.addObserver("n", std::nullopt, [&](const DistributedNotification&) { ++calls; });
    scheduler().runUntilIdle();
    EXPECT_EQ(calls, 0);
}

TEST_F(DistributedNotificationCenterTest, NotificationsArriveInPostingOrder) {
    std::vector<std::string> calls;
    center.addObserver(std::nullopt, std::nullopt,
                       [&](const DistributedNotification& n) { calls.push_back(n.name); });
    center.post("one");
    center.post("two");
    center.post("three");
    scheduler().runUntilIdle();
    EXPECT_THAT(calls, ElementsAre("one", "two", "three"));
}

}  // namespace
}  // namespace zoral::platform
