#include "settings/defaults_observation.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "defaults_fixture.h"
#include "printers.h"
#include "settings/composite_key_observation.h"
#include "settings/defaults.h"
#include "settings/defaults_key.h"
#include "settings/key_change.h"
#include "settings/lifetime_association.h"
#include "settings/user_defaults_key_observation.h"
#include "support/captured_output.h"

namespace zoral::settings::Defaults {

template <class Value>
void PrintTo(const KeyChange<Value>& change, std::ostream* out) {
    *out << (change.isPrior ? "prior" : "after") << " new "
         << ::testing::PrintToString(change.newValue) << " old "
         << ::testing::PrintToString(change.oldValue);
}

namespace {

using platform::KeyValueChangeKind;
using Count = KeyChange<std::int64_t>;
using enum ObservationOption;

// The record after a change, and the one announcing it.
Count changed(std::int64_t newValue, std::int64_t oldValue) {
    return {KeyValueChangeKind::setting, std::nullopt, false, newValue, oldValue};
}
Count announced(std::int64_t newValue, std::int64_t oldValue) {
    return {KeyValueChangeKind::setting, std::nullopt, true, newValue, oldValue};
}

struct Owner {
    LifetimeOwner lifetime;
};

class SettingsObservation : public testing::DefaultsTest {
protected:
    // Nothing stored; the default is 7.
    const Key<std::int64_t> count{"count", 7};
    std::vector<Count> records;

