#include "preferences/tabs/general_tab.h"

#include <array>
#include <cstdio>

#include "app/app_delegate.h"
#include "desktop/ax_access.h"
#include "loginitems/login_items.h"
#include "preferences/tabs/tab_layout.h"
#include "settings/defaults.h"
#include "settings/user_defaults_key_observation.h"
#include "ui/stack_view.h"

namespace zoral::preferences {

namespace {

using layout::caption;
using layout::heading;
using layout::isOn;
using layout::row;
using layout::section;
using layout::stateOf;
using settings::MultitouchSensitivity;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;

struct SensitivityRow {
    MultitouchSensitivity sensitivity;
    std::string_view label;
};

// By slider position, which is the stored raw value.
constexpr std::array<SensitivityRow, 4> sensitivities{{
    {MultitouchSensitivity::low, "Not So Snappy"},
    {MultitouchSensitivity::medium, "Kinda Snappy"},
    {MultitouchSensitivity::high, "Very Snappy"},
    {MultitouchSensitivity::monterey, "Ultra Snappy"},
}};

// The status lights are one template image, tinted.
constexpr const char* statusLight = "StatusLight";
constexpr int statusLightSide = 16;

std::int64_t integerValue(const ui::Control& sender) {
    const auto* slider = dynamic_cast<const ui::Slider*>(&sender);
    return slider != nullptr ? slider->integerValue() : 0;
}

// One of the checkboxes that store whether they are on.
ui::Control::Action writer(const settings::Defaults::Key<bool>& key) {
    return [&key](ui::Control& sender) { writeValue(key, isOn(sender)); };
}

// A slider held to its tick marks, one for each step.
std::shared_ptr<ui::Slider> steppedSlider(double minimum, double maximum, std::int64_t ticks,
                                          ui::Control::Action action) {
    auto slider = std::make_shared<ui::Slider>(minimum, maximum, minimum);
    slider->setNumberOfTickMarks(ticks);
    slider->setAllowsTickMarkValuesOnly(true);
    slider->setWidth(180);
    slider->setAction(std::move(action));
    return slider;
}

std::shared_ptr<ui::ImageView> light() {
    auto image = std::make_shared<ui::ImageView>(statusLightSide, statusLightSide);
    image->setImage(statusLight);
    return image;
}

ui::Color diagnosticsColour(app::Diagnostics::Status status) {
    switch (status) {
        case app::Diagnostics::Status::green:
            return ui::SystemColor::systemGreen;
        case app::Diagnostics::Status::yellow:
            return ui::SystemColor::systemYellow;
        case app::Diagnostics::Status::red:
            return ui::SystemColor::systemRed;
    }
    return ui::SystemColor::systemRed;
}

}  // namespace

MultitouchSensitivity sensitivityForSliderValue(std::int64_t value) {
    if (value < 1 || value > static_cast<std::int64_t>(sensitivities.size()))
        return MultitouchSensitivity::high;
    return sensitivities[static_cast<std::size_t>(value - 1)].sensitivity;
}

std::string_view sensitivityName(MultitouchSensitivity sensitivity) {
    for (const SensitivityRow& row : sensitivities) {
        if (row.sensitivity == sensitivity)
            return row.label;
    }
    return sensitivityName(MultitouchSensitivity::high);
}

std::string timeoutText(std::int64_t milliseconds) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.1f Seconds",
                  static_cast<double>(milliseconds) / 1000.0);
    return text.data();
}

GeneralTabController::GeneralTabController(TooltipControllerSource tooltips)
    : tooltips_(std::move(tooltips)) {}

GeneralTabController::~GeneralTabController() {
    if (observer_)
        observer_->invalidate();
    if (popover_) {
        popover_->setDelegate(nullptr);
        popover_->close();
    }
}

ui::Control::Action GeneralTabController::action(
    void (GeneralTabController::*member)(ui::Control&)) {
    return [weak = weak_from_this(), member](ui::Control& sender) {
        if (const auto self = std::static_pointer_cast<GeneralTabController>(weak.lock()))
            ((*self).*member)(sender);
    };
}

