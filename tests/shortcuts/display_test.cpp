// Shortcuts as text: key strings, modifier symbols, display strings and menu key equivalents.

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "shortcuts/shortcut_display.h"
#include "shortcuts/shortcuts_fixture.h"
#include "sim/keyboard_layout.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;
using settings::ModifierFlags;

class ShortcutDisplay : public ShortcutsTest {
protected:
    void useLayout(std::optional<std::string> identifier) {
        ASSERT_TRUE(sim::KeyboardLayouts::of(*world).selectLayout(std::move(identifier)));
    }
};

TEST_F(ShortcutDisplay, SpecialKeysHaveTheirOwnTexts) {
    struct Case {
        std::int64_t keyCode;
        const char* text;
    };
    const Case cases[] = {
        {36, "↩"},    {51, "⌫"},    {117, "⌦"},   {119, "↘"},   {53, "⎋"},    {114, "?⃝"},
        {115, "↖"},   {49, "⎵"},    {48, "⇥"},    {116, "⇞"},   {121, "⇟"},   {126, "↑"},
        {124, "→"},   {125, "↓"},   {123, "←"},   {122, "F1"},  {120, "F2"},  {99, "F3"},
        {118, "F4"},  {96, "F5"},   {97, "F6"},   {98, "F7"},   {100, "F8"},  {101, "F9"},
        {109, "F10"}, {103, "F11"}, {111, "F12"}, {105, "F13"}, {107, "F14"}, {113, "F15"},
        {106, "F16"}, {64, "F17"},  {79, "F18"},  {80, "F19"},  {90, "F20"},
    };
    // Whatever the layout, and even without one.
    for (const std::optional<std::string>& layout :
         {std::optional<std::string>(sim::KeyboardLayouts::frenchLayout),
          std::optional<std::string>()}) {
        useLayout(layout);
        for (const Case& c : cases)
            EXPECT_EQ(keyString(Shortcut{c.keyCode, 0}), c.text) << c.keyCode;
    }
}

TEST_F(ShortcutDisplay, OtherKeysTypeWhatTheCurrentLayoutSays) {
    struct Case {
        std::int64_t keyCode;
        std::optional<std::string> us;
        std::optional<std::string> french;
    };
    const Case cases[] = {
        {0, "a", "q"},
        {12, "q", "a"},
        {19, "2", "é"},
        {50, "`", "<"},
        {71, "\x1B", "\x1B"},                 // the keypad's clear key types escape
        {55, "", ""},                         // command types nothing
        {70000, std::nullopt, std::nullopt},  // no key of the keyboard
    };
    for (const Case& c : cases) {
        useLayout(sim::KeyboardLayouts::usLayout);
        EXPECT_EQ(keyString(Shortcut{c.keyCode, 0x100}), c.us) << c.keyCode;
        useLayout(sim::KeyboardLayouts::frenchLayout);
        EXPECT_EQ(keyString(Shortcut{c.keyCode, 0x100}), c.french) << c.keyCode;
    }
    useLayout(std::nullopt);
    EXPECT_EQ(keyString(Shortcut{0, 0}), std::nullopt) << "no ASCII-capable layout";
}

TEST_F(ShortcutDisplay, ModifierSymbolsComeInTheirFixedOrder) {
    const ModifierFlags control = ModifierFlags::control;
    const ModifierFlags option = ModifierFlags::option;
    const ModifierFlags shift = ModifierFlags::shift;
    const ModifierFlags command = ModifierFlags::command;
    const ModifierFlags function = ModifierFlags::function;
    struct Case {
        ModifierFlags flags;
        const char* symbols;
    };
    const Case cases[] = {
        {ModifierFlags(), ""},
        {command | shift | option | control, "⌃⌥⇧⌘"},
        {function | control | shift, "⌃⇧🌐︎"},
        {function, "🌐︎"},
        {command | ModifierFlags::capsLock | ModifierFlags::numericPad, "⌘"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(modifierSymbols(c.flags), c.symbols) << c.flags.rawValue();
}

TEST_F(ShortcutDisplay, DisplayStringsAndMenuKeyEquivalents) {
    struct Case {
        Shortcut shortcut;
        const char* layout;
        const char* display;
        const char* menuKey;
        ModifierFlags menuMask;
    };
    const ModifierFlags controlOptionCommand =
        ModifierFlags::control | ModifierFlags::option | ModifierFlags::command;
    const Case cases[] = {
        {{0, 0x1900}, sim::KeyboardLayouts::usLayout, "⌃⌥⌘A", "a", controlOptionCommand},
        // Bits beyond the four modifiers show nothing and set nothing; there is never a globe.
        {{0, 0x1900 | 0x400 | 0x20000 | 0x1},
         sim::KeyboardLayouts::usLayout,
         "⌃⌥⌘A",
         "a",
         controlOptionCommand},
        {{122, 0x100}, sim::KeyboardLayouts::usLayout, "⌘F1", "\uF704", ModifierFlags::command},
        {{120, 0}, sim::KeyboardLayouts::usLayout, "F2", "\uF705", ModifierFlags()},
        {{90, 0}, sim::KeyboardLayouts::usLayout, "F20", "\uF717", ModifierFlags()},
        {{36, 0}, sim::KeyboardLayouts::usLayout, "↩", "↩", ModifierFlags()},
        {{114, 0}, sim::KeyboardLayouts::usLayout, "?⃝", "?⃝", ModifierFlags()},
        // Space shows its symbol, but a menu matches the key by the space it types.
        {{49, 0x100}, sim::KeyboardLayouts::usLayout, "⌘⎵", " ", ModifierFlags::command},
        {{19, 0x200}, sim::KeyboardLayouts::frenchLayout, "⇧É", "é", ModifierFlags::shift},
        {{0, 0x100}, sim::KeyboardLayouts::frenchLayout, "⌘Q", "q", ModifierFlags::command},
        {{70000, 0x100}, sim::KeyboardLayouts::usLayout, "⌘\uFFFD", "", ModifierFlags::command},
        {{0, 0x100}, nullptr, "⌘\uFFFD", "", ModifierFlags::command},
    };
    for (const Case& c : cases) {
        useLayout(c.layout != nullptr ? std::optional<std::string>(c.layout) : std::nullopt);
        SCOPED_TRACE(c.display);
        EXPECT_EQ(displayString(c.shortcut), c.display);
        EXPECT_EQ(c.shortcut.description(), c.display);
        EXPECT_EQ(menuKeyEquivalent(c.shortcut), c.menuKey);
        EXPECT_EQ(c.shortcut.modifiers(), c.menuMask);
    }
}

TEST_F(ShortcutDisplay, TheTextFollowsAChangeOfLayoutAtOnce) {
    const Shortcut commandA{0, 0x100};
    EXPECT_EQ(displayString(commandA), "⌘A");
    useLayout(sim::KeyboardLayouts::frenchLayout);
    EXPECT_EQ(displayString(commandA), "⌘Q");
}

}  // namespace
}  // namespace zoral::shortcuts::testing
