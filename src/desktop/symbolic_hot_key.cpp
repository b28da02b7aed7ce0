#include "desktop/symbolic_hot_key.h"

#include <limits>

#include "platform/home.h"
#include "plist/plist.h"

namespace zoral::desktop {

std::optional<std::string> symbolicHotKeysPath() {
    const auto path = platform::preferencesFile(symbolicHotKeysDomain);
    if (!path)
        return std::nullopt;
    return path->string();
}

std::optional<SymbolicHotKey> symbolicHotKey(const std::string& identifier) {
    const std::optional<std::string> path = symbolicHotKeysPath();
    if (!path)
        return std::nullopt;
    std::shared_ptr<plist::PList> document;
    try {
        document = plist::PList::initWithFilePath(*path);
    } catch (const plist::PList::LoadError&) {
        return std::nullopt;
    }
    const auto entry =
        document->rootNode()->dictionaryChild("AppleSymbolicHotKeys")->dictionaryChild(identifier);
    const std::optional<bool> enabled = entry->boolChild("enabled")->typedValue();
    const std::optional<plist::PListArray> parameters =
        entry->dictionaryChild("value")->arrayChild("parameters")->typedValue();
    if (!enabled || !parameters || parameters->size() < 3)
        return std::nullopt;
    const std::optional<std::int64_t> code = parameters->intElement(1);
    const std::optional<std::int64_t> modifiers = parameters->intElement(2);
    if (!code || *code < 0 || *code > std::numeric_limits<platform::CGKeyCode>::max())
        return std::nullopt;
    if (!modifiers || *modifiers < 0)
        return std::nullopt;
    return SymbolicHotKey{
        .enabled = *enabled,
        .keyCode = static_cast<platform::CGKeyCode>(*code),
        .modifiers = platform::CGEventFlags(static_cast<std::uint64_t>(*modifiers))};
}

}  // namespace zoral::desktop
