#pragma once

// The menu bar as applications show it to the accessibility interface: each application's
// "AXMenuBar" (what its "AXMenuBar" attribute names) holds its menu-bar items, the system menu
// first, then the application menu named after the process, then the menus given, left to right.
// Status items ("AXMenuBarItem" with subrole "AXMenuExtra") belong to the processes that put them
// there and lie at the right end of the bar, in front of it, right to left in the order added;
// an item that leaves the bar leaves no gap.
//
// Every display shows the front application's menu bar; the bar and the items lie in the menu-bar
// band of the display under the pointer, so that the display the user reaches answers them. The
// window server draws only the front application's bar; above the visible frame, where no item
// lies, the front application's element answers (sim/window_server.h).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "sim/tabs.h"

namespace zoral::sim {

class World;

// A status item's place in the bar: how wide it is, and whether it is in the bar now (an item out
// of the bar has no frame and is never hit).
struct StatusItemSlot {
    double width = 0;
    bool shown = true;
};

struct MenuBarElements {
    std::shared_ptr<LaidOutNode> bar;
    // The system menu, the application menu, then the menus given.
    std::vector<std::shared_ptr<LaidOutNode>> items;
};

// A menu bar as it was added: its elements and the menus given.
struct AddedMenuBar {
    MenuBarElements elements;
    std::vector<std::string> menus;
};

// A status item still in the world, and its place in the bar.
struct AddedStatusItem {
    std::shared_ptr<LaidOutNode> node;
    std::shared_ptr<StatusItemSlot> slot;
};

class MenuBar {
public:
    // Space before the first item and after the last status item, and the width of an item's
    // title per character and around it.
    static constexpr double edgeInset = 10;
    static constexpr double characterWidth = 7;
    static constexpr double itemPadding = 18;

    // Adds the process's menu bar with the menus given.
    static MenuBarElements add(World& world, platform::ProcessId pid,
                               const std::vector<std::string>& menus);
    // Adds a status item of the process, left of the status items added before, as wide as its
    // title unless a slot says otherwise.
    static std::shared_ptr<LaidOutNode> addStatusItem(
        World& world, platform::ProcessId pid, const std::string& title,
        std::shared_ptr<StatusItemSlot> slot = nullptr);

    // The menu bar added for the process, when one was and its application still holds it.
    static std::optional<AddedMenuBar> barOf(World& world, platform::ProcessId pid);
    // The status items of every process, in the order added.
    static std::vector<AddedStatusItem> statusItems(World& world);

    // The width an item with the title takes.
    static double itemWidth(const std::string& title);
};

}  // namespace zoral::sim
