// The Apps and Menubar tabs drawn in the preferences window to PNG files (screenshots/ beside the
// test binary) for a person to look at, and checked for controls cut short or lying over each
// other.

#include <string>

#include <gtest/gtest.h>

#include "preferences_world.h"
#include "screenshots.h"
#include "settings/action_user_type.h"
#include "settings/defaults.h"

namespace zoral::preferences {
namespace {

class GestureTabsScreenshotsTest : public testing::PreferencesWorldTest {
protected:
    void showAndSave(settings::PreferencesTab tab, const std::string& name) {
        open();
        controller->showTab(tab);
        turn();
        window().contentView()->layoutSubtreeIfNeeded();
        ui::testing::expectNothingClippedOrOverlapping(*window().contentView());
        ui::testing::saveScreenshot(window().render(), "screenshots", name);
    }
};

TEST_F(GestureTabsScreenshotsTest, TheAppsTab) {
    // One kind turned off, to show a faded row.
    settings::Defaults::updateValue(settings::Defaults::Keys::actions(), [](auto& kinds) {
        kinds.erase(settings::ActionUserType::appHide);
    });
    showAndSave(settings::PreferencesTab::apps, "preferences-apps-tab");
}

TEST_F(GestureTabsScreenshotsTest, TheMenubarTab) {
    showAndSave(settings::PreferencesTab::menubar, "preferences-menubar-tab");
}

}  // namespace
}  // namespace zoral::preferences
