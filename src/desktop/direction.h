#pragma once

// The direction of a gesture step. inwards and outwards are the pinch directions; every other is a
// swipe. Log lines print a direction by its case name.

#include <array>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "desktop/enum_table.h"

namespace zoral::desktop {

enum class Direction : std::uint8_t { up, down, left, right, inwards, outwards };

template <>
struct EnumTable<Direction> {
    using enum Direction;
    static constexpr std::array<NamedCase<Direction>, 6> cases{{
        {up, "up"},
        {down, "down"},
        {left, "left"},
        {right, "right"},
        {inwards, "inwards"},
        {outwards, "outwards"},
    }};
};

static_assert(tableFollowsDeclarationOrder<Direction>());

inline std::ostream& operator<<(std::ostream& stream, Direction direction) {
    return stream << caseName(direction);
}

}  // namespace zoral::desktop
