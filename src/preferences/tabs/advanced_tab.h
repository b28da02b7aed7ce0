#pragma once

// The Advanced tab: the five modifier keys (the super key and the four roles), whether gestures
// need the super key, the keyboard hotkeys with their arrow and centre layouts, whether the event
// tap swallows what it handles, the delay before snapped windows are put back after the screens
// change, the recorder of the display shortcut, the two restores, a button that sleeps and wakes
// the displays, and one that replays the welcome tour.
//
// Every control writes its setting at once. The engine is rebuilt (never reconfigured) when an
// arrow layout, a centre key or the tap mode is chosen here, and whenever "hotkeys" changes,
// wherever it is written, while this controller lives: its observation also reports once when
// the view loads, so loading the view rebuilds the engine once. The modifier controls' rules read
// the settings at each check, so what other tabs change is seen without rebuilding them.
//
// Main thread only. Made with std::make_shared.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "preferences/tabs/tab.h"
#include "preferences/widgets/mod_key_control.h"
#include "settings/defaults_key.h"
#include "settings/defaults_observation.h"
#include "settings/hotkeys_arrow_layout.h"
#include "settings/hotkeys_center_layout.h"
#include "settings/lifetime_association.h"
#include "settings/modifier_flags.h"
#include "shortcuts/recorder_cocoa.h"
#include "ui/button.h"
#include "ui/pop_up_button.h"
#include "ui/slider.h"
#include "ui/text_field.h"

namespace zoral::preferences {

// What the pop-ups show for a layout: the title, which also selects the stored layout, and the
// tool tip that explains it.
struct LayoutTexts {
    std::string_view title;
    std::string_view toolTip;
};
LayoutTexts layoutTexts(settings::HotkeysArrowLayout layout);
LayoutTexts layoutTexts(settings::HotkeysCenterLayout layout);

// The re-snap delay in words: "Off" for 0, else the number followed by " Seconds".
std::string screenChangeTimeoutText(std::int64_t seconds);

// The four role keys that a new super key leaves free, written when the super key takes a key
// that a role uses (see AdvancedTabController::onSuperModKey); none when fewer than three keys
// are left.
struct RoleModifiers {
    settings::ModifierFlags general;
    settings::ModifierFlags screen;
    settings::ModifierFlags secondary;
    settings::ModifierFlags tertiary;

    friend bool operator==(const RoleModifiers&, const RoleModifiers&) = default;
};
std::optional<RoleModifiers> rolesFreeOf(settings::ModifierFlags superModifier);

class AdvancedTabController : public PreferencesTabController {
public:
    AdvancedTabController();
    ~AdvancedTabController() override;

