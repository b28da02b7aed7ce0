// The system's own shortcuts, as the recorder's conflict check reads them.

#include "shortcuts/symbolic_hot_keys.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/symbolic_hot_key.h"
#include "platform/hot_keys.h"
#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "shortcuts/shortcuts_fixture.h"

namespace zoral::shortcuts::testing {
namespace {

namespace fs = std::filesystem;
using CarbonGlobalShortcuts::enabledSymbolicHotKeys;
using CarbonGlobalShortcuts::parseSymbolicHotKey;
using platform::PlistObject;

class SymbolicHotKeys : public ShortcutsTest {
protected:
    void installFixture(const char* name) {
        const auto path = desktop::symbolicHotKeysPath();
        ASSERT_TRUE(path);
        fs::create_directories(fs::path(*path).parent_path());
        fs::copy_file(fs::path(ZORAL_FIXTURES_DIR) / "plist" / name, *path,
                      fs::copy_options::overwrite_existing);
    }
};

TEST_F(SymbolicHotKeys, TheEnabledOnesComeWithTheirFourModifiersFromEitherFileFormat) {
    // The file's flags are the toolkit's (0x840000 is control with the function key); the list
    // holds the event manager's masks, reduced to the four modifiers.
    const std::vector<Shortcut> expected{
        {49, 0x1000},   // 60: control-space
        {123, 0x1000},  // 79: one space left
        {123, 0x1200},  // 80: with shift
        {124, 0x1000},  // 81: one space right
        {124, 0x1200},  // 82
        {18, 0x1000},   // 118: desktop 1
        {20, 0x1000},   // 120: desktop 3
    };
    for (const char* fixture : {"symbolic_hot_keys.xml.plist", "symbolic_hot_keys.binary.plist"}) {
        installFixture(fixture);
        EXPECT_EQ(enabledSymbolicHotKeys(), expected) << fixture;
    }
}

TEST_F(SymbolicHotKeys, TheDesktopModelReadsTheSameSource) {
    // The system's file is a domain of the user defaults; a change to it reaches both readers.
    const auto parameters = [](std::int64_t code, std::int64_t flags) {
        return PlistObject::dictionary(
            {{"enabled", PlistObject::boolean(true)},
             {"value", PlistObject::dictionary(
                           {{"parameters", PlistObject::array({PlistObject::integer(65535),
                                                               PlistObject::integer(code),
                                                               PlistObject::integer(flags)})}})}});
    };
    platform::UserDefaults::standard().setPersistentDomain(
        {{"AppleSymbolicHotKeys", PlistObject::dictionary({{"79", parameters(5, 0x100000)},
                                                           {"81", parameters(6, 0x20000)}})}},
        "com.apple.symbolichotkeys");

    std::vector<Shortcut> fromDesktop;
    for (const char* identifier : {"79", "81"}) {
        const auto hotKey = desktop::symbolicHotKey(identifier);
        ASSERT_TRUE(hotKey) << identifier;
        fromDesktop.push_back(
            Shortcut::withKey(GlobalShortcuts::Key(hotKey->keyCode),
                              settings::ModifierFlags(hotKey->modifiers.rawValue())));
    }
    EXPECT_EQ(fromDesktop, (std::vector<Shortcut>{{5, 0x100}, {6, 0x200}}));
    EXPECT_EQ(enabledSymbolicHotKeys(), fromDesktop);
}

TEST_F(SymbolicHotKeys, WithoutTheFileTheSystemsDefaultsStandAndWithoutAListThereIsNone) {
    EXPECT_EQ(enabledSymbolicHotKeys(), (std::vector<Shortcut>{{123, 0x1000}, {124, 0x1000}}));
    hotKeys().setSymbolicHotKeysUnavailable(true);
    EXPECT_TRUE(enabledSymbolicHotKeys().empty());
}

TEST_F(SymbolicHotKeys, OnlyEnabledEntriesWithIntegerCodeAndMaskCount) {
    const auto entry = [](std::optional<PlistObject> enabled, std::optional<PlistObject> code,
                          std::optional<PlistObject> modifiers) {
        platform::PlistDictionary dictionary;
        if (enabled)
            dictionary.emplace(platform::carbon::kHISymbolicHotKeyEnabled, *enabled);
        if (code)
            dictionary.emplace(platform::carbon::kHISymbolicHotKeyCode, *code);
        if (modifiers)
            dictionary.emplace(platform::carbon::kHISymbolicHotKeyModifiers, *modifiers);
        return dictionary;
    };
    const auto yes = PlistObject::boolean(true);
    const auto integer = [](std::int64_t value) { return PlistObject::integer(value); };
    struct Case {
        const char* what;
        platform::PlistDictionary dictionary;
        std::optional<Shortcut> expected;
    };
    const Case cases[] = {
        {"complete", entry(yes, integer(49), integer(0x100)), Shortcut{49, 0x100}},
        {"extra bits dropped", entry(yes, integer(49), integer(0x100 | 0x400 | 0x20000 | 0x1)),
         Shortcut{49, 0x100}},
        {"disabled", entry(PlistObject::boolean(false), integer(49), integer(0x100)), std::nullopt},
        {"enabled as a number", entry(integer(1), integer(49), integer(0x100)), std::nullopt},
        {"no enabled flag", entry(std::nullopt, integer(49), integer(0x100)), std::nullopt},
        {"no code", entry(yes, std::nullopt, integer(0x100)), std::nullopt},
        {"code as text", entry(yes, PlistObject::string("49"), integer(0x100)), std::nullopt},
        {"no modifiers", entry(yes, integer(49), std::nullopt), std::nullopt},
        {"modifiers as a real", entry(yes, integer(49), PlistObject::real(256)), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSymbolicHotKey(c.dictionary), c.expected) << c.what;
}

}  // namespace
}  // namespace zoral::shortcuts::testing
