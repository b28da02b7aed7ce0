#pragma once

// The General tab: the menu-bar icon, launch at login, haptic feedback, the gestures' sensitivity
// and cancel time-out, tap and hold, the tooltip options, the Accessibility permission's status
// and the diagnostics. Each control writes its setting the moment the user changes it. The tab
// fills its controls from the settings when its view loads, and on each appearance re-reads what
// other places change: the menu-bar icon's visibility (followed live while the tab is visible),
// the login item and the diagnostics.
//
// Main thread only. Made with std::make_shared.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/diagnostics/diagnostics_popover.h"
#include "engine/tooltips/tooltip_controller.h"
#include "preferences/tabs/tab.h"
#include "settings/defaults_observation.h"
#include "settings/multitouch_sensitivity.h"
#include "signals/signal.h"
#include "ui/button.h"
#include "ui/image_view.h"
#include "ui/popover.h"
#include "ui/slider.h"
#include "ui/text_field.h"

namespace zoral::preferences {

// The sensitivity a slider position stands for (1 to 4, the stored raw values); any other
// position stands for high.
settings::MultitouchSensitivity sensitivityForSliderValue(std::int64_t value);
// "Not So Snappy", "Kinda Snappy", "Very Snappy", "Ultra Snappy".
std::string_view sensitivityName(settings::MultitouchSensitivity sensitivity);
// The cancel time-out in seconds, as the tab shows it: "0.8 Seconds" for 800.
std::string timeoutText(std::int64_t milliseconds);

class GeneralTabController : public PreferencesTabController, public ui::PopoverDelegate {
public:
    // The tooltip controller whose windows a new tooltip size rebuilds.
    using TooltipControllerSource = std::function<std::shared_ptr<engine::TooltipController>()>;

    explicit GeneralTabController(TooltipControllerSource tooltips = [] {
        return engine::TooltipController::shared();
    });
    ~GeneralTabController() override;

    std::string tabTitle() const override { return "General"; }
    std::string imageName() const override { return "PrefsGeneral"; }
    std::string symbolName() const override { return "gearshape"; }
    std::string nibName() const override { return "GeneralTab"; }
    // The three sections with separators between them.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidDisappear() override;

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& generalView() const { return generalView_; }
    const std::shared_ptr<ui::View>& gestureView() const { return gestureView_; }
    const std::shared_ptr<ui::View>& tooltipView() const { return tooltipView_; }
    const std::shared_ptr<ui::ImageView>& accessibilityStatus() const {
        return accessibilityStatus_;
    }
    const std::shared_ptr<ui::Button>& accessibilityPrompt() const { return accessibilityPrompt_; }
    const std::shared_ptr<ui::TextField>& accessibilityLabel() const { return accessibilityLabel_; }
    const std::shared_ptr<ui::ImageView>& diagnosticsImage() const { return diagnosticsImage_; }
    const std::shared_ptr<ui::Button>& diagnosticsButton() const { return diagnosticsButton_; }
    const std::shared_ptr<ui::Button>& launchAtLoginCheckbox() const {
        return launchAtLoginCheckbox_;
    }
    const std::shared_ptr<ui::Button>& menubarCheckbox() const { return menubarCheckbox_; }
    const std::shared_ptr<ui::Button>& hapticCheckbox() const { return hapticCheckbox_; }
    const std::shared_ptr<ui::Slider>& sensitivitySlider() const { return sensitivitySlider_; }
    const std::shared_ptr<ui::TextField>& sensitivityLabel() const { return sensitivityLabel_; }
    const std::shared_ptr<ui::Button>& tapHoldCheckbox() const { return tapHoldCheckbox_; }
    const std::shared_ptr<ui::Slider>& timeoutSlider() const { return timeoutSlider_; }
    const std::shared_ptr<ui::TextField>& timeoutLabel() const { return timeoutLabel_; }
    const std::shared_ptr<ui::Button>& tooltipEnableCheckbox() const {
        return tooltipEnableCheckbox_;
    }
    const std::shared_ptr<ui::Button>& tooltipLiveCheckbox() const { return tooltipLiveCheckbox_; }
    const std::shared_ptr<ui::Button>& hideCursorCheckbox() const { return hideCursorCheckbox_; }
    const std::shared_ptr<ui::Slider>& tooltipSizeSlider() const { return tooltipSizeSlider_; }
    // The diagnostics popover, once the diagnostics button has made it.
    const std::shared_ptr<ui::Popover>& popover() const { return popover_; }
    const std::shared_ptr<app::DiagnosticsPopoverViewController>& diagnosticsPopoverController()
        const {
        return diagnosticsPopoverController_;
    }

protected:
    void loadNib() override;

private:
    // The actions of the nib's controls.
    void menubarCheckboxClick(ui::Control& sender);
    void launchAtLoginCheckboxClick(ui::Control& sender);
    void sensitivityChanged(ui::Control& sender);
    void timeoutChanged(ui::Control& sender);
    void tooltipEnableChanged(ui::Control& sender);
    void tooltipSizeSlide(ui::Control& sender);
    void accessibilityPromptClick(ui::Control& sender);
    void diagnosticsClick(ui::Control& sender);
    void updateAccessibilityStatus(bool trusted);
    // Runs the diagnostics and colours their light by the worst status.
    void showDiagnosticsStatus();
    // The action calls the member on this tab while the tab lives.
    ui::Control::Action action(void (GeneralTabController::*member)(ui::Control&));

    TooltipControllerSource tooltips_;
    std::shared_ptr<settings::Defaults::DefaultsObservation> observer_;
    std::shared_ptr<app::DiagnosticsPopoverViewController> diagnosticsPopoverController_;
    std::shared_ptr<ui::Popover> popover_;
    signals::Signal<bool>::SubscriptionRef accessibilitySubscription_;

    std::shared_ptr<ui::View> generalView_;
    std::shared_ptr<ui::View> gestureView_;
    std::shared_ptr<ui::View> tooltipView_;
    std::shared_ptr<ui::ImageView> accessibilityStatus_;
    std::shared_ptr<ui::Button> accessibilityPrompt_;
    std::shared_ptr<ui::TextField> accessibilityLabel_;
    std::shared_ptr<ui::ImageView> diagnosticsImage_;
    std::shared_ptr<ui::Button> diagnosticsButton_;
    std::shared_ptr<ui::Button> launchAtLoginCheckbox_;
    std::shared_ptr<ui::Button> menubarCheckbox_;
    std::shared_ptr<ui::Button> hapticCheckbox_;
    std::shared_ptr<ui::Slider> sensitivitySlider_;
    std::shared_ptr<ui::TextField> sensitivityLabel_;
    std::shared_ptr<ui::Button> tapHoldCheckbox_;
    std::shared_ptr<ui::Slider> timeoutSlider_;
    std::shared_ptr<ui::TextField> timeoutLabel_;
    std::shared_ptr<ui::Button> tooltipEnableCheckbox_;
    std::shared_ptr<ui::Button> tooltipLiveCheckbox_;
    std::shared_ptr<ui::Button> hideCursorCheckbox_;
    std::shared_ptr<ui::Slider> tooltipSizeSlider_;
};

}  // namespace zoral::preferences
