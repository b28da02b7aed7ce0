#pragma once

// The key of the centre (undo) action in hotkey mode. Stored by the case name.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "settings/raw_value.h"

namespace zoral::settings {

// "return" is a keyword: the case is return_, its stored raw value stays "return".
enum class HotkeysCenterLayout : std::uint8_t {
    escape,
    backspace,
    return_,
    letterX,
    letterQ,
    letterO
};

template <>
struct RawValueTable<HotkeysCenterLayout> {
    using enum HotkeysCenterLayout;
    static constexpr std::string_view typeName = "HotkeysCenterLayout";
    static constexpr std::array<std::pair<HotkeysCenterLayout, std::string_view>, 6> cases{{
        {escape, "escape"},
        {backspace, "backspace"},
        {return_, "return"},
        {letterX, "letterX"},
        {letterQ, "letterQ"},
        {letterO, "letterO"},
    }};
};

}  // namespace zoral::settings
