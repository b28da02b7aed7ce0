#include "signals/signal.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "support/virtual_clock.h"

namespace zoral::signals {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using SignalTest = testing::VirtualClockTest;

// Collects what a callback receives.
template <class T>
struct Received {
    std::vector<T> values;
    typename Signal<T>::Callback callback() {
        return [this](const T& value) { values.push_back(value); };
    }
};

TEST_F(SignalTest, RetainingSignalReplaysLastValueBeforeSubscribeReturns) {
    Signal<bool> signal(true);
    signal.fire(true);
    auto observer = std::make_shared<int>(0);
    Received<bool> received;

    signal.subscribeReplayingLast(observer, received.callback());
    EXPECT_THAT(received.values, ElementsAre(true));

    signal.fire(false);
    EXPECT_THAT(received.values, ElementsAre(true, false));
    EXPECT_EQ(signal.fireCount(), 2);
}

TEST_F(SignalTest, OnlyARetainingSignalKeepsItsLastValue) {
    Signal<int> plain(false);
    plain.fire(1);
    EXPECT_EQ(plain.lastDataFired(), std::nullopt);
    auto observer = std::make_shared<int>(0);
    Received<int> received;
    plain.subscribeReplayingLast(observer, received.callback());
    EXPECT_THAT(received.values, IsEmpty());
    plain.fire(2);
    EXPECT_THAT(received.values, ElementsAre(2));

    Signal<int> retaining(true);
    retaining.fire(7);
    EXPECT_EQ(retaining.lastDataFired(), 7);
    retaining.setRetainLastData(false);
    EXPECT_EQ(retaining.lastDataFired(), std::nullopt);
    retaining.setRetainLastData(true);
    EXPECT_EQ(retaining.lastDataFired(), std::nullopt);
    retaining.fire(8);
    retaining.clearLastData();
    EXPECT_EQ(retaining.lastDataFired(), std::nullopt);
}

TEST_F(SignalTest, ReleasedObserverReceivesNothingAndIsPurgedAtTheNextFire) {
    Signal<int> signal(false);
    auto kept = std::make_shared<int>(1);
    auto released = std::make_shared<int>(2);
    Received<int> keptValues;
    Received<int> releasedValues;
    signal.subscribe(kept, keptValues.callback());
    signal.subscribe(released, releasedValues.callback());
    signal.fire(1);

    released.reset();
    EXPECT_EQ(signal.signalListeners().size(), 2u);  // dead, but not purged yet
    EXPECT_THAT(signal.observers(), ElementsAre(kept));

    signal.fire(2);
    EXPECT_THAT(keptValues.values, ElementsAre(1, 2));
    EXPECT_THAT(releasedValues.values, ElementsAre(1));
    EXPECT_EQ(signal.signalListeners().size(), 1u);
}

TEST_F(SignalTest, DroppingASubscriptionMayTouchTheSignal) {
    // A callback's captures are released when the subscription is purged; their
    // destructors may use the signal without deadlocking it.
    Signal<int> signal(false);
    struct UsesSignal {
        Signal<int>* signal;
        ~UsesSignal() { (void)signal->fireCount(); }
    };
    auto observer = std::make_shared<int>(0);
    auto capture = std::make_shared<UsesSignal>(UsesSignal{&signal});
    signal.subscribe(observer, [capture](int) {});
    capture.reset();
    observer.reset();
    signal.fire(1);
    EXPECT_THAT(signal.signalListeners(), IsEmpty());
}

TEST_F(SignalTest, OnceSubscriptionsDeliverExactlyOneAcceptedValue) {
    Signal<int> signal(true);
    auto observer = std::make_shared<int>(0);

    Received<int> once;
    signal.subscribeOnce(observer, once.callback())->withFilter([](int v) { return v > 1; });
    signal.fire(1);  // filtered out: not the once-delivery
    signal.fire(2);
    signal.fire(3);
    EXPECT_THAT(once.values, ElementsAre(2));

    // With a last value, only that value.
    Received<int> replayed;
    auto subscription = signal.subscribeOnceReplayingLast(observer, replayed.callback());
    EXPECT_FALSE(subscription->isLive());
    signal.fire(4);
    EXPECT_THAT(replayed.values, ElementsAre(3));

    // Without one, the next fire only.
    signal.clearLastData();
    Received<int> waiting;
    signal.subscribeOnceReplayingLast(observer, waiting.callback());
    EXPECT_THAT(waiting.values, IsEmpty());
    signal.fire(5);
    signal.fire(6);
    EXPECT_THAT(waiting.values, ElementsAre(5));
}

TEST_F(SignalTest, ReentrantFireCannotDeliverAOnceSubscriptionTwice) {
    Signal<int> signal(true);
    auto observer = std::make_shared<int>(0);
    std::vector<int> fromOnce;
    signal.subscribeOnce(observer, [&](int v) {
        fromOnce.push_back(v);
        signal.fire(v + 100);
    });
    signal.fire(1);
    EXPECT_THAT(fromOnce, ElementsAre(1));

    std::vector<int> fromReplay;
    signal.subscribeOnceReplayingLast(observer, [&](int v) {
        fromReplay.push_back(v);
        signal.fire(v + 1000);
    });
    EXPECT_THAT(fromReplay, ElementsAre(101));
    EXPECT_EQ(signal.fireCount(), 3);
}

TEST_F(SignalTest, CallbacksMayChangeTheSubscriptionsDuringAFire) {
    Signal<int> signal(false);
    auto observer = std::make_shared<int>(0);
    std::vector<std::string> calls;
    Signal<int>::SubscriptionRef second;
    signal.subscribe(observer, [&](int v) {
        calls.push_back("first " + std::to_string(v));
        second->cancel();
        signal.subscribe(observer, [&](int w) { calls.push_back("late " + std::to_string(w)); });
    });
    second =
        signal.subscribe(observer, [&](int v) { calls.push_back("second " + std::to_string(v)); });
    signal.fire(1);
    EXPECT_THAT(calls, ElementsAre("first 1"));
}

TEST_F(SignalTest, FilterRejectsValuesBeforeDelivery) {
    Signal<int> signal(false);
    auto observer = std::make_shared<int>(0);
    Received<int> even;
    signal.subscribe(observer, even.callback())->withFilter([](int v) { return v % 2 == 0; });
    for (int v = 1; v <= 5; ++v)
        signal.fire(v);
    EXPECT_THAT(even.values, ElementsAre(2, 4));
}

TEST_F(SignalTest, QueuedSubscriptionDeliversLaterInFireOrderEvenAfterObserverIsGone) {
    Signal<int> signal(false);
    auto observer = std::make_shared<int>(0);
    Received<int> received;
    platform::DispatchQueue queue("signals.test");
    signal.subscribe(observer, received.callback())->withQueue(queue);

    signal.fire(1);
    signal.fire(2);
    EXPECT_THAT(received.values, IsEmpty());
    observer.reset();  // values already handed to the queue still arrive
    scheduler().runUntilIdle();
    EXPECT_THAT(received.values, ElementsAre(1, 2));

    signal.fire(3);
    scheduler().runUntilIdle();
    EXPECT_THAT(received.values, ElementsAre(1, 2));
}

TEST_F(SignalTest, SamplingCoalescesABurstIntoTheLastValueAfterTheInterval) {
    Signal<int> signal(false);
    auto observer = std::make_shared<int>(0);
    std::vector<std::pair<int, double>> received;
    signal
        .subscribe(observer,
                   [&](int v) {
                       EXPECT_TRUE(platform::isMainThread());
                       received.emplace_back(v, scheduler().now().uptimeSeconds());
                   })
        ->withSampleInterval(0.5);

    const double start = scheduler().now().uptimeSeconds();
    signal.fire(1);
    scheduler().advance(0.05);
    signal.fire(2);
    scheduler().advance(0.05);
    signal.fire(3);
    scheduler().advance(0.39);
    EXPECT_TRUE(received.empty());
    scheduler().advance(0.01);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, 3);
    EXPECT_NEAR(received[0].second - start, 0.5, 1e-9);

