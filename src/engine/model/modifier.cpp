#include "engine/model/modifier.h"

#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

using settings::ModifierFlags;
using settings::Defaults::Keys;

const settings::Defaults::Key<ModifierFlags>& settingsKey(Modifier role) {
    switch (role) {
        case Modifier::super:
            return Keys::superModifier();
        case Modifier::general:
            return Keys::generalModifier();
        case Modifier::secondary:
            return Keys::secondaryModifier();
        case Modifier::tertiary:
            return Keys::tertiaryModifier();
        case Modifier::screen:
            return Keys::screenModifier();
    }
    return Keys::superModifier();
}

ModifierFlagsByRole configuredModifierFlags() {
    ModifierFlagsByRole configured;
    for (const Modifier role : platform::allCases<Modifier>()) {
        if (role != Modifier::super)
            configured.emplace(role, settings::Defaults::readValue(settingsKey(role)));
    }
    return configured;
}

std::optional<Modifier> matchingModifier(const ModifierFlagsByRole& configured,
                                         ModifierFlags flags) {
    for (const auto& [role, roleFlags] : configured) {
        if (roleFlags == flags)
            return role;
    }
    return std::nullopt;
}

std::vector<Modifier> modifiersFromFlags(ModifierFlags flags) {
    const ModifierFlags held(flags.rawValue() &
                             ModifierFlags::deviceIndependentFlagsMask.rawValue() &
                             ~ModifierFlags::capsLock.rawValue());
    const ModifierFlags super = settings::Defaults::readValue(Keys::superModifier());
    std::vector<Modifier> roles;
    ModifierFlags remaining = held;
    if ((held & super) != ModifierFlags()) {
        roles.push_back(Modifier::super);
        remaining = ModifierFlags(held.rawValue() & ~super.rawValue());
    }
    if (const auto role = matchingModifier(configuredModifierFlags(), remaining))
        roles.push_back(*role);
    return roles;
}

}  // namespace zoral::engine
