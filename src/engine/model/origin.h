#pragma once

// Where a gesture started: the kind of place, the pointer's position and screen at that moment, and
// the accessibility objects the classification settled on. A plain value: copies share the objects.

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string_view>

#include "desktop/application.h"
#include "desktop/dock_item.h"
#include "desktop/mission_control_space.h"
#include "desktop/screen.h"
#include "desktop/tab.h"
#include "desktop/ui_element.h"
#include "desktop/window.h"
#include "platform/enum_table.h"
#include "platform/geometry.h"

namespace zoral::engine {

// Stored and compared by name: the raw value is the case name.
enum class OriginType : std::uint8_t {
    window,         // anywhere on a window with the super modifier held, or a Dock tile so
    hotkey,         // the focused window, for a keyboard gesture
    mcWindow,       // a window shown while Mission Control is open
    tab,            // a browser or editor tab
    toolbar,        // a window's toolbar
    titlebar,       // the title-bar band at the top of a window
    trafficLights,  // the close, minimise or full-screen button
    dockItem,       // an application's Dock tile
    minDockItem,    // a minimised window's Dock tile
    menu,           // an item of the menu bar, the front window not in full screen
    menuFS,         // the same, the front window in full screen
    menubar,        // the menu bar itself, or the bare application element above the visible frame
    menubarFS,      // the menu bar, the front window in full screen
    mcSpace,        // a space button of Mission Control's spaces bar
};

}  // namespace zoral::engine

namespace zoral::platform {

template <>
struct EnumTable<engine::OriginType> {
    using enum engine::OriginType;
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<engine::OriginType>, 14> cases{{
        {window, "window"},
        {hotkey, "hotkey"},
        {mcWindow, "mcWindow"},
        {tab, "tab"},
        {toolbar, "toolbar"},
        {titlebar, "titlebar"},
        {trafficLights, "trafficLights"},
        {dockItem, "dockItem"},
        {minDockItem, "minDockItem"},
        {menu, "menu"},
        {menuFS, "menuFS"},
        {menubar, "menubar"},
        {menubarFS, "menubarFS"},
        {mcSpace, "mcSpace"},
    }};
};

static_assert(tableFollowsDeclarationOrder<engine::OriginType>());

}  // namespace zoral::platform

namespace zoral::engine {

inline std::ostream& operator<<(std::ostream& stream, OriginType type) {
    return stream << platform::caseName(type);
}

struct Origin {
    OriginType type = OriginType::window;
    // The pointer when the origin was made, bottom-left coordinates; for a hotkey origin the top
    // centre of the window, flipped to the same coordinates.
    platform::CGPoint location;
    // The screen under the pointer; for hotkey and Dock-tile-with-window origins the window's.
    // Empty frames while no screens are listed.
    desktop::Screen screen{platform::NSScreen({}, {}, {}), {}, {}, {}};
    desktop::UIElementRef element;
    std::shared_ptr<desktop::Window> window;
    std::shared_ptr<desktop::Tab> tab;
    std::shared_ptr<desktop::Application> application;
    std::shared_ptr<desktop::MinDockItem> minDockItem;
    std::shared_ptr<desktop::MissionControlSpace> space;
};

// An origin of the type at the pointer: its location (bottom-left coordinates) and the first
// listed screen whose uiFrame holds it (else the first screen), with no objects.
Origin makeOrigin(OriginType type);

}  // namespace zoral::engine
