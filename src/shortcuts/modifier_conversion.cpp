#include "shortcuts/modifier_conversion.h"

#include <array>

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

using settings::ModifierFlags;

struct ModifierPair {
    ModifierFlags flag;
    std::int64_t carbon;
};

constexpr std::array<ModifierPair, 4> modifierPairs{{
    {ModifierFlags::control, carbonControl},
    {ModifierFlags::option, carbonOption},
    {ModifierFlags::shift, carbonShift},
    {ModifierFlags::command, carbonCommand},
}};

}  // namespace

std::int64_t carbonModifierMask(ModifierFlags flags) {
    std::int64_t mask = 0;
    for (const ModifierPair& pair : modifierPairs) {
        if (flags.contains(pair.flag))
            mask |= pair.carbon;
    }
    return mask;
}

ModifierFlags cocoaModifierFlags(std::int64_t carbonModifiers) {
    ModifierFlags flags;
    for (const ModifierPair& pair : modifierPairs) {
        if ((carbonModifiers & pair.carbon) != 0)
            flags = flags | pair.flag;
    }
    return flags;
}

}  // namespace zoral::shortcuts::GlobalShortcuts