    // The next value opens a new interval.
    signal.fire(4);
    scheduler().advance(0.5);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].first, 4);
}

TEST_F(SignalTest, SamplingHonoursFilterQueueAndObserver) {
    Signal<int> signal(false);
    auto observer = std::make_shared<int>(0);
    platform::DispatchQueue queue("signals.sampled");
    std::vector<std::string> received;
    signal
        .subscribe(observer,
                   [&](int v) {
                       received.push_back(platform::DispatchQueue::currentLabel() + " " +
                                          std::to_string(v));
                   })
        ->withFilter([](int v) { return v >= 0; })
        ->withQueue(queue)
        ->withSampleInterval(0.2);

    signal.fire(1);
    signal.fire(-1);  // filtered: never replaces the queued value
    scheduler().advance(0.2);
    EXPECT_THAT(received, ElementsAre("signals.sampled 1"));

    signal.fire(2);
    observer.reset();  // gone before the sampled block runs: the value is dropped
    scheduler().advance(0.2);
    EXPECT_THAT(received, ElementsAre("signals.sampled 1"));
}

TEST_F(SignalTest, OnceSampledSubscriptionDeliversExactlyOneSampledValue) {
    Signal<int> signal(false);
    auto observer = std::make_shared<int>(0);
    Received<int> received;
    auto subscription = signal.subscribeOnce(observer, received.callback());
    subscription->withSampleInterval(0.5);

    signal.fire(1);
    signal.fire(2);
    scheduler().advance(0.5);
    EXPECT_THAT(received.values, ElementsAre(2));
    EXPECT_FALSE(subscription->isLive());

    signal.fire(3);
    scheduler().advance(1.0);
    EXPECT_THAT(received.values, ElementsAre(2));
    EXPECT_THAT(signal.signalListeners(), IsEmpty());
}

