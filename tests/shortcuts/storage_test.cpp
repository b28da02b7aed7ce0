// The stored form of named shortcuts, clearing, defaults and the change notification.

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcuts_fixture.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;
using platform::PlistObject;

class ShortcutStorage : public ShortcutsTest {
protected:
    static platform::UserDefaults& defaults() { return platform::UserDefaults::standard(); }
    static std::optional<PlistObject> stored(const std::string& name) {
        return defaults().objectForKey("GlobalShortcuts_" + name);
    }
    static void storeText(const std::string& name, const std::string& text) {
        defaults().setObject(PlistObject::string(text), "GlobalShortcuts_" + name);
    }
};

TEST_F(ShortcutStorage, StoresCompactJsonUnderThePrefixedNameRegistersAndAnnounces) {
    ChangeRecorder changes;
    const Name name("fixPinchAndSwipe");

    storeShortcut(commandSpace, name);

    EXPECT_EQ(stored("fixPinchAndSwipe"),
              PlistObject::string(R"({"carbonKeyCode":49,"carbonModifiers":256})"));
    EXPECT_EQ(storedShortcut(name), commandSpace);
    EXPECT_EQ(changes.names(), std::vector<std::string>{"fixPinchAndSwipe"});
    EXPECT_TRUE(registeredShortcuts().contains(commandSpace));
    ASSERT_EQ(hotKeys().registrations().size(), 1u);
    EXPECT_EQ(hotKeys().registrations()[0].combination, (sim::HotKeyCombination{49, 0x100}));

    // A new combination moves the registration; the old one is released with the system.
    storeShortcut(controlOptionA, name);
    EXPECT_EQ(registeredShortcuts(), std::unordered_set<Shortcut>{controlOptionA});
    ASSERT_EQ(hotKeys().registrations().size(), 1u);
    EXPECT_EQ(hotKeys().registrations()[0].combination, (sim::HotKeyCombination{0, 0x1800}));
}

TEST_F(ShortcutStorage, ReadsEveryFormOfTheStoredText) {
    struct Case {
        const char* text;
        std::optional<Shortcut> expected;
    };
    const Case cases[] = {
        {R"({"carbonKeyCode":49,"carbonModifiers":256})", commandSpace},
        {R"({ "carbonModifiers" : 256,
              "carbonKeyCode" : 49 })",
         commandSpace},
        {R"({"carbonKeyCode":49,"carbonModifiers":256,"comment":"extra"})", commandSpace},
        // Beyond 32 bits is still a stored shortcut; only registering refuses it.
        {R"({"carbonKeyCode":4294967296,"carbonModifiers":256})", Shortcut{4294967296, 256}},
        {R"({"carbonKeyCode":49})", std::nullopt},
        {R"({"carbonKeyCode":"49","carbonModifiers":256})", std::nullopt},
        {R"({"carbonKeyCode":49.5,"carbonModifiers":256})", std::nullopt},
        {R"({"carbonKeyCode":18446744073709551615,"carbonModifiers":256})", std::nullopt},
        {R"([49,256])", std::nullopt},
        {R"({"carbonKeyCode":49,)", std::nullopt},
        {"", std::nullopt},
    };
    const Name name("probe");
    for (const Case& c : cases) {
        storeText("probe", c.text);
        EXPECT_EQ(storedShortcut(name), c.expected) << c.text;
    }

    // Values that are no text read as no shortcut.
    for (const PlistObject& value :
         {PlistObject::boolean(false), PlistObject::integer(49), PlistObject::dictionary()}) {
        defaults().setObject(value, "GlobalShortcuts_probe");
        EXPECT_EQ(storedShortcut(name), std::nullopt);
    }
}

TEST_F(ShortcutStorage, ClearingWritesFalseReleasesAndAnnouncesOnlyWhenSomethingIsStored) {
    const Name name("fixPinchAndSwipe");
    storeShortcut(commandSpace, name);
    ChangeRecorder changes;

    updateShortcut(std::nullopt, name);
    EXPECT_EQ(stored("fixPinchAndSwipe"), PlistObject::boolean(false)) << "the key stays";
    EXPECT_EQ(storedShortcut(name), std::nullopt);
    EXPECT_TRUE(registeredShortcuts().empty());
    EXPECT_TRUE(hotKeys().registrations().empty());
    EXPECT_EQ(changes.names().size(), 1u);

    // Nothing stored, or nothing readable: nothing is written and nothing announced.
    updateShortcut(std::nullopt, name);
    storeText("garbled", "{not json");
    updateShortcut(std::nullopt, Name("garbled"));
    updateShortcut(std::nullopt, Name("never"));
    EXPECT_EQ(changes.names().size(), 1u);
    EXPECT_EQ(stored("garbled"), PlistObject::string("{not json"));
    EXPECT_EQ(stored("never"), std::nullopt);

    // A value goes through the store.
    updateShortcut(controlOptionA, name);
    EXPECT_EQ(storedShortcut(name), controlOptionA);
    EXPECT_EQ(changes.names().size(), 2u);
}

