#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "defaults_fixture.h"
#include "platform/keyed_archive.h"
#include "platform/plist_object.h"
#include "printers.h"
#include "settings/defaults.h"
#include "settings/defaults_publisher.h"
#include "settings/secure_coding_key.h"
#include "settings/secure_coding_key_change.h"
#include "settings/user_defaults_key_observation.h"
#include "support/captured_output.h"

namespace zoral::settings {

// A colour with a name, as a setting might keep one.
struct Accent {
    static constexpr std::string_view className = "Accent";
    static constexpr bool supportsSecureCoding = true;
    // How often any accent was archived.
    static inline int archivings = 0;

    std::string name;
    double hue = 0;

    void encodeWithCoder(platform::KeyedArchiver& coder) const {
        ++archivings;
        coder.encodeObject(name, "name");
        coder.encodeDouble(hue, "hue");
    }
    static Accent initWithCoder(platform::KeyedUnarchiver& coder) {
        auto name = coder.decodeObjectOfClass<std::string>("name");
        if (!name)
            coder.failWithError("an accent without a name");
        return Accent{std::move(*name), coder.decodeDoubleForKey("hue").value_or(0)};
    }
    friend bool operator==(const Accent&, const Accent&) = default;
    friend void PrintTo(const Accent& accent, std::ostream* out) {
        *out << "Accent(" << accent.name << ", " << accent.hue << ")";
    }
};

// Another class, archived where an accent is expected.
struct Badge {
    static constexpr std::string_view className = "Badge";
    static constexpr bool supportsSecureCoding = true;

    std::int64_t count = 0;

    void encodeWithCoder(platform::KeyedArchiver& coder) const {
        coder.encodeInt64(count, "count");
    }
    static Badge initWithCoder(platform::KeyedUnarchiver& coder) {
        return Badge{coder.decodeInt64ForKey("count").value_or(0)};
    }
};

// An accent as an older build might have archived it, without a name.
struct NamelessAccent {
    static constexpr std::string_view className = "Accent";
    static constexpr bool supportsSecureCoding = true;

    void encodeWithCoder(platform::KeyedArchiver& coder) const { coder.encodeDouble(0.5, "hue"); }
    static NamelessAccent initWithCoder(platform::KeyedUnarchiver&) { return {}; }
};

namespace Defaults {

template <class Value>
void PrintTo(const NSSecureCodingKeyChange<Value>& change, std::ostream* out) {
    *out << (change.isPrior ? "prior" : "after") << " new "
         << ::testing::PrintToString(change.newValue) << " old "
         << ::testing::PrintToString(change.oldValue);
}
template <class Value>
void PrintTo(const NSSecureCodingOptionalKeyChange<Value>& change, std::ostream* out) {
    *out << (change.isPrior ? "prior" : "after") << " new "
         << ::testing::PrintToString(change.newValue) << " old "
         << ::testing::PrintToString(change.oldValue);
}

}  // namespace Defaults

namespace {

using Defaults::NSSecureCodingKey;
using Defaults::NSSecureCodingOptionalKey;
using Defaults::ObservationOption;
using platform::KeyValueChangeKind;
using platform::PlistData;
using platform::PlistObject;
using AccentChange = Defaults::NSSecureCodingKeyChange<Accent>;
using OptionalAccentChange = Defaults::NSSecureCodingOptionalKeyChange<Accent>;

const Accent blue{"blue", 0.6};
const Accent red{"red", 0.0};
const Accent green{"green", 0.3};

PlistData archiveOf(const auto& value) {
    return platform::KeyedArchiver::archivedDataWithRootObject(value, true);
}

void store(const std::string& name, PlistObject object) {
    testing::standard().setObject(std::move(object), name);
}

class SecureCodingKeys : public testing::DefaultsTest {
protected:
    const NSSecureCodingKey<Accent> accent{"accent", blue};
    const NSSecureCodingOptionalKey<Accent> pinned{"pinned"};

