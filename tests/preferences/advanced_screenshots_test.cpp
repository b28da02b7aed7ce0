// The Advanced tab drawn to PNG files (screenshots/ beside the test binary) for a person to look
// at: with its defaults, and with hotkeys on, a recorded display shortcut and the re-snap off; and
// as the preferences window shows it, beside the sidebar.

#include <gtest/gtest.h>

#include "advanced_tab_world.h"
#include "preferences_world.h"
#include "screenshots.h"
#include "shortcuts/global_shortcuts.h"

namespace zoral::preferences {
namespace {

using settings::Defaults::Keys;
using settings::Defaults::writeValue;

class AdvancedScreenshotsTest : public testing::AdvancedTabWorldTest {
protected:
    // The recorder sits in its container whole: the container is no stack, which the general
    // check reads.
    void expectRecorderWhole() {
        const platform::CGRect recorder = tab->recorder()->frame();
        const platform::CGRect room = tab->shortcutView()->bounds();
        EXPECT_GE(recorder.origin.x, 0);
        EXPECT_GE(recorder.origin.y, 0);
        EXPECT_LE(recorder.origin.x + recorder.width(), room.width());
        EXPECT_LE(recorder.origin.y + recorder.height(), room.height());
    }
};

TEST_F(AdvancedScreenshotsTest, TheTabWithItsDefaults) {
    launch();
    show();
    ui::testing::expectNothingClippedOrOverlapping(*window->contentView());
    expectRecorderWhole();
    ui::testing::saveScreenshot(window->render(), "screenshots", "advanced-tab");
}

TEST_F(AdvancedScreenshotsTest, TheTabWithHotkeysAndARecordedShortcut) {
    using shortcuts::GlobalShortcuts::Shortcut;
    launch();
    shortcuts::GlobalShortcuts::storeShortcut(Shortcut{2, 0x1000 | 0x0800},
                                              app::fixPinchAndSwipe());
    writeValue(Keys::hotkeys(), true);
    writeValue(Keys::screenChangeTimeout(), std::int64_t{0});
    show();
    ui::testing::expectNothingClippedOrOverlapping(*window->contentView());
    expectRecorderWhole();
    ui::testing::saveScreenshot(window->render(), "screenshots", "advanced-tab-hotkeys");
}

class AdvancedInPreferencesScreenshotsTest : public testing::PreferencesWorldTest {};

TEST_F(AdvancedInPreferencesScreenshotsTest, TheTabInThePreferencesWindow) {
    open();
    controller->showTab(settings::PreferencesTab::advanced);
    turn();
    window().contentView()->layoutSubtreeIfNeeded();
    ASSERT_EQ(shownTab(), 5);
    ui::testing::expectNothingClippedOrOverlapping(*window().contentView());
    ui::testing::saveScreenshot(window().render(), "screenshots", "preferences-advanced");
}

}  // namespace
}  // namespace zoral::preferences
