#pragma once

// The preferences window as the rest of the program reaches it: showing it and one of its tabs,
// presenting the onboarding popovers from an anchor in the window, and asking for the
// Accessibility permission in a sheet. The controller is the delegate of its window (entering
// full screen makes the program a regular application with a Dock icon, closing the window an
// accessory one again) and of the popovers it presents (a closed popover hides the anchor).
//
// The controller lives from its first use to the end of the process; closing the window keeps
// it, and `show` brings the same window back. Made with std::make_shared (the popovers and the
// sheet hold it weakly). Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/preferences_tab.h"
#include "ui/button.h"
#include "ui/popover.h"
#include "ui/titled_window.h"
#include "ui/window_controller.h"

namespace zoral::desktop {
class AXAccess;
}

namespace zoral::preferences {

class AccessibilityWindowController;
class OnboardingPopoverController;

// What the window needs of the program around it.
struct PreferencesEnvironment {
    // The Accessibility permission; not owned, it must outlive the controller.
    desktop::AXAccess* access = nullptr;
    // Ends the application (the toolbar's Quit).
    std::function<void()> terminate;
};

class PreferencesWindowController
    : public ui::WindowController,
      public ui::WindowDelegate,
      public ui::PopoverDelegate,
      public std::enable_shared_from_this<PreferencesWindowController> {
public:
    ~PreferencesWindowController() override;

    // Activates the application and brings the window to the front.
    void show();
    // Selects and shows the tab and remembers it in "prefsLastTab"; the window stays where it is.
    virtual void showTab(settings::PreferencesTab tab) = 0;
    // The view from which the onboarding popovers hang.
    virtual std::shared_ptr<ui::Button> popoverAnchor() = 0;
    // Makes the anchor visible.
    virtual void showPopoverAnchor() = 0;

    // Shows the controller in a popover from the anchor, titled by the anchor, on the next turn of
    // the main queue. The completion is the controller's handler, run when the user finishes or
    // closes it; when the anchor is in no window on screen by then, nothing is shown, the anchor is
    // hidden again and the completion runs at once.
    void presentPopover(std::string title, std::shared_ptr<OnboardingPopoverController> controller,
                        std::function<void()> completion);
    template <class Controller>
    void showPopover(std::string title, std::function<void()> completion) {
        presentPopover(std::move(title), std::make_shared<Controller>(), std::move(completion));
    }
    // The tour of eight steps, titled "Welcome".
    void showWelcome(std::function<void()> completion);
    // The one page of news, titled "What's New".
    void showWhatsNew(std::function<void()> completion);

    // The Accessibility sheet's controller, made on first use.
    AccessibilityWindowController& accessibilityWindowController();
    // Runs the completion at once when the program holds the Accessibility permission. Otherwise
    // shows the Accessibility sheet and runs it when the sheet ends; when the sheet is up already,
    // does nothing (and never runs this completion).
    void requireAccessibility(std::function<void()> completion);

    // The popover presented last, while it lives (it may not be shown yet, or any longer).
    std::shared_ptr<ui::Popover> presentedPopover() const;

    // Replaces the toolbar's items with the identifiers' items, in the order given.
    void setToolbarItems(const std::vector<std::string>& identifiers);
    // The window's title; from system 11 on the subtitle (empty without one) stands below it,
    // before it follows the title after the separator.
    void setTitle(const std::string& title, const std::optional<std::string>& subtitle,
                  const std::string& separator);

    void windowWillEnterFullScreen(ui::TitledWindow& window) override;
    void windowWillClose(ui::TitledWindow& window) override;
    void popoverDidClose(ui::Popover& popover) override;

protected:
    explicit PreferencesWindowController(PreferencesEnvironment environment);

    const PreferencesEnvironment& environment() const { return environment_; }
    // Hides the anchor again: the toolbar's normal items come back.
    virtual void hidePopoverAnchor() = 0;
    // Stops being the delegate of the window and the popover; for the destructor of the window's
    // owner, before its views go.
    void detachFromWindow();

private:
    PreferencesEnvironment environment_;
    std::shared_ptr<AccessibilityWindowController> accessibility_;
    // The popovers presented, whose delegate this is.
    std::vector<std::weak_ptr<ui::Popover>> popovers_;
};

// Shows the other controller's window as a sheet of the controller's window; the completion runs
// with the sheet's response when it ends. Nothing (and no completion) when either controller has
// no window or the other's window is attached as this one's sheet already.
void presentAsSheet(ui::WindowController& controller, ui::WindowController& other,
                    std::function<void(std::int64_t response)> completion = {});

}  // namespace zoral::preferences
