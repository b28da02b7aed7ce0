#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "defaults_fixture.h"
#include "printers.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "support/captured_output.h"

namespace zoral::settings {
namespace {

using Defaults::Keys;
using Defaults::readValue;
using Defaults::writeValue;
using platform::PlistObject;
using ProgramKeys = testing::DefaultsTest;

PlistObject native(bool value) {
    return PlistObject::boolean(value);
}
PlistObject native(std::int64_t value) {
    return PlistObject::integer(value);
}
PlistObject text(std::string value) {
    return PlistObject::string(std::move(value));
}

template <class Value>
std::function<void()> readsDefault(const Defaults::Key<Value>& key, Value expected) {
    return [&key, expected] { EXPECT_EQ(readValue(key), expected) << key.name(); };
}

TEST_F(ProgramKeys, EveryKeyReadsItsDefaultAndRegistersItsStoredForm) {
    using enum ActionUserType;
    struct Row {
        std::string name;
        PlistObject registered;
        std::function<void()> expectDefault;
    };
    const std::vector<Row> table{
        {"showInMenubar", native(true), readsDefault(Keys::showInMenubar(), true)},
        {"hapticFeedback", native(true), readsDefault(Keys::hapticFeedback(), true)},
        {"scrollingSensitivity", text("3"),
         readsDefault(Keys::scrollingSensitivity(), MultitouchSensitivity::high)},
        {"cancelTimeout", native(std::int64_t{800}),
         readsDefault(Keys::cancelTimeout(), std::int64_t{800})},
        {"tapAndHold", native(true), readsDefault(Keys::tapAndHold(), true)},
        {"tooltipShow", native(true), readsDefault(Keys::tooltipShow(), true)},
        {"tooltipLive", native(true), readsDefault(Keys::tooltipLive(), true)},
        {"tooltipAnimationTime", PlistObject::real(0.05),
         readsDefault(Keys::tooltipAnimationTime(), 0.05)},
        {"tooltipHideCursor", native(true), readsDefault(Keys::tooltipHideCursor(), true)},
        {"tooltipSize", native(std::int64_t{5}),
         readsDefault(Keys::tooltipSize(), std::int64_t{5})},
        {"stageManagerMode", native(false), readsDefault(Keys::stageManagerMode(), false)},
        {"originMissionControl", native(true), readsDefault(Keys::originMissionControl(), true)},
        {"originAppMenu", native(false), readsDefault(Keys::originAppMenu(), false)},
        {"tabApps", text(R"(["native","safari","chrome","arc","xcode","vscode"])"),
         readsDefault(Keys::tabApps(),
                      TabAppTypeSet{TabAppType::native, TabAppType::safari, TabAppType::chrome,
                                    TabAppType::arc, TabAppType::xcode, TabAppType::vscode})},
        {"gridOffset", native(std::int64_t{0}), readsDefault(Keys::gridOffset(), std::int64_t{0})},
        {"gridOffsetEdges", native(true), readsDefault(Keys::gridOffsetEdges(), true)},
        {"snappingCenterAction", text(R"("centerUnsnap")"),
         readsDefault(Keys::snappingCenterAction(), SnappingCenterAction::centerUnsnap)},
        {"snappingActivateWindow", native(false),
         readsDefault(Keys::snappingActivateWindow(), false)},
        {"snappingMoveCursor", native(false), readsDefault(Keys::snappingMoveCursor(), false)},
        {"snappingDragUnsnap", native(true), readsDefault(Keys::snappingDragUnsnap(), true)},
        {"snappingResizeAdjacent", native(true),
         readsDefault(Keys::snappingResizeAdjacent(), true)},
        {"screensMoveCursor", native(true), readsDefault(Keys::screensMoveCursor(), true)},
        {"screensChainGesture", native(true), readsDefault(Keys::screensChainGesture(), true)},
        {"activeTap", native(true), readsDefault(Keys::activeTap(), true)},
        {"tapMagicMouse", native(true), readsDefault(Keys::tapMagicMouse(), true)},
        {"screenChangeTimeout", native(std::int64_t{4}),
         readsDefault(Keys::screenChangeTimeout(), std::int64_t{4})},
        {"superModifier", text("8388608"),
         readsDefault(Keys::superModifier(), ModifierFlags(0x800000))},
        {"generalModifier", text("262144"),
         readsDefault(Keys::generalModifier(), ModifierFlags(0x40000))},
        {"screenModifier", text("1048576"),
         readsDefault(Keys::screenModifier(), ModifierFlags(0x100000))},
        {"secondaryModifier", text("131072"),
         readsDefault(Keys::secondaryModifier(), ModifierFlags(0x20000))},
        {"tertiaryModifier", text("655360"),
         readsDefault(Keys::tertiaryModifier(), ModifierFlags(0xA0000))},
        {"requireSuperMod", native(false), readsDefault(Keys::requireSuperMod(), false)},
        {"hotkeys", native(false), readsDefault(Keys::hotkeys(), false)},
        {"hotkeyArrow", text(R"("arrows")"),
         readsDefault(Keys::hotkeyArrow(), HotkeysArrowLayout::arrows)},
        {"hotkeyUndo", text(R"("escape")"),
         readsDefault(Keys::hotkeyUndo(), HotkeysCenterLayout::escape)},
        {"blacklist", text("[]"), readsDefault(Keys::blacklist(), std::set<std::string>{})},
        {"actions",
         text(R"(["windowQuit","windowClose","windowMinimize","windowFullscreen","tabClose",)"
              R"("screensMove","spacesMove","snapCenter","snapMax","snapHalves","snapVertical",)"
              R"("snapQuarters","snapAlmost","snapThirds","snapSixths","snapNinths","appQuit",)"
              R"("appMinimize","appUnminimize","appCycle"])"),
         readsDefault(Keys::actions(),
                      ActionUserTypeSet{windowQuit, windowClose,  windowMinimize, windowFullscreen,
                                        tabClose,   screensMove,  spacesMove,     snapMax,
                                        snapHalves, snapVertical, snapQuarters,   snapThirds,
                                        snapSixths, snapNinths,   snapCenter,     snapAlmost,
                                        appQuit,    appMinimize,  appUnminimize,  appCycle})},
        {"buildNumber", native(std::int64_t{0}),
         readsDefault(Keys::buildNumber(), std::int64_t{0})},
        {"buildNumberOnboard", native(std::int64_t{0}),
         readsDefault(Keys::buildNumberOnboard(), std::int64_t{0})},
        {"prefsLastTab", text("0"), readsDefault(Keys::prefsLastTab(), PreferencesTab::general)},
        {"numberOfZodiriz", native(std::int64_t{0}),
         readsDefault(Keys::numberOfZodiriz(), std::int64_t{0})},
        {"numberOfActions", text("[]"),
         readsDefault(Keys::numberOfActions(), ActionUserTypeCounts{})},
    };

    const auto keys = Keys::all();
    ASSERT_EQ(keys.size(), table.size());
    zoral::testing::ScopedOutputCapture output;
    for (std::size_t index = 0; index < table.size(); ++index) {
        const auto& row = table[index];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(keys[index]->name(), row.name);
        EXPECT_EQ(keys[index]->suite().get(), &testing::standard());
        EXPECT_EQ(testing::standard().objectForKey(row.name), row.registered);
        row.expectDefault();
    }
    EXPECT_TRUE(testing::persisted().empty()) << "registered defaults are never stored";
    EXPECT_TRUE(output.lines().empty());
}

// Writes the value, checks its stored form in the user's settings, and reads it back.
template <class Value>
void expectStoredAs(const Defaults::Key<Value>& key, const Value& value,
                    const PlistObject& stored) {
    SCOPED_TRACE(key.name());
    writeValue(key, value);
    const auto values = testing::persisted();
    const auto found = values.find(key.name());
    ASSERT_NE(found, values.end());
    EXPECT_EQ(found->second, stored);
    EXPECT_EQ(readValue(key), value);
}

TEST_F(ProgramKeys, WrittenValuesTakeTheirStoredForms) {
    zoral::testing::ScopedOutputCapture output;
    expectStoredAs(Keys::scrollingSensitivity(), MultitouchSensitivity::low, text("1"));
    expectStoredAs(Keys::scrollingSensitivity(), MultitouchSensitivity::monterey, text("4"));
    expectStoredAs(Keys::superModifier(), ModifierFlags::command | ModifierFlags::option,
                   text("1572864"));
    expectStoredAs(Keys::numberOfActions(), ActionUserTypeCounts{{ActionUserType::snapMax, 2}},
                   text(R"(["snapMax",2])"));
    expectStoredAs(
        Keys::numberOfActions(),
        ActionUserTypeCounts{{ActionUserType::appCycle, 1}, {ActionUserType::windowQuit, 7}},
        text(R"(["windowQuit",7,"appCycle",1])"));
    expectStoredAs(Keys::actions(), ActionUserTypeSet{}, text("[]"));
    expectStoredAs(
        Keys::actions(),
        ActionUserTypeSet{ActionUserType::missionControlSpace, ActionUserType::windowHide},
        text(R"(["windowHide","missionControlSpace"])"));
    expectStoredAs(Keys::tabApps(), TabAppTypeSet{TabAppType::edge}, text(R"(["edge"])"));
    expectStoredAs(Keys::blacklist(), std::set<std::string>{"com.b", "com.a", "a \"quoted\" ü"},
                   text(R"(["a \"quoted\" ü","com.a","com.b"])"));
    expectStoredAs(Keys::hotkeyUndo(), HotkeysCenterLayout::return_, text(R"("return")"));
    expectStoredAs(Keys::hotkeyArrow(), HotkeysArrowLayout::dvorak, text(R"("dvorak")"));
    expectStoredAs(Keys::snappingCenterAction(), SnappingCenterAction::unsnap, text(R"("unsnap")"));
    expectStoredAs(Keys::prefsLastTab(), PreferencesTab::about, text("6"));
    expectStoredAs(Keys::gridOffset(), std::int64_t{-1}, native(std::int64_t{-1}));
    expectStoredAs(Keys::tooltipAnimationTime(), 0.25, PlistObject::real(0.25));
    expectStoredAs(Keys::hotkeys(), true, native(true));
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(ProgramKeys, StoredTextsAreDecodedStrictly) {
    // Texts that another build, or a hand edit, may have left; each reads as written.
    testing::storeText("superModifier", "8388608");
    EXPECT_EQ(readValue(Keys::superModifier()), ModifierFlags::function);
    testing::storeText("actions", R"(["snapMax","snapMax"])");
    EXPECT_EQ(readValue(Keys::actions()), ActionUserTypeSet{ActionUserType::snapMax});
    testing::storeText("numberOfActions", R"(["snapMax",1,"snapMax",3])");
    EXPECT_EQ(readValue(Keys::numberOfActions()),
              (ActionUserTypeCounts{{ActionUserType::snapMax, 3}}));
    // A number stored natively reads as the text of that number.
    testing::standard().setObject(PlistObject::integer(2), "scrollingSensitivity");
    EXPECT_EQ(readValue(Keys::scrollingSensitivity()), MultitouchSensitivity::medium);
}

TEST_F(ProgramKeys, UndecodableStoredTextPrintsOneLineAndReadsTheDefault) {
    struct Row {
        std::string name;
        std::string stored;
        std::function<void()> expectDefault;
    };
    const std::vector<Row> table{
        {"scrollingSensitivity", "5",
         readsDefault(Keys::scrollingSensitivity(), MultitouchSensitivity::high)},
        {"scrollingSensitivity", "0",
         readsDefault(Keys::scrollingSensitivity(), MultitouchSensitivity::high)},
        {"scrollingSensitivity", R"("low")",
         readsDefault(Keys::scrollingSensitivity(), MultitouchSensitivity::high)},
        {"prefsLastTab", "7", readsDefault(Keys::prefsLastTab(), PreferencesTab::general)},
        {"prefsLastTab", "-1", readsDefault(Keys::prefsLastTab(), PreferencesTab::general)},
        {"superModifier", "-1", readsDefault(Keys::superModifier(), ModifierFlags::function)},
        {"superModifier", "[8388608]",
         readsDefault(Keys::superModifier(), ModifierFlags::function)},
        {"hotkeyArrow", R"("Arrows")",
         readsDefault(Keys::hotkeyArrow(), HotkeysArrowLayout::arrows)},
        {"hotkeyUndo", "return", readsDefault(Keys::hotkeyUndo(), HotkeysCenterLayout::escape)},
        {"tabApps", R"(["native","netscape"])",
         readsDefault(Keys::tabApps(), Keys::tabApps().defaultValue())},
        {"actions", R"(["snapMax","SnapMax"])",
         readsDefault(Keys::actions(), Keys::actions().defaultValue())},
        {"actions", R"(["snapMax"]])",
         readsDefault(Keys::actions(), Keys::actions().defaultValue())},
        {"blacklist", "[1,2]", readsDefault(Keys::blacklist(), std::set<std::string>{})},
        {"numberOfActions", R"(["snapMax"])",
         readsDefault(Keys::numberOfActions(), ActionUserTypeCounts{})},
        {"numberOfActions", R"(["snapMax","2"])",
         readsDefault(Keys::numberOfActions(), ActionUserTypeCounts{})},
        {"numberOfActions", R"({"snapMax":2})",
         readsDefault(Keys::numberOfActions(), ActionUserTypeCounts{})},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name + " stored as " + row.stored);
        testing::storeText(row.name, row.stored);
        zoral::testing::ScopedOutputCapture output;
        row.expectDefault();
        ASSERT_EQ(output.lines().size(), 1u);
        EXPECT_EQ(output.lines()[0].rfind("Defaults: cannot decode \"" + row.name + "\": ", 0), 0u)
            << output.lines()[0];
    }
}

TEST_F(ProgramKeys, EmptyStoredTextReadsTheDefaultSilently) {
    zoral::testing::ScopedOutputCapture output;
    for (const auto* key : Keys::all()) {
        if (!testing::standard().objectForKey(key->name())->stringValue())
            continue;
        testing::storeText(key->name(), "");
    }
    EXPECT_EQ(readValue(Keys::scrollingSensitivity()), MultitouchSensitivity::high);
    EXPECT_EQ(readValue(Keys::superModifier()), ModifierFlags::function);
    EXPECT_EQ(readValue(Keys::actions()).size(), 20u);
    EXPECT_EQ(readValue(Keys::tabApps()).size(), 6u);
    EXPECT_EQ(readValue(Keys::hotkeyUndo()), HotkeysCenterLayout::escape);
    EXPECT_TRUE(readValue(Keys::numberOfActions()).empty());
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(ProgramKeys, ResettingModifierKeysRestoresTheirDefaultsOnly) {
    for (const auto* key :
         {&Keys::superModifier(), &Keys::generalModifier(), &Keys::screenModifier(),
          &Keys::secondaryModifier(), &Keys::tertiaryModifier()}) {
        writeValue(*key, ModifierFlags::capsLock);
    }
    Defaults::resetKeys(Keys::superModifier(), Keys::generalModifier(), Keys::screenModifier(),
                        Keys::secondaryModifier());
    EXPECT_EQ(readValue(Keys::superModifier()), ModifierFlags::function);
    EXPECT_EQ(readValue(Keys::generalModifier()), ModifierFlags::control);
    EXPECT_EQ(readValue(Keys::screenModifier()), ModifierFlags::command);
    EXPECT_EQ(readValue(Keys::secondaryModifier()), ModifierFlags::shift);
    EXPECT_EQ(readValue(Keys::tertiaryModifier()), ModifierFlags::capsLock);
}

}  // namespace
}  // namespace zoral::settings
