// The Apps and Menubar tabs drawn in the preferences window to PNG files (screenshots/ beside the
// test binary) for a person to look at, and checked for controls cut short or lying over each
// other.

#include <string>

#include <gtest/gtest.h>

#include "preferences/tabs/apps_tab.h"
#include "preferences/tabs/menubar_tab.h"
#include "preferences_world.h"
#include "screenshots.h"
#include "settings/action_user_type.h"
#include "settings/defaults.h"

namespace zoral::preferences {
namespace {

class GestureTabsScreenshotsTest : public testing::PreferencesWorldTest {
protected:
    // The window opened on the tab, whose controller the preferences make; then the whole page,
    // which the window shows in part when it is taller.
    template <class Controller>
    void showAndSave(settings::PreferencesTab tab, const std::string& name) {
        open();
        controller->showTab(tab);
        turn();
        const auto index = static_cast<std::size_t>(tab);
        ASSERT_EQ(shownTab(), static_cast<std::int64_t>(index));
        const auto page =
            std::dynamic_pointer_cast<Controller>(split().contentViewControllers().at(index));
        ASSERT_TRUE(page);
        window().contentView()->layoutSubtreeIfNeeded();
        ui::testing::expectNothingClippedOrOverlapping(*window().contentView());
        ui::testing::saveScreenshot(window().render(), "screenshots", name);
        ui::testing::saveScreenshot(page->view()->render(), "screenshots", name + "-page");
    }
};

TEST_F(GestureTabsScreenshotsTest, TheAppsTab) {
    // One kind turned off, to show a faded row.
    settings::Defaults::updateValue(settings::Defaults::Keys::actions(), [](auto& kinds) {
        kinds.erase(settings::ActionUserType::appHide);
    });
    showAndSave<AppsTabController>(settings::PreferencesTab::apps, "preferences-apps-tab");
}

TEST_F(GestureTabsScreenshotsTest, TheMenubarTab) {
    // The menu-bar kinds are off by default; two turned on, to show both looks.
    settings::Defaults::updateValue(settings::Defaults::Keys::actions(), [](auto& kinds) {
        kinds.insert(settings::ActionUserType::menubarMinimize);
        kinds.insert(settings::ActionUserType::menubarUnminimize);
    });
    showAndSave<MenubarTabController>(settings::PreferencesTab::menubar, "preferences-menubar-tab");
}

}  // namespace
}  // namespace zoral::preferences
