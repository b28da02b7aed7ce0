#pragma once

// The simulated system status bar (platform/status_bar.h). The program's items are status items
// of the menu bar (sim/menu_bar.h): windows of the program's process at the status level, at the
// right end of the bar of every display, as wide as their length, out of the bar (never hit, no
// frame) while invisible. A press on an item is the status bar's, and activates nothing:
//   - with Command held, the left button takes the item along the bar; letting go outside the
//     menu bar takes an item whose behaviour allows it out of the bar: it vanishes `removalDelay`
//     after the release (the code that reads its visibility at the release itself still finds it
//     visible) and stays invisible, remembered so. Otherwise it stays where it was. The release
//     goes on to the program.
//   - every other press goes to the program as an event of the button's window, through its local
//     monitors (sim/local_event_monitors.h); a left or right press that passes them opens the
//     item's menu, after the menu's delegate was told. The release goes the same way.
// The program handles its events on the main queue, as its run loop takes them from its queue.
//
// An open menu tracks the pointer and the keyboard: every press and key goes to it, and a press
// anywhere or Escape closes it. The user chooses an item of the open menu by its title (and the
// titles of the submenus that lead to it): the menu closes, its delegate is told, and the item's
// action runs, all on the main queue. Hidden, disabled and separator items cannot be chosen, nor
// can items without an action.
//
// The status bar remembers every item's visibility under its autosave name, in the system's
// settings (sim/system_settings.h), whoever changes it; a new world on the same home is the
// program's next launch.
//
// A component of the world: SystemStatusBar::of(world). Main thread only.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/geometry.h"
#include "platform/local_events.h"
#include "platform/menus.h"
#include "platform/status_bar.h"

namespace zoral::sim {

class World;
class InputPipeline;
class Node;

class SystemStatusBar : public platform::StatusBar {
public:
    // The bar's thickness without a display to take it from.
    static constexpr double defaultThickness = 24;
    // How long a removed item takes to vanish after the release.
    static constexpr double removalDelay = 0.05;

    explicit SystemStatusBar(World& world);
    ~SystemStatusBar() override;
    SystemStatusBar(const SystemStatusBar&) = delete;
    SystemStatusBar& operator=(const SystemStatusBar&) = delete;

    static SystemStatusBar& of(World& world);
    // Its receivers of presses and its menu tracking.
    static void registerInput(InputPipeline& pipeline);

    // --- platform::StatusBar
    std::shared_ptr<platform::StatusItem> statusItemWithLength(double length) override;
    void removeStatusItem(platform::StatusItem& item) override;
    // The menu bar's height on the main display.
    double thickness() const override;

    // --- What the user sees
    // The program's items in the bar or out of it, oldest first.
    std::vector<std::shared_ptr<platform::StatusItem>> items() const;
    // Where the item lies in the menu bar under the pointer (top-left coordinates); none while it
    // is out of the bar.
    std::optional<platform::CGRect> frameOf(const platform::StatusItem& item) const;
    // The item's element in the accessibility tree and the window server.
    std::shared_ptr<Node> nodeOf(const platform::StatusItem& item) const;
    // The menu that is open, and the item it opened from; none while no menu is open.
    std::shared_ptr<platform::Menu> openMenu() const;
    std::shared_ptr<platform::StatusItem> openMenuItem() const;
    // How many times a menu opened.
    std::size_t menuOpenings() const { return openings_; }

    // --- The user's hands
    // Chooses an item of the open menu by the titles that lead to it; false, changing nothing,
    // when no menu is open or it shows no such item that can be chosen.
    bool choose(const std::vector<std::string>& titles);

private:
    class Item;
    class Grab;

    std::shared_ptr<Item> itemWithNode(const Node& node) const;
    // Hands the event to the program: its monitors, then the item.
    void deliver(const std::shared_ptr<Item>& item, const platform::CGEvent& event);
    void received(const std::shared_ptr<Item>& item, const platform::NSEvent& event);
    void open(const std::shared_ptr<Item>& item);
    // Closes the open menu and tells its delegate; on the main queue.
    void dismiss();
    bool track(const platform::CGEvent& event);
    void dropped(const std::shared_ptr<Item>& item, const platform::CGEvent& release);

    World& world_;
    // The system's own queue, on which removed items vanish.
    platform::DispatchQueue queue_;
    std::vector<std::weak_ptr<Item>> items_;
    std::size_t made_ = 0;
    std::weak_ptr<Item> openItem_;
    std::shared_ptr<platform::Menu> openMenu_;
    std::size_t openings_ = 0;
};

}  // namespace zoral::sim
