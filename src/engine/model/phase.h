#pragma once

// The phases of a gesture: what the input engines and the gesture itself append after each step,
// and what the action resolution reads. Their order is relied on by the resolution.

#include <array>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::engine {

enum class Phase : std::uint8_t {
    rested,
    paused,
    scrolled,
    zoomed,
    tapped,
    released,
    flicked,
    chained
};

}  // namespace zoral::engine

namespace zoral::platform {

template <>
struct EnumTable<engine::Phase> {
    using enum engine::Phase;
    static constexpr std::array<NamedCase<engine::Phase>, 8> cases{{
        {rested, "rested"},
        {paused, "paused"},
        {scrolled, "scrolled"},
        {zoomed, "zoomed"},
        {tapped, "tapped"},
        {released, "released"},
        {flicked, "flicked"},
        {chained, "chained"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::Phase>());

}  // namespace zoral::platform

namespace zoral::engine {

inline std::ostream& operator<<(std::ostream& stream, Phase phase) {
    return stream << platform::caseName(phase);
}

}  // namespace zoral::engine
