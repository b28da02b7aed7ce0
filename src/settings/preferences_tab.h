#pragma once

// The tabs of the preferences window, in sidebar order. Stored by the tab's index, 0 to 6.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::settings {

enum class PreferencesTab : std::uint8_t {
    general = 0,
    windows = 1,
    snapping = 2,
    apps = 3,
    menubar = 4,
    advanced = 5,
    about = 6,
};

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::PreferencesTab> {
    using enum settings::PreferencesTab;
    static constexpr std::string_view typeName = "PreferencesTab";
    static constexpr std::array<RawCase<settings::PreferencesTab, int>, 7> cases{{
        {general, "general", 0},
        {windows, "windows", 1},
        {snapping, "snapping", 2},
        {apps, "apps", 3},
        {menubar, "menubar", 4},
        {advanced, "advanced", 5},
        {about, "about", 6},
    }};
};

static_assert(tableFollowsDeclarationOrder<settings::PreferencesTab>());

}  // namespace zoral::platform