void GeneralTabController::loadNib() {
    menubarCheckbox_ = ui::Button::checkbox("Show menu bar icon");
    menubarCheckbox_->setAction(action(&GeneralTabController::menubarCheckboxClick));
    launchAtLoginCheckbox_ = ui::Button::checkbox("Launch at login");
    launchAtLoginCheckbox_->setAction(action(&GeneralTabController::launchAtLoginCheckboxClick));
    hapticCheckbox_ = ui::Button::checkbox("Haptic feedback");
    hapticCheckbox_->setAction(writer(Keys::hapticFeedback()));

    accessibilityStatus_ = light();
    accessibilityPrompt_ = ui::Button::pushButton("Grant Access\u2026");
    accessibilityPrompt_->setAction(action(&GeneralTabController::accessibilityPromptClick));
    accessibilityLabel_ = ui::TextField::wrappingLabel(
        "Zoral needs the Accessibility permission to move and resize windows. Grant it in "
        "System Settings \u203A Privacy & Security \u203A Accessibility.");
    accessibilityLabel_->setFont(ui::Font::system(11));
    accessibilityLabel_->setTextColor(ui::SystemColor::secondaryLabel);
    accessibilityLabel_->setWidth(380);
    diagnosticsImage_ = light();
    diagnosticsButton_ = ui::Button::pushButton("Diagnostics\u2026");
    diagnosticsButton_->setAction(action(&GeneralTabController::diagnosticsClick));
    generalView_ = section(
        {
            heading("General"),
            menubarCheckbox_,
            launchAtLoginCheckbox_,
            hapticCheckbox_,
            row({accessibilityStatus_, caption("Accessibility"), accessibilityPrompt_}),
            accessibilityLabel_,
            row({diagnosticsImage_, caption("System settings"), diagnosticsButton_}),
        },
        20);

    sensitivitySlider_ = steppedSlider(1, 4, 4, action(&GeneralTabController::sensitivityChanged));
    sensitivityLabel_ =
        ui::TextField::label(std::string(sensitivityName(MultitouchSensitivity::high)));
    sensitivityLabel_->setWidth(100);
    // Tenths of a second from 0.2 to 2 seconds.
    timeoutSlider_ = steppedSlider(200, 2000, 19, action(&GeneralTabController::timeoutChanged));
    timeoutLabel_ = ui::TextField::label(timeoutText(800));
    timeoutLabel_->setWidth(100);
    tapHoldCheckbox_ = ui::Button::checkbox("Tap and hold to pick an action");
    tapHoldCheckbox_->setAction(writer(Keys::tapAndHold()));
    gestureView_ = section({
        heading("Gestures"),
        row({caption("Sensitivity"), sensitivitySlider_, sensitivityLabel_}),
        row({caption("Cancel after"), timeoutSlider_, timeoutLabel_}),
        tapHoldCheckbox_,
    });

    tooltipEnableCheckbox_ = ui::Button::checkbox("Show tooltips");
    tooltipEnableCheckbox_->setAction(action(&GeneralTabController::tooltipEnableChanged));
    tooltipLiveCheckbox_ = ui::Button::checkbox("Live preview of snapping");
    tooltipLiveCheckbox_->setAction(writer(Keys::tooltipLive()));
    hideCursorCheckbox_ = ui::Button::checkbox("Hide the cursor while tooltips show");
    hideCursorCheckbox_->setAction(writer(Keys::tooltipHideCursor()));
    tooltipSizeSlider_ = steppedSlider(3, 8, 6, action(&GeneralTabController::tooltipSizeSlide));
    tooltipView_ = section(
        {
            heading("Tooltips"),
            tooltipEnableCheckbox_,
            tooltipLiveCheckbox_,
            hideCursorCheckbox_,
            row({caption("Tooltip size"), tooltipSizeSlider_}),
        },
        0, 20);
}

std::vector<std::shared_ptr<ui::View>> GeneralTabController::sections() const {
    return separated({generalView_, gestureView_, tooltipView_});
}

void GeneralTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    accessibilitySubscription_ = desktop::AXAccess::shared().onChange().subscribeReplayingLast(
        weak_from_this(), [weak = weak_from_this()](const bool& trusted) {
            if (const auto self = std::static_pointer_cast<GeneralTabController>(weak.lock()))
                self->updateAccessibilityStatus(trusted);
        });

    hapticCheckbox_->setState(stateOf(readValue(Keys::hapticFeedback())));
    const MultitouchSensitivity sensitivity = readValue(Keys::scrollingSensitivity());
    sensitivitySlider_->setIntegerValue(static_cast<std::int64_t>(sensitivity));
    sensitivityLabel_->setStringValue(std::string(sensitivityName(sensitivity)));
    tapHoldCheckbox_->setState(stateOf(readValue(Keys::tapAndHold())));
    const std::int64_t timeout = readValue(Keys::cancelTimeout());
    timeoutSlider_->setIntegerValue(timeout);
    timeoutLabel_->setStringValue(timeoutText(timeout));
    const bool showTooltips = readValue(Keys::tooltipShow());
    tooltipEnableCheckbox_->setState(stateOf(showTooltips));
    tooltipLiveCheckbox_->setState(stateOf(readValue(Keys::tooltipLive())));
    hideCursorCheckbox_->setEnabled(showTooltips);
    hideCursorCheckbox_->setState(stateOf(readValue(Keys::tooltipHideCursor())));
    tooltipSizeSlider_->setIntegerValue(readValue(Keys::tooltipSize()));
}

void GeneralTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    // Replaces (and so ends) the observation of an earlier appearance.
    observer_ = settings::Defaults::observeKey(
        Keys::showInMenubar(), {settings::Defaults::ObservationOption::initial},
        [weak = weak_from_this()](const settings::Defaults::KeyChange<bool>& change) {
            if (const auto self = std::static_pointer_cast<GeneralTabController>(weak.lock()))
                self->menubarCheckbox_->setState(stateOf(change.newValue));
        });
    launchAtLoginCheckbox_->setState(stateOf(loginitems::LoginItems::launchState() !=
                                             loginitems::LoginItems::LaunchState::none));
    showDiagnosticsStatus();
}

void GeneralTabController::viewDidDisappear() {
    // The spent observation stays until the next appearance replaces it.
    if (observer_)
        observer_->invalidate();
    PreferencesTabController::viewDidDisappear();
}

void GeneralTabController::menubarCheckboxClick(ui::Control& sender) {
    const bool shown = isOn(sender);
    writeValue(Keys::showInMenubar(), shown);
    // Without a delegate the setting is stored all the same.
    if (const auto delegate = app::appDelegate()) {
        if (const auto item = delegate->statusItem().statusItem())
            item->setVisible(shown);
    }
}

void GeneralTabController::launchAtLoginCheckboxClick(ui::Control& sender) {
    loginitems::LoginItems::setLaunchAtLogin(isOn(sender));
}

void GeneralTabController::sensitivityChanged(ui::Control& sender) {
    const MultitouchSensitivity sensitivity = sensitivityForSliderValue(integerValue(sender));
    writeValue(Keys::scrollingSensitivity(), sensitivity);
    sensitivityLabel_->setStringValue(std::string(sensitivityName(sensitivity)));
}

void GeneralTabController::timeoutChanged(ui::Control& sender) {
    const std::int64_t timeout = integerValue(sender);
    writeValue(Keys::cancelTimeout(), timeout);
    timeoutLabel_->setStringValue(timeoutText(timeout));
}

void GeneralTabController::tooltipEnableChanged(ui::Control& sender) {
    const bool on = isOn(sender);
    writeValue(Keys::tooltipShow(), on);
    hideCursorCheckbox_->setEnabled(on);
}

void GeneralTabController::tooltipSizeSlide(ui::Control& sender) {
    writeValue(Keys::tooltipSize(), integerValue(sender));
    // The tooltip windows take the new size at once.
    if (const auto controller = tooltips_())
        controller->rebuildTooltips();
}

void GeneralTabController::accessibilityPromptClick(ui::Control&) {
    // The answer comes as a change of the permission, which the status follows.
    desktop::AXAccess::shared().promptForAccess();
}

void GeneralTabController::updateAccessibilityStatus(bool trusted) {
    accessibilityPrompt_->setHidden(trusted);
    accessibilityLabel_->setHidden(trusted);
    accessibilityStatus_->setTintColor(trusted ? ui::SystemColor::systemGreen
                                               : ui::SystemColor::systemRed);
}

void GeneralTabController::showDiagnosticsStatus() {
    app::Diagnostics::overallStatus();
    diagnosticsImage_->setTintColor(diagnosticsColour(app::Diagnostics::worstStatus()));
}

void GeneralTabController::diagnosticsClick(ui::Control&) {
    showDiagnosticsStatus();
    if (!popover_) {
        diagnosticsPopoverController_ = std::make_shared<app::DiagnosticsPopoverViewController>();
        popover_ = std::make_shared<ui::Popover>();
        popover_->setDelegate(this);
        popover_->setAnimates(true);
        popover_->setBehavior(ui::PopoverBehavior::semitransient);
        popover_->setContentViewController(diagnosticsPopoverController_);
    }
    popover_->show({}, *diagnosticsButton_, ui::RectEdge::maxX);
}

}  // namespace zoral::preferences
