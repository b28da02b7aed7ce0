#pragma once

// The keys that stand for the four directions in hotkey mode. Stored by the case name.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "settings/raw_value.h"

namespace zoral::settings {

enum class HotkeysArrowLayout : std::uint8_t { arrows, wasd, hjkl, ijkl, dvorak };

template <>
struct RawValueTable<HotkeysArrowLayout> {
    using enum HotkeysArrowLayout;
    static constexpr std::string_view typeName = "HotkeysArrowLayout";
    static constexpr std::array<std::pair<HotkeysArrowLayout, std::string_view>, 5> cases{{
        {arrows, "arrows"},
        {wasd, "wasd"},
        {hjkl, "hjkl"},
        {ijkl, "ijkl"},
        {dvorak, "dvorak"},
    }};
};

}  // namespace zoral::settings
