#pragma once

// The Apps tab: the gestures that start on an application's tile in the Dock, each a row that
// turns its kind of action on or off; the general and secondary modifiers those gestures use;
// and whether gestures may also start on the menu bar's items. Each modifier control takes no key
// of the super modifier and no combination another role holds; it writes its setting the moment
// it accepts a combination, and shows the stored one each time the tab appears.
//
// Main thread only. Made with std::make_shared.

#include <memory>
#include <string>
#include <vector>

#include "preferences/tabs/tab.h"
#include "preferences/widgets/mod_key_control.h"
#include "ui/button.h"
#include "ui/stack_view.h"

namespace zoral::preferences {

class AppsTabController : public PreferencesTabController {
public:
    std::string tabTitle() const override { return "Apps"; }
    std::string imageName() const override { return "PrefsApps"; }
    std::string symbolName() const override { return "dock.rectangle"; }
    std::string nibName() const override { return "AppsTab"; }
    // The Dock section alone.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& dockView() const { return dockView_; }
    const std::shared_ptr<ModKeyControl>& generalModKeyControl() const {
        return generalModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& secondaryModKeyControl() const {
        return secondaryModKeyControl_;
    }
    const std::shared_ptr<ui::Button>& appMenuCheckbox() const { return appMenuCheckbox_; }
    const std::shared_ptr<ui::StackView>& dockGestureStack() const { return dockGestureStack_; }

protected:
    void loadNib() override;

private:
    std::shared_ptr<ui::View> dockView_;
    std::shared_ptr<ModKeyControl> generalModKeyControl_;
    std::shared_ptr<ModKeyControl> secondaryModKeyControl_;
    std::shared_ptr<ui::Button> appMenuCheckbox_;
    std::shared_ptr<ui::StackView> dockGestureStack_;
};

}  // namespace zoral::preferences
