#pragma once

// The keys that stand for the four directions in hotkey mode. Stored by the case name.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::settings {

enum class HotkeysArrowLayout : std::uint8_t { arrows, wasd, hjkl, ijkl, dvorak };

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::HotkeysArrowLayout> {
    using enum settings::HotkeysArrowLayout;
    static constexpr std::string_view typeName = "HotkeysArrowLayout";
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<settings::HotkeysArrowLayout>, 5> cases{{
        {arrows, "arrows"},
        {wasd, "wasd"},
        {hjkl, "hjkl"},
        {ijkl, "ijkl"},
        {dvorak, "dvorak"},
    }};
};

static_assert(tableFollowsDeclarationOrder<settings::HotkeysArrowLayout>());

}  // namespace zoral::platform
