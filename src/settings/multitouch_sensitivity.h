#pragma once

// How readily the trackpad engine takes scrolling for a gesture; the engines index their tables by
// it. Stored by its number, 1 to 4.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::settings {

enum class MultitouchSensitivity : std::uint8_t { low = 1, medium = 2, high = 3, monterey = 4 };

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::MultitouchSensitivity> {
    using enum settings::MultitouchSensitivity;
    static constexpr std::string_view typeName = "MultitouchSensitivity";
    static constexpr std::array<RawCase<settings::MultitouchSensitivity, int>, 4> cases{{
        {low, "low", 1},
        {medium, "medium", 2},
        {high, "high", 3},
        {monterey, "monterey", 4},
    }};
};

}  // namespace zoral::platform
