#include "preferences/tabs/advanced_tab.h"

#include <array>
#include <optional>

#include "app/app_delegate.h"
#include "desktop/shell_command.h"
#include "engine/model/modifier.h"
#include "platform/alerts.h"
#include "platform/enum_table.h"
#include "preferences/tabs/tab_layout.h"
#include "settings/defaults.h"
#include "settings/user_defaults_key_observation.h"
#include "ui/stack_view.h"
#include "ui/titled_window.h"

namespace zoral::preferences {

namespace {

using layout::heading;
using layout::isOn;
using layout::note;
using layout::row;
using layout::section;
using layout::stateOf;
using settings::HotkeysArrowLayout;
using settings::HotkeysCenterLayout;
using settings::ModifierFlags;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using FlagsKey = settings::Defaults::Key<ModifierFlags>;

// By case, in case order.
constexpr std::array<LayoutTexts, 5> arrowTexts{{
    {"\u2190\u2191\u2193\u2192", "Arrow keys"},
    {"WASD", "WASD keys"},
    {"HJKL", "HJKL keys"},
    {"IJKL", "IJKL keys"},
    {",AOE", "Dvorak keys"},
}};
constexpr std::array<LayoutTexts, 6> centerTexts{{
    {"Esc", "Escape"},
    {"\u232B", "Backspace/Delete"},
    {"\u21A9", "Return/Enter"},
    {"X", "X key"},
    {"Q", "Q key"},
    {"O", "O key"},
}};

// The keys a new super key may leave to the roles, in the order the roles take them.
constexpr std::array<ModifierFlags, 5> freeKeyOrder{ModifierFlags::control, ModifierFlags::command,
                                                    ModifierFlags::shift, ModifierFlags::option,
                                                    ModifierFlags::function};

// The re-snap delay's slider: whole seconds from 0 (off) to 10.
constexpr double timeoutMaximum = 10;

bool isOff(const ui::Control& sender) {
    const auto* button = dynamic_cast<const ui::Button*>(&sender);
    return button != nullptr && button->state() == ui::ControlState::off;
}

// The captions of this tab are wider than most, for "Reactivate gestures".
std::shared_ptr<ui::TextField> wideCaption(const std::string& text) {
    return layout::caption(text, 140);
}

// A role control's action: the accepted keys become the setting, nothing more (the engine reads
// the modifier keys at every event).
ui::Control::Action flagsWriter(const FlagsKey& key) {
    return [&key](ui::Control& sender) {
        if (const auto* control = dynamic_cast<const ModKeyControl*>(&sender))
            writeValue(key, control->flags);
    };
}

ModKeyControl::FlagsSource reader(const FlagsKey& key) {
    return [&key] { return readValue(key); };
}

// The stored layout the pop-up's chosen item names; none without a choice, an identifier or a
// case of that name.
template <class Layout>
std::optional<Layout> chosenLayout(const ui::Control& sender) {
    const auto* popUp = dynamic_cast<const ui::PopUpButton*>(&sender);
    if (popUp == nullptr)
        return std::nullopt;
    const std::optional<ui::MenuItem> item = popUp->selectedItem();
    if (!item || item->identifier.empty())
        return std::nullopt;
    return platform::fromRawValue<Layout>(item->identifier);
}

template <class Layout, std::size_t count>
void fill(ui::PopUpButton& popUp, const std::array<LayoutTexts, count>& texts) {
    for (const Layout layout : platform::allCases<Layout>()) {
        const LayoutTexts& row = texts.at(static_cast<std::size_t>(layout));
        popUp.addItem({std::string(row.title), std::string(platform::rawValue(layout)),
                       std::string(row.toolTip)});
    }
}

std::shared_ptr<ModKeyControl> modKeyControl(ui::Control::Action action) {
    auto control = std::make_shared<ModKeyControl>();
    control->setAction(std::move(action));
    return control;
}

// Shows what the control's owner says it holds.
void refresh(ModKeyControl& control) {
    control.flags = control.initialFlags();
    control.updateTitle();
}

}  // namespace

LayoutTexts layoutTexts(HotkeysArrowLayout layout) {
    return arrowTexts.at(static_cast<std::size_t>(layout));
}

LayoutTexts layoutTexts(HotkeysCenterLayout layout) {
    return centerTexts.at(static_cast<std::size_t>(layout));
}

std::string screenChangeTimeoutText(std::int64_t seconds) {
    if (seconds == 0)
        return "Off";
    return std::to_string(seconds) + " Seconds";
}

std::optional<RoleModifiers> rolesFreeOf(ModifierFlags superModifier) {
    std::vector<ModifierFlags> free;
    for (const ModifierFlags key : freeKeyOrder) {
        if (!superModifier.contains(key))
            free.push_back(key);
    }
    if (free.size() < 3)
        return std::nullopt;
    // With only three keys left the tertiary role pairs the last with the first.
    const ModifierFlags tertiaryPartner = free.size() > 3 ? free[3] : free[0];
    return RoleModifiers{.general = free[0],
                         .screen = free[1],
                         .secondary = free[2],
                         .tertiary = free[2] | tertiaryPartner};
}

AdvancedTabController::AdvancedTabController() = default;

AdvancedTabController::~AdvancedTabController() {
    if (hotkeysObservation_)
        hotkeysObservation_->invalidate();
}

ui::Control::Action AdvancedTabController::action(
    void (AdvancedTabController::*member)(ui::Control&)) {
    return [weak = weak_from_this(), member](ui::Control& sender) {
        if (const auto self = std::static_pointer_cast<AdvancedTabController>(weak.lock()))
            ((*self).*member)(sender);
    };
}

void AdvancedTabController::loadNib() {
    superModKeyControl_ = modKeyControl(action(&AdvancedTabController::onSuperModKey));
    generalModKeyControl_ = modKeyControl(flagsWriter(Keys::generalModifier()));
    secondaryModKeyControl_ = modKeyControl(flagsWriter(Keys::secondaryModifier()));
    tertiaryModKeyControl_ = modKeyControl(flagsWriter(Keys::tertiaryModifier()));
    screenModKeyControl_ = modKeyControl(flagsWriter(Keys::screenModifier()));
    requireSuperModCheckbox_ = ui::Button::checkbox("Gestures need the super key");
    requireSuperModCheckbox_->setAction(action(&AdvancedTabController::requireSuperModChecked));
    modifiersView_ = section(
        {
            heading("Modifier Keys"),
            row({wideCaption("Super key"), superModKeyControl_}),
            note("Held for the hotkeys, and for every gesture when the box below is checked. "
                 "The roles cannot use its keys."),
            requireSuperModCheckbox_,
            row({wideCaption("General"), generalModKeyControl_}),
            row({wideCaption("Secondary"), secondaryModKeyControl_}),
            row({wideCaption("Tertiary"), tertiaryModKeyControl_}),
            row({wideCaption("Screens"), screenModKeyControl_}),
        },
        20);

    hotkeysCheckbox_ = ui::Button::checkbox("Keyboard hotkeys");
    hotkeysCheckbox_->setAction(action(&AdvancedTabController::hotkeysChecked));
    arrowsSelect_ = std::make_shared<ui::PopUpButton>();
    arrowsSelect_->setAction(action(&AdvancedTabController::arrowsSelected));
    centerSelect_ = std::make_shared<ui::PopUpButton>();
    centerSelect_->setAction(action(&AdvancedTabController::centerSelected));
    stopEventsCheckbox_ = ui::Button::checkbox("Keep handled gestures from the apps");
    stopEventsCheckbox_->setAction(action(&AdvancedTabController::stopEventsChecked));
    magicMouseCheckbox_ = ui::Button::checkbox("Ignore the Magic Mouse");
    magicMouseCheckbox_->setAction(action(&AdvancedTabController::magicMouseChecked));
    magicMouseView_ = row({magicMouseCheckbox_});
    timeoutSlider_ = std::make_shared<ui::Slider>(0, timeoutMaximum, 0);
    timeoutSlider_->setNumberOfTickMarks(static_cast<std::int64_t>(timeoutMaximum) + 1);
    timeoutSlider_->setAllowsTickMarkValuesOnly(true);
    timeoutSlider_->setWidth(180);
    timeoutSlider_->setAction(action(&AdvancedTabController::timeoutSlide));
    timeoutLabel_ = ui::TextField::label(screenChangeTimeoutText(4));
    timeoutLabel_->setWidth(100);
    // Receives the recorder when the view loads.
    shortcutView_ = std::make_shared<ui::View>();
    reactivateNowButton_ = ui::Button::pushButton("Reactivate Now");
    reactivateNowButton_->setAction(action(&AdvancedTabController::reactivateNowClicked));
    advancedView_ = section({
        heading("Input"),
        hotkeysCheckbox_,
        row({wideCaption("Arrow keys"), arrowsSelect_, ui::TextField::label("Center key"),
             centerSelect_}),
        stopEventsCheckbox_,
        magicMouseView_,
        row({wideCaption("Re-snap after"), timeoutSlider_, timeoutLabel_}),
        note("How long to wait after a display is added or removed before snapped windows go "
             "back to their places."),
        row({wideCaption("Reactivate gestures"), shortcutView_, reactivateNowButton_}),
        note("Sleeps and wakes the displays, which brings back trackpad gestures that stopped."),
    });

    restoreModKeysButton_ = ui::Button::pushButton("Restore Modifier Keys");
    restoreModKeysButton_->setAction(action(&AdvancedTabController::restoreModKeysClicked));
    restoreAllButton_ = ui::Button::pushButton("Restore All\u2026");
    restoreAllButton_->setAction(action(&AdvancedTabController::restoreAllClicked));
    tutorialButton_ = ui::Button::pushButton("Show Tutorial");
    tutorialButton_->setAction(action(&AdvancedTabController::tutorialClicked));
    resetView_ = section({row({restoreModKeysButton_, restoreAllButton_, tutorialButton_})}, 0, 20);
}

std::vector<std::shared_ptr<ui::View>> AdvancedTabController::sections() const {
    return separated({modifiersView_, advancedView_, resetView_});
}

void AdvancedTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    // The Magic Mouse option stays out of sight; its box still works.
    magicMouseView_->setHidden(true);
    fillPopUps();
    refreshHotkeyControls();
    refreshTimeoutControls();
    // Reports once now, which rebuilds the engine once, then at every change from anywhere.
    hotkeysObservation_ =
        settings::Defaults::observeKey(
            Keys::hotkeys(), {settings::Defaults::ObservationOption::initial},
            [weak = weak_from_this()](const settings::Defaults::KeyChange<bool>&) {
                const auto self = std::static_pointer_cast<AdvancedTabController>(weak.lock());
                if (!self)
                    return;
                self->refreshHotkeyControls();
                restartEngine();
            })
            ->bindLifetime(lifetime_);
    recorder_ = shortcuts::GlobalShortcuts::RecorderCocoa::make(app::fixPinchAndSwipe());
    shortcutView_->addSubview(recorder_);
    // The recorder keeps the size it asks for, and the container fits it.
    const platform::CGSize recorderSize = recorder_->fittingSize();
    recorder_->setFrame({0, 0, recorderSize.width, recorderSize.height});
    shortcutView_->setWidth(recorderSize.width);
    shortcutView_->setHeight(recorderSize.height);
    requireSuperModCheckbox_->setState(stateOf(readValue(Keys::requireSuperMod())));
    configureModKeyControls();
    stopEventsCheckbox_->setState(stateOf(readValue(Keys::activeTap())));
    // The box says the opposite of the setting.
    magicMouseCheckbox_->setState(stateOf(!readValue(Keys::tapMagicMouse())));
}

void AdvancedTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    // Other tabs may have changed the keys while this one was hidden.
    refreshModKeyControls(true);
}

void AdvancedTabController::configureModKeyControls() {
    // The super key: one or two keys, free of the roles.
    superModKeyControl_->initialFlags = reader(Keys::superModifier());
    superModKeyControl_->maxMultiSelection = 2;
    refresh(*superModKeyControl_);
    // Each role: not the super key's keys, nor exactly another role's keys.
    struct RoleRule {
        const std::shared_ptr<ModKeyControl>& control;
        const FlagsKey& key;
        std::array<const FlagsKey*, 3> others;
    };
    const std::array<RoleRule, 4> roles{{
        {generalModKeyControl_,
         Keys::generalModifier(),
         {&Keys::secondaryModifier(), &Keys::screenModifier(), &Keys::tertiaryModifier()}},
        {secondaryModKeyControl_,
         Keys::secondaryModifier(),
         {&Keys::generalModifier(), &Keys::screenModifier(), &Keys::tertiaryModifier()}},
        {tertiaryModKeyControl_,
         Keys::tertiaryModifier(),
         {&Keys::generalModifier(), &Keys::secondaryModifier(), &Keys::screenModifier()}},
        {screenModKeyControl_,
         Keys::screenModifier(),
         {&Keys::generalModifier(), &Keys::secondaryModifier(), &Keys::tertiaryModifier()}},
    }};
    for (const RoleRule& role : roles) {
        role.control->initialFlags = reader(role.key);
        role.control->disabledFlags = reader(Keys::superModifier());
        for (const FlagsKey* other : role.others)
            role.control->flagsConstraints.push_back(reader(*other));
        refresh(*role.control);
    }
}

