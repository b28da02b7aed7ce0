// The General tab and its diagnostics popover drawn to PNG files (screenshots/ beside the test
// binary) for a person to look at: the tab with and without the Accessibility permission, and
// the popover with failing checks.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "general_tab_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

class GeneralScreenshotsTest : public testing::GeneralTabWorldTest {
protected:
    GeneralScreenshotsTest() { std::filesystem::create_directories(folder); }

    void save(const ui::Image& image, const std::string& name) {
        ASSERT_FALSE(image.isEmpty());
        EXPECT_TRUE(image.savePng(folder + "/" + name + ".png"));
    }

    void showWithPermission(bool granted) {
        grantAccessibility(granted);
        show();
        window->setTitle("General");
    }

    const std::string folder = "screenshots";
};

TEST_F(GeneralScreenshotsTest, TheTabWithTheAccessibilityPermission) {
    showWithPermission(true);
    save(window->render(), "general-tab-permission");
}

TEST_F(GeneralScreenshotsTest, TheTabWithoutTheAccessibilityPermission) {
    showWithPermission(false);
    save(window->render(), "general-tab-no-permission");
}

// In a world with nothing in place most checks fail.
TEST_F(GeneralScreenshotsTest, TheDiagnosticsPopoverWithFailingChecks) {
    showWithPermission(true);
    ui::testing::click(*tab->diagnosticsButton());
    ASSERT_TRUE(tab->popover()->isShown());
    save(tab->popover()->render(), "diagnostics-popover");
    save(window->render(), "general-tab-diagnostics");
}

}  // namespace
}  // namespace zoral::preferences
