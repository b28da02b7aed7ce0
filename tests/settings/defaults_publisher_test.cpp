#include "settings/defaults_publisher.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "defaults_fixture.h"
#include "platform/dispatch.h"
#include "printers.h"
#include "settings/default_property.h"
#include "settings/defaults.h"
#include "settings/defaults_key.h"
#include "settings/key_change.h"
#include "settings/observable.h"
#include "settings/publisher.h"

namespace zoral::settings {
namespace {

using Defaults::Key;
using Defaults::KeysChange;
using Defaults::ObservationOption;
using Defaults::readValue;
using Defaults::writeValue;

class SettingsPublishers : public testing::DefaultsTest {
protected:
    const Key<std::int64_t> count{"count", 7};
    const Key<std::int64_t> other{"other", 0};

    // The keys were made before the fixture's relaunch, which forgot their registrations.
    void SetUp() override {
        DefaultsTest::SetUp();
        count.registerDefault();
        other.registerDefault();
    }
    void write(std::int64_t value) { writeValue(count, value); }
};

TEST_F(SettingsPublishers, SubscriptionReceivesTheInitialValueAndEachChangeUntilCancelled) {
    std::vector<std::int64_t> values;
    auto subscription = Defaults::changePublisher(count, {ObservationOption::initial})
                            .subscribe([&](const Defaults::KeyChange<std::int64_t>& change) {
                                values.push_back(change.newValue);
                            });
    EXPECT_EQ(values, std::vector<std::int64_t>{7});
    write(8);
    write(9);
    EXPECT_EQ(values, (std::vector<std::int64_t>{7, 8, 9}));

    subscription.cancel();
    write(10);
    EXPECT_EQ(values.size(), 3u);

    // Dropping the subscription cancels it too.
    {
        const auto dropped = Defaults::changePublisher(count).subscribe(
            [&](const auto& change) { values.push_back(change.newValue); });
        write(11);
    }
    write(12);
    EXPECT_EQ(values, (std::vector<std::int64_t>{7, 8, 9, 11}));
}

// A subscriber that asks for nothing, neither when it is handed its subscription nor after a value.
template <class Input>
class Reluctant final : public Subscriber<Input> {
public:
    explicit Reluctant(std::function<std::string(const Input&)> describe)
        : describe_(std::move(describe)) {}

    void receiveSubscription(std::shared_ptr<Subscription> handedOver) override {
        events.push_back("subscription");
        handedOver->request(Demand::none());
        subscription = std::move(handedOver);
        if (cancelAtOnce)
            subscription->cancel();
    }
    Demand receive(const Input& input) override {
        events.push_back(describe_(input));
        return Demand::none();
    }

