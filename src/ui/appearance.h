#pragma once

// Appearances and visual-effect materials. A window shows the system's appearance unless it fixes
// one of its own; named colours and materials take their light or dark shade from it. Where the
// system would blur what lies behind a window with a material, the program draws a tinted
// translucent fill chosen by the material and the appearance.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/enum_table.h"
#include "platform/system_colors.h"

namespace zoral::ui {

enum class AppearanceName : std::uint8_t { aqua, darkAqua, vibrantDark };

// darkAqua when the system looks dark, aqua otherwise.
AppearanceName systemAppearanceName();
// A window's effective appearance: its own when it fixes one, else the system's.
AppearanceName effectiveAppearance(std::optional<AppearanceName> fixed);
bool isDark(AppearanceName appearance);

// The materials of visual-effect views, with the system's numbers.
enum class Material : std::uint8_t {
    light = 1,
    ultraDark = 9,
    hudWindow = 13,
    contentBackground = 18,
};

// The fill that stands for the material in the appearance.
platform::RGBColor materialFill(Material material, AppearanceName appearance);

}  // namespace zoral::ui

namespace zoral::platform {

template <>
struct EnumTable<ui::AppearanceName> {
    using enum ui::AppearanceName;
    static constexpr std::array<RawCase<ui::AppearanceName, std::string_view>, 3> cases{{
        {aqua, "aqua", "NSAppearanceNameAqua"},
        {darkAqua, "darkAqua", "NSAppearanceNameDarkAqua"},
        {vibrantDark, "vibrantDark", "NSAppearanceNameVibrantDark"},
    }};
};

static_assert(tableFollowsDeclarationOrder<ui::AppearanceName>());

}  // namespace zoral::platform
