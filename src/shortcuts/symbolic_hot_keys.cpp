#include "shortcuts/symbolic_hot_keys.h"

#include "platform/hot_keys.h"
#include "shortcuts/modifier_conversion.h"

namespace zoral::shortcuts::CarbonGlobalShortcuts {

namespace carbon = platform::carbon;
using GlobalShortcuts::Shortcut;

namespace {

std::optional<std::int64_t> integerMember(const platform::PlistDictionary& dictionary,
                                          std::string_view key) {
    const auto found = dictionary.find(key);
    if (found == dictionary.end())
        return std::nullopt;
    const auto integer = found->second.integerValue();
    return integer ? integer->int64Value() : std::nullopt;
}

}  // namespace

std::vector<Shortcut> enabledSymbolicHotKeys() {
    std::optional<platform::PlistObject> array;
    if (carbon::copySymbolicHotKeys(&array) != carbon::noErr || !array)
        return {};
    const auto* entries = array->getIf<platform::PlistArray>();
    if (entries == nullptr)
        return {};
    // The whole answer must be dictionaries; anything else is no list of hot keys at all.
    for (const platform::PlistObject& entry : *entries) {
        if (!entry.is(platform::PlistObject::Kind::dictionary))
            return {};
    }
    std::vector<Shortcut> shortcuts;
    for (const platform::PlistObject& entry : *entries) {
        if (auto shortcut = parseSymbolicHotKey(entry.get<platform::PlistDictionary>()))
            shortcuts.push_back(*shortcut);
    }
    return shortcuts;
}

std::optional<Shortcut> parseSymbolicHotKey(const platform::PlistDictionary& dictionary) {
    const auto enabled = dictionary.find(carbon::kHISymbolicHotKeyEnabled);
    if (enabled == dictionary.end() || enabled->second.boolValue() != true)
        return std::nullopt;
    const auto keyCode = integerMember(dictionary, carbon::kHISymbolicHotKeyCode);
    const auto modifiers = integerMember(dictionary, carbon::kHISymbolicHotKeyModifiers);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut{*keyCode, GlobalShortcuts::carbonModifierMask(
                                  GlobalShortcuts::cocoaModifierFlags(*modifiers))};
}

}  // namespace zoral::shortcuts::CarbonGlobalShortcuts
