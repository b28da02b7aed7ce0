#pragma once

// The modifier roles. Gestures do not use fixed modifier keys: each role is bound, in the
// settings, to a set of modifier flags, and gestures pick their variants by the roles held. The
// super role gates the whole engine; the other four choose among variants of an action.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "platform/enum_table.h"
#include "settings/defaults_key.h"
#include "settings/modifier_flags.h"

namespace zoral::engine {

enum class Modifier : std::uint8_t { super, general, secondary, tertiary, screen };

}  // namespace zoral::engine

namespace zoral::platform {

template <>
struct EnumTable<engine::Modifier> {
    using enum engine::Modifier;
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<engine::Modifier>, 5> cases{{
        {super, "super"},
        {general, "general"},
        {secondary, "secondary"},
        {tertiary, "tertiary"},
        {screen, "screen"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::Modifier>());

}  // namespace zoral::platform

namespace zoral::engine {

using ModifierFlagsByRole = std::map<Modifier, settings::ModifierFlags>;
// The flags bound to every role, super among them, indexed by the role.
using ModifierRoleFlags = std::array<settings::ModifierFlags, 5>;

// The setting that binds the role.
const settings::Defaults::Key<settings::ModifierFlags>& settingsKey(Modifier role);

// The flags bound to general, secondary, tertiary and screen (not super), read anew on each call.
ModifierFlagsByRole configuredModifierFlags();

// The role whose flags equal the given ones exactly; with two such roles, the first in
// declaration order.
std::optional<Modifier> matchingModifier(const ModifierFlagsByRole& configured,
                                         settings::ModifierFlags flags);

// The flags bound to every role, read anew on each call.
ModifierRoleFlags currentModifierRoleFlags();

// The roles the flags hold with the roles bound as given: super when any of its flags is held
// (caps lock and the device bits aside), then the one role matching exactly what is left, the
// first in declaration order on a tie. So super alone, super and one role, one role alone, or
// none.
std::vector<Modifier> modifiersFromFlags(settings::ModifierFlags flags,
                                         const ModifierRoleFlags& roles);
// The same with the roles as the settings bind them now.
std::vector<Modifier> modifiersFromFlags(settings::ModifierFlags flags);

inline std::ostream& operator<<(std::ostream& stream, Modifier role) {
    return stream << platform::caseName(role);
}

}  // namespace zoral::engine
