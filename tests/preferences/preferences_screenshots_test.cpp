// The preferences window drawn to PNG files (screenshots/ beside the test binary) as a user sees
// it: on the first launch, with each step of the Welcome popover, with What's New and with the
// Accessibility sheet; and checked for controls cut short or lying over each other.

#include <string>

#include <gtest/gtest.h>

#include "platform/screens.h"
#include "preferences_world.h"
#include "screenshots.h"
#include "ui/qt_view.h"

namespace zoral::preferences {
namespace {

class PreferencesScreenshotsTest : public testing::PreferencesWorldTest {
protected:
    void save(const std::string& name) {
        window().contentView()->layoutSubtreeIfNeeded();
        ui::testing::saveScreenshot(window().render(), "screenshots", name);
    }

    // The popover hangs below its button in the toolbar, on the display (it is a window of its
    // own, which may reach past the preferences window's edge), and its content is whole.
    void expectPopoverBelowItsButton() {
        ASSERT_TRUE(popover() && popover()->isShown());
        const platform::CGRect bubble = popover()->frame();
        const platform::CGRect frame = window().frame();
        const auto display = platform::NSScreen::main();
        ASSERT_TRUE(display);
        EXPECT_GE(bubble.minX(), display->frame().minX());
        EXPECT_LE(bubble.maxX(), display->frame().maxX());
        EXPECT_GE(bubble.minY(), display->frame().minY());
        // The arrow's tip at the button's bottom edge (the toolkit's top-left coordinates turned
        // to the system's bottom-left ones).
        const QWidget* button = ui::qtWidget(*controller->popoverAnchor());
        const QPoint buttonBottom = button->mapToGlobal(QPoint(0, button->height()));
        EXPECT_NEAR(bubble.maxY(), display->frame().height() - buttonBottom.y(), 1);
        EXPECT_LT(bubble.maxY(), frame.maxY());
        ui::testing::expectNothingClippedOrOverlapping(*popover()->contentViewController()->view());
    }
};

TEST_F(PreferencesScreenshotsTest, FirstLaunchAndTheWelcomeTour) {
    open();
    ui::testing::expectNothingClippedOrOverlapping(*window().contentView());
    save("preferences-first-launch");

    controller->showWelcome([] {});
    turn();
    const char* const steps[] = {"welcome", "gestures", "windows", "apps",
                                 "menubar", "advanced", "hotkeys", "login"};
    for (int index = 0; index < 8; ++index) {
        if (index > 0)
            clickButton(*popover()->contentViewController()->view(), "Next");
        expectPopoverBelowItsButton();
        save("preferences-welcome-" + std::to_string(index + 1) + "-" + steps[index]);
    }
}

TEST_F(PreferencesScreenshotsTest, WhatsNew) {
    open();
    controller->showTab(settings::PreferencesTab::snapping);
    controller->showWhatsNew([] {});
    turn();
    expectPopoverBelowItsButton();
    save("preferences-whats-new");
}

TEST_F(PreferencesScreenshotsTest, TheAccessibilitySheet) {
    world->setTrusted(false);
    scheduler().advance(desktop::AXAccess::recheckDelay);
    open();
    controller->requireAccessibility([] {});
    const auto sheet = window().attachedSheet();
    ASSERT_TRUE(sheet);
    ui::testing::expectNothingClippedOrOverlapping(*sheet->contentView());
    EXPECT_LE(sheet->contentSize().width, window().contentSize().width);
    save("preferences-accessibility");
}

}  // namespace
}  // namespace zoral::preferences
