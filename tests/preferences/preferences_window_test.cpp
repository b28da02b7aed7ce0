#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/activation_policy.h"
#include "platform/user_defaults.h"
#include "platform/workspace.h"
#include "preferences_world.h"
#include "sim/displays.h"
#include "sim/program_windows.h"
#include "sim/workspace.h"
#include "ui/image_view.h"
#include "ui/qt_view.h"

namespace zoral::preferences {
namespace {

using settings::PreferencesTab;

class PreferencesWindowTest : public testing::PreferencesWorldTest {
protected:
    std::size_t activations() {
        std::size_t count = 0;
        for (const auto& request : sim::workspace(*world).requests()) {
            if (request.kind == sim::WorkspaceRequest::Kind::activate &&
                request.pid == world->programProcess().pid &&
                request.options.contains(platform::activateIgnoringOtherApps)) {
                ++count;
            }
        }
        return count;
    }

    // The title bar's buttons, by their place: close, minimise, zoom.
    void clickTitleBarButton(int index) {
        QWidget* root = ui::qtWidget(*window().contentView())->window();
        QWidget* header = root->childAt(20 + 20 * index, 4);
        ASSERT_NE(header, nullptr);
        // The lights stand in the middle of the title bar's height, the toolbar's included.
        QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier,
                          QPoint(20 + 20 * index, header->height() / 2));
    }
};

TEST_F(PreferencesWindowTest, OpensInFrontOnTheTabShownLast) {
    struct Case {
        const char* what;
        std::optional<std::int64_t> stored;
        std::int64_t shown;
    };
    const Case cases[] = {
        {"nothing stored", std::nullopt, 0}, {"Snapping stored", 2, 2}, {"About stored", 6, 6},
        {"a tab that does not exist", 9, 0}, {"a negative tab", -1, 0},
    };
    for (const Case& test : cases) {
        auto defaults = settings::Defaults::standardSuite();
        defaults->removeObjectForKey("prefsLastTab");
        if (test.stored)
            defaults->setObject(platform::PlistObject::integer(*test.stored), "prefsLastTab");
        const std::size_t before = activations();

        open();
        EXPECT_TRUE(window().isVisible()) << test.what;
        EXPECT_EQ(activations(), before + 1) << test.what;
        const auto orderings = sim::ProgramWindows::of(*world).orderings();
        ASSERT_FALSE(orderings.empty());
        EXPECT_EQ(orderings.back(), (sim::ProgramWindowOrdering{window().windowNumber(), true}));
        EXPECT_EQ(sidebar().selectedRow(), test.shown) << test.what;
        EXPECT_EQ(shownTab(), test.shown) << test.what;
        EXPECT_EQ(storedTab(), test.shown) << test.what;
        EXPECT_EQ(sidebar().numberOfRows(), 7);
        EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Quit"});
        EXPECT_EQ(window().contentSize(), (platform::CGSize{780, 474}));
        EXPECT_EQ(window().contentMinSize(), (platform::CGSize{300, 150}));
        EXPECT_EQ(window().delegate(), controller.get()) << "the controller is the delegate";
        controller.reset();
    }
}

TEST_F(PreferencesWindowTest, TheSidebarAndTitleFollowTheSystemVersion) {
    const std::vector<std::string> titles = {"General", "Windows",  "Snapping", "Apps",
                                             "Menubar", "Advanced", "About"};
    struct Case {
        platform::OperatingSystemVersion version;
        bool symbols;
        std::vector<std::string> images;
        const char* titleWithSubtitle;
        const char* subtitle;
    };
    const Case cases[] = {
        {{14, 0, 0},
         true,
         {"gearshape", "macwindow.on.rectangle", "rectangle.lefthalf.inset.fill", "dock.rectangle",
          "menubar.rectangle", "gearshape.2", "info.circle"},
         "Zoral",
         "Onboarding"},
        {{11, 0, 0},
         true,
         {"gearshape", "macwindow.on.rectangle", "rectangle.lefthalf.inset.fill", "dock.rectangle",
          "menubar.rectangle", "gearshape.2", "info.circle"},
         "Zoral",
         "Onboarding"},
        {{10, 15, 7},
         false,
         {"PrefsGeneral", "PrefsWindow", "PrefsSnapping", "PrefsApps", "PrefsMenubar",
          "PrefsAdvanced", "PrefsAbout"},
         "Zoral \u2014 Onboarding",
         ""},
    };
    for (const Case& test : cases) {
        sim::SystemVersion::of(*world).setVersion(test.version);
        open();
        EXPECT_EQ(window().title(), "Zoral");
        EXPECT_EQ(window().subtitle(), "");
        for (std::int64_t row = 0; row < 7; ++row) {
            auto cell = std::dynamic_pointer_cast<ui::TableCellView>(sidebar().viewAtRow(row));
            ASSERT_TRUE(cell);
            EXPECT_EQ(cell->textField()->stringValue(), titles[static_cast<std::size_t>(row)]);
            const ui::ImageView& image = *cell->imageView();
            EXPECT_EQ(image.imageName(), test.images[static_cast<std::size_t>(row)]);
            EXPECT_EQ(image.showsSymbol(), test.symbols);
            EXPECT_TRUE(image.image().has_value()) << "drawn: " << image.imageName();
        }

        controller->setTitle("Zoral", "Onboarding", "\u2014");
        EXPECT_EQ(window().title(), test.titleWithSubtitle);
        EXPECT_EQ(window().subtitle(), test.subtitle);
        controller->setTitle("Zoral", std::nullopt, "\u2014");
        EXPECT_EQ(window().title(), "Zoral");
        EXPECT_EQ(window().subtitle(), "");
        controller.reset();
    }
}

TEST_F(PreferencesWindowTest, TheUsersSidebarChoiceShowsAndStoresTheTab) {
    open();
    clickRow(3);
    EXPECT_EQ(shownTab(), 3);
    EXPECT_EQ(storedTab(), 3);

    ui::testing::key(sidebar(), Qt::Key_Down);
    EXPECT_EQ(sidebar().selectedRow(), 4);
    EXPECT_EQ(shownTab(), 4);
    EXPECT_EQ(storedTab(), 4);

    // A click below the rows clears the selection, which shows General.
    clickRow(9);
    EXPECT_EQ(sidebar().selectedRow(), 0);
    EXPECT_EQ(shownTab(), 0);
    EXPECT_EQ(storedTab(), 0);
}

TEST_F(PreferencesWindowTest, ShowTabSelectsShowsAtTheTopAndStores) {
    open();
    // A long page of Advanced, scrolled down while it was shown before.
    const auto& advanced = split().contentViewControllers()[5];
    advanced->view()->setHeight(2000);
    controller->showTab(PreferencesTab::advanced);
    pane().clipView()->scrollToPoint({0, 900});
    pane().view()->layoutSubtreeIfNeeded();
    ASSERT_GT(pane().clipView()->documentVisibleRect().minY(), 0);
    controller->showTab(PreferencesTab::general);

    controller->showTab(PreferencesTab::advanced);
    pane().view()->layoutSubtreeIfNeeded();
    EXPECT_EQ(sidebar().selectedRow(), 5);
    EXPECT_EQ(shownTab(), 5);
    EXPECT_EQ(storedTab(), 5);
    EXPECT_EQ(pane().clipView()->documentVisibleRect().minY(), 0) << "scrolled to the top";
    const platform::CGRect page = advanced->view()->frame();
    EXPECT_EQ(page.minX(), 12);
    EXPECT_EQ(page.minY(), 12);
    EXPECT_EQ(page.width(), pane().mainView()->frame().width() - 24);
    EXPECT_EQ(pane().mainView()->subviews().size(), 1U) << "the former page is gone";
}

TEST_F(PreferencesWindowTest, ShowBringsTheClosedWindowBackAndTheWindowSetsTheActivationPolicy) {
    open();
    ASSERT_TRUE(platform::setActivationPolicy(platform::ActivationPolicy::accessory));

    clickTitleBarButton(2);  // zoom: full screen
    EXPECT_TRUE(window().isFullScreen());
    EXPECT_EQ(platform::activationPolicy(), platform::ActivationPolicy::regular);

    clickTitleBarButton(0);  // close
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(platform::activationPolicy(), platform::ActivationPolicy::accessory);

    const std::size_t before = activations();
    const auto* const same = &window();
    controller->show();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(&window(), same) << "the same window comes back";
    EXPECT_EQ(activations(), before + 1);
}

TEST_F(PreferencesWindowTest, TheToolbarsQuitEndsTheApplication) {
    open();
    ASSERT_EQ(toolbarItems(), std::vector<std::string>{"Quit"});
    clickButton(*window().toolbar()->items().front()->view, "Quit");
    EXPECT_EQ(terminations, 1);
}

TEST_F(PreferencesWindowTest, APopoverHangsFromTheOnboardingButtonOnTheNextTurnAndRestoresQuit) {
    open();
    int completions = 0;
    const auto start = scheduler().now();
    controller->showWhatsNew([&] { ++completions; });

    // The anchor is in the toolbar at once; the popover comes on the main queue's next turn.
    EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Onboard"});
    EXPECT_EQ(controller->popoverAnchor()->title(), "What's New");
    ASSERT_TRUE(popover());
    EXPECT_FALSE(popover()->isShown());
    turn();
    EXPECT_EQ(scheduler().now(), start) << "no time passes";
    ASSERT_TRUE(popover()->isShown());
    EXPECT_EQ(popover()->positioningView(), controller->popoverAnchor());
    EXPECT_EQ(popover()->preferredEdge(), ui::RectEdge::maxY);
    EXPECT_EQ(popover()->behavior(), ui::PopoverBehavior::applicationDefined);

    auto& news = popoverController<UpdatePopoverController>();
    clickButton(*news.view(), "Close");
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(popover() && popover()->isShown());
    EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Quit"});
}

TEST_F(PreferencesWindowTest, WithoutAWindowOnScreenThePopoverCompletesAtOnceAndQuitComesBack) {
    open();
    window().close();
    int completions = 0;
    controller->showWelcome([&] { ++completions; });
    EXPECT_EQ(completions, 0);
    turn();
    EXPECT_EQ(completions, 1) << "onboarding goes on";
    EXPECT_FALSE(popover() && popover()->isShown());
    EXPECT_EQ(toolbarItems(), std::vector<std::string>{"Quit"})
        << "no popover closes to restore the toolbar";
}

TEST_F(PreferencesWindowTest, RequireAccessibilityWithThePermissionCompletesAtOnce) {
    open();
    int completions = 0;
    controller->requireAccessibility([&] { ++completions; });
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(window().attachedSheet());
}

class AccessibilitySheetTest : public PreferencesWindowTest {
protected:
    AccessibilitySheetTest() {
        world->setTrusted(false);
        scheduler().advance(desktop::AXAccess::recheckDelay);
    }