TEST_F(ShortcutStorage, ANamesDefaultIsStoredOnlyWhereNothingIsStoredAtAll) {
    ChangeRecorder changes;

    const Name fresh("fresh", commandSpace);
    EXPECT_EQ(stored("fresh"),
              PlistObject::string(R"({"carbonKeyCode":49,"carbonModifiers":256})"));
    EXPECT_TRUE(registeredShortcuts().contains(commandSpace));
    EXPECT_EQ(changes.names(), std::vector<std::string>{"fresh"});

    // A cleared name stays cleared after a relaunch, whatever its default; a stored one keeps
    // its value.
    defaults().setBool(false, "GlobalShortcuts_cleared");
    storeText("custom", R"({"carbonKeyCode":0,"carbonModifiers":6144})");
    const Name cleared("cleared", shiftCommandF1);
    const Name custom("custom", shiftCommandF1);
    EXPECT_EQ(stored("cleared"), PlistObject::boolean(false));
    EXPECT_EQ(storedShortcut(custom), controlOptionA);
    EXPECT_FALSE(registeredShortcuts().contains(shiftCommandF1));
    EXPECT_EQ(changes.names().size(), 1u);

    // Without a default nothing is looked at or touched.
    const Name plain("plain");
    EXPECT_EQ(stored("plain"), std::nullopt);
    EXPECT_EQ(changes.names().size(), 1u);
}

TEST_F(ShortcutStorage, RestoringDefaultsSetsOrClearsEachNameInOrder) {
    const Name withDefault("withDefault", commandSpace);
    const Name withoutDefault("withoutDefault");
    const Name untouched("untouched");
    storeShortcut(controlOptionA, withDefault);
    storeShortcut(shiftCommandF1, withoutDefault);
    ChangeRecorder changes;

    restoreDefaults({withoutDefault, untouched, withDefault});

    EXPECT_EQ(storedShortcut(withDefault), commandSpace);
    EXPECT_EQ(stored("withoutDefault"), PlistObject::boolean(false));
    EXPECT_EQ(stored("untouched"), std::nullopt);
    EXPECT_EQ(changes.names(), (std::vector<std::string>{"withoutDefault", "withDefault"}));
    EXPECT_EQ(registeredShortcuts(), std::unordered_set<Shortcut>{commandSpace});
}

TEST_F(ShortcutStorage, NamesAreTheirTextWhateverTheirDefaults) {
    const Name plain("same");
    const Name withDefault("same", commandSpace);
    EXPECT_EQ(plain, withDefault);
    EXPECT_EQ(std::hash<Name>{}(plain), std::hash<Name>{}(withDefault));

    // The notification carries the name with its default; observers compare by text.
    std::optional<Name> announced;
    const auto token = platform::NotificationCenter::defaultCenter().addObserver(
        std::string(shortcutByNameDidChange), nullptr, [&](const platform::Notification& change) {
            EXPECT_EQ(change.object, nullptr);
            announced = std::any_cast<Name>(change.userInfo.at("name"));
        });
    storeShortcut(controlOptionA, withDefault);
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    ASSERT_TRUE(announced);
    EXPECT_EQ(*announced, plain);
    EXPECT_EQ(announced->defaultShortcut, commandSpace);

    // Handlers of either are one entry.
    attachKeyUpHandler(plain, [] {});
    attachKeyUpHandler(withDefault, [] {});
    EXPECT_EQ(keyUpHandlers().size(), 1u);
    EXPECT_EQ(keyUpHandlers().at(plain).size(), 2u);
}

TEST_F(ShortcutStorage, ShortcutsMadeFromEventsAndKeysKeepOnlyTheFourModifiers) {
    using settings::ModifierFlags;
    const ModifierFlags everything = ModifierFlags::capsLock | ModifierFlags::shift |
                                     ModifierFlags::control | ModifierFlags::option |
                                     ModifierFlags::command | ModifierFlags::numericPad |
                                     ModifierFlags::function | ModifierFlags(0xFF);
    EXPECT_EQ(Shortcut::fromEvent(platform::NSEventType::keyDown, 0, everything),
              (Shortcut{0, 0x1B00}));
    EXPECT_EQ(Shortcut::fromEvent(platform::NSEventType::keyUp, 49, ModifierFlags::command),
              commandSpace);
    EXPECT_EQ(Shortcut::fromEvent(platform::NSEventType::flagsChanged, 49, ModifierFlags::command),
              std::nullopt);
    EXPECT_EQ(Shortcut::withKey(Key::space, ModifierFlags::command | ModifierFlags::function),
              commandSpace);
    EXPECT_EQ(Shortcut::withCarbonValues(122, 0x300 | 0x400 | 0x20000), shiftCommandF1);
    EXPECT_EQ(Shortcut::withCarbonValues(122, 0x300).modifiers(),
              ModifierFlags::shift | ModifierFlags::command);

    // The key constants are the system's codes.
    EXPECT_EQ(Key::a.rawValue, 0);
    EXPECT_EQ(Key::b.rawValue, 11);
    EXPECT_EQ(Key::space.rawValue, 49);
    EXPECT_EQ(Key::escape.rawValue, 53);
    EXPECT_EQ(Key::f1.rawValue, 122);
    EXPECT_EQ(Key::f20.rawValue, 90);
    EXPECT_EQ(Key::keypadEnter.rawValue, 76);
}

}  // namespace
}  // namespace zoral::shortcuts::testing