void AdvancedTabController::refreshModKeyControls(bool includingSuper) {
    if (includingSuper)
        refresh(*superModKeyControl_);
    for (const auto* control : {&generalModKeyControl_, &secondaryModKeyControl_,
                                &tertiaryModKeyControl_, &screenModKeyControl_})
        refresh(**control);
}

void AdvancedTabController::fillPopUps() {
    arrowsSelect_->removeAllItems();
    centerSelect_->removeAllItems();
    fill<HotkeysArrowLayout>(*arrowsSelect_, arrowTexts);
    fill<HotkeysCenterLayout>(*centerSelect_, centerTexts);
}

void AdvancedTabController::refreshHotkeyControls() {
    const bool hotkeys = readValue(Keys::hotkeys());
    hotkeysCheckbox_->setState(stateOf(hotkeys));
    arrowsSelect_->setEnabled(hotkeys);
    arrowsSelect_->selectItemWithTitle(
        std::string(layoutTexts(readValue(Keys::hotkeyArrow())).title));
    centerSelect_->setEnabled(hotkeys);
    centerSelect_->selectItemWithTitle(
        std::string(layoutTexts(readValue(Keys::hotkeyUndo())).title));
}

void AdvancedTabController::refreshTimeoutControls() {
    const std::int64_t seconds = readValue(Keys::screenChangeTimeout());
    timeoutSlider_->setIntegerValue(seconds);
    timeoutLabel_->setStringValue(screenChangeTimeoutText(seconds));
}

