#include "sim/main_menu.h"

#include <utility>

#include "platform/dispatch.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

MainMenu& MainMenu::of(World& world) {
    return world.component<MainMenu>();
}

bool MainMenu::isShown(World& world) {
    const platform::ProcessId program = world.programPid();
    return MainMenu::of(world).menu && workspace(world).frontmost(world) == program &&
           workspace(world).infoOf(program).activationPolicy == platform::ActivationPolicy::regular;
}

bool MainMenu::choose(World& world, const std::vector<std::string>& titles) {
    if (!isShown(world) || titles.empty())
        return false;
    const platform::Menu* menu = MainMenu::of(world).menu.get();
    std::shared_ptr<platform::MenuItem> chosen;
    for (const std::string& title : titles) {
        if (menu == nullptr)
            return false;
        chosen = nullptr;
        for (const auto& item : menu->visibleItems()) {
            if (!item->isSeparatorItem() && item->displayedTitle().string() == title) {
                chosen = item;
                break;
            }
        }
        if (!chosen)
            return false;
        menu = chosen->submenu.get();
    }
    if (!chosen || !chosen->enabled || !chosen->action || chosen->submenu)
        return false;
    platform::DispatchQueue::main().async([chosen] { chosen->action(*chosen); });
    return true;
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
