#include "settings/defaults_publisher.h"

#include <cstdint>
#include <memory>
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

TEST_F(SettingsPublishers, CancellingFromInsideADeliveryStopsAtOnce) {
    std::vector<std::int64_t> values;
    Subscription subscription;
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
