#include "engine/model/modifier.h"

#include <cstddef>

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

ModifierRoleFlags currentModifierRoleFlags() {
    ModifierRoleFlags flags;
    for (const Modifier role : platform::allCases<Modifier>())
        flags[static_cast<std::size_t>(role)] = settings::Defaults::readValue(settingsKey(role));
    return flags;
}

std::vector<Modifier> modifiersFromFlags(ModifierFlags flags, const ModifierRoleFlags& roles) {
    const ModifierFlags held(flags.rawValue() &
                             ModifierFlags::deviceIndependentFlagsMask.rawValue() &
                             ~ModifierFlags::capsLock.rawValue());
    const ModifierFlags super = roles[static_cast<std::size_t>(Modifier::super)];
    std::vector<Modifier> found;
    ModifierFlags remaining = held;
    if ((held & super) != ModifierFlags()) {
        found.push_back(Modifier::super);
        remaining = ModifierFlags(held.rawValue() & ~super.rawValue());
    }
    for (const Modifier role : platform::allCases<Modifier>()) {
        if (role != Modifier::super && roles[static_cast<std::size_t>(role)] == remaining) {
            found.push_back(role);
            break;
        }
    }
    return found;
}

std::vector<Modifier> modifiersFromFlags(ModifierFlags flags) {
    return modifiersFromFlags(flags, currentModifierRoleFlags());
}

}  // namespace zoral::engine