    // The key was made before the fixture's relaunch, which forgot its registration.
    void SetUp() override {
        DefaultsTest::SetUp();
        accent.registerDefault();
    }
};

TEST_F(SecureCodingKeys, ValuesRoundTripThroughUserDefaultsAndARelaunch) {
    const NSSecureCodingKey<std::optional<Accent>> spare =
        NSSecureCodingKey<std::optional<Accent>>::withoutDefault("spare");
    const NSSecureCodingKey<std::string> label("label", "plain");
    EXPECT_EQ(Defaults::readSecureValue(accent), blue);
    EXPECT_EQ(Defaults::readOptionalSecureValue(pinned), std::nullopt);
    EXPECT_EQ(Defaults::readSecureValue(spare), std::nullopt);

    Defaults::writeSecureValue(accent, red);
    Defaults::writeOptionalSecureValue(pinned, std::optional<Accent>(green));
    Defaults::writeSecureValue(spare, std::optional<Accent>(blue));
    Defaults::writeSecureValue(label, std::string("bold"));
    Defaults::updateSecureValue(accent, [](Accent& value) { value.hue = 0.1; });

    // Objects are stored as their keyed archives; native values as themselves.
    const auto stored = testing::persistedObject("accent");
    ASSERT_TRUE(stored && stored->is(PlistObject::Kind::data));
    EXPECT_EQ(platform::KeyedUnarchiver::unarchivedObjectOfClass<Accent>(stored->get<PlistData>()),
              (Accent{"red", 0.1}));
    EXPECT_EQ(testing::persistedObject("label"), PlistObject::string("bold"));

    // A new process constructs its keys anew.
    relaunch();
    accent.registerDefault();
    label.registerDefault();
    EXPECT_EQ(Defaults::readSecureValue(accent), (Accent{"red", 0.1}));
    EXPECT_EQ(Defaults::readOptionalSecureValue(pinned), green);
    EXPECT_EQ(Defaults::readSecureValue(spare), blue);
    EXPECT_EQ(Defaults::readSecureValue(label), "bold");

    // No value removes the entry.
    Defaults::updateOptionalSecureValue(pinned, [](std::optional<Accent>& value) {
        EXPECT_EQ(value, green);
        value.reset();
    });
    Defaults::writeSecureValue(spare, std::optional<Accent>());
    EXPECT_EQ(testing::persistedObject("pinned"), std::nullopt);
    EXPECT_EQ(testing::persistedObject("spare"), std::nullopt);
    Defaults::resetKeys(accent);
    EXPECT_EQ(Defaults::readSecureValue(accent), blue);
}

TEST_F(SecureCodingKeys, TheDefaultIsArchivedOnceAndRegisteredNotStored) {
    Accent::archivings = 0;
    const NSSecureCodingKey<Accent> key("colour", green);
    EXPECT_EQ(Accent::archivings, 1);
    const auto registered = testing::standard().dataForKey("colour");
    ASSERT_TRUE(registered);
    EXPECT_EQ(platform::KeyedUnarchiver::unarchivedObjectOfClass<Accent>(*registered), green);
    EXPECT_TRUE(testing::persisted().empty());

    for (int read = 0; read < 3; ++read)
        EXPECT_EQ(Defaults::readSecureValue(key), green);
    EXPECT_EQ(Accent::archivings, 1) << "reads decode the registered archive";

    // Keys without a default register nothing; neither does a default that cannot be archived,
    // and that failure is silent.
    zoral::testing::ScopedOutputCapture output;
    const auto spare = NSSecureCodingKey<std::optional<Accent>>::withoutDefault("spare");
    const Accent unwritable{"\xC3", 1};
    const NSSecureCodingKey<Accent> broken("broken", unwritable);
    EXPECT_EQ(testing::standard().objectForKey("spare"), std::nullopt);
    EXPECT_EQ(testing::standard().objectForKey("pinned"), std::nullopt);
    EXPECT_EQ(testing::standard().objectForKey("broken"), std::nullopt);
    EXPECT_EQ(Defaults::readSecureValue(broken), unwritable);
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(SecureCodingKeys, WhatDoesNotUnarchiveReadsAsTheDefault) {
    struct Row {
        const char* label;
        PlistObject stored;
        // The one line printed, when one is.
        std::optional<std::string> line;
    };
    PlistData truncated = archiveOf(red);
    truncated.pop_back();
    const std::vector<Row> table{
        {"not an archive", PlistObject::data({1, 2, 3}),
         R"(Defaults: cannot decode "accent": keyed archive: not a binary property list)"},
        {"truncated archive", PlistObject::data(truncated),
         R"(Defaults: cannot decode "accent": keyed archive: binary property list: )"},
        {"archive the class refuses", PlistObject::data(archiveOf(NamelessAccent{})),
         R"(Defaults: cannot decode "accent": keyed archive: an accent without a name)"},
        {"archive of another class", PlistObject::data(archiveOf(Badge{3})), std::nullopt},
        {"archive of a string", PlistObject::data(archiveOf(std::string("red"))), std::nullopt},
        {"no data", PlistObject::string("red"), std::nullopt},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.label);
        zoral::testing::ScopedOutputCapture output;
        store("accent", row.stored);
        store("pinned", row.stored);
        EXPECT_EQ(Defaults::readSecureValue(accent), blue);
        EXPECT_EQ(Defaults::readOptionalSecureValue(pinned), std::nullopt);
        const auto lines = output.lines();
        if (row.line) {
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_THAT(lines[0], ::testing::StartsWith(*row.line));
        } else {
            EXPECT_TRUE(lines.empty());
        }
    }
}

TEST_F(SecureCodingKeys, AValueThatCannotBeArchivedLeavesTheStoredValueSilently) {
    Defaults::writeSecureValue(accent, red);
    zoral::testing::ScopedOutputCapture output;
    Defaults::writeSecureValue(accent, Accent{"\xC3", 0});
    Defaults::writeOptionalSecureValue(pinned, std::optional<Accent>(Accent{"\xC3", 0}));
    EXPECT_EQ(Defaults::readSecureValue(accent), red);
    EXPECT_EQ(testing::persistedObject("pinned"), std::nullopt);
    EXPECT_TRUE(output.lines().empty());
}

class SecureCodingObservation : public SecureCodingKeys {};

AccentChange accentChange(Accent newValue, Accent oldValue, bool isPrior = false) {
    return {KeyValueChangeKind::setting, std::nullopt, isPrior, std::move(newValue),
            std::move(oldValue)};
}
OptionalAccentChange optionalChange(std::optional<Accent> newValue,
                                    std::optional<Accent> oldValue) {
    return {KeyValueChangeKind::setting, std::nullopt, false, std::move(newValue),
            std::move(oldValue)};
}

TEST_F(SecureCodingObservation, UndecodableValuesArriveAsTheDefaultOrAbsentSilently) {
    std::vector<AccentChange> records;
    std::vector<OptionalAccentChange> optionalRecords;
    zoral::testing::ScopedOutputCapture output;
    const auto observation = Defaults::observeSecureCodingKey(
        accent, {ObservationOption::initial},
        [&](const AccentChange& change) { records.push_back(change); });
    const auto optionalObservation = Defaults::observeOptionalSecureCodingKey(
        pinned, {ObservationOption::initial},
        [&](const OptionalAccentChange& change) { optionalRecords.push_back(change); });

    for (const auto* name : {"accent", "pinned"}) {
        store(name, PlistObject::data(archiveOf(red)));
        store(name, PlistObject::data({0xBA, 0xD0}));
        store(name, PlistObject::data(archiveOf(Badge{1})));
        store(name, PlistObject::data(archiveOf(green)));
        testing::standard().removeObjectForKey(name);
    }

    // The initial record has no old value: the default stands in, or nothing.
    EXPECT_EQ(records, (std::vector<AccentChange>{
                           accentChange(blue, blue),
                           accentChange(red, blue),
                           accentChange(blue, red),
                           accentChange(blue, blue),
                           accentChange(green, blue),
                           accentChange(blue, green),
                       }));
    EXPECT_EQ(optionalRecords, (std::vector<OptionalAccentChange>{
                                   optionalChange(std::nullopt, std::nullopt),
                                   optionalChange(red, std::nullopt),
                                   optionalChange(std::nullopt, red),
                                   optionalChange(std::nullopt, std::nullopt),
                                   optionalChange(green, std::nullopt),
                                   optionalChange(std::nullopt, green),
                               }));
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(SecureCodingObservation, PriorRecordsCarryTheDefaultAsTheirNewValue) {
    std::vector<AccentChange> records;
    const auto observation = Defaults::observeSecureCodingKey(
        accent, {ObservationOption::prior},
        [&](const AccentChange& change) { records.push_back(change); });
    Defaults::writeSecureValue(accent, red);
    EXPECT_EQ(records,
              (std::vector<AccentChange>{accentChange(blue, blue, true), accentChange(red, blue)}));
}

TEST_F(SecureCodingObservation, PublishersDeliverTheSameRecords) {
    std::vector<AccentChange> records;
    std::vector<OptionalAccentChange> optionalRecords;
    auto subscription =
        Defaults::secureCodingChangePublisher(accent, {ObservationOption::initial})
            .subscribe([&](const AccentChange& change) { records.push_back(change); });
    auto optionalSubscription = Defaults::optionalSecureCodingChangePublisher(pinned).subscribe(
        [&](const OptionalAccentChange& change) { optionalRecords.push_back(change); });
    Defaults::writeSecureValue(accent, red);
    Defaults::writeOptionalSecureValue(pinned, std::optional<Accent>(red));
    store("pinned", PlistObject::data({0}));
    subscription.cancel();
    optionalSubscription.cancel();
    Defaults::writeSecureValue(accent, green);
    Defaults::writeOptionalSecureValue(pinned, std::optional<Accent>(green));

    EXPECT_EQ(records,
              (std::vector<AccentChange>{accentChange(blue, blue), accentChange(red, blue)}));
    EXPECT_EQ(optionalRecords,
              (std::vector<OptionalAccentChange>{optionalChange(red, std::nullopt),
                                                 optionalChange(std::nullopt, red)}));
}

}  // namespace
}  // namespace zoral::settings
