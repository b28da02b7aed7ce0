#pragma once

// The user-facing kinds of action: the setting "actions" enables them one by one and
// "numberOfActions" counts each kind's executions. Stored by the case name.

#include <array>
#include <cstdint>
#include <set>
#include <string_view>

#include "platform/enum_table.h"

namespace zoral::settings {

enum class ActionUserType : std::uint8_t {
    windowQuit,
    windowClose,
    windowMinimize,
    windowFullscreen,
    windowHide,
    tabClose,
    tabDetach,
    screensMove,
    screensFullscreen,
    spacesMove,
    snapCenter,
    snapMax,
    snapHalves,
    snapVertical,
    snapQuarters,
    snapAlmost,
    snapThirds,
    snapSixths,
    snapNinths,
    appQuit,
    appMinimize,
    appUnminimize,
    appHide,
    appNewTab,
    appCycle,
    appChain,
    menubarUnsnap,
    menubarMinimize,
    menubarUnminimize,
    menubarScreens,
    menubarAppSwitcher,
    menubarScrollToTop,
    missionControlSpace,
};

using ActionUserTypeSet = std::set<ActionUserType>;

}  // namespace zoral::settings

namespace zoral::platform {

template <>
struct EnumTable<settings::ActionUserType> {
    using enum settings::ActionUserType;
    static constexpr std::string_view typeName = "ActionUserType";
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<settings::ActionUserType>, 33> cases{{
        {windowQuit, "windowQuit"},
        {windowClose, "windowClose"},
        {windowMinimize, "windowMinimize"},
        {windowFullscreen, "windowFullscreen"},
        {windowHide, "windowHide"},
        {tabClose, "tabClose"},
        {tabDetach, "tabDetach"},
        {screensMove, "screensMove"},
        {screensFullscreen, "screensFullscreen"},
        {spacesMove, "spacesMove"},
        {snapCenter, "snapCenter"},
        {snapMax, "snapMax"},
        {snapHalves, "snapHalves"},
        {snapVertical, "snapVertical"},
        {snapQuarters, "snapQuarters"},
        {snapAlmost, "snapAlmost"},
        {snapThirds, "snapThirds"},
        {snapSixths, "snapSixths"},
        {snapNinths, "snapNinths"},
        {appQuit, "appQuit"},
        {appMinimize, "appMinimize"},
        {appUnminimize, "appUnminimize"},
        {appHide, "appHide"},
        {appNewTab, "appNewTab"},
        {appCycle, "appCycle"},
        {appChain, "appChain"},
        {menubarUnsnap, "menubarUnsnap"},
        {menubarMinimize, "menubarMinimize"},
        {menubarUnminimize, "menubarUnminimize"},
        {menubarScreens, "menubarScreens"},
        {menubarAppSwitcher, "menubarAppSwitcher"},
        {menubarScrollToTop, "menubarScrollToTop"},
        {missionControlSpace, "missionControlSpace"},
    }};
};

static_assert(tableFollowsDeclarationOrder<settings::ActionUserType>());

}  // namespace zoral::platform
