#include "preferences/tabs/about_tab.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/versioning.h"
#include "platform/bundle.h"
#include "platform/user_defaults.h"
#include "screenshots.h"
#include "settings/defaults.h"
#include "sim/system_commands.h"
#include "ui/box.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::Defaults::Keys;
using ui::ControlState;
using ui::testing::click;

const std::string feed(app::UpdaterSettings::feedAddress);

class AboutTabTest : public ui::testing::UiWorldTest {
protected:
    ~AboutTabTest() override {
        if (tab->popover())
            tab->popover()->close();
        if (window)
            window->close();
    }

    void show() {
        if (!window)
            window = ui::TitledWindow::withContentViewController(tab);
        window->makeKeyAndOrderFront();
        window->contentView()->layoutSubtreeIfNeeded();
    }

    void installUpdater(bool automatic, double interval) {
        sim::Updater::of(*world).setState(
            sim::Updater::State{.feedURL = feed,
                                .automaticallyChecksForUpdates = automatic,
                                .updateCheckInterval = interval});
    }
    sim::Updater::State updater() { return sim::Updater::of(*world).state().value(); }

    AboutPopoverController& popoverContent() {
        return dynamic_cast<AboutPopoverController&>(*tab->popover()->contentViewController());
    }

    std::shared_ptr<AboutTabController> tab = std::make_shared<AboutTabController>();
    std::shared_ptr<ui::TitledWindow> window;
};

TEST_F(AboutTabTest, ShowsTheVersionAndTheGestureCounterReadAfreshOnEveryAppearance) {
    EXPECT_EQ(tab->tabTitle(), "About");
    EXPECT_EQ(tab->imageName(), "PrefsAbout");
    EXPECT_EQ(tab->symbolName(), "info.circle");
    show();
    const auto& arranged = tab->stackView()->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 5U);
    EXPECT_EQ(arranged[0], tab->aboutView());
    EXPECT_EQ(arranged[2], tab->updaterView());
    EXPECT_EQ(arranged[4], tab->creditsView());
    EXPECT_NE(dynamic_cast<const ui::Box*>(arranged[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<const ui::Box*>(arranged[3].get()), nullptr);

    const std::string version(platform::Bundle::main().shortVersion());
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(tab->versionLabel()->stringValue(), "Version " + version);

    struct Case {
        std::int64_t count;
        const char* shown;
    };
    const Case cases[] = {
        {0, "0 Zodiriz"}, {1, "1 Zodiriz"}, {3, "3 Zodiriz"}, {12345, "12345 Zodiriz"}};
    for (const Case& test : cases) {
        settings::Defaults::writeValue(Keys::numberOfZodiriz(), test.count);
        // The window stays open: the tab leaves the screen and comes back.
        window->orderOut();
        show();
        EXPECT_EQ(tab->numberOfZodirizLabel()->stringValue(), test.shown);
    }
    // Read only on appearance: a count that changes while the tab shows waits for the next one.
    settings::Defaults::writeValue(Keys::numberOfZodiriz(), std::int64_t{7});
    EXPECT_EQ(tab->numberOfZodirizLabel()->stringValue(), "12345 Zodiriz");
}

TEST_F(AboutTabTest, TheOpenSourceNoticeFoldsInAndOutAndReleaseNotesChangeNothing) {
    show();
    EXPECT_TRUE(tab->openSourceView()->isHidden()) << "folded in at first";
    click(*tab->openSourceButton());
    EXPECT_FALSE(tab->openSourceView()->isHidden());
    click(*tab->openSourceButton());
    EXPECT_TRUE(tab->openSourceView()->isHidden());

    installUpdater(true, 3600);
    const auto before = platform::UserDefaults::standard().dictionaryRepresentation();
    click(*tab->releaseNotesButton());
    EXPECT_EQ(platform::UserDefaults::standard().dictionaryRepresentation(), before);
    EXPECT_EQ(updater().automaticallyChecksForUpdates, true);
    EXPECT_EQ(tab->popover(), nullptr);
    EXPECT_TRUE(tab->openSourceView()->isHidden());
}

// The checkbox shows whether the updater checks by itself and switches it; it also opens the
// popover beside it, made once.
TEST_F(AboutTabTest, TheUpdateCheckboxSwitchesAutomaticChecksAndOpensThePopoverBesideIt) {
    installUpdater(true, 3600);
    show();
    EXPECT_EQ(tab->updateCheckbox()->state(), ControlState::on);

    click(*tab->updateCheckbox());
    EXPECT_EQ(tab->updateCheckbox()->state(), ControlState::off);
    EXPECT_FALSE(updater().automaticallyChecksForUpdates);
    const auto popover = tab->popover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->positioningView(), tab->updateCheckbox());
    EXPECT_EQ(popover->preferredEdge(), ui::RectEdge::maxX);
    EXPECT_EQ(popover->behavior(), ui::PopoverBehavior::semitransient);
    EXPECT_EQ(popoverContent().automaticCheckbox()->state(), ControlState::off);

    click(*tab->updateCheckbox());
    EXPECT_EQ(tab->popover(), popover) << "made once";
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(tab->updateCheckbox()->state(), ControlState::on);
    EXPECT_TRUE(updater().automaticallyChecksForUpdates);
    EXPECT_EQ(updater().updateCheckInterval, 3600) << "the kept interval";
    EXPECT_EQ(popoverContent().automaticCheckbox()->state(), ControlState::on)
        << "the open popover follows";

    // Without an updater there is nothing to switch: the checkbox stays off.
    sim::Updater::of(*world).setState(std::nullopt);
    window->orderOut();
    show();
    EXPECT_EQ(tab->updateCheckbox()->state(), ControlState::off);
    click(*tab->updateCheckbox());
    EXPECT_EQ(tab->updateCheckbox()->state(), ControlState::off);
    EXPECT_TRUE(tab->popover()->isShown());
}