    bool cancelAtOnce = false;
    std::vector<std::string> events;
    std::shared_ptr<Subscription> subscription;

private:
    std::function<std::string(const Input&)> describe_;
};

std::string describeBase(const Defaults::BaseChange& change) {
    return change.newValue ? change.newValue->integerValue()->toString() : "none";
}

TEST_F(SettingsPublishers, ASubscriberThatAsksForNothingReceivesEveryChangeUntilItCancels) {
    auto direct = std::make_shared<Reluctant<Defaults::BaseChange>>(describeBase);
    Defaults::DefaultsPublisher{count.suite(), count.name(), {ObservationOption::initial}}.receive(
        direct);
    auto typed = std::make_shared<Reluctant<Defaults::KeyChange<std::int64_t>>>(
        [](const auto& change) { return std::to_string(change.newValue); });
    Defaults::changePublisher(count).receive(typed);
    write(8);
    write(9);
    // The subscription comes first, then the initial value, still inside receive.
    EXPECT_EQ(direct->events, (std::vector<std::string>{"subscription", "7", "8", "9"}));
    EXPECT_EQ(typed->events, (std::vector<std::string>{"subscription", "8", "9"}));

    // Cancelling stops delivery and lets go of subscriber and observation.
    const std::weak_ptr<Subscription> subscription = direct->subscription;
    const std::weak_ptr<Reluctant<Defaults::BaseChange>> subscriber = direct;
    direct->subscription->cancel();
    typed->subscription->cancel();
    write(10);
    EXPECT_EQ(direct->events.size(), 4u);
    EXPECT_EQ(typed->events.size(), 3u);
    direct.reset();
    EXPECT_TRUE(subscriber.expired());
    EXPECT_TRUE(subscription.expired());

    // A subscriber that cancels as it is handed its subscription receives nothing at all.
    auto early = std::make_shared<Reluctant<Defaults::BaseChange>>(describeBase);
    early->cancelAtOnce = true;
    Defaults::DefaultsPublisher{count.suite(), count.name(), {ObservationOption::initial}}.receive(
        early);
    write(11);
    EXPECT_EQ(early->events, std::vector<std::string>{"subscription"});
}

TEST_F(SettingsPublishers, CancellingFromInsideADeliveryStopsAtOnce) {
    std::vector<std::int64_t> values;
    Cancellable subscription;
    subscription = Defaults::changePublisher(count).subscribe([&](const auto& change) {
        values.push_back(change.newValue);
        subscription.cancel();
        write(change.newValue + 1);
    });
    write(1);
    write(5);
    EXPECT_EQ(values, std::vector<std::int64_t>{1});
    EXPECT_EQ(readValue(count), 5);
}

TEST_F(SettingsPublishers, KeysChangePublisherEmitsOncePerChangeOfAnyKey) {
    int emptyEvents = 0;
    const auto empty = Defaults::keysChangePublisher({}, {ObservationOption::initial})
                           .subscribe([&](const KeysChange&) { ++emptyEvents; });
    int events = 0;
    const auto both =
        Defaults::keysChangePublisher({&count, &other}).subscribe([&](const KeysChange&) {
            ++events;
        });
    write(1);
    writeValue(other, std::int64_t{1});
    write(1);  // unchanged
    EXPECT_EQ(events, 2);
    EXPECT_EQ(emptyEvents, 0);
}

TEST_F(SettingsPublishers, ObservableAnnouncesEveryChangeBeforeItHappensOnTheMainThread) {
    Defaults::Observable<std::int64_t> observable(count);
    std::vector<std::int64_t> valuesWhenAnnounced;
    std::vector<bool> onMainThread;
    const auto subscription = observable.objectWillChange().subscribe([&] {
        valuesWhenAnnounced.push_back(readValue(count));
        onMainThread.push_back(platform::isMainThread());
    });

    // Announced by the write itself and again by the observation, both before the change.
    observable.setCurrentValue(8);
    EXPECT_EQ(valuesWhenAnnounced, (std::vector<std::int64_t>{7, 7}));
    EXPECT_EQ(observable.currentValue(), 8);

    write(9);
    EXPECT_EQ(valuesWhenAnnounced, (std::vector<std::int64_t>{7, 7, 8}));

    // A write on another thread is announced through the main queue.
    std::thread([&] { write(10); }).join();
    EXPECT_EQ(valuesWhenAnnounced.size(), 3u);
    scheduler().runUntilIdle();
    ASSERT_EQ(valuesWhenAnnounced.size(), 4u);
    EXPECT_EQ(onMainThread, (std::vector<bool>{true, true, true, true}));
}

TEST_F(SettingsPublishers, PendingAnnouncementsOfADestroyedObservableAreDropped) {
    int announcements = 0;
    {
        Defaults::Observable<std::int64_t> observable(count);
        const auto subscription = observable.objectWillChange().subscribe([&] { ++announcements; });
        std::thread([&] { write(1); }).join();
    }
    scheduler().runUntilIdle();
    write(2);
    EXPECT_EQ(announcements, 0);
}

TEST_F(SettingsPublishers, DefaultPropertyReadsWritesBindsAndResets) {
    Default<std::int64_t> property(count);
    int announcements = 0;
    const auto subscription =
        property.observable().objectWillChange().subscribe([&] { ++announcements; });
    std::vector<std::int64_t> published;
    const auto changes = property.changePublisher().subscribe(
        [&](const auto& change) { published.push_back(change.newValue); });

    property.setValue(3);
    const auto binding = property.binding();
    EXPECT_EQ(binding.get(), 3);
    binding.set(4);
    property.modify([](std::int64_t& value) { value += 1; });
    EXPECT_EQ(property.value(), 5);
    EXPECT_EQ(announcements, 6);

    property.reset();
    EXPECT_EQ(property.value(), 7);
    EXPECT_TRUE(testing::persisted().empty());
    EXPECT_EQ(published, (std::vector<std::int64_t>{7, 3, 4, 5, 7}));
}

}  // namespace
}  // namespace zoral::settings
