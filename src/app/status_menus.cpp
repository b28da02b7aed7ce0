#include "app/status_menus.h"

#include <string>
#include <utility>

#include "app/app_delegate.h"
#include "desktop/ax_access.h"
#include "desktop/shell_command.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snap_engine.h"
#include "platform/screens.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "shortcuts/menu_item.h"

namespace zoral::app {

namespace {

using platform::ControlStateValue;
using platform::MenuItem;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;

// Stage Manager came with the system 13.
constexpr platform::OperatingSystemVersion stageManagerSystem{13, 0, 0};
constexpr std::string_view windowManagerDomain = "com.apple.WindowManager";
constexpr std::string_view stageManagerEnabledKey = "GloballyEnabled";

// The system font in italics, for the name of the application in the ignore item.
platform::Font emphasisFont() {
    const platform::Font system = platform::Font::systemFontOfSize(0);
    return system.withSymbolicTraits(platform::FontSymbolicTraits::italic).value_or(system);
}

// The item's action calls the member on the controller while it lives.
template <typename Controller>
MenuItem::Action action(const std::shared_ptr<Controller>& controller,
                        void (Controller::*member)(MenuItem&)) {
    return [weak = std::weak_ptr<Controller>(controller), member](MenuItem& sender) {
        if (const auto self = weak.lock())
            ((*self).*member)(sender);
    };
}

std::shared_ptr<MenuItem> item(std::string title, MenuItem::Action action,
                               std::string keyEquivalent = "") {
    auto made = MenuItem::make(std::move(title), std::move(keyEquivalent));
    made->action = std::move(action);
    return made;
}

}  // namespace

void StatusMenuController::awakeFromNib() {
    if (const auto menu = statusMenu.lock())
        menu->delegate = weak_from_this();
    if (!platform::isOperatingSystemAtLeast(stageManagerSystem)) {
        if (const auto item = stageManagerItem.lock())
            item->hidden = true;
    }
}

void StatusMenuController::menuWillOpen(platform::Menu& /*menu*/) {
    refreshMenu();
}

void StatusMenuController::refreshMenu() {
    const bool trusted = desktop::AXAccess::shared().isTrusted();
    if (const auto counter = counterItem.lock()) {
        // The same word for every count, one included.
        counter->setTitle(std::to_string(readValue(Keys::numberOfZodiriz())) + " Zodiriz");
        counter->hidden = !trusted;
    }
    if (const auto prompt = axStatusItem.lock())
        prompt->hidden = trusted;
    if (const auto fix = fixBugItem.lock())
        shortcuts::GlobalShortcuts::bindKeyboardShortcut(*fix, fixPinchAndSwipe());
    if (const auto stage = stageManagerItem.lock()) {
        stage->state =
            readValue(Keys::stageManagerMode()) ? ControlStateValue::on : ControlStateValue::off;
    }
    updateBlacklistItem();
}

void StatusMenuController::updateBlacklistItem() {
    const auto item = blacklistItem.lock();
    if (!item)
        return;
    const auto frontmost = platform::frontmostApplication();
    const std::string name =
        frontmost && frontmost->localizedName ? *frontmost->localizedName : std::string("?");
    const bool ignored = frontmost && frontmost->bundleIdentifier &&
                         readValue(Keys::blacklist()).contains(*frontmost->bundleIdentifier);
    platform::AttributedString title;
    if (ignored) {
        item->state = ControlStateValue::on;
        title.append("Ignoring ");
        title.append(name, emphasisFont());
    } else {
        item->state = ControlStateValue::off;
        title.append("Ignore ");
        title.append(name + " ...", emphasisFont());
    }
    item->setAttributedTitle(std::move(title));
}

void StatusMenuController::axStatusItemClicked(MenuItem& /*sender*/) {
    requestAccessibility();
}

void StatusMenuController::blacklistItemClicked(MenuItem& /*sender*/) {
    toggleBlacklist();
}

void StatusMenuController::fixBugItemClicked(MenuItem& /*sender*/) {
    (void)desktop::runShellCommand(displaySleepCommand);
}

void StatusMenuController::stageManagerItemClicked(MenuItem& /*sender*/) {
    toggleStageManager();
}

void StatusMenuController::prefsItemClicked(MenuItem& /*sender*/) {
    if (const auto delegate = appDelegate())
        delegate->preferencesController().show();
}

void StatusMenuController::quitItemClicked(MenuItem& /*sender*/) {
    if (const auto delegate = appDelegate())
        delegate->terminate();
}

void StatusMenuController::restartItemClicked(MenuItem& /*sender*/) {
    if (const auto delegate = appDelegate())
        delegate->relaunch(0.5);
}

void StatusMenuController::requestAccessibility() {
    desktop::AXAccess::shared().promptForAccess();
}

void StatusMenuController::toggleBlacklist() {
    const auto frontmost = platform::frontmostApplication();
    if (!frontmost || !frontmost->bundleIdentifier)
        return;
    auto ignored = readValue(Keys::blacklist());
    if (!ignored.erase(*frontmost->bundleIdentifier))
        ignored.insert(*frontmost->bundleIdentifier);
    writeValue(Keys::blacklist(), ignored);
}

void StatusMenuController::toggleStageManager() {
    const bool enabled = !readValue(Keys::stageManagerMode());
    writeValue(Keys::stageManagerMode(), enabled);
    if (const auto windowManager = platform::UserDefaults::suite(windowManagerDomain))
        windowManager->setBool(enabled, stageManagerEnabledKey);
    engine::reinitializeScreens();
    engine::resnapAllWindows();
}

void MainMenuController::prefsItemClicked(MenuItem& /*sender*/) {
    showPreferencesTab(settings::PreferencesTab::general);
}

void MainMenuController::aboutItemClicked(MenuItem& /*sender*/) {
    showPreferencesTab(settings::PreferencesTab::about);
}

void MainMenuController::helpItemClicked(MenuItem& /*sender*/) {
    showPreferencesTab(settings::PreferencesTab::about);
}

void showPreferencesTab(settings::PreferencesTab tab) {
    const auto delegate = appDelegate();
    if (!delegate)
        return;
    delegate->preferencesController().show();
    delegate->preferencesController().showTab(tab);
}

MainNib loadMainNib() {
    MainNib nib;
    nib.statusMenuController = std::make_shared<StatusMenuController>();
    nib.mainMenuController = std::make_shared<MainMenuController>();
    const auto& status = nib.statusMenuController;
    const auto& main = nib.mainMenuController;

    // The counter only tells: without an action it shows dimmed, as the system shows such items.
    const auto counter = MenuItem::make("0 Zodiriz");
    counter->enabled = false;
    const auto prompt =
        item(axStatusItemTitle, action(status, &StatusMenuController::axStatusItemClicked));
    const auto ignore = item("", action(status, &StatusMenuController::blacklistItemClicked));
    const auto fix =
        item(fixBugItemTitle, action(status, &StatusMenuController::fixBugItemClicked));
    const auto stage =
        item(stageManagerItemTitle, action(status, &StatusMenuController::stageManagerItemClicked));
    const auto prefs =
        item(prefsItemTitle, action(status, &StatusMenuController::prefsItemClicked), ",");
    const auto quit =
        item(quitItemTitle, action(status, &StatusMenuController::quitItemClicked), "q");
    const auto restart =
        item(restartItemTitle, action(status, &StatusMenuController::restartItemClicked));
    nib.statusMenu = std::make_shared<platform::Menu>(
        "Zoral",
        std::vector{counter, prompt, MenuItem::separatorItem(), ignore, fix, stage,
                    MenuItem::separatorItem(), prefs, MenuItem::separatorItem(), quit, restart});
    status->statusMenu = nib.statusMenu;
    status->counterItem = counter;
    status->axStatusItem = prompt;
    status->blacklistItem = ignore;
    status->fixBugItem = fix;
    status->stageManagerItem = stage;
    status->quitItem = quit;
    status->restartItem = restart;

    const auto applicationItem = MenuItem::make("Zoral");
    applicationItem->submenu = std::make_shared<platform::Menu>(
        "Zoral",
        std::vector{
            item(aboutItemTitle, action(main, &MainMenuController::aboutItemClicked)),
            MenuItem::separatorItem(),
            item(prefsItemTitle, action(main, &MainMenuController::prefsItemClicked), ",")});
    const auto helpMenuItem = MenuItem::make("Help");
    helpMenuItem->submenu = std::make_shared<platform::Menu>(
        "Help",
        std::vector{item(helpItemTitle, action(main, &MainMenuController::helpItemClicked), "?")});
    nib.mainMenu =
        std::make_shared<platform::Menu>("Main Menu", std::vector{applicationItem, helpMenuItem});

    status->awakeFromNib();
    platform::setMainMenu(nib.mainMenu);
    return nib;
}

}  // namespace zoral::app
