#include "settings/defaults.h"

namespace zoral::settings {

void removeAllKeys(platform::UserDefaults& suite) {
    for (const auto& [name, value] : suite.dictionaryRepresentation())
        suite.removeObjectForKey(name);
}

namespace Defaults {

void resetKeys(std::span<const Keys* const> keys) {
    for (const Keys* key : keys)
        key->suite()->removeObjectForKey(key->name());
}

void resetKeys(std::initializer_list<const Keys*> keys) {
    resetKeys(std::span<const Keys* const>(keys.begin(), keys.size()));
}

void resetNames(std::span<const std::string> names, platform::UserDefaults& suite) {
    for (const auto& name : names)
        suite.removeObjectForKey(name);
}

}  // namespace Defaults
}  // namespace zoral::settings
