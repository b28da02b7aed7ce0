#pragma once

// The modifier-key picker: ModKeyControl is a small button whose title shows the chosen keys as
// symbols (⇧ ⌥); a press opens a popover with one toggle segment per modifier key. The control
// validates every combination the user picks against its owner's rules (starting flags, disabled
// keys, combinations it may not equal), explains a refusal in the popover's message line, and
// sends its action only for an accepted combination; the owner's action then writes the setting.
// While the popover is open, holding modifier keys selects their segments.
//
// ModKeyTextField and ModKeyImageView are clickable hints: a click opens the preferences window on
// its Advanced tab, where the controls of every modifier are gathered.
//
// Main thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "settings/modifier_flags.h"
#include "ui/button.h"
#include "ui/image_view.h"
#include "ui/popover.h"
#include "ui/segmented_control.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"
#include "ui/view_controller.h"

namespace zoral::platform {
class EventMonitor;
struct NSEvent;
}  // namespace zoral::platform

namespace zoral::preferences {

// One modifier key: `short_` labels its segment, `symbol` stands for it in a control's title.
struct ModifierKey {
    std::string_view name;
    std::string_view short_;
    std::string_view symbol;
    settings::ModifierFlags flags;
};

// The five keys in the order of the segments and of the symbols in a title: shift, function,
// control, option, command.
const std::array<ModifierKey, 5>& modifierKeys();

class ModKeyPopoverViewController;

class ModKeyControl : public ui::Button {
public:
    // What setFlags made of a proposed combination; the first failing check decides.
    enum class SetFlagsResult : std::uint8_t {
        empty = 0,
        multipleKeys = 1,
        maximumKeys = 2,
        keysInUse = 3,
        accepted = 4,
    };

    using FlagsSource = std::function<settings::ModifierFlags()>;

    // A control titled "–" with no keys; its popover is made at once and reused.
    ModKeyControl();
    ~ModKeyControl() override;

    // The owner's rules, read at each check. Owners assign `flags` directly (from initialFlags,
    // when their tab loads and each time it appears) and then call updateTitle.
    bool allowEmptySelection = false;
    bool allowMultipleSelection = true;
    int maxMultiSelection = 5;
    // The current, accepted combination.
    settings::ModifierFlags flags;
    FlagsSource initialFlags = [] { return settings::ModifierFlags(); };
    // Keys whose segments are offered disabled.
    FlagsSource disabledFlags = [] { return settings::ModifierFlags(); };
    // Each yields a combination this control may not take (exactly equal; subsets pass).
    std::vector<FlagsSource> flagsConstraints;

    const std::shared_ptr<ModKeyPopoverViewController>& popoverController() const {
        return popoverController_;
    }
    const std::shared_ptr<ui::Popover>& popover() const { return popover_; }

    // Configures the button and builds its popover; run once, by the constructor.
    virtual void makePopover();
    // Validates the proposed combination; when accepted, takes it, updates the title and sends
    // the action. A refusal changes nothing.
    virtual SetFlagsResult setFlags(settings::ModifierFlags proposed);
    // The title from `flags`: the symbols of its keys in table order, joined by one blank; "–"
    // when empty.
    virtual void updateTitle();

    // Opens the popover below the control, unless it is shown already. The button's own click
    // handling does not run.
    void mouseDown(const ui::Event& event) override;
    void mouseUp(const ui::Event& event) override;

private:
    std::shared_ptr<ModKeyPopoverViewController> popoverController_;
    std::shared_ptr<ui::Popover> popover_;
};

// The popover's content: a message line above the five key segments.
class ModKeyPopoverViewController : public ui::ViewController {
public:
    ModKeyPopoverViewController() = default;
    ~ModKeyPopoverViewController() override;

    // A controller with its views built, for the control (which owns it).
    static std::shared_ptr<ModKeyPopoverViewController> make(ModKeyControl& delegate);

    // The control that owns the popover; none once it has gone.
    ModKeyControl* delegate() const { return delegate_; }
    void setDelegate(ModKeyControl* delegate) { delegate_ = delegate; }
    const std::shared_ptr<platform::EventMonitor>& monitor() const { return monitor_; }
    const std::shared_ptr<ui::StackView>& stackView() const { return stackView_; }
    const std::shared_ptr<ui::TextField>& textField() const { return textField_; }
    const std::shared_ptr<ui::SegmentedControl>& segmentedControl() const {
        return segmentedControl_;
    }
    // Set bits in the modifier flags of the last key event the monitor saw.
    int flagsDown() const { return flagsDown_; }

    void loadView() override;
    // Segments in step with the control, the message hidden, the key monitor installed.
    void viewWillAppear() override;
    // The key monitor removed.
    void viewWillDisappear() override;

    // The segmented control's action.
    void onClick();

    // Selects exactly the segments of the control's keys; enables those not disabled.
    virtual void syncSegments();
    // The message line for the result: hidden when accepted, else the reason.
    virtual void showMessage(ModKeyControl::SetFlagsResult result);
    // Proposes the selected segments' keys to the control and shows its answer.
    virtual void applySelection();
    virtual void startMonitor();

    // The monitor's handler for a flags-changed event; the event always passes on.
    platform::NSEvent handleFlagsChanged(const platform::NSEvent& event);

    // The text of the message line for a result.
    static std::string_view message(ModKeyControl::SetFlagsResult result);

private:
    ModKeyControl* delegate_ = nullptr;
    std::shared_ptr<platform::EventMonitor> monitor_;
    std::shared_ptr<ui::StackView> stackView_;
    std::shared_ptr<ui::TextField> textField_;
    std::shared_ptr<ui::SegmentedControl> segmentedControl_;
    int flagsDown_ = 0;
};

// A label that opens the Advanced tab when clicked; underlined while the pointer is over it.
class ModKeyTextField : public ui::TextField {
public:
    explicit ModKeyTextField(std::string text = "");

    void mouseEntered(const ui::Event& event) override;
    void mouseExited(const ui::Event& event) override;
    void mouseUp(const ui::Event& event) override;
};

// The image of a modifier key in a gesture row; opens the Advanced tab when clicked.
class ModKeyImageView : public ui::ImageView {
public:
    ModKeyImageView();

    void mouseUp(const ui::Event& event) override;
};

// Opens the preferences window on its Advanced tab, when the application is there.
void openAdvancedPreferences();

}  // namespace zoral::preferences
