#include "preferences/tabs/menubar_tab.h"

#include "preferences/tabs/tab_layout.h"

namespace zoral::preferences {

namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;
using enum GestureImage;

layout::ModKeyRules menubarRules() {
    return {&Keys::secondaryModifier(),
            &Keys::superModifier(),
            {&Keys::generalModifier(), &Keys::tertiaryModifier(), &Keys::screenModifier()}};
}

layout::ModKeyRules screensRules() {
    return {&Keys::screenModifier(),
            &Keys::superModifier(),
            {&Keys::generalModifier(), &Keys::secondaryModifier(), &Keys::tertiaryModifier()}};
}

std::vector<layout::GestureRow> menubarRows() {
    const ui::Color& zoral = GestureTint::zoral();
    const ui::Color& minimize = GestureTint::minimize();
    return {
        {ActionUserType::menubarAppSwitcher,
         "App Switcher",
         GestureIcon::app,
         zoral,
         "Tap, hold and scroll to invoke the \u2318-tab app switcher or swipe left/right to "
         "directly activate the previous/next app.",
         std::nullopt,
         {{hold}, {left, right}}},
        {ActionUserType::menubarUnsnap,
         "Unsnap",
         GestureIcon::snapUnsnap,
         zoral,
         "Double tap to unsnap all windows on the current screen. Use the secondary modifier for "
         "all screens.",
         std::nullopt,
         {{tap}, {mod2, tap}}},
        {ActionUserType::menubarMinimize,
         "Minimize",
         GestureIcon::minus,
         minimize,
         "Swipe down to minimize all windows. Once for the current screen, twice or with the "
         "secondary modifier for all.",
         std::nullopt,
         {{down}, {mod2, down}}},
        {ActionUserType::menubarUnminimize,
         "Unminimize",
         GestureIcon::plus,
         minimize,
         "Swipe up to unminimize all windows. Once for the current screen, twice or with the "
         "secondary modifier for all.",
         std::nullopt,
         {{up}, {mod2, up}}},
        {ActionUserType::menubarScreens,
         "Screens",
         GestureIcon::screens,
         zoral,
         "Swipe up, down, left or right to move all snapped windows to the next screen in that "
         "direction.",
         std::nullopt,
         {{modS, left, up, down, right}}},
    };
}

std::vector<layout::GestureRow> missionControlRows() {
    return {
        {ActionUserType::missionControlSpace,
         "Screens",
         GestureIcon::screens,
         GestureTint::zoral(),
         "Swipe up, down, left or right to move a Mission Control space (desktop or fullscreen "
         "app) to the next screen in that direction.",
         "Please note that some windows, e.g. the currently active desktop, cannot be moved.",
         {{left, up, down, right}}},
    };
}

}  // namespace

void MenubarTabController::loadNib() {
    menubarModKeyControl_ = std::make_shared<ModKeyControl>();
    menubarModKeyControl_->setAction(layout::writer(Keys::secondaryModifier()));
    screensModKeyControl_ = std::make_shared<ModKeyControl>();
    screensModKeyControl_->setAction(layout::writer(Keys::screenModifier()));

    menubarGestureStack_ = layout::column({}, 14);
    menubarView_ = layout::column(
        {
            layout::sectionHead(
                "Menu Bar",
                "Gestures that start on the menu bar. Click an action's icon or title to "
                "turn it on or off.",
                layout::modifierRow({{"Secondary modifier", menubarModKeyControl_},
                                     {"Screen modifier", screensModKeyControl_}})),
            menubarGestureStack_,
        },
        16, {20, 20, 0, 20});

    missionControlGestureStack_ = layout::column({}, 14);
    missionControlView_ = layout::column(
        {
            layout::sectionHead("Mission Control",
                                "Gestures that start on a space at the top of Mission Control."),
            missionControlGestureStack_,
        },
        16, {0, 20, 20, 20});
}

std::vector<std::shared_ptr<ui::View>> MenubarTabController::sections() const {
    return separated({menubarView_, missionControlView_});
}

void MenubarTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    layout::applyModKeyRules(*menubarModKeyControl_, menubarRules());
    layout::applyModKeyRules(*screensModKeyControl_, screensRules());
    layout::addGestureRows(*menubarGestureStack_, menubarRows());
    layout::addGestureRows(*missionControlGestureStack_, missionControlRows());
}

void MenubarTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    layout::refreshModKeyControl(*menubarModKeyControl_);
    layout::refreshModKeyControl(*screensModKeyControl_);
}

}  // namespace zoral::preferences
