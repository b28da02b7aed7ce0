#pragma once

// How a synthetic key or mouse button is pressed. Key posting acts on down and up only.

#include <array>
#include <cstdint>
#include <ostream>

#include "desktop/enum_table.h"

namespace zoral::desktop {

enum class PressState : std::uint8_t { down, up, move, drag };

template <>
struct EnumTable<PressState> {
    using enum PressState;
    static constexpr std::array<NamedCase<PressState>, 4> cases{{
        {down, "down"},
        {up, "up"},
        {move, "move"},
        {drag, "drag"},
    }};
};

static_assert(tableFollowsDeclarationOrder<PressState>());

inline std::ostream& operator<<(std::ostream& stream, PressState state) {
    return stream << caseName(state);
}

}  // namespace zoral::desktop
