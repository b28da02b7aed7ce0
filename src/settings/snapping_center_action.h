#pragma once

// What the centre snap action does to a window. Stored by the case name.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "settings/raw_value.h"

namespace zoral::settings {

enum class SnappingCenterAction : std::uint8_t { centerUnsnap, center, unsnap };

template <>
struct RawValueTable<SnappingCenterAction> {
    using enum SnappingCenterAction;
    static constexpr std::string_view typeName = "SnappingCenterAction";
    static constexpr std::array<std::pair<SnappingCenterAction, std::string_view>, 3> cases{{
        {centerUnsnap, "centerUnsnap"},
        {center, "center"},
        {unsnap, "unsnap"},
    }};
};

}  // namespace zoral::settings