TEST_F(AboutTabTest, ThePopoverDrivesTheUpdaterChecksAutomaticChecksAndBetaChannel) {
    using Check = sim::Updater::Check;
    installUpdater(false, 0);
    show();
    click(*tab->updateCheckbox());
    // An updater without an interval checks daily once switched on.
    EXPECT_TRUE(updater().automaticallyChecksForUpdates);
    EXPECT_EQ(updater().updateCheckInterval, 86400);
    AboutPopoverController& content = popoverContent();
    EXPECT_EQ(content.automaticCheckbox()->state(), ControlState::on);
    EXPECT_EQ(content.betaCheckbox()->state(), ControlState::off);

    click(*content.betaCheckbox());
    EXPECT_EQ(updater().feedURL, feed + "-beta");
    EXPECT_EQ(content.betaCheckbox()->state(), ControlState::on);
    scheduler().advance(10);
    click(*content.checkNowButton());
    EXPECT_EQ(sim::Updater::of(*world).checks(), (std::vector<Check>{{10, feed + "-beta", true}}));

    // The updater checks by itself one day after the last check.
    scheduler().advance(86400);
    EXPECT_EQ(sim::Updater::of(*world).checks().size(), 2U);
    EXPECT_EQ(sim::Updater::of(*world).checks().back(), (Check{86410, feed + "-beta", false}));

    click(*content.automaticCheckbox());
    EXPECT_FALSE(updater().automaticallyChecksForUpdates);
    EXPECT_EQ(tab->updateCheckbox()->state(), ControlState::off) << "the tab follows";
    click(*content.betaCheckbox());
    EXPECT_EQ(updater().feedURL, feed);
    scheduler().advance(10 * 86400);
    EXPECT_EQ(sim::Updater::of(*world).checks().size(), 2U) << "no automatic checks when off";
}

TEST_F(AboutTabTest, Screenshots) {
    installUpdater(true, 86400);
    settings::Defaults::writeValue(Keys::numberOfZodiriz(), std::int64_t{42});
    show();
    window->setTitle("About");
    window->contentView()->layoutSubtreeIfNeeded();
    ui::testing::expectNothingClippedOrOverlapping(*tab->view());
    ui::testing::saveScreenshot(window->render(), "screenshots", "about-tab");

    click(*tab->openSourceButton());
    window->contentView()->layoutSubtreeIfNeeded();
    ui::testing::expectNothingClippedOrOverlapping(*tab->view());
    click(*tab->updateCheckbox());
    click(*tab->updateCheckbox());
    ASSERT_TRUE(tab->popover()->isShown());
    ui::testing::saveScreenshot(tab->popover()->render(), "screenshots", "about-update-popover");
    ui::testing::saveScreenshot(window->render(), "screenshots", "about-tab-open-source");
}

}  // namespace
}  // namespace zoral::preferences
