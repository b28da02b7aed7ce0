#pragma once

// How a synthetic key or mouse button is pressed. Key posting acts on down and up only.

#include <array>
#include <cstdint>
#include <ostream>

#include "platform/enum_table.h"

namespace zoral::desktop {

enum class PressState : std::uint8_t { down, up, move, drag };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::PressState> {
    using enum desktop::PressState;
    static constexpr std::array<NamedCase<desktop::PressState>, 4> cases{{
        {down, "down"},
        {up, "up"},
        {move, "move"},
        {drag, "drag"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::PressState>());

}  // namespace zoral::platform

namespace zoral::desktop {

inline std::ostream& operator<<(std::ostream& stream, PressState state) {
    return stream << platform::caseName(state);
}

}  // namespace zoral::desktop