TEST_F(SignalTest, CancellingKeepsTheOtherSubscriptionsInOrder) {
    Signal<int> signal(false);
    auto a = std::make_shared<std::string>("a");
    auto b = std::make_shared<std::string>("b");
    auto c = std::make_shared<std::string>("c");
    std::vector<std::string> calls;
    for (const auto& observer : {a, b, c, a}) {
        signal.subscribe(observer, [&calls, name = *observer](int) { calls.push_back(name); });
    }
    signal.cancelSubscriptionsOf(a);
    EXPECT_THAT(signal.observers(), ElementsAre(b, c));
    signal.fire(0);
    EXPECT_THAT(calls, ElementsAre("b", "c"));

    signal.signalListeners().front()->cancel();
    EXPECT_THAT(signal.observers(), ElementsAre(c));

    signal.cancelAll();
    EXPECT_THAT(signal.signalListeners(), IsEmpty());
    signal.fire(1);
    EXPECT_THAT(calls, ElementsAre("b", "c"));
}

TEST_F(SignalTest, FireCountCountsFiresWithoutSubscribers) {
    Signal<std::string> signal(false);
    for (int i = 0; i < 5; ++i)
        signal.fire("x");
    EXPECT_EQ(signal.fireCount(), 5);
}

TEST(SignalThreads, ConcurrentFiresDeliverAOnceSubscriptionOnce) {
    Signal<int> signal(true);
    auto observer = std::make_shared<int>(0);
    std::atomic<int> onceCalls{0};
    std::atomic<int> everyCalls{0};
    signal.subscribeOnce(observer, [&](int) { ++onceCalls; });
    signal.subscribe(observer, [&](int) { ++everyCalls; });

    constexpr int threadCount = 8;
    constexpr int firesPerThread = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&signal, t] {
            for (int i = 0; i < firesPerThread; ++i)
                signal.fire(t * firesPerThread + i);
        });
    }
    for (auto& thread : threads)
        thread.join();

    EXPECT_EQ(onceCalls.load(), 1);
    EXPECT_EQ(everyCalls.load(), threadCount * firesPerThread);
    EXPECT_EQ(signal.fireCount(), threadCount * firesPerThread);
}

// A once-only subscription that replays the last value must be once-only from the moment a fire
// can see it: a fire on another thread between adding it and marking it would deliver a second
// value (with a last value) or keep delivering (without one).
TEST(SignalThreads, OnceReplayingSubscriptionsReceiveOneValueWhileAnotherThreadFires) {
    constexpr int subscriptions = 20'000;
    for (const bool retaining : {true, false}) {
        SCOPED_TRACE(retaining ? "with a last value" : "without a last value");
        Signal<int> signal(retaining);
        signal.fire(-1);
        auto observer = std::make_shared<int>(0);
        std::vector<std::atomic<int>> received(subscriptions);
        std::atomic<bool> subscribing{true};
        std::thread firing([&] {
            int value = 0;
            while (subscribing.load())
                signal.fire(value++);
        });
        for (int i = 0; i < subscriptions; ++i) {
            signal.subscribeOnceReplayingLast(
                observer, [&received, i](int) { received[static_cast<std::size_t>(i)]++; });
        }
        subscribing = false;
        firing.join();
        // Without a last value, a subscription that no fire reached yet is reached by this one.
        signal.fire(0);

        int wrong = 0;
        for (const auto& count : received)
            wrong += count.load() != 1 ? 1 : 0;
        EXPECT_EQ(wrong, 0) << "of " << subscriptions << " subscriptions";
    }
}

TEST(SignalSampleDelay, ClampsIntervalsToTheClock) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double seconds;
        platform::DispatchTimeInterval expected;
    };
    const Case cases[] = {
        {0.5, platform::DispatchTimeInterval::milliseconds(500)},
        {0.0019, platform::DispatchTimeInterval::milliseconds(1)},  // truncated
        {0.0, platform::DispatchTimeInterval::milliseconds(0)},
        {-3.0, platform::DispatchTimeInterval::milliseconds(0)},
        {std::nan(""), platform::DispatchTimeInterval::milliseconds(0)},
        {1e300, platform::DispatchTimeInterval::never()},
        {inf, platform::DispatchTimeInterval::never()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sampleDelay(c.seconds), c.expected) << c.seconds;
}

}  // namespace
}  // namespace zoral::signals
