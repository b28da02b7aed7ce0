// The simulated keyboard layouts and the translation of key codes into text.

#include "sim/keyboard_layout.h"

#include <array>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/text_input_sources.h"
#include "sim/world.h"

namespace zoral::sim {
namespace {

namespace tis = platform::tis;

struct Translation {
    platform::OSStatus status;
    std::u16string text;
};

Translation translate(std::uint16_t keyCode, std::uint16_t action = tis::kUCKeyActionDisplay,
                      std::uint32_t modifiers = 0, std::size_t room = 4) {
    const auto layout =
        tis::getUnicodeKeyLayoutData(tis::copyCurrentASCIICapableKeyboardLayoutInputSource());
    std::uint32_t deadKeys = 0;
    std::array<char16_t, 8> buffer{};
    std::size_t length = 99;
    const platform::OSStatus status =
        tis::ucKeyTranslate(layout.get(), keyCode, action, modifiers, tis::getKeyboardType(), 0,
                            &deadKeys, std::span<char16_t>(buffer.data(), room), &length);
    if (status != platform::carbon::noErr)
        return {status, {}};
    return {status, std::u16string(buffer.data(), length)};
}

TEST(KeyboardLayouts, EachLayoutTypesItsOwnCharacters) {
    ScopedWorld world;
    KeyboardLayouts& layouts = KeyboardLayouts::of(*world);
    struct Case {
        std::uint16_t keyCode;
        std::uint32_t modifiers;
        const char16_t* us;
        const char16_t* french;
    };
    constexpr std::uint32_t shift = 0x02;
    constexpr std::uint32_t capsLock = 0x04;
    const Case cases[] = {
        {0, 0, u"a", u"q"},         {0, shift, u"A", u"Q"},  {0, capsLock, u"A", u"Q"},
        {12, 0, u"q", u"a"},        {13, 0, u"w", u"z"},     {6, 0, u"z", u"w"},
        {18, 0, u"1", u"&"},        {18, shift, u"!", u"1"}, {19, 0, u"2", u"é"},
        {19, capsLock, u"2", u"é"}, {41, 0, u";", u"m"},     {46, 0, u"m", u","},
        {49, 0, u" ", u" "},        {36, 0, u"\r", u"\r"},   {122, 0, u"\x10", u"\x10"},
        {123, 0, u"\x1C", u"\x1C"}, {55, 0, u"", u""},       {200, 0, u"", u""},
    };
    for (const Case& c : cases) {
        layouts.selectLayout(KeyboardLayouts::usLayout);
        EXPECT_EQ(translate(c.keyCode, tis::kUCKeyActionDisplay, c.modifiers).text, c.us)
            << c.keyCode << " " << c.modifiers;
        layouts.selectLayout(KeyboardLayouts::frenchLayout);
        EXPECT_EQ(translate(c.keyCode, tis::kUCKeyActionDown, c.modifiers).text, c.french)
            << c.keyCode << " " << c.modifiers;
    }
}

TEST(KeyboardLayouts, TheUsLayoutIsCurrentUntilAnotherIsChosen) {
    ScopedWorld world;
    KeyboardLayouts& layouts = KeyboardLayouts::of(*world);
    EXPECT_EQ(tis::copyCurrentASCIICapableKeyboardLayoutInputSource()->identifier,
              KeyboardLayouts::usLayout);
    EXPECT_FALSE(layouts.selectLayout("Klingon"));
    EXPECT_EQ(layouts.currentLayout()->identifier, KeyboardLayouts::usLayout);
    EXPECT_TRUE(layouts.selectLayout(std::nullopt));
    EXPECT_EQ(tis::copyCurrentASCIICapableKeyboardLayoutInputSource(), nullptr);
    EXPECT_EQ(tis::getUnicodeKeyLayoutData(nullptr), nullptr);
}

TEST(KeyboardLayouts, TranslationsRefuseWhatTheyCannotDo) {
    ScopedWorld world;
    EXPECT_EQ(translate(0, tis::kUCKeyActionUp).status, platform::carbon::noErr);
    EXPECT_EQ(translate(0, tis::kUCKeyActionUp).text, u"") << "a key up types nothing";
    EXPECT_EQ(translate(0, 4).status, platform::carbon::paramErr);
    EXPECT_EQ(translate(0, tis::kUCKeyActionDisplay, 0, 0).status, tis::kUCOutputBufferTooSmall);

    std::uint32_t deadKeys = 0;
    std::array<char16_t, 4> buffer{};
    std::size_t length = 0;
    EXPECT_EQ(tis::ucKeyTranslate(nullptr, 0, tis::kUCKeyActionDisplay, 0, 0, 0, &deadKeys, buffer,
                                  &length),
              platform::carbon::paramErr);
}

}  // namespace
}  // namespace zoral::sim
