#pragma once

// The key of the centre (undo) action in hotkey mode. Stored by the case name.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/enum_table.h"

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

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::HotkeysCenterLayout> {
    using enum settings::HotkeysCenterLayout;
    static constexpr std::string_view typeName = "HotkeysCenterLayout";
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<settings::HotkeysCenterLayout>, 6> cases{{
        {escape, "escape"},
        {backspace, "backspace"},
        {return_, "return"},
        {letterX, "letterX"},
        {letterQ, "letterQ"},
        {letterO, "letterO"},
    }};
};

static_assert(tableFollowsDeclarationOrder<settings::HotkeysCenterLayout>());

}  // namespace zoral::platform
