#pragma once

// The Windows tab: what the window, tab and screen gestures do, as rows that switch each kind on
// or off, and the settings that belong to them: the general and screen modifier keys, gestures on
// windows in Mission Control, the kinds of application whose tabs the tab gestures handle, and the
// screen gestures' pointer and chaining. Every control writes its setting the moment the user
// changes it. The checkboxes are filled when the view loads; the two modifier controls again each
// time the tab appears, since other tabs change those settings too.
//
// Also here: what the Windows and Snapping tabs' nibs share, the layout of a section and the
// owner's rules of a modifier control.
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

namespace nib {

using Views = std::vector<std::shared_ptr<ui::View>>;
using ModifierKey = settings::Defaults::Key<settings::ModifierFlags>;

// A section: a heading over its controls in a column, inset from the window's edges (further at
// the top of the first section and the bottom of the last).
std::shared_ptr<ui::StackView> section(const std::string& title, Views views, double top = 0,
                                       double bottom = 0);
// Views side by side, centred on one line.
std::shared_ptr<ui::StackView> row(Views views);
// The column that receives a section's gesture rows.
std::shared_ptr<ui::StackView> gestureStack();
// A label in front of a control, of one width so that the controls line up.
std::shared_ptr<ui::TextField> caption(const std::string& text);
// A line of explanation in the secondary colour.
std::shared_ptr<ui::TextField> note(const std::string& text);

// Whether the checkbox that sent an action is on; mixed and off are not.
bool isOn(const ui::Control& sender);
ui::ControlState stateOf(bool on);
// The action of a checkbox that stores whether it is on.
ui::Control::Action writer(const settings::Defaults::Key<bool>& key);
// The action of a modifier control that stores its accepted keys.
ui::Control::Action writer(const ModifierKey& key);

// One gesture row as a tab lists it.
struct GestureRow {
    settings::ActionUserType action;
    const char* title;
    GestureIcon icon;
    const ui::Color& (*tint)();
    const char* description;
    // None when null: the row then says that there is no more to know.
    const char* info;
    GestureSequences sequences;
};
std::shared_ptr<GestureView> gestureView(const GestureRow& row);

// The owner's rules of a modifier control: it starts from `initial`, never offers the keys of
// `disabled`, and may not take exactly the keys of any of `others`. Each rule reads its setting
// when the control asks, so changes made elsewhere count without rebuilding the control. Sets the
// control's keys from `initial`.
void applyRules(ModKeyControl& control, const ModifierKey& initial, const ModifierKey& disabled,
                const std::array<const ModifierKey*, 3>& others);
// The control's keys as stored now, and its title to match.
void refresh(ModKeyControl& control);

}  // namespace nib

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