void AdvancedTabController::restartEngine() {
    // The delegate invalidates the old tap before it builds the new engine; without the
    // permission no engine follows until the next report.
    if (const auto delegate = app::appDelegate())
        delegate->restartCore();
}

void AdvancedTabController::onSuperModKey(ui::Control& sender) {
    const auto* control = dynamic_cast<const ModKeyControl*>(&sender);
    if (control == nullptr)
        return;
    const ModifierFlags superModifier = control->flags;
    writeValue(Keys::superModifier(), superModifier);
    ModifierFlags roles;
    for (const auto& [role, flags] : engine::configuredModifierFlags())
        roles |= flags;
    if (roles.intersects(superModifier)) {
        if (const std::optional<RoleModifiers> free = rolesFreeOf(superModifier)) {
            writeValue(Keys::generalModifier(), free->general);
            writeValue(Keys::screenModifier(), free->screen);
            writeValue(Keys::secondaryModifier(), free->secondary);
            writeValue(Keys::tertiaryModifier(), free->tertiary);
        }
    }
    // The super control already shows the keys it sent.
    refreshModKeyControls(false);
}

void AdvancedTabController::requireSuperModChecked(ui::Control& sender) {
    writeValue(Keys::requireSuperMod(), isOn(sender));
}

void AdvancedTabController::hotkeysChecked(ui::Control& sender) {
    // The observation rebuilds the engine while this write is made.
    writeValue(Keys::hotkeys(), isOn(sender));
    refreshHotkeyControls();
}