    std::shared_ptr<DefaultsObservation> observeCount(const ObservationOptions& options = {}) {
        return observeKey(count, options,
                          [this](const Count& change) { records.push_back(change); });
    }
    void write(std::int64_t value) { writeValue(count, value); }
};

TEST_F(SettingsObservation, EachOptionSetGivesItsRecords) {
    struct Row {
        std::string label;
        ObservationOptions options;
        std::vector<Count> expected;
    };
    // Records carry the default where the platform has no value: the old value of the initial
    // record, and the new value of a prior record.
    const std::vector<Row> table{
        {"none", {}, {changed(8, 7), changed(9, 8)}},
        {"initial", {initial}, {changed(7, 7), changed(8, 7), changed(9, 8)}},
        {"prior", {prior}, {announced(7, 7), changed(8, 7), announced(7, 8), changed(9, 8)}},
        {"initial and prior", {initial, prior}, {changed(7, 7), changed(8, 7), changed(9, 8)}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.label);
        Defaults::resetKeys(count);
        records.clear();
        const auto observation = observeCount(row.options);
        write(8);
        write(9);
        EXPECT_EQ(records, row.expected);
    }
}

TEST_F(SettingsObservation, JsonStoredKeysArriveTypedAndUndecodableTextAsTheDefaultSilently) {
    const Key<TabAppTypeSet> apps("apps", TabAppTypeSet{TabAppType::native});
    std::vector<TabAppTypeSet> seen;
    zoral::testing::ScopedOutputCapture output;
    const auto observation = observeKey(
        apps, {initial}, [&](const KeyChange<TabAppTypeSet>& c) { seen.push_back(c.newValue); });
    writeValue(apps, TabAppTypeSet{TabAppType::arc, TabAppType::edge});
    testing::storeText("apps", R"(["arc","netscape"])");
    testing::storeText("apps", "");
    writeValue(apps, TabAppTypeSet{});

    const std::vector<TabAppTypeSet> expected{{TabAppType::native},
                                              {TabAppType::edge, TabAppType::arc},
                                              {TabAppType::native},
                                              {TabAppType::native},
                                              {}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(SettingsObservation, AHandlerWritingItsOwnKeyIsCalledAgainUnlessItWritesSilently) {
    const auto observation = observeKey(count, {}, [&](const Count& change) {
        records.push_back(change);
        if (change.newValue < 3)
            write(change.newValue + 1);
        if (change.newValue == 10)
            updateWithoutNotifying([&] { write(11); });
    });
    write(1);
    EXPECT_EQ(records, (std::vector<Count>{changed(1, 7), changed(2, 1), changed(3, 2)}));

    records.clear();
    write(10);
    EXPECT_EQ(records, std::vector<Count>{changed(10, 3)});
    EXPECT_EQ(readValue(count), 11);
    write(12);
    EXPECT_EQ(records, (std::vector<Count>{changed(10, 3), changed(12, 11)}));
}

TEST_F(SettingsObservation, SilencingCoversNestedUsesAndOnlyThisThread) {
    const auto observation = observeCount();
    updateWithoutNotifying([&] {
        updateWithoutNotifying([&] { write(1); });
        // Still silent after the inner use returned.
        write(2);
        // Another thread's writes are not silenced; its notifications arrive on that thread.
        std::thread([&] { write(3); }).join();
    });
    EXPECT_FALSE(isUpdatingWithoutNotifying());
    EXPECT_EQ(records, std::vector<Count>{changed(3, 2)});
    EXPECT_THROW(updateWithoutNotifying([] { throw std::runtime_error("left early"); }),
                 std::runtime_error);
    EXPECT_FALSE(isUpdatingWithoutNotifying());
}

TEST_F(SettingsObservation, StoppingOrDroppingEndsDeliveryForGood) {
    auto stopped = observeCount();
    auto dropped = observeCount();
    write(1);
    EXPECT_EQ(records.size(), 2u);

    stopped->stopObserving();
    stopped->invalidate();
    dropped.reset();
    write(2);
    EXPECT_EQ(records.size(), 2u);
}

TEST_F(SettingsObservation, AHandlerMayStopItsObservationDuringTheInitialDelivery) {
    std::weak_ptr<UserDefaultsKeyObservation> weak;
    int calls = 0;
    const auto observation =
        UserDefaultsKeyObservation::make(count.suite(), count.name(), [&](const BaseChange&) {
            ++calls;
            weak.lock()->stopObserving();
        });
    weak = observation;
    observation->start({initial});
    write(1);
    observation->start({initial});
    EXPECT_EQ(calls, 1);
}

TEST_F(SettingsObservation, OwnerDestructionEndsTheObservationOnceAndReleasesIt) {
    auto owner = std::make_unique<Owner>();
    std::weak_ptr<DefaultsObservation> tied = observeCount()->bindLifetime(owner->lifetime);
    auto held = observeCount()->bindLifetime(owner->lifetime);
    write(1);
    EXPECT_EQ(records.size(), 2u);
    EXPECT_FALSE(tied.expired()) << "the owner keeps a tied observation alive";

    owner.reset();
    EXPECT_TRUE(tied.expired());
    write(2);
    EXPECT_EQ(records.size(), 2u);
    // Already stopped by its owner: stopping again removes nothing twice.
    held->stopObserving();
}

TEST_F(SettingsObservation, UnbindingKeepsTheObservationUntilItsLastReferenceGoes) {
    auto owner = std::make_unique<Owner>();
    auto observation = observeCount()->bindLifetime(owner->lifetime);
    observation->unbindLifetime();
    owner.reset();
    write(1);
    EXPECT_EQ(records.size(), 1u);

    std::weak_ptr<DefaultsObservation> weak = observation;
    observation.reset();
    EXPECT_TRUE(weak.expired());
    write(2);
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(SettingsObservation, TyingAgainMovesTheTieToTheNewOwner) {
    auto first = std::make_unique<Owner>();
    auto second = std::make_unique<Owner>();
    std::weak_ptr<DefaultsObservation> weak = observeCount()->bindLifetime(first->lifetime);
    weak.lock()->bindLifetime(second->lifetime);

    first.reset();
    write(1);
    EXPECT_EQ(records.size(), 1u) << "the first owner no longer ends it";
    ASSERT_FALSE(weak.expired());

    second.reset();
    EXPECT_TRUE(weak.expired());
    write(2);
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(SettingsObservation, StoppingATiedObservationUntiesIt) {
    auto owner = std::make_unique<Owner>();
    std::weak_ptr<DefaultsObservation> weak = observeCount()->bindLifetime(owner->lifetime);
    weak.lock()->stopObserving();
    EXPECT_TRUE(weak.expired()) << "the owner let go of it";
    owner.reset();
    write(1);
    EXPECT_TRUE(records.empty());
}

TEST_F(SettingsObservation, CompositeObservationCallsOncePerChangeOfAnyKey) {
    const Key<std::string> label("label", "a");
    int calls = 0;
    auto observation = observeKeys({&count, &label}, {}, [&] { ++calls; });
    write(1);
    writeValue(label, std::string("b"));
    write(1);  // unchanged: nobody is told
    EXPECT_EQ(calls, 2);
    updateWithoutNotifying([&] { write(2); });
    EXPECT_EQ(calls, 2);
    observation->stopObserving();
    write(3);
    EXPECT_EQ(calls, 2);

    int initialCalls = 0;
    const auto withInitial = observeKeys({&count, &label}, {initial}, [&] { ++initialCalls; });
    EXPECT_EQ(initialCalls, 2);
    int noCalls = 0;
    const auto empty = observeKeys({}, {initial}, [&] { ++noCalls; });
    write(4);
    EXPECT_EQ(initialCalls, 3);
    EXPECT_EQ(noCalls, 0);
}

TEST_F(SettingsObservation, CompositeObservationTiedToAnOwnerEndsWithIt) {
    int calls = 0;
    auto owner = std::make_unique<Owner>();
    std::weak_ptr<DefaultsObservation> weak =
        observeKeys({&count}, {}, [&] { ++calls; })->bindLifetime(owner->lifetime);
    write(1);
    owner.reset();
    write(2);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(weak.expired());
}

TEST_F(SettingsObservation, ObservationsComeAndGoWhileOtherThreadsWrite) {
    std::atomic<int> calls = 0;
    std::vector<std::thread> writers;
    for (int thread = 0; thread < 4; ++thread) {
        writers.emplace_back([this, thread] {
            for (std::int64_t value = 0; value < 25; ++value)
                write(thread * 1000 + value);
        });
    }
    auto owner = std::make_unique<Owner>();
    for (int round = 0; round < 40; ++round) {
        auto observation =
            observeKey(count, {initial, prior}, [&](const Count&) { calls.fetch_add(1); });
        if (round % 2 == 0)
            observation->bindLifetime(owner->lifetime);
        if (round % 3 == 0)
            observation->stopObserving();
        if (round % 10 == 0)
            owner = std::make_unique<Owner>();
    }
    for (auto& writer : writers)
        writer.join();
    owner.reset();

    const int seen = calls.load();
    EXPECT_GE(seen, 40) << "every observation had its initial delivery";
    write(-1);
    EXPECT_EQ(calls.load(), seen);
}

}  // namespace
}  // namespace zoral::settings::Defaults
