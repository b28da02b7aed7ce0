#pragma once

// The program's menus: the status menu that the status item opens and the application's main
// menu, with the controllers that are their delegate and the targets of their items.
//
// The status menu brings its items up to date each time it opens (never between openings): the
// count of performed gestures and the permission prompt, one of them shown as the permission
// allows; the display fix with the global shortcut it shares; Stage Manager's switch (only on
// systems that have Stage Manager); and ignoring the frontmost application, whose name the item
// shows in italics. The main menu's items open the preferences on their tab.
//
// `loadMainNib` makes both menus with their items, titles, separators and key equivalents, connects
// the controllers' outlets and actions, and wakes the controllers, as loading the application's
// main interface file does. Main thread only.

#include <memory>

#include "platform/menus.h"
#include "settings/preferences_tab.h"

namespace zoral::app {

class StatusMenuController : public platform::MenuDelegate,
                             public std::enable_shared_from_this<StatusMenuController> {
public:
    // The outlets, connected before awakeFromNib; held weakly, the menu owns its items.
    std::weak_ptr<platform::Menu> statusMenu;
    std::weak_ptr<platform::MenuItem> counterItem;
    std::weak_ptr<platform::MenuItem> axStatusItem;
    std::weak_ptr<platform::MenuItem> blacklistItem;
    std::weak_ptr<platform::MenuItem> fixBugItem;
    std::weak_ptr<platform::MenuItem> stageManagerItem;
    std::weak_ptr<platform::MenuItem> quitItem;
    std::weak_ptr<platform::MenuItem> restartItem;

    // Becomes the status menu's delegate; hides the Stage Manager item on systems without it.
    void awakeFromNib();

    // --- platform::MenuDelegate
    void menuWillOpen(platform::Menu& menu) override;

    // Brings every item up to date.
    void refreshMenu();
    // The ignore item's title and state for the frontmost application.
    virtual void updateBlacklistItem();

    // --- The items' actions
    void axStatusItemClicked(platform::MenuItem& sender);
    void blacklistItemClicked(platform::MenuItem& sender);
    void fixBugItemClicked(platform::MenuItem& sender);
    void stageManagerItemClicked(platform::MenuItem& sender);
    void prefsItemClicked(platform::MenuItem& sender);
    void quitItemClicked(platform::MenuItem& sender);
    void restartItemClicked(platform::MenuItem& sender);

    // Asks the system to show its Accessibility prompt; the icon and the engine follow the next
    // permission report.
    void requestAccessibility();
    // Ignores the frontmost application, or stops ignoring it; nothing without one that has a
    // bundle identifier.
    void toggleBlacklist();
    // Switches Stage Manager in the program's setting and the system's, then rebuilds the screens
    // and re-snaps the windows.
    void toggleStageManager();
};

class MainMenuController {
public:
    void prefsItemClicked(platform::MenuItem& sender);
    // Help has no page of its own: it opens the About tab too.
    void aboutItemClicked(platform::MenuItem& sender);
    void helpItemClicked(platform::MenuItem& sender);
};

// Shows the preferences window on the tab; nothing without an application delegate.
void showPreferencesTab(settings::PreferencesTab tab);

// The interface file's objects. The menus' items keep their controllers weakly: whoever loads the
// file keeps this for the program's life.
struct MainNib {
    std::shared_ptr<platform::Menu> mainMenu;
    std::shared_ptr<platform::Menu> statusMenu;
    std::shared_ptr<StatusMenuController> statusMenuController;
    std::shared_ptr<MainMenuController> mainMenuController;
};

// Makes the menus and their controllers and sets the main menu as the application's.
MainNib loadMainNib();

// The items' titles where the code does not set them.
inline constexpr const char* axStatusItemTitle = "Grant Accessibility Access…";
inline constexpr const char* fixBugItemTitle = "Fix Pinch and Swipe";
inline constexpr const char* stageManagerItemTitle = "Stage Manager";
inline constexpr const char* prefsItemTitle = "Preferences…";
inline constexpr const char* quitItemTitle = "Quit Zoral";
inline constexpr const char* restartItemTitle = "Restart Zoral";
inline constexpr const char* aboutItemTitle = "About Zoral";
inline constexpr const char* helpItemTitle = "Zoral Help";

}  // namespace zoral::app