void AdvancedTabController::arrowsSelected(ui::Control& sender) {
    storeLayout(sender, Keys::hotkeyArrow());
}

void AdvancedTabController::centerSelected(ui::Control& sender) {
    storeLayout(sender, Keys::hotkeyUndo());
}

template <class Layout>
void AdvancedTabController::storeLayout(const ui::Control& sender,
                                        const settings::Defaults::Key<Layout>& key) {
    const std::optional<Layout> layout = chosenLayout<Layout>(sender);
    if (!layout)
        return;
    writeValue(key, *layout);
    refreshHotkeyControls();
    restartEngine();
}

void AdvancedTabController::stopEventsChecked(ui::Control& sender) {
    writeValue(Keys::activeTap(), isOn(sender));
    restartEngine();
}

void AdvancedTabController::magicMouseChecked(ui::Control& sender) {
    // Only the off state taps the Magic Mouse; a mixed state does not.
    writeValue(Keys::tapMagicMouse(), isOff(sender));
}

void AdvancedTabController::timeoutSlide(ui::Control& sender) {
    const auto* slider = dynamic_cast<const ui::Slider*>(&sender);
    writeValue(Keys::screenChangeTimeout(), slider != nullptr ? slider->integerValue() : 0);
    refreshTimeoutControls();
}

void AdvancedTabController::reactivateNowClicked(ui::Control&) {
    (void)desktop::runShellCommand(app::displaySleepCommand);
}

void AdvancedTabController::restoreModKeysClicked(ui::Control&) {
    settings::Defaults::resetKeys(Keys::superModifier(), Keys::generalModifier(),
                                  Keys::screenModifier(), Keys::secondaryModifier(),
                                  Keys::tertiaryModifier());
    refreshModKeyControls(true);
}

void AdvancedTabController::restoreAllClicked(ui::Control&) {
    platform::Alert alert;
    alert.messageText = "Are you sure?";
    alert.informativeText = "Remove all Zoral settings and restart the app.";
    alert.addButtonWithTitle("Confirm");
    alert.addButtonWithTitle("Cancel");
    alert.alertStyle = platform::AlertStyle::critical;
    const ui::TitledWindow* window = view() ? view()->window() : nullptr;
    if (window == nullptr)
        return;
    alert.beginSheetModalForWindow(window->windowNumber(), [](platform::ModalResponse response) {
        if (response != platform::alertFirstButtonReturn)
            return;
        // The stored shortcut lives among them, and goes too.
        settings::Defaults::removeAllKeys(*settings::Defaults::standardSuite());
        if (const auto delegate = app::appDelegate())
            delegate->relaunch(0.5);
    });
}

void AdvancedTabController::tutorialClicked(ui::Control&) {
    if (const auto delegate = app::appDelegate())
        delegate->preferencesController().showWelcome([] {});
}

}  // namespace zoral::preferences
