#include "settings/defaults.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "defaults_fixture.h"
#include "printers.h"
#include "settings/defaults_key.h"
#include "settings/defaults_keys.h"
#include "support/captured_output.h"

namespace zoral::settings {
namespace {

using Defaults::Key;
using Defaults::Keys;
using Defaults::readValue;
using Defaults::writeValue;
using platform::PlistObject;
using platform::UserDefaults;
using DefaultsStore = testing::DefaultsTest;
using Strings = std::set<std::string>;

using testing::persistedObject;

TEST_F(DefaultsStore, ConstructingAKeyRegistersItsDefaultWithoutStoringIt) {
    const Key<bool> flag("flag", true);
    const Key<Strings> names("names", Strings{"b", "a"});
    EXPECT_EQ(testing::standard().objectForKey("flag"), PlistObject::boolean(true));
    EXPECT_EQ(testing::standard().objectForKey("names"), PlistObject::string(R"(["a","b"])"));
    EXPECT_TRUE(testing::persisted().empty());

    writeValue(flag, false);
    EXPECT_FALSE(readValue(flag));
    Defaults::resetKeys(flag);
    EXPECT_TRUE(readValue(flag));
    EXPECT_EQ(persistedObject("flag"), std::nullopt);
}

TEST_F(DefaultsStore, EmptySetIsStoredAsAnEmptyArrayAndReadsBackEmpty) {
    const Key<Strings> names("names", Strings{"kept"});
    writeValue(names, Strings{});
    EXPECT_EQ(persistedObject("names"), PlistObject::string("[]"));
    EXPECT_EQ(readValue(names), Strings{});
}

TEST_F(DefaultsStore, StoredObjectsConvertToNativeTypesOnlyWithoutLoss) {
    const Key<bool> flag("flag", false);
    const Key<std::int64_t> count("count", -7);
    const Key<double> ratio("ratio", 0.5);
    const Key<std::string> label("label", "default");
    struct Row {
        PlistObject stored;
        std::optional<bool> flag;
        std::optional<std::int64_t> count;
        std::optional<double> ratio;
        std::optional<std::string> label;
    };
    // No value: the object does not convert, and the key reads its default.
    const std::vector<Row> table{
        {PlistObject::boolean(true), true, 1, 1.0, {}},
        {PlistObject::integer(1), true, 1, 1.0, {}},
        {PlistObject::integer(2), {}, 2, 2.0, {}},
        {PlistObject::real(3.0), {}, 3, 3.0, {}},
        {PlistObject::real(3.5), {}, {}, 3.5, {}},
        {PlistObject::integer((std::int64_t{1} << 53) + 1),
         {},
         (std::int64_t{1} << 53) + 1,
         {},
         {}},
        {PlistObject::string("1"), {}, {}, {}, "1"},
        {PlistObject::data({1, 2}), {}, {}, {}, {}},
    };
    zoral::testing::ScopedOutputCapture output;
    for (const auto& row : table) {
        SCOPED_TRACE(::testing::PrintToString(row.stored));
        for (const auto* name : {"flag", "count", "ratio", "label"})
            testing::standard().setObject(row.stored, name);
        EXPECT_EQ(readValue(flag), row.flag.value_or(flag.defaultValue()));
        EXPECT_EQ(readValue(count), row.count.value_or(count.defaultValue()));
        EXPECT_EQ(readValue(ratio), row.ratio.value_or(ratio.defaultValue()));
        EXPECT_EQ(readValue(label), row.label.value_or(label.defaultValue()));
    }
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(DefaultsStore, OptionalValuesWithoutDefaultRegisterNothingAndAbsenceRemovesTheEntry) {
    const auto note = Key<std::optional<std::string>>::withoutDefault("note");
    const auto layout = Key<std::optional<HotkeysArrowLayout>>::withoutDefault("layout");
    EXPECT_EQ(testing::standard().objectForKey("note"), std::nullopt);
    EXPECT_EQ(testing::standard().objectForKey("layout"), std::nullopt);
    EXPECT_EQ(readValue(note), std::nullopt);

    writeValue(note, std::optional<std::string>("hello"));
    writeValue(layout, std::optional(HotkeysArrowLayout::wasd));
    EXPECT_EQ(persistedObject("note"), PlistObject::string("hello"));
    EXPECT_EQ(persistedObject("layout"), PlistObject::string(R"("wasd")"));
    EXPECT_EQ(readValue(layout), HotkeysArrowLayout::wasd);

    writeValue(note, std::optional<std::string>());
    writeValue(layout, std::optional<HotkeysArrowLayout>());
    EXPECT_TRUE(testing::persisted().empty());
}

TEST_F(DefaultsStore, AValueThatCannotBeStoredLeavesTheStoredValueAndPrintsOneLine) {
    const Key<Strings> names("names", Strings{});
    const Key<std::string> label("label", "default");
    writeValue(names, Strings{"kept"});
    writeValue(label, std::string("kept"));
    const std::string notUtf8 = "\xff";
    zoral::testing::ScopedOutputCapture output;

    writeValue(names, Strings{notUtf8});
    writeValue(label, notUtf8);

    EXPECT_EQ(readValue(names), Strings{"kept"});
    EXPECT_EQ(readValue(label), "kept");
    ASSERT_EQ(output.lines().size(), 2u);
    EXPECT_EQ(output.lines()[0].rfind("Defaults: cannot encode \"names\": ", 0), 0u);
    EXPECT_EQ(output.lines()[1].rfind("Defaults: cannot encode \"label\": ", 0), 0u);
}

TEST_F(DefaultsStore, UndecodableErrorLinesStayShort) {
    const Key<Strings> names("names", Strings{});
    testing::storeText("names", "[" + std::string(10000, '7') + "]");
    zoral::testing::ScopedOutputCapture output;
    EXPECT_EQ(readValue(names), Strings{});
    ASSERT_EQ(output.lines().size(), 1u);
    EXPECT_LT(output.lines()[0].size(), 500u);
}

TEST_F(DefaultsStore, ResetKeysRemovesEachKeyFromItsOwnSuite) {
    const auto suite = UserDefaults::suite("io.zoral.settings-test");
    ASSERT_NE(suite, nullptr);
    const Key<std::int64_t> here("shared", 1);
    const Key<std::int64_t> there("shared", 2, suite);
    const Key<std::int64_t> untouched("untouched", 3, suite);
    writeValue(here, std::int64_t{10});
    writeValue(there, std::int64_t{20});
    writeValue(untouched, std::int64_t{30});

    Defaults::resetKeys(std::vector<const Keys*>{});
    EXPECT_EQ(readValue(here), 10);

    Defaults::resetKeys({&there});
    EXPECT_EQ(readValue(here), 10);
    EXPECT_EQ(readValue(there), 2);
    Defaults::resetKeys(here);
    EXPECT_EQ(readValue(here), 1);
    EXPECT_EQ(readValue(untouched), 30);
}

TEST_F(DefaultsStore, RemoveAllKeysLeavesRegisteredDefaultsAndOtherDomains) {
    writeValue(Keys::hotkeys(), true);
    writeValue(Keys::actions(), ActionUserTypeSet{});
    writeValue(Keys::numberOfZodiriz(), std::int64_t{12});
    testing::standard().setObject(PlistObject::string("x"), "unknownToTheProgram");
    testing::standard().setPersistentDomain({{"globalSetting", PlistObject::string("Dark")}},
                                            UserDefaults::globalDomainName);

    Defaults::removeAllKeys(testing::standard());

    EXPECT_TRUE(testing::persisted().empty());
    EXPECT_FALSE(readValue(Keys::hotkeys()));
    EXPECT_EQ(readValue(Keys::actions()), Keys::actions().defaultValue());
    EXPECT_EQ(readValue(Keys::numberOfZodiriz()), 0);
    EXPECT_EQ(testing::standard().objectForKey("hotkeys"), PlistObject::boolean(false));
    EXPECT_EQ(testing::standard().objectForKey("globalSetting"), PlistObject::string("Dark"));
}

TEST_F(DefaultsStore, ValuesSurviveARelaunch) {
    writeValue(Keys::scrollingSensitivity(), MultitouchSensitivity::low);
    writeValue(Keys::tabApps(), TabAppTypeSet{TabAppType::edge});
    writeValue(Keys::numberOfActions(), ActionUserTypeCounts{{ActionUserType::snapMax, 2}});
    writeValue(Keys::tooltipAnimationTime(), 0.125);
    writeValue(Keys::blacklist(), Strings{});
    writeValue(Keys::showInMenubar(), false);

    relaunch();

    EXPECT_TRUE(std::filesystem::exists(home() / "Library" / "Preferences" /
                                        (testing::standard().domainName() + ".plist")));
    EXPECT_EQ(readValue(Keys::scrollingSensitivity()), MultitouchSensitivity::low);
    EXPECT_EQ(readValue(Keys::tabApps()), TabAppTypeSet{TabAppType::edge});
    EXPECT_EQ(readValue(Keys::numberOfActions()),
              (ActionUserTypeCounts{{ActionUserType::snapMax, 2}}));
    EXPECT_EQ(readValue(Keys::tooltipAnimationTime()), 0.125);
    EXPECT_EQ(readValue(Keys::blacklist()), Strings{});
    EXPECT_FALSE(readValue(Keys::showInMenubar()));
    EXPECT_EQ(readValue(Keys::hotkeyArrow()), HotkeysArrowLayout::arrows);
}

TEST_F(DefaultsStore, UpdateValueAlwaysWritesBack) {
    const Key<Strings> names("names", Strings{"a"});
    Defaults::updateValue(names, [](Strings&) {});
    EXPECT_EQ(persistedObject("names"), PlistObject::string(R"(["a"])"));

    Defaults::updateValue(names, [](Strings& value) { value.insert("b"); });
    EXPECT_EQ(readValue(names), (Strings{"a", "b"}));

    EXPECT_THROW(Defaults::updateValue(names,
                                       [](Strings& value) {
                                           value.insert("c");
                                           throw std::runtime_error("left early");
                                       }),
                 std::runtime_error);
    EXPECT_EQ(readValue(names), (Strings{"a", "b", "c"}));
}

TEST_F(DefaultsStore, JsonTextHelpersGiveTheStoredFormAndDecodeSilently) {
    zoral::testing::ScopedOutputCapture output;
    EXPECT_EQ(Defaults::encodeJSON(std::string("abc")), "\"abc\"");
    EXPECT_EQ(Defaults::encodeJSON(std::int64_t{3}), "3");
    EXPECT_EQ(Defaults::decodeJSONText<Strings>(R"(["x","y"])"), (Strings{"x", "y"}));
    EXPECT_EQ(Defaults::decodeJSONText<Strings>("not json"), std::nullopt);
    EXPECT_EQ(Defaults::decodeJSONText<MultitouchSensitivity>("9"), std::nullopt);
    EXPECT_TRUE(output.lines().empty());
    EXPECT_EQ(Defaults::encodeJSON(std::string("\xff")), std::nullopt);
    EXPECT_EQ(output.lines().size(), 1u);
}

// Settings migrations read keys of older builds, one of which shares its name with a current key.
TEST_F(DefaultsStore, PersistedValueReadsOnlyWhatTheUserStoredAndRegistersNothing) {
    const auto registered = testing::standard().objectForKey("actions");
    EXPECT_EQ(Defaults::persistedValue<ActionUserTypeSet>("actions"), std::nullopt);

    writeValue(Keys::actions(), ActionUserTypeSet{});
    EXPECT_EQ(Defaults::persistedValue<ActionUserTypeSet>("actions"), ActionUserTypeSet{});
    writeValue(Keys::actions(), ActionUserTypeSet{ActionUserType::appHide});
    EXPECT_EQ(Defaults::persistedValue<ActionUserTypeSet>("actions"),
              ActionUserTypeSet{ActionUserType::appHide});
    EXPECT_EQ(Defaults::persistedValue<bool>("hotkeysWASD"), std::nullopt);

    Defaults::resetKeys(Keys::actions());
    EXPECT_EQ(testing::standard().objectForKey("actions"), registered);
    EXPECT_EQ(readValue(Keys::actions()).size(), 20u);
}

}  // namespace
}  // namespace zoral::settings
