#pragma once

// The program's main menu (platform/menus.h), as the system keeps it for the program's process.
// The program is an accessory one, without a menu bar of its own: the menu serves the key
// equivalent searches of the program.
//
// A component of the world: MainMenu::of(world). Main thread only.

#include <memory>

#include "platform/menus.h"

namespace zoral::sim {

class World;

class MainMenu {
public:
    static MainMenu& of(World& world);

    std::shared_ptr<platform::Menu> menu;
};

}  // namespace zoral::sim
