#pragma once

// The direction of a gesture step. inwards and outwards are the pinch directions; every other is a
// swipe. Log lines print a direction by its case name.

#include <array>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::desktop {

enum class Direction : std::uint8_t { up, down, left, right, inwards, outwards };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::Direction> {
    using enum desktop::Direction;
    static constexpr std::array<NamedCase<desktop::Direction>, 6> cases{{
        {up, "up"},
        {down, "down"},
        {left, "left"},
        {right, "right"},
        {inwards, "inwards"},
        {outwards, "outwards"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::Direction>());

}  // namespace zoral::platform

namespace zoral::desktop {

inline std::ostream& operator<<(std::ostream& stream, Direction direction) {
    return stream << platform::caseName(direction);
}

}  // namespace zoral::desktop