    // The permission changes in the system, and the monitor has looked again.
    void setTrusted(bool trusted) {
        world->setTrusted(trusted);
        scheduler().advance(desktop::AXAccess::recheckDelay);
    }

    std::shared_ptr<ui::TitledWindow> sheet() { return window().attachedSheet(); }
};

TEST_F(AccessibilitySheetTest, TheSheetAsksAndItsCloseButtonEndsIt) {
    open();
    ASSERT_FALSE(access->isTrusted());
    int first = 0;
    int second = 0;
    controller->requireAccessibility([&] { ++first; });
    ASSERT_TRUE(sheet());
    EXPECT_EQ(sheet().get(), controller->accessibilityWindowController().window().get());
    EXPECT_EQ(first, 0);

    std::vector<std::string> texts;
    testing::PreferencesWorldTest::collectTexts(*sheet()->contentView(), texts);
    EXPECT_EQ(texts, (std::vector<std::string>{AccessibilityWindowController::title,
                                               AccessibilityWindowController::explanation}));

    // Asked again while the sheet is up: nothing, and this completion never runs.
    controller->requireAccessibility([&] { ++second; });
    EXPECT_EQ(sheet().get(), controller->accessibilityWindowController().window().get());

    // The request shows the system's prompt and leaves the sheet up.
    const int prompts = world->trustPrompts();
    clickButton(*sheet()->contentView(), "Request Access");
    EXPECT_EQ(world->trustPrompts(), prompts + 1);
    ASSERT_TRUE(sheet());

    clickButton(*sheet()->contentView(), "Close");
    EXPECT_FALSE(sheet());
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);

    // The sheet comes again on the next request.
    controller->requireAccessibility([&] { ++second; });
    EXPECT_TRUE(sheet());
}

TEST_F(AccessibilitySheetTest, AGrantEndsTheSheetAndShowsTheWindowARevocationDoesNot) {
    open();
    int completions = 0;
    controller->requireAccessibility([&] { ++completions; });
    ASSERT_TRUE(sheet());

    setTrusted(false);
    EXPECT_TRUE(sheet()) << "a revocation leaves the sheet up";
    EXPECT_EQ(completions, 0);

    const std::size_t before = activations();
    setTrusted(true);
    EXPECT_FALSE(sheet());
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(activations(), before + 1) << "the window comes to the front";
    EXPECT_TRUE(window().isVisible());
}

}  // namespace
}  // namespace zoral::preferences
