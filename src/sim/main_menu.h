#pragma once

// The program's main menu (platform/menus.h), as the system keeps it for the program's process.
// An accessory program has no menu bar of its own: the menu serves the key equivalent searches
// of the program. While the program is a regular application and the frontmost one (its
// preferences window makes it so), the menu bar shows its main menu, and the user can choose an
// item there by the titles that lead to it: the item's action runs on the main queue.
//
// A component of the world: MainMenu::of(world). Main thread only.

#include <memory>
#include <string>
#include <vector>

#include "platform/menus.h"

namespace zoral::sim {

class World;

class MainMenu {
public:
    static MainMenu& of(World& world);

    // Whether the menu bar shows the program's menus now.
    static bool isShown(World& world);
    // Chooses an item of the main menu by its titles (a menu of the bar, then the items that lead
    // to it); false, changing nothing, while the bar does not show the program's menus or it has
    // no such item that can be chosen (hidden, disabled, a separator, without an action).
    static bool choose(World& world, const std::vector<std::string>& titles);

    std::shared_ptr<platform::Menu> menu;
};

}  // namespace zoral::sim
