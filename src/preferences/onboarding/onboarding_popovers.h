#pragma once

// The onboarding popovers that the preferences window presents: the Welcome tour of eight steps on
// the first launch and the one-page What's New after an update. Each step view carries its
// buttons; a step's Next button shows the preferences tab that the next step talks about and
// puts the next step in the popover. Closing either popover runs its handler once and closes it;
// the Welcome popover also brings the General tab back, What's New leaves the tab as it is.
//
// The preferences window fills `preferencesController`, `popover` and `handler` before it shows
// the popover; each may be missing (or gone), and what needs it is then skipped.
//
// Main thread only.

#include <functional>
#include <memory>
#include <string>

#include "preferences/window/preferences_window_controller.h"
#include "settings/preferences_tab.h"
#include "ui/button.h"
#include "ui/popover.h"
#include "ui/view_controller.h"

namespace zoral::preferences {

class OnboardingPopoverController : public ui::ViewController {
public:
    std::weak_ptr<PreferencesWindowController> preferencesController;
    std::weak_ptr<ui::Popover> popover;
    std::function<void()> handler;

protected:
    // Shows the tab in the preferences window and makes the step view the popover's content (the
    // popover fits itself to it).
    void showStep(settings::PreferencesTab tab, const std::shared_ptr<ui::View>& step);
    void showTab(settings::PreferencesTab tab);
    // Runs the handler, when there is one, and closes the popover, when it is still there.
    void finish();
};

class WelcomePopoverController final : public OnboardingPopoverController {
public:
    void loadView() override;
    void viewDidLoad() override;

    // The step views, in the order the tour shows them.
    const std::shared_ptr<ui::View>& welcomeView() const { return welcomeView_; }
    const std::shared_ptr<ui::View>& gesturesView() const { return gesturesView_; }
    const std::shared_ptr<ui::View>& windowsView() const { return windowsView_; }
    const std::shared_ptr<ui::View>& appsView() const { return appsView_; }
    const std::shared_ptr<ui::View>& menubarView() const { return menubarView_; }
    const std::shared_ptr<ui::View>& advancedView() const { return advancedView_; }
    const std::shared_ptr<ui::View>& hotkeysView() const { return hotkeysView_; }
    const std::shared_ptr<ui::View>& loginView() const { return loginView_; }
    const std::shared_ptr<ui::Button>& gesturesEnableButton() const { return gesturesEnable_; }
    const std::shared_ptr<ui::Button>& hotkeysEnableButton() const { return hotkeysEnable_; }

private:
    void welcomeNext();
    void gesturesEnableAll();
    void gesturesNext();
    void windowsNext();
    void appsNext();
    void menubarNext();
    void advancedNext();
    void enableHotkeys();
    void hotkeysNext();
    void loginAndClose();
    void close();

    std::shared_ptr<ui::View> welcomeView_;
    std::shared_ptr<ui::View> gesturesView_;
    std::shared_ptr<ui::View> windowsView_;
    std::shared_ptr<ui::View> appsView_;
    std::shared_ptr<ui::View> menubarView_;
    std::shared_ptr<ui::View> advancedView_;
    std::shared_ptr<ui::View> hotkeysView_;
    std::shared_ptr<ui::View> loginView_;
    std::shared_ptr<ui::Button> gesturesEnable_;
    std::shared_ptr<ui::Button> hotkeysEnable_;
};

class UpdatePopoverController final : public OnboardingPopoverController {
public:
    void loadView() override;
    void viewDidLoad() override;

    const std::shared_ptr<ui::View>& welcomeView() const { return welcomeView_; }

private:
    void close();

    std::shared_ptr<ui::View> welcomeView_;
};

}  // namespace zoral::preferences
