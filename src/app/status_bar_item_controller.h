#pragma once

// The program's item in the system's status bar. Set up once during start-up: a square item that
// opens the status menu, which the user may take out of the bar, with an icon that follows the
// Accessibility permission at every report ("MenuBarIcon" with it, "MenuBarIconError" without).
// A right press on the item opens the preferences instead of the menu. After a left click the
// item's visibility is saved in `showInMenubar` a moment later, so that taking the item out of
// the bar (a Command-drag, which ends in a left release) turns the setting off; the status bar
// itself keeps the item out at the next launch.
//
// Main thread only. The event monitor stays for the process's life, as the item does.

#include <memory>
#include <optional>

#include "app/status_item_controller.h"
#include "platform/local_events.h"
#include "platform/menus.h"
#include "platform/status_bar.h"

namespace zoral::app {

class StatusBarItemController final : public StatusItemController,
                                      public std::enable_shared_from_this<StatusBarItemController> {
public:
    // The item will open this menu.
    explicit StatusBarItemController(std::shared_ptr<platform::Menu> statusMenu);

    void setUpStatusItem() override;
    std::shared_ptr<platform::StatusItem> statusItem() const override { return statusItem_; }
    const std::shared_ptr<platform::Menu>& statusMenu() const { return statusMenu_; }

    // The handlers that the set-up installs.
    void updateStatusIcon(bool isTrusted);
    // The event to pass on, or none to consume it.
    std::optional<platform::NSEvent> statusButtonEventMonitor(const platform::NSEvent& event);
    void saveStatusItemVisibility();

    // How long after a left click the visibility is saved: long enough for an item dragged out
    // of the bar to have gone.
    static constexpr double visibilitySaveDelay = 0.1;

private:
    std::shared_ptr<platform::Menu> statusMenu_;
    std::shared_ptr<platform::StatusItem> statusItem_;
};

}  // namespace zoral::app
