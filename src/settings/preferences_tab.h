#pragma once

// The tabs of the preferences window, in sidebar order. Stored by the tab's index, 0 to 6.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "settings/raw_value.h"

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

template <>
struct RawValueTable<PreferencesTab> {
    using enum PreferencesTab;
    static constexpr std::string_view typeName = "PreferencesTab";
    static constexpr std::array<std::pair<PreferencesTab, int>, 7> cases{{
        {general, 0},
        {windows, 1},
        {snapping, 2},
        {apps, 3},
        {menubar, 4},
        {advanced, 5},
        {about, 6},
    }};
};

}  // namespace zoral::settings
