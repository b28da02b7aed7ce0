#include "sim/main_menu.h"

#include <utility>

#include "sim/world.h"

namespace zoral::sim {

MainMenu& MainMenu::of(World& world) {
    return world.component<MainMenu>();
}

}  // namespace zoral::sim

namespace zoral::platform {

std::shared_ptr<Menu> mainMenu() {
    return sim::MainMenu::of(sim::World::current()).menu;
}

void setMainMenu(std::shared_ptr<Menu> menu) {
    sim::MainMenu::of(sim::World::current()).menu = std::move(menu);
}

}  // namespace zoral::platform
