#pragma once

// The About tab: the program's version, how many gestures the engine has performed, the update
// section, and the credits with an open-source notice that the user folds in and out. The update
// checkbox shows and switches the updater's automatic checks and opens a popover beside it with
// the update options: automatic checks, the beta channel, and a check made now. The tab writes no
// setting of its own; the update options live in the updater.
//
// Main thread only. Made with std::make_shared.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "preferences/tabs/tab.h"
#include "ui/button.h"
#include "ui/popover.h"
#include "ui/text_field.h"
#include "ui/view_controller.h"

namespace zoral::preferences {

// The content of the update popover: each control shows the updater's option it changes.
class AboutPopoverController final : public ui::ViewController {
public:
    void loadView() override;
    void viewWillAppear() override;
    // Shows the updater's options as they are now.
    void refresh();

    // Told after the user changed an option here, so that other views of it follow.
    std::function<void()> onChange = [] {};

    const std::shared_ptr<ui::Button>& automaticCheckbox() const { return automaticCheckbox_; }
    const std::shared_ptr<ui::Button>& betaCheckbox() const { return betaCheckbox_; }
    const std::shared_ptr<ui::Button>& checkNowButton() const { return checkNowButton_; }

private:
    std::shared_ptr<ui::Button> automaticCheckbox_;
    std::shared_ptr<ui::Button> betaCheckbox_;
    std::shared_ptr<ui::Button> checkNowButton_;
};

class AboutTabController : public PreferencesTabController, public ui::PopoverDelegate {
public:
    ~AboutTabController() override;

    std::string tabTitle() const override { return "About"; }
    std::string imageName() const override { return "PrefsAbout"; }
    std::string symbolName() const override { return "info.circle"; }
    std::string nibName() const override { return "AboutTab"; }
    // The about, update and credits sections with separators between them.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& aboutView() const { return aboutView_; }
    const std::shared_ptr<ui::View>& updaterView() const { return updaterView_; }
    const std::shared_ptr<ui::View>& creditsView() const { return creditsView_; }
    const std::shared_ptr<ui::TextField>& numberOfZodirizLabel() const {
        return numberOfZodirizLabel_;
    }
    const std::shared_ptr<ui::TextField>& versionLabel() const { return versionLabel_; }
    const std::shared_ptr<ui::Button>& updateCheckbox() const { return updateCheckbox_; }
    const std::shared_ptr<ui::View>& openSourceView() const { return openSourceView_; }
    const std::shared_ptr<ui::Button>& openSourceButton() const { return openSourceButton_; }
    const std::shared_ptr<ui::Button>& releaseNotesButton() const { return releaseNotesButton_; }
    // The update popover, once the update checkbox has made it.
    const std::shared_ptr<ui::Popover>& popover() const { return popover_; }

protected:
    void loadNib() override;

private:
    // The actions of the nib's controls.
    void updateClicked(ui::Control& sender);
    void openSourceClicked(ui::Control& sender);
    void releaseNotesClicked(ui::Control& sender);
    ui::Control::Action action(void (AboutTabController::*member)(ui::Control&));
    // Made on first use and kept.
    ui::Popover& updatePopover();
    void showAutomaticChecks();

    std::shared_ptr<ui::Popover> popover_;
    std::shared_ptr<ui::View> aboutView_;
    std::shared_ptr<ui::View> updaterView_;
    std::shared_ptr<ui::View> creditsView_;
    std::shared_ptr<ui::TextField> numberOfZodirizLabel_;
    std::shared_ptr<ui::TextField> versionLabel_;
    std::shared_ptr<ui::Button> updateCheckbox_;
    std::shared_ptr<ui::View> openSourceView_;
    std::shared_ptr<ui::Button> openSourceButton_;
    std::shared_ptr<ui::Button> releaseNotesButton_;
};

}  // namespace zoral::preferences
