#pragma once

// How readily the trackpad engine takes scrolling for a gesture; the engines index their tables by
// it. Stored by its number, 1 to 4.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "settings/raw_value.h"

namespace zoral::settings {

enum class MultitouchSensitivity : std::uint8_t { low = 1, medium = 2, high = 3, monterey = 4 };

template <>
struct RawValueTable<MultitouchSensitivity> {
    using enum MultitouchSensitivity;
    static constexpr std::string_view typeName = "MultitouchSensitivity";
    static constexpr std::array<std::pair<MultitouchSensitivity, int>, 4> cases{{
        {low, 1},
        {medium, 2},
        {high, 3},
        {monterey, 4},
    }};
};

}  // namespace zoral::settings
