#include "shortcuts/shortcut_display.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>

#include "platform/text_input_sources.h"
#include "shortcuts/key.h"
#include "shortcuts/unicode_text.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

using settings::ModifierFlags;

// F1 to F20, in order.
constexpr std::array functionKeys{Key::f1,  Key::f2,  Key::f3,  Key::f4,  Key::f5,
                                  Key::f6,  Key::f7,  Key::f8,  Key::f9,  Key::f10,
                                  Key::f11, Key::f12, Key::f13, Key::f14, Key::f15,
                                  Key::f16, Key::f17, Key::f18, Key::f19, Key::f20};

const std::map<std::int64_t, std::string>& specialKeyTexts() {
    static const std::map<std::int64_t, std::string> table = [] {
        std::map<std::int64_t, std::string> texts{
            {Key::return_.rawValue, "↩"},       {Key::delete_.rawValue, "⌫"},
            {Key::deleteForward.rawValue, "⌦"}, {Key::end.rawValue, "↘"},
            {Key::escape.rawValue, "⎋"},        {Key::help.rawValue, "?⃝"},
            {Key::home.rawValue, "↖"},          {Key::space.rawValue, "⎵"},
            {Key::tab.rawValue, "⇥"},           {Key::pageUp.rawValue, "⇞"},
            {Key::pageDown.rawValue, "⇟"},      {Key::upArrow.rawValue, "↑"},
            {Key::rightArrow.rawValue, "→"},    {Key::downArrow.rawValue, "↓"},
            {Key::leftArrow.rawValue, "←"},
        };
        for (std::size_t index = 0; index < functionKeys.size(); ++index)
            texts.emplace(functionKeys[index].rawValue, "F" + std::to_string(index + 1));
        return texts;
    }();
    return table;
}

// The characters menus take for keys whose text is longer than one character: the function
// keys F1 to F20 are U+F704 to U+F717 in order.
const std::map<std::int64_t, std::string>& keyEquivalents() {
    static const std::map<std::int64_t, std::string> table = [] {
        std::map<std::int64_t, std::string> equivalents{{Key::space.rawValue, " "}};
        for (std::size_t index = 0; index < functionKeys.size(); ++index) {
            const char16_t unit = static_cast<char16_t>(0xF704 + index);
            equivalents.emplace(functionKeys[index].rawValue,
                                utf8FromUtf16(std::span<const char16_t>(&unit, 1)));
        }
        return equivalents;
    }();
    return table;
}

constexpr std::array<std::pair<ModifierFlags, const char*>, 5> modifierSymbolTable{{
    {ModifierFlags::control, "⌃"},
    {ModifierFlags::option, "⌥"},
    {ModifierFlags::shift, "⇧"},
    {ModifierFlags::command, "⌘"},
    {ModifierFlags::function, "🌐︎"},
}};

constexpr char replacementCharacter[] = "\uFFFD";

}  // namespace

std::string modifierSymbols(ModifierFlags flags) {
    std::string symbols;
    for (const auto& [flag, symbol] : modifierSymbolTable) {
        if (flags.contains(flag))
            symbols += symbol;
    }
    return symbols;
}

std::optional<std::string> keyString(const Shortcut& shortcut) {
    if (const auto special = specialKeyTexts().find(shortcut.carbonKeyCode);
        special != specialKeyTexts().end()) {
        return special->second;
    }
    if (shortcut.carbonKeyCode < 0 || shortcut.carbonKeyCode > 0xFFFF)
        return std::nullopt;
    namespace tis = platform::tis;
    const tis::InputSourceRef source = tis::copyCurrentASCIICapableKeyboardLayoutInputSource();
    if (!source)
        return std::nullopt;
    const auto layout = tis::getUnicodeKeyLayoutData(source);
    if (!layout)
        return std::nullopt;
    std::uint32_t deadKeyState = 0;
    std::array<char16_t, 4> units{};
    std::size_t length = 0;
    if (tis::ucKeyTranslate(layout.get(), static_cast<std::uint16_t>(shortcut.carbonKeyCode),
                            tis::kUCKeyActionDisplay, 0, tis::getKeyboardType(), 0, &deadKeyState,
                            units, &length) != platform::carbon::noErr) {
        return std::nullopt;
    }
    return utf8FromUtf16(std::span<const char16_t>(units.data(), std::min(length, units.size())));
}

std::string displayString(const Shortcut& shortcut) {
    const std::optional<std::string> key = keyString(shortcut);
    return modifierSymbols(shortcut.modifiers()) + (key ? upperCased(*key) : replacementCharacter);
}

std::string menuKeyEquivalent(const Shortcut& shortcut) {
    if (shortcut.carbonKeyCode == Key::space.rawValue)
        return keyEquivalents().at(Key::space.rawValue);
    const std::string key = keyString(shortcut).value_or("");
    if (characterCount(key) < 2)
        return key;
    const auto found = keyEquivalents().find(shortcut.carbonKeyCode);
    return found == keyEquivalents().end() ? std::string() : found->second;
}

}  // namespace zoral::shortcuts::GlobalShortcuts