    std::string tabTitle() const override { return "Advanced"; }
    std::string imageName() const override { return "PrefsAdvanced"; }
    std::string symbolName() const override { return "gearshape.2"; }
    std::string nibName() const override { return "AdvancedTab"; }
    // The three sections with separators between them.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& modifiersView() const { return modifiersView_; }
    const std::shared_ptr<ui::View>& advancedView() const { return advancedView_; }
    const std::shared_ptr<ui::View>& resetView() const { return resetView_; }
    const std::shared_ptr<ui::View>& shortcutView() const { return shortcutView_; }
    const std::shared_ptr<ui::View>& magicMouseView() const { return magicMouseView_; }
    const std::shared_ptr<ModKeyControl>& superModKeyControl() const { return superModKeyControl_; }
    const std::shared_ptr<ModKeyControl>& generalModKeyControl() const {
        return generalModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& secondaryModKeyControl() const {
        return secondaryModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& tertiaryModKeyControl() const {
        return tertiaryModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& screenModKeyControl() const {
        return screenModKeyControl_;
    }
    const std::shared_ptr<ui::Button>& requireSuperModCheckbox() const {
        return requireSuperModCheckbox_;
    }
    const std::shared_ptr<ui::Button>& hotkeysCheckbox() const { return hotkeysCheckbox_; }
    const std::shared_ptr<ui::PopUpButton>& arrowsSelect() const { return arrowsSelect_; }
    const std::shared_ptr<ui::PopUpButton>& centerSelect() const { return centerSelect_; }
    const std::shared_ptr<ui::Button>& reactivateNowButton() const { return reactivateNowButton_; }
    const std::shared_ptr<ui::Button>& stopEventsCheckbox() const { return stopEventsCheckbox_; }
    const std::shared_ptr<ui::Button>& magicMouseCheckbox() const { return magicMouseCheckbox_; }
    const std::shared_ptr<ui::Slider>& timeoutSlider() const { return timeoutSlider_; }
    const std::shared_ptr<ui::TextField>& timeoutLabel() const { return timeoutLabel_; }
    const std::shared_ptr<ui::Button>& restoreModKeysButton() const {
        return restoreModKeysButton_;
    }
    const std::shared_ptr<ui::Button>& restoreAllButton() const { return restoreAllButton_; }
    const std::shared_ptr<ui::Button>& tutorialButton() const { return tutorialButton_; }
    // The recorder of the display shortcut, once the view has loaded.
    const std::shared_ptr<shortcuts::GlobalShortcuts::RecorderCocoa>& recorder() const {
        return recorder_;
    }

protected:
    void loadNib() override;

private:
    // The actions of the nib's controls.
    void onSuperModKey(ui::Control& sender);
    void requireSuperModChecked(ui::Control& sender);
    void hotkeysChecked(ui::Control& sender);
    void arrowsSelected(ui::Control& sender);
    void centerSelected(ui::Control& sender);
    void stopEventsChecked(ui::Control& sender);
    void magicMouseChecked(ui::Control& sender);
    void timeoutSlide(ui::Control& sender);
    void reactivateNowClicked(ui::Control& sender);
    void restoreModKeysClicked(ui::Control& sender);
    void restoreAllClicked(ui::Control& sender);
    void tutorialClicked(ui::Control& sender);

    // The layout the pop-up's chosen item names goes into the setting, then the engine is
    // rebuilt; a choice that names no layout changes nothing.
    template <class Layout>
    void storeLayout(const ui::Control& sender, const settings::Defaults::Key<Layout>& key);
    void fillPopUps();
    void refreshHotkeyControls();
    void refreshTimeoutControls();
    void configureModKeyControls();
    // Shows the stored keys in the role controls; with the super control too.
    void refreshModKeyControls(bool includingSuper);
    // Rebuilds the engine as a permission report does; nothing without the application delegate.
    static void restartEngine();
    // The action calls the member on this tab while the tab lives.
    ui::Control::Action action(void (AdvancedTabController::*member)(ui::Control&));

    settings::LifetimeOwner lifetime_;
    std::shared_ptr<settings::Defaults::DefaultsObservation> hotkeysObservation_;
    std::shared_ptr<shortcuts::GlobalShortcuts::RecorderCocoa> recorder_;

    std::shared_ptr<ui::View> modifiersView_;
    std::shared_ptr<ui::View> advancedView_;
    std::shared_ptr<ui::View> resetView_;
    std::shared_ptr<ui::View> shortcutView_;
    std::shared_ptr<ui::View> magicMouseView_;
    std::shared_ptr<ModKeyControl> superModKeyControl_;
    std::shared_ptr<ModKeyControl> generalModKeyControl_;
    std::shared_ptr<ModKeyControl> secondaryModKeyControl_;
    std::shared_ptr<ModKeyControl> tertiaryModKeyControl_;
    std::shared_ptr<ModKeyControl> screenModKeyControl_;
    std::shared_ptr<ui::Button> requireSuperModCheckbox_;
    std::shared_ptr<ui::Button> hotkeysCheckbox_;
    std::shared_ptr<ui::PopUpButton> arrowsSelect_;
    std::shared_ptr<ui::PopUpButton> centerSelect_;
    std::shared_ptr<ui::Button> reactivateNowButton_;
    std::shared_ptr<ui::Button> stopEventsCheckbox_;
    std::shared_ptr<ui::Button> magicMouseCheckbox_;
    std::shared_ptr<ui::Slider> timeoutSlider_;
    std::shared_ptr<ui::TextField> timeoutLabel_;
    std::shared_ptr<ui::Button> restoreModKeysButton_;
    std::shared_ptr<ui::Button> restoreAllButton_;
    std::shared_ptr<ui::Button> tutorialButton_;
};

}  // namespace zoral::preferences
