#include "preferences/tabs/windows_tab.h"

namespace zoral::preferences {

namespace nib {

std::shared_ptr<ui::StackView> section(const std::string& title, Views views, double top,
                                       double bottom) {
    auto heading = ui::TextField::label(title);
    heading->setFont(ui::Font::boldSystem(13));
    views.insert(views.begin(), std::move(heading));
    auto stack = std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(8);
    stack->setEdgeInsets({top, 20, bottom, 20});
    return stack;
}

std::shared_ptr<ui::StackView> row(Views views) {
    auto stack =
        std::make_shared<ui::StackView>(std::move(views), ui::LayoutOrientation::horizontal);
    stack->setAlignment(ui::StackAlignment::centerY);
    stack->setSpacing(8);
    return stack;
}

std::shared_ptr<ui::StackView> gestureStack() {
    auto stack = std::make_shared<ui::StackView>(Views{}, ui::LayoutOrientation::vertical);
    stack->setAlignment(ui::StackAlignment::leading);
    stack->setSpacing(10);
    return stack;
}

std::shared_ptr<ui::TextField> caption(const std::string& text) {
    auto label = ui::TextField::label(text);
    label->setWidth(130);
    return label;
}

std::shared_ptr<ui::TextField> note(const std::string& text) {
    auto label = ui::TextField::label(text);
    label->setFont(ui::Font::system(11));
    label->setTextColor(ui::SystemColor::secondaryLabel);
    return label;
}

bool isOn(const ui::Control& sender) {
    const auto* button = dynamic_cast<const ui::Button*>(&sender);
    return button != nullptr && button->state() == ui::ControlState::on;
}

ui::ControlState stateOf(bool on) {
    return on ? ui::ControlState::on : ui::ControlState::off;
}

ui::Control::Action writer(const settings::Defaults::Key<bool>& key) {
    return [&key](ui::Control& sender) { settings::Defaults::writeValue(key, isOn(sender)); };
}

ui::Control::Action writer(const ModifierKey& key) {
    return [&key](ui::Control& sender) {
        if (const auto* control = dynamic_cast<const ModKeyControl*>(&sender))
            settings::Defaults::writeValue(key, control->flags);
    };
}

void applyRules(ModKeyControl& control, const ModifierKey& initial, const ModifierKey& disabled,
                const std::array<const ModifierKey*, 3>& others) {
    const auto reader = [](const ModifierKey& key) {
        return [&key] { return settings::Defaults::readValue(key); };
    };
    control.initialFlags = reader(initial);
    control.disabledFlags = reader(disabled);
    for (const ModifierKey* other : others)
        control.flagsConstraints.push_back(reader(*other));
    refresh(control);
}

void refresh(ModKeyControl& control) {
    control.flags = control.initialFlags();
    control.updateTitle();
}

std::shared_ptr<GestureView> gestureView(const GestureRow& row) {
    return std::make_shared<GestureView>(
        row.action, row.title, row.icon, row.tint(), row.description,
        row.info != nullptr ? std::optional<std::string>(row.info) : std::nullopt, row.sequences);
}

}  // namespace nib

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
const std::vector<nib::GestureRow>& generalRows() {
    using enum GestureImage;
    static const std::vector<nib::GestureRow> rows{
        {ActionUserType::windowQuit,
         "Quit",
         GestureIcon::xInv,
         &GestureTint::close,
         "Pinch in twice to quit an application.",
         "You can also try to tap, hold and pinch in once, but this might not work reliably.\n\n"
         "Alternatively, while holding the general modifier, swipe down twice or tap, hold and "
         "swipe down once.",
         {{inwards, inwards}, {modG, down, down}}},
        {ActionUserType::windowClose,
         closeTitle,
         GestureIcon::x,
         &GestureTint::close,
         "Pinch in once to close a window.",
         closeInfo,
         {{inwards}, {modG, down}}},
        {ActionUserType::windowMinimize,
         "Minimize",
         GestureIcon::minus,
         &GestureTint::minimize,
         "Swipe down once to minimize a window.",
         "In fullscreen mode, tap and hold before swiping down.",
         {{down}, {hold, down}}},
        {ActionUserType::windowFullscreen,
         "Fullscreen",
         GestureIcon::zoom,
         &GestureTint::fullscreen,
         "Pinch out or tap, hold and swipe up to enter or exit fullscreen mode.",
         nullptr,
         {{outwards}, {hold, up}}},
        {ActionUserType::windowHide,
         "Hide",
         GestureIcon::minus,
         &GestureTint::zoral,
         "Double tap with the general modifier to hide all windows of an application. Use the "
         "secondary modifier to hide all other apps.",
         "Please make sure that the 'Smart zoom' option is checked in System Settings \u203A "
         "Trackpad \u203A Scroll & Zoom.",
         {{modG, tap}, {mod2, tap}}},
        {ActionUserType::spacesMove,
         "Spaces",
         GestureIcon::screensInv,
         &GestureTint::zoral,
         "Tap, hold and swipe or use the general modifier to move a window between Mission "
         "Control spaces.",
         "Please make sure that the default values '\u2303\u2190' and '\u2303\u2192' are set for "
         "System Settings \u203A Keyboard \u203A Shortcuts \u203A Mission Control \u203A Move "
         "left/right a space.",
         {{hold, left, right}, {modG, left, right}}},
    };
    return rows;
}

const std::vector<nib::GestureRow>& tabRows() {
    using enum GestureImage;
    static const std::vector<nib::GestureRow> rows{
        {ActionUserType::tabClose,
         closeTitle,
         GestureIcon::x,
         &GestureTint::zoral,
         "Pinch in to close a tab.",
         closeInfo,
         {{inwards}, {modG, down}}},
        {ActionUserType::tabDetach,
         "Detach",
         GestureIcon::circle,
         &GestureTint::zoral,
         "Tap and hold to detach a native tab into a new window. Follow up with any other "
         "gesture.",
         nullptr,
         {{hold}}},
    };
    return rows;
}

const std::vector<nib::GestureRow>& screenRows() {
    using enum GestureImage;
    static const std::vector<nib::GestureRow> rows{
        {ActionUserType::screensMove,
         "Screens",
         GestureIcon::screens,
         &GestureTint::zoral,
         "Swipe up, down, left or right to move a window to the next screen in that direction.",
         nullptr,
         {{modS, left, up, down, right}}},
        {ActionUserType::screensFullscreen,
         "Fullscreen",
         GestureIcon::zoom,
         &GestureTint::fullscreen,
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

std::shared_ptr<ui::Button> checkbox(const std::string& title, ui::Control::Action action) {
    auto box = ui::Button::checkbox(title);
    box->setAction(std::move(action));
    return box;
}

}  // namespace

void WindowsTabController::loadNib() {
    generalModKeyControl_ = std::make_shared<ModKeyControl>();
    generalModKeyControl_->setAction(nib::writer(Keys::generalModifier()));
    missionControlCheckbox_ = checkbox("Start gestures on windows in Mission Control",
                                       nib::writer(Keys::originMissionControl()));
    generalGestureStack_ = nib::gestureStack();
    generalView_ =
        nib::section("Windows",
                     {nib::row({nib::caption("General modifier"), generalModKeyControl_}),
                      missionControlCheckbox_, generalGestureStack_},
                     20);

    tabNativeCheckbox_ = checkbox("Native tabs", tabAppToggle(TabAppType::native));
    tabSafariCheckbox_ = checkbox("Safari", tabAppToggle(TabAppType::safari));
    tabChromeCheckbox_ = checkbox("Chrome", tabAppToggle(TabAppType::chrome));
    tabArcCheckbox_ = checkbox("Arc", tabAppToggle(TabAppType::arc));
    tabXcodeCheckbox_ = checkbox("Xcode", tabAppToggle(TabAppType::xcode));
    tabVscodeCheckbox_ = checkbox("VS Code", tabAppToggle(TabAppType::vscode));
    tabsGestureStack_ = nib::gestureStack();
    tabsView_ = nib::section(
        "Tabs",
        {nib::note("The tab gestures work in the tabs of these applications:"),
         nib::row({tabNativeCheckbox_, tabSafariCheckbox_, tabChromeCheckbox_}),
         nib::row({tabArcCheckbox_, tabXcodeCheckbox_, tabVscodeCheckbox_}), tabsGestureStack_});

    screensModKeyControl_ = std::make_shared<ModKeyControl>();
    screensModKeyControl_->setAction(nib::writer(Keys::screenModifier()));
    moveCursorCheckbox_ =
        checkbox("Move the pointer with the window", nib::writer(Keys::screensMoveCursor()));
    chainGestureCheckbox_ = checkbox("Keep moving to further screens while the fingers rest",
                                     nib::writer(Keys::screensChainGesture()));
    screensGestureStack_ = nib::gestureStack();
    screensView_ = nib::section("Screens",
                                {nib::row({nib::caption("Screen modifier"), screensModKeyControl_}),
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
        box->setState(nib::stateOf(readValue(Keys::tabApps()).contains(type)));
    missionControlCheckbox_->setState(nib::stateOf(readValue(Keys::originMissionControl())));
    moveCursorCheckbox_->setState(nib::stateOf(readValue(Keys::screensMoveCursor())));
    chainGestureCheckbox_->setState(nib::stateOf(readValue(Keys::screensChainGesture())));
    nib::applyRules(
        *generalModKeyControl_, Keys::generalModifier(), Keys::superModifier(),
        {&Keys::secondaryModifier(), &Keys::screenModifier(), &Keys::tertiaryModifier()});
    nib::applyRules(
        *screensModKeyControl_, Keys::screenModifier(), Keys::superModifier(),
        {&Keys::generalModifier(), &Keys::secondaryModifier(), &Keys::tertiaryModifier()});
    buildGestureRows();
}

void WindowsTabController::buildGestureRows() {
    for (const nib::GestureRow& row : generalRows())
        generalGestureStack_->addArrangedSubview(nib::gestureView(row));
    for (const nib::GestureRow& row : tabRows())
        tabsGestureStack_->addArrangedSubview(nib::gestureView(row));
    for (const nib::GestureRow& row : screenRows())
        screensGestureStack_->addArrangedSubview(nib::gestureView(row));
}

void WindowsTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    nib::refresh(*generalModKeyControl_);
    nib::refresh(*screensModKeyControl_);
}

}  // namespace zoral::preferences
