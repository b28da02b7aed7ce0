#pragma once

// Per-edge rectangle arithmetic: how far a rectangle lies inside another on each side, and the
// rectangle those distances cut out of another one.

#include <array>
#include <cstdint>
#include <map>

#include "platform/enum_table.h"
#include "platform/geometry.h"

namespace zoral::desktop {

enum class CGRectEdge : std::uint8_t { left, right, top, bottom };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::CGRectEdge> {
    using enum desktop::CGRectEdge;
    static constexpr std::array<NamedCase<desktop::CGRectEdge>, 4> cases{{
        {left, "left"},
        {right, "right"},
        {top, "top"},
        {bottom, "bottom"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::CGRectEdge>());

}  // namespace zoral::platform

namespace zoral::desktop {

// A missing edge counts as 0.
using EdgeDistances = std::map<CGRectEdge, double>;

// How far inner lies inside outer on each side; negative where it sticks out. y grows downwards,
// so top is the distance between the minimum y edges.
EdgeDistances edgeDistances(const platform::CGRect& inner, const platform::CGRect& outer);

// The rectangle moved in by the distances; applying edgeDistances(r, o) to o gives r back.
platform::CGRect applyingEdgeDistances(const platform::CGRect& rect,
                                       const EdgeDistances& distances);

}  // namespace zoral::desktop
