#include "preferences/onboarding/onboarding_popovers.h"

#include "loginitems/login_items.h"
#include "platform/enum_table.h"
#include "preferences/onboarding/step_views.h"
#include "settings/defaults.h"

namespace zoral::preferences {

using settings::PreferencesTab;
namespace Defaults = settings::Defaults;
using Keys = settings::Defaults::Keys;

namespace {

settings::ActionUserTypeSet everyActionKind() {
    const auto all = platform::allCases<settings::ActionUserType>();
    return {all.begin(), all.end()};
}

}  // namespace

// --- OnboardingPopoverController

void OnboardingPopoverController::showTab(PreferencesTab tab) {
    if (auto preferences = preferencesController.lock())
        preferences->showTab(tab);
}

void OnboardingPopoverController::showStep(PreferencesTab tab,
                                           const std::shared_ptr<ui::View>& step) {
    showTab(tab);
    setView(step);
}

void OnboardingPopoverController::finish() {
    // The handler may drop the last other reference to this controller.
    const auto keep = shared_from_this();
    if (handler)
        handler();
    if (auto shown = popover.lock())
        shown->close();
}

// --- WelcomePopoverController

void WelcomePopoverController::loadView() {
    const auto next = [this](void (WelcomePopoverController::*step)()) {
        return actionButton("Next", [this, step] { (this->*step)(); });
    };
    const auto close = [this] { return actionButton("Close", [this] { this->close(); }); };

    welcomeView_ = stepView("Welcome to Zoral",
                            "Zoral moves, snaps and resizes windows with trackpad gestures and "
                            "hotkeys. This short tour shows where each kind of gesture is set up.",
                            {close(), next(&WelcomePopoverController::welcomeNext)});
    gesturesEnable_ = actionButton("Enable All Gestures", [this] { gesturesEnableAll(); });
    gesturesView_ =
        stepView("Gestures",
                 "Every tab lists its gestures, each in a row with a picture of the "
                 "movement. Click a row to turn that gesture on or off.",
                 {close(), gesturesEnable_, next(&WelcomePopoverController::gesturesNext)});
    windowsView_ = stepView("Windows",
                            "Swipe on a window's title bar to snap it, minimise or close it, or "
                            "move it to another screen. The Windows and Snapping tabs hold these "
                            "gestures.",
                            {close(), next(&WelcomePopoverController::windowsNext)});
    appsView_ = stepView("Apps",
                         "Swipe on an application's icon in the Dock to hide or quit it, or to "
                         "cycle through its windows.",
                         {close(), next(&WelcomePopoverController::appsNext)});
    menubarView_ = stepView("Menubar",
                            "Swipe on the menu bar to act on the frontmost application and its "
                            "windows.",
                            {close(), next(&WelcomePopoverController::menubarNext)});
    advancedView_ = stepView("Modifier Keys",
                             "Hold modifier keys to use the gestures anywhere on a window. The "
                             "Advanced tab sets which keys do what.",
                             {close(), next(&WelcomePopoverController::advancedNext)});
    hotkeysEnable_ = actionButton("Enable Hotkeys", [this] { enableHotkeys(); });
    hotkeysView_ =
        stepView("Hotkeys",
                 "The arrow keys with the modifier keys snap and move windows without "
                 "a trackpad.",
                 {close(), hotkeysEnable_, next(&WelcomePopoverController::hotkeysNext)});
    loginView_ = stepView("All Set",
                          "Zoral lives in the menu bar. Start it when you log in, so that your "
                          "gestures are always there.",
                          {close(), actionButton("Login and close", [this] { loginAndClose(); })});
    setView(welcomeView_);
}

void WelcomePopoverController::viewDidLoad() {
    showStep(PreferencesTab::general, welcomeView_);
    gesturesEnable_->setHidden(Defaults::readValue(Keys::actions()) == everyActionKind());
    hotkeysEnable_->setHidden(Defaults::readValue(Keys::hotkeys()));
}

void WelcomePopoverController::welcomeNext() {
    showStep(PreferencesTab::windows, gesturesView_);
}

void WelcomePopoverController::gesturesEnableAll() {
    Defaults::writeValue(Keys::actions(), everyActionKind());
    gesturesEnable_->setHidden(true);
}

void WelcomePopoverController::gesturesNext() {
    showStep(PreferencesTab::windows, windowsView_);
}

void WelcomePopoverController::windowsNext() {
    showStep(PreferencesTab::apps, appsView_);
}

void WelcomePopoverController::appsNext() {
    showStep(PreferencesTab::menubar, menubarView_);
}

void WelcomePopoverController::menubarNext() {
    showStep(PreferencesTab::advanced, advancedView_);
}

void WelcomePopoverController::advancedNext() {
    showStep(PreferencesTab::advanced, hotkeysView_);
}

void WelcomePopoverController::enableHotkeys() {
    Defaults::writeValue(Keys::hotkeys(), true);
    hotkeysEnable_->setHidden(true);
}

void WelcomePopoverController::hotkeysNext() {
    showStep(PreferencesTab::about, loginView_);
}

void WelcomePopoverController::loginAndClose() {
    loginitems::LoginItems::setLaunchAtLogin(true);
    close();
}

void WelcomePopoverController::close() {
    showTab(PreferencesTab::general);
    finish();
}

// --- UpdatePopoverController

void UpdatePopoverController::loadView() {
    welcomeView_ = stepView("What's New",
                            "This version of Zoral refines its gestures and snapping and brings "
                            "new options to the preferences. Have a look through the tabs.",
                            {actionButton("Close", [this] { close(); })});
    setView(welcomeView_);
}

void UpdatePopoverController::viewDidLoad() {
    showStep(PreferencesTab::general, welcomeView_);
}

void UpdatePopoverController::close() {
    finish();
}

}  // namespace zoral::preferences
