#pragma once

// The kinds of application whose tabs the program handles; the setting "tabApps" holds a set of
// them. Stored by the case name.

#include <array>
#include <cstdint>
#include <set>
#include <string_view>
#include <utility>

#include "settings/raw_value.h"

namespace zoral::settings {

enum class TabAppType : std::uint8_t { native, safari, chrome, edge, arc, xcode, vscode };

using TabAppTypeSet = std::set<TabAppType>;

template <>
struct RawValueTable<TabAppType> {
    using enum TabAppType;
    static constexpr std::string_view typeName = "TabAppType";
    static constexpr std::array<std::pair<TabAppType, std::string_view>, 7> cases{{
        {native, "native"},
        {safari, "safari"},
        {chrome, "chrome"},
        {edge, "edge"},
        {arc, "arc"},
        {xcode, "xcode"},
        {vscode, "vscode"},
    }};
};

}  // namespace zoral::settings
