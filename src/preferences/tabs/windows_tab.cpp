#include "preferences/tabs/windows_tab.h"

#include "preferences/tabs/tab_layout.h"

namespace zoral::preferences {

namespace {

using settings::ActionUserType;
using settings::TabAppType;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;

constexpr const char* closeTitle = "Close";
constexpr const char* closeInfo =
    "Alternatively, swipe down once while holding the general modifier.";

// By stack, top to bottom.
const std::vector<layout::GestureRow>& generalRows() {
    using enum GestureImage;
    static const std::vector<layout::GestureRow> rows{
        {ActionUserType::windowQuit,
         "Quit",
         GestureIcon::xInv,
         GestureTint::close(),
         "Pinch in twice to quit an application.",
         "You can also try to tap, hold and pinch in once, but this might not work reliably.\n\n"
         "Alternatively, while holding the general modifier, swipe down twice or tap, hold and "
         "swipe down once.",
         {{inwards, inwards}, {modG, down, down}}},
        {ActionUserType::windowClose,
         closeTitle,
         GestureIcon::x,
         GestureTint::close(),
         "Pinch in once to close a window.",
         closeInfo,
         {{inwards}, {modG, down}}},
        {ActionUserType::windowMinimize,
         "Minimize",
         GestureIcon::minus,
         GestureTint::minimize(),
         "Swipe down once to minimize a window.",
         "In fullscreen mode, tap and hold before swiping down.",
         {{down}, {hold, down}}},
        {ActionUserType::windowFullscreen,
         "Fullscreen",
         GestureIcon::zoom,
         GestureTint::fullscreen(),
         "Pinch out or tap, hold and swipe up to enter or exit fullscreen mode.",
         std::nullopt,
         {{outwards}, {hold, up}}},
        {ActionUserType::windowHide,
         "Hide",
         GestureIcon::minus,
         GestureTint::zoral(),
         "Double tap with the general modifier to hide all windows of an application. Use the "
         "secondary modifier to hide all other apps.",
         "Please make sure that the 'Smart zoom' option is checked in System Settings \u203A "
         "Trackpad \u203A Scroll & Zoom.",
         {{modG, tap}, {mod2, tap}}},
        {ActionUserType::spacesMove,
         "Spaces",
         GestureIcon::screensInv,
         GestureTint::zoral(),
         "Tap, hold and swipe or use the general modifier to move a window between Mission "
         "Control spaces.",
         "Please make sure that the default values '\u2303\u2190' and '\u2303\u2192' are set for "
         "System Settings \u203A Keyboard \u203A Shortcuts \u203A Mission Control \u203A Move "
         "left/right a space.",
         {{hold, left, right}, {modG, left, right}}},
    };
    return rows;
}

const std::vector<layout::GestureRow>& tabRows() {
    using enum GestureImage;
    static const std::vector<layout::GestureRow> rows{
        {ActionUserType::tabClose,
         closeTitle,
         GestureIcon::x,
         GestureTint::zoral(),
         "Pinch in to close a tab.",
         closeInfo,
         {{inwards}, {modG, down}}},
        {ActionUserType::tabDetach,
         "Detach",
         GestureIcon::circle,
         GestureTint::zoral(),
         "Tap and hold to detach a native tab into a new window. Follow up with any other "
         "gesture.",
         std::nullopt,
         {{hold}}},
    };
    return rows;
}

const std::vector<layout::GestureRow>& screenRows() {
    using enum GestureImage;
    static const std::vector<layout::GestureRow> rows{
        {ActionUserType::screensMove,
         "Screens",
         GestureIcon::screens,
         GestureTint::zoral(),
         "Swipe up, down, left or right to move a window to the next screen in that direction.",
         std::nullopt,
         {{modS, left, up, down, right}}},
        {ActionUserType::screensFullscreen,
         "Fullscreen",
         GestureIcon::zoom,
         GestureTint::fullscreen(),
         "On a two screen setup, use the screen modifier or pinch out twice to directly enter "
         "fullscreen mode on the other screen.",
         "Alternatively, tap, hold and pinch also works.",
         {{outwards, outwards}, {modS, outwards}}},
    };
    return rows;
}

// Adds or removes the kind, whatever the checkbox shows.
ui::Control::Action tabAppToggle(TabAppType type) {
    return [type](ui::Control&) {
        auto apps = readValue(Keys::tabApps());
        if (!apps.erase(type))
            apps.insert(type);
        writeValue(Keys::tabApps(), apps);
    };
}

}  // namespace

void WindowsTabController::loadNib() {
    generalModKeyControl_ = std::make_shared<ModKeyControl>();
    generalModKeyControl_->setAction(layout::writer(Keys::generalModifier()));
    missionControlCheckbox_ = layout::checkbox("Start gestures on windows in Mission Control",
                                               layout::writer(Keys::originMissionControl()));
    generalGestureStack_ = layout::column({}, 10);
    generalView_ = layout::section(
        "Windows",
        {layout::row({layout::caption("General modifier", 130), generalModKeyControl_}),
         missionControlCheckbox_, generalGestureStack_},
        20);

    tabNativeCheckbox_ = layout::checkbox("Native tabs", tabAppToggle(TabAppType::native));
    tabSafariCheckbox_ = layout::checkbox("Safari", tabAppToggle(TabAppType::safari));
    tabChromeCheckbox_ = layout::checkbox("Chrome", tabAppToggle(TabAppType::chrome));
    tabArcCheckbox_ = layout::checkbox("Arc", tabAppToggle(TabAppType::arc));
    tabXcodeCheckbox_ = layout::checkbox("Xcode", tabAppToggle(TabAppType::xcode));
    tabVscodeCheckbox_ = layout::checkbox("VS Code", tabAppToggle(TabAppType::vscode));
    tabsGestureStack_ = layout::column({}, 10);
    tabsView_ = layout::section(
        "Tabs",
        {layout::lineNote("The tab gestures work in the tabs of these applications:"),
         layout::row({tabNativeCheckbox_, tabSafariCheckbox_, tabChromeCheckbox_}),
         layout::row({tabArcCheckbox_, tabXcodeCheckbox_, tabVscodeCheckbox_}), tabsGestureStack_});

    screensModKeyControl_ = std::make_shared<ModKeyControl>();
    screensModKeyControl_->setAction(layout::writer(Keys::screenModifier()));
    moveCursorCheckbox_ = layout::checkbox("Move the pointer with the window",
                                           layout::writer(Keys::screensMoveCursor()));
    chainGestureCheckbox_ =
        layout::checkbox("Keep moving to further screens while the fingers rest",
                         layout::writer(Keys::screensChainGesture()));
    screensGestureStack_ = layout::column({}, 10);
    screensView_ = layout::section(
        "Screens",
        {layout::row({layout::caption("Screen modifier", 130), screensModKeyControl_}),
         moveCursorCheckbox_, chainGestureCheckbox_, screensGestureStack_},
        0, 20);
}

std::vector<std::shared_ptr<ui::View>> WindowsTabController::sections() const {
    return separated({generalView_, tabsView_, screensView_});
}

std::array<std::pair<std::shared_ptr<ui::Button>, TabAppType>, 6>
WindowsTabController::tabCheckboxes() const {
    return {{
        {tabNativeCheckbox_, TabAppType::native},
        {tabArcCheckbox_, TabAppType::arc},
        {tabChromeCheckbox_, TabAppType::chrome},
        {tabSafariCheckbox_, TabAppType::safari},
        {tabXcodeCheckbox_, TabAppType::xcode},
        {tabVscodeCheckbox_, TabAppType::vscode},
    }};
}

void WindowsTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    for (const auto& [box, type] : tabCheckboxes())
        box->setState(layout::stateOf(readValue(Keys::tabApps()).contains(type)));
    missionControlCheckbox_->setState(layout::stateOf(readValue(Keys::originMissionControl())));
    moveCursorCheckbox_->setState(layout::stateOf(readValue(Keys::screensMoveCursor())));
    chainGestureCheckbox_->setState(layout::stateOf(readValue(Keys::screensChainGesture())));
    layout::applyModKeyRules(
        *generalModKeyControl_,
        {&Keys::generalModifier(),
         &Keys::superModifier(),
         {&Keys::secondaryModifier(), &Keys::screenModifier(), &Keys::tertiaryModifier()}});
    layout::applyModKeyRules(
        *screensModKeyControl_,
        {&Keys::screenModifier(),
         &Keys::superModifier(),
         {&Keys::generalModifier(), &Keys::secondaryModifier(), &Keys::tertiaryModifier()}});
    buildGestureRows();
}

void WindowsTabController::buildGestureRows() {
    layout::addGestureRows(*generalGestureStack_, generalRows());
    layout::addGestureRows(*tabsGestureStack_, tabRows());
    layout::addGestureRows(*screensGestureStack_, screenRows());
}

void WindowsTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    layout::refreshModKeyControl(*generalModKeyControl_);
    layout::refreshModKeyControl(*screensModKeyControl_);
}

}  // namespace zoral::preferences
