#pragma once

// The kinds of application whose tabs the program handles; the setting "tabApps" holds a set of
// them. Stored by the case name.

#include <array>
#include <cstdint>
#include <set>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::settings {

enum class TabAppType : std::uint8_t { native, safari, chrome, edge, arc, xcode, vscode };

using TabAppTypeSet = std::set<TabAppType>;

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::TabAppType> {
    using enum settings::TabAppType;
    static constexpr std::string_view typeName = "TabAppType";
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<settings::TabAppType>, 7> cases{{
        {native, "native"},
        {safari, "safari"},
        {chrome, "chrome"},
        {edge, "edge"},
        {arc, "arc"},
        {xcode, "xcode"},
        {vscode, "vscode"},
    }};
};

static_assert(tableFollowsDeclarationOrder<settings::TabAppType>());

}  // namespace zoral::platform
