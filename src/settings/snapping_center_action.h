#pragma once

// What the centre snap action does to a window. Stored by the case name.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::settings {

enum class SnappingCenterAction : std::uint8_t { centerUnsnap, center, unsnap };

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::SnappingCenterAction> {
    using enum settings::SnappingCenterAction;
    static constexpr std::string_view typeName = "SnappingCenterAction";
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<settings::SnappingCenterAction>, 3> cases{{
        {centerUnsnap, "centerUnsnap"},
        {center, "center"},
        {unsnap, "unsnap"},
    }};
};

static_assert(tableFollowsDeclarationOrder<settings::SnappingCenterAction>());

}  // namespace zoral::platform
