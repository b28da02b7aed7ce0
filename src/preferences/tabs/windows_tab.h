#pragma once

// The Windows tab: what the window, tab and screen gestures do, as rows that switch each kind on
// or off, and the settings that belong to them: the general and screen modifier keys, gestures on
// windows in Mission Control, the kinds of application whose tabs the tab gestures handle, and the
// screen gestures' pointer and chaining. Every control writes its setting the moment the user
// changes it. The checkboxes are filled when the view loads; the two modifier controls again each
// time the tab appears, since other tabs change those settings too.
//
// Main thread only. Made with std::make_shared.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "preferences/tabs/tab.h"
#include "preferences/widgets/gesture_view.h"
#include "preferences/widgets/mod_key_control.h"
#include "settings/defaults.h"
#include "settings/tab_app_type.h"
#include "ui/button.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences {

class WindowsTabController : public PreferencesTabController {
public:
    std::string tabTitle() const override { return "Windows"; }
    std::string imageName() const override { return "PrefsWindow"; }
    std::string symbolName() const override { return "macwindow.on.rectangle"; }
    std::string nibName() const override { return "WindowsTab"; }
    // The three sections with separators between them.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& generalView() const { return generalView_; }
    const std::shared_ptr<ui::View>& tabsView() const { return tabsView_; }
    const std::shared_ptr<ui::View>& screensView() const { return screensView_; }
    const std::shared_ptr<ModKeyControl>& generalModKeyControl() const {
        return generalModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& screensModKeyControl() const {
        return screensModKeyControl_;
    }
    const std::shared_ptr<ui::Button>& missionControlCheckbox() const {
        return missionControlCheckbox_;
    }
    const std::shared_ptr<ui::Button>& tabNativeCheckbox() const { return tabNativeCheckbox_; }
    const std::shared_ptr<ui::Button>& tabArcCheckbox() const { return tabArcCheckbox_; }
    const std::shared_ptr<ui::Button>& tabChromeCheckbox() const { return tabChromeCheckbox_; }
    const std::shared_ptr<ui::Button>& tabSafariCheckbox() const { return tabSafariCheckbox_; }
    const std::shared_ptr<ui::Button>& tabXcodeCheckbox() const { return tabXcodeCheckbox_; }
    const std::shared_ptr<ui::Button>& tabVscodeCheckbox() const { return tabVscodeCheckbox_; }
    const std::shared_ptr<ui::Button>& moveCursorCheckbox() const { return moveCursorCheckbox_; }
    const std::shared_ptr<ui::Button>& chainGestureCheckbox() const {
        return chainGestureCheckbox_;
    }
    const std::shared_ptr<ui::StackView>& generalGestureStack() const {
        return generalGestureStack_;
    }
    const std::shared_ptr<ui::StackView>& tabsGestureStack() const { return tabsGestureStack_; }
    const std::shared_ptr<ui::StackView>& screensGestureStack() const {
        return screensGestureStack_;
    }

protected:
    void loadNib() override;

private:
    // The checkbox of each kind of application with tabs, in the order the view fills them.
    std::array<std::pair<std::shared_ptr<ui::Button>, settings::TabAppType>, 6> tabCheckboxes()
        const;
    void buildGestureRows();

    std::shared_ptr<ui::View> generalView_;
    std::shared_ptr<ui::View> tabsView_;
    std::shared_ptr<ui::View> screensView_;
    std::shared_ptr<ModKeyControl> generalModKeyControl_;
    std::shared_ptr<ModKeyControl> screensModKeyControl_;
    std::shared_ptr<ui::Button> missionControlCheckbox_;
    std::shared_ptr<ui::Button> tabNativeCheckbox_;
    std::shared_ptr<ui::Button> tabArcCheckbox_;
    std::shared_ptr<ui::Button> tabChromeCheckbox_;
    std::shared_ptr<ui::Button> tabSafariCheckbox_;
    std::shared_ptr<ui::Button> tabXcodeCheckbox_;
    std::shared_ptr<ui::Button> tabVscodeCheckbox_;
    std::shared_ptr<ui::Button> moveCursorCheckbox_;
    std::shared_ptr<ui::Button> chainGestureCheckbox_;
    std::shared_ptr<ui::StackView> generalGestureStack_;
    std::shared_ptr<ui::StackView> tabsGestureStack_;
    std::shared_ptr<ui::StackView> screensGestureStack_;
};

}  // namespace zoral::preferences
