#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loginitems/login_items.h"
#include "platform/enum_table.h"
#include "preferences_world.h"
#include "sim/displays.h"

namespace zoral::preferences {
namespace {

using settings::PreferencesTab;
namespace Defaults = settings::Defaults;
using Keys = settings::Defaults::Keys;

settings::ActionUserTypeSet everyActionKind() {
    const auto all = platform::allCases<settings::ActionUserType>();
    return {all.begin(), all.end()};
}

class OnboardingTest : public testing::PreferencesWorldTest {
protected:
    // Opens the window and the Welcome popover, as onboarding does.
    WelcomePopoverController& welcome() {
        open();
        controller->showWelcome([this] { ++completions; });
        turn();
        EXPECT_TRUE(popover() && popover()->isShown());
        return popoverController<WelcomePopoverController>();
    }

    // The view the popover shows now.
    ui::View& step() { return *popover()->contentViewController()->view(); }

    int completions = 0;
};

TEST_F(OnboardingTest, TheWelcomeStepsShowTheirTabsInTurn) {
    auto& tour = welcome();
    EXPECT_EQ(controller->popoverAnchor()->title(), "Welcome");
    EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Onboard"});

    struct Step {
        const ui::View* view;
        PreferencesTab tab;
    };
    const Step steps[] = {
        {tour.welcomeView().get(), PreferencesTab::general},
        {tour.gesturesView().get(), PreferencesTab::windows},
        {tour.windowsView().get(), PreferencesTab::windows},
        {tour.appsView().get(), PreferencesTab::apps},
        {tour.menubarView().get(), PreferencesTab::menubar},
        {tour.advancedView().get(), PreferencesTab::advanced},
        {tour.hotkeysView().get(), PreferencesTab::advanced},
        {tour.loginView().get(), PreferencesTab::about},
    };
    for (std::size_t index = 0; index < std::size(steps); ++index) {
        if (index > 0)
            clickButton(step(), "Next");
        EXPECT_EQ(&step(), steps[index].view) << "step " << index;
        EXPECT_EQ(shownTab(), static_cast<std::int64_t>(steps[index].tab)) << "step " << index;
        EXPECT_EQ(sidebar().selectedRow(), static_cast<std::int64_t>(steps[index].tab));
        EXPECT_TRUE(popover()->isShown());
    }
    EXPECT_EQ(findButton(step(), "Next"), nullptr) << "the last step has no next";
    EXPECT_EQ(completions, 0);
}

TEST_F(OnboardingTest, ClosingWelcomeAtAnyStepSelectsGeneralAndCompletesOnce) {
    for (int nexts = 0; nexts < 8; ++nexts) {
        welcome();
        for (int click = 0; click < nexts; ++click)
            clickButton(step(), "Next");
        if (nexts > 0) {
            ASSERT_NE(shownTab(), 0) << "a tab other than General is shown";
        }
        const int before = completions;
        clickButton(step(), "Close");
        EXPECT_EQ(completions, before + 1) << "after " << nexts << " steps";
        EXPECT_FALSE(popover() && popover()->isShown());
        EXPECT_EQ(shownTab(), 0) << "after " << nexts << " steps";
        EXPECT_EQ(storedTab(), 0);
        EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Quit"});
        controller.reset();
    }
}

TEST_F(OnboardingTest, LoginAndCloseStartsTheProgramShownAtLoginAndCloses) {
    // The service from system 13 on; before, the session's list, with the program shown.
    for (const platform::OperatingSystemVersion version :
         {platform::OperatingSystemVersion{14, 0, 0}, platform::OperatingSystemVersion{12, 6, 0}}) {
        sim::SystemVersion::of(*world).setVersion(version);
        loginitems::LoginItems::setLaunchAtLogin(false);
        welcome();
        for (int click = 0; click < 7; ++click)
            clickButton(step(), "Next");
        const int before = completions;
        clickButton(step(), "Login and close");
        EXPECT_EQ(loginitems::LoginItems::launchState(), loginitems::LoginItems::LaunchState::show)
            << "system " << version.majorVersion;
        EXPECT_EQ(completions, before + 1);
        EXPECT_FALSE(popover() && popover()->isShown());
        EXPECT_EQ(shownTab(), 0);
        controller.reset();
    }
}

TEST_F(OnboardingTest, TheEnableButtonsShowOnlyWhatIsOffAndTurnItOn) {
    struct Case {
        const char* what;
        std::optional<settings::ActionUserTypeSet> actions;
        std::optional<bool> hotkeys;
        bool gesturesButton;
        bool hotkeysButton;
    };
    auto allButOne = everyActionKind();
    allButOne.erase(allButOne.begin());
    const Case cases[] = {
        {"every kind on, hotkeys on", everyActionKind(), true, false, false},
        {"one kind off, hotkeys off", allButOne, false, true, true},
        {"nothing stored", std::nullopt, std::nullopt,
         Defaults::readValue(Keys::actions()) != everyActionKind(),
         !Defaults::readValue(Keys::hotkeys())},
    };
    for (const Case& test : cases) {
        auto suite = Defaults::standardSuite();
        suite->removeObjectForKey(Keys::actions().name());
        suite->removeObjectForKey(Keys::hotkeys().name());
        if (test.actions)
            Defaults::writeValue(Keys::actions(), *test.actions);
        if (test.hotkeys)
            Defaults::writeValue(Keys::hotkeys(), *test.hotkeys);

        auto& tour = welcome();
        EXPECT_EQ(!tour.gesturesEnableButton()->isHidden(), test.gesturesButton) << test.what;
        EXPECT_EQ(!tour.hotkeysEnableButton()->isHidden(), test.hotkeysButton) << test.what;
        // Showing or hiding a button from the settings writes nothing.
        const auto stored = suite->persistentDomainForName(suite->domainName());
        EXPECT_EQ(stored.contains(Keys::actions().name()), test.actions.has_value()) << test.what;
        EXPECT_EQ(stored.contains(Keys::hotkeys().name()), test.hotkeys.has_value()) << test.what;

        clickButton(step(), "Next");
        if (test.gesturesButton) {
            clickButton(step(), "Enable All Gestures");
            EXPECT_EQ(Defaults::readValue(Keys::actions()), everyActionKind()) << test.what;
            EXPECT_TRUE(tour.gesturesEnableButton()->isHidden());
        }
        for (int click = 0; click < 5; ++click)
            clickButton(step(), "Next");
        ASSERT_EQ(&step(), tour.hotkeysView().get());
        if (test.hotkeysButton) {
            clickButton(step(), "Enable Hotkeys");
            EXPECT_TRUE(Defaults::readValue(Keys::hotkeys())) << test.what;
            EXPECT_TRUE(tour.hotkeysEnableButton()->isHidden());
        }
        EXPECT_TRUE(popover()->isShown()) << "enabling leaves the step up";
        controller.reset();
    }
}

TEST_F(OnboardingTest, WhatsNewOpensOnGeneralAndLeavesTheUsersTabWhenClosed) {
    open();
    controller->showTab(PreferencesTab::snapping);
    controller->showWhatsNew([this] { ++completions; });
    turn();
    EXPECT_EQ(shownTab(), 0) << "the news open on General";
    clickRow(3);
    ASSERT_EQ(shownTab(), 3);

    clickButton(step(), "Close");
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(shownTab(), 3) << "closing keeps the tab";
    EXPECT_EQ(storedTab(), 3);
    EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Quit"});
}

}  // namespace
}  // namespace zoral::preferences
