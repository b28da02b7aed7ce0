#pragma once

// A status item shown in the desktop session's system tray, where a graphical session offers one
// (never offscreen): the button's image, drawn as the menu bar draws it for the system's
// appearance, while the item is visible. A click goes the way a press on the status item goes: a
// right click as a right press, a left click as a left press and release, each an event of the
// button's window through the program's local monitors (platform/local_events.h); a press that
// passes them opens the item's menu, made afresh from the menu after its delegate was told, as the
// status bar opens it. Choosing an entry runs the item's action; closing tells the delegate.
//
// Main thread only; the tray follows the item as the toolkit's event loop turns.

#include <memory>

#include "platform/events.h"
#include "platform/status_bar.h"

namespace zoral::ui {

class SystemTray {
public:
    // Whether the session has a tray to show items in.
    static bool isAvailable();

    explicit SystemTray(std::shared_ptr<platform::StatusItem> item);
    ~SystemTray();
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    // Brings the tray's icon up to date with the item (its image, its visibility).
    void refresh();
    // A click on the tray's icon; true when the item's menu opened.
    bool click(platform::CGMouseButton button);
    // Whether the item's menu is open.
    bool isMenuOpen() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zoral::ui
