#include "preferences/tabs/apps_tab.h"

#include "preferences/tabs/tab_layout.h"

namespace zoral::preferences {

namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;
using enum GestureImage;

layout::ModKeyRules generalRules() {
    return {&Keys::generalModifier(),
            &Keys::superModifier(),
            {&Keys::secondaryModifier(), &Keys::tertiaryModifier(), &Keys::screenModifier()}};
}

layout::ModKeyRules secondaryRules() {
    return {&Keys::secondaryModifier(),
            &Keys::superModifier(),
            {&Keys::generalModifier(), &Keys::tertiaryModifier(), &Keys::screenModifier()}};
}

std::vector<layout::GestureRow> dockRows() {
    const ui::Color& zoral = GestureTint::zoral();
    const ui::Color& minimize = GestureTint::minimize();
    return {
        {ActionUserType::appChain,
         "Activate",
         GestureIcon::circle,
         zoral,
         "Tap and hold to activate and chain an app's frontmost window. This allows you to apply "
         "any window gesture afterwards.",
         "You might want to disable this gesture or lower the touch sensitivity if you are "
         "experiencing trouble with right-clicking on dock icons.",
         {{hold}}},
        {ActionUserType::appCycle,
         "Cycle",
         GestureIcon::cycle,
         zoral,
         "Swipe left or right to activate and chain windows of an app in forward or backward "
         "order.",
         std::nullopt,
         {{left}, {right}}},
        {ActionUserType::appQuit,
         "Quit",
         GestureIcon::xInv,
         GestureTint::close(),
         "Pinch in to quit an application.",
         std::nullopt,
         {{inwards}, {modG, down}}},
        {ActionUserType::appMinimize,
         "Minimize",
         GestureIcon::minus,
         minimize,
         "Swipe down to minimize the frontmost window. Use the secondary modifier to minimize all "
         "windows.",
         "Alternatively, pinch in twice to minimize all windows.",
         {{down}, {mod2, down}}},
        {ActionUserType::appUnminimize,
         "Unminimize",
         GestureIcon::plus,
         minimize,
         "Swipe up to unminimize and chain the last window. Use the secondary modifier to "
         "unminimize all windows.",
         "Alternatively, pinch out twice to unminimize all windows. Unminimizing also chains the "
         "window, which allows you to apply any window gesture afterwards.",
         {{up}, {mod2, up}}},
        {ActionUserType::appHide,
         "Hide",
         GestureIcon::minus,
         zoral,
         "Double tap to hide all windows of an application. Use the secondary modifier to hide "
         "all other apps.",
         "Please make sure that the 'Smart zoom' option is checked in System Settings \u203A "
         "Trackpad \u203A Scroll & Zoom.",
         {{tap}, {mod2, tap}}},
        {ActionUserType::appNewTab,
         "New Tab",
         GestureIcon::plus,
         zoral,
         "Pinch out to open a new tab or window (\u2318N).",
         std::nullopt,
         {{outwards}, {modG, up}}},
    };
}

}  // namespace

void AppsTabController::loadNib() {
    generalModKeyControl_ = std::make_shared<ModKeyControl>();
    generalModKeyControl_->setAction(layout::writer(Keys::generalModifier()));
    secondaryModKeyControl_ = std::make_shared<ModKeyControl>();
    secondaryModKeyControl_->setAction(layout::writer(Keys::secondaryModifier()));
    appMenuCheckbox_ = layout::checkbox("Also allow app gestures on the menu bar's app menus",
                                        layout::writer(Keys::originAppMenu()));

    dockGestureStack_ = layout::column({}, 14);
    dockView_ = layout::column(
        {
            layout::sectionHead(
                "Dock",
                "Gestures that start on an app's icon in the Dock. Click an action's icon "
                "or title to turn it on or off.",
                layout::modifierRow({{"General modifier", generalModKeyControl_},
                                     {"Secondary modifier", secondaryModKeyControl_}})),
            dockGestureStack_,
            appMenuCheckbox_,
        },
        16, {20, 20, 20, 20});
}

std::vector<std::shared_ptr<ui::View>> AppsTabController::sections() const {
    return {dockView_};
}

void AppsTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    appMenuCheckbox_->setState(
        layout::stateOf(settings::Defaults::readValue(Keys::originAppMenu())));
    layout::applyModKeyRules(*generalModKeyControl_, generalRules());
    layout::applyModKeyRules(*secondaryModKeyControl_, secondaryRules());
    layout::addGestureRows(*dockGestureStack_, dockRows());
}

void AppsTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    layout::refreshModKeyControl(*generalModKeyControl_);
    layout::refreshModKeyControl(*secondaryModKeyControl_);
}

}  // namespace zoral::preferences
