#pragma once

// The Menubar tab: the gestures that start on the menu bar and on a space of Mission Control,
// each a row that turns its kind of action on or off, and the two modifiers those gestures use:
// the secondary modifier (the menu-bar gestures for every screen) and the screen modifier (a
// swipe that moves the windows to another screen). Each modifier control takes no key of the
// super modifier and no combination another role holds; it writes its setting the moment it
// accepts a combination, and shows the stored one each time the tab appears.
//
// Main thread only. Made with std::make_shared.

#include <memory>
#include <string>
#include <vector>

#include "preferences/tabs/tab.h"
#include "preferences/widgets/mod_key_control.h"
#include "settings/defaults.h"
#include "ui/stack_view.h"

namespace zoral::preferences {

class MenubarTabController : public PreferencesTabController {
public:
    std::string tabTitle() const override { return "Menubar"; }
    std::string imageName() const override { return "PrefsMenubar"; }
    std::string symbolName() const override { return "menubar.rectangle"; }
    std::string nibName() const override { return "MenubarTab"; }
    // The menu-bar section, a separator, the Mission Control section.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& menubarView() const { return menubarView_; }
    const std::shared_ptr<ui::View>& missionControlView() const { return missionControlView_; }
    const std::shared_ptr<ModKeyControl>& menubarModKeyControl() const {
        return menubarModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& screensModKeyControl() const {
        return screensModKeyControl_;
    }
    const std::shared_ptr<ui::StackView>& menubarGestureStack() const {
        return menubarGestureStack_;
    }
    const std::shared_ptr<ui::StackView>& missionControlGestureStack() const {
        return missionControlGestureStack_;
    }

protected:
    void loadNib() override;

private:
    std::shared_ptr<ui::View> menubarView_;
    std::shared_ptr<ui::View> missionControlView_;
    std::shared_ptr<ModKeyControl> menubarModKeyControl_;
    std::shared_ptr<ModKeyControl> screensModKeyControl_;
    std::shared_ptr<ui::StackView> menubarGestureStack_;
    std::shared_ptr<ui::StackView> missionControlGestureStack_;
};

}  // namespace zoral::preferences
