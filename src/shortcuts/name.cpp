#include "shortcuts/name.h"

#include <utility>

#include "platform/user_defaults.h"
#include "shortcuts/global_shortcuts.h"

namespace zoral::shortcuts::GlobalShortcuts {

Name::Name(std::string text) : rawValue(std::move(text)) {}

Name::Name(std::string text, std::optional<Shortcut> shortcut)
    : rawValue(std::move(text)), defaultShortcut(shortcut) {
    if (!defaultShortcut)
        return;
    if (platform::UserDefaults::standard().objectForKey(userDefaultsKey()))
        return;
    storeShortcut(*defaultShortcut, *this);
}

std::string Name::userDefaultsKey() const {
    return std::string(userDefaultsKeyPrefix) + rawValue;
}

}  // namespace zoral::shortcuts::GlobalShortcuts
