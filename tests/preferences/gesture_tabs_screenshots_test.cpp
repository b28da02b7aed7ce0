// The Windows and Snapping tabs drawn to PNG files (screenshots/ beside the test binary) for a
// person to look at, each in a window of its own tall enough for the whole column, and checked
// for controls cut short or lying over each other.

#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "gesture_tab_world.h"
#include "preferences/tabs/snapping_tab.h"
#include "preferences/tabs/windows_tab.h"
#include "preferences/widgets/gesture_view.h"
#include "preferences_world.h"
#include "screenshots.h"
#include "settings/defaults.h"
#include "ui_world.h"

namespace zoral::preferences {
namespace {

using settings::Defaults::Keys;
using settings::Defaults::writeValue;

bool isCentringRow(const ui::View& view) {
    return dynamic_cast<const CenterGestureView*>(&view) != nullptr;
}

bool holdsCentringRow(const ui::View& view) {
    for (const auto& subview : view.subviews()) {
        if (isCentringRow(*subview) || holdsCentringRow(*subview))
            return true;
    }
    return false;
}

// Nothing cut short or overlapping, but within the centring row: its pop-up sits in a container
// of a width of the row's own.
void expectWhole(const ui::View& view) {
    if (!holdsCentringRow(view)) {
        ui::testing::expectNothingClippedOrOverlapping(view);
        return;
    }
    for (const auto& subview : view.subviews()) {
        if (!isCentringRow(*subview))
            expectWhole(*subview);
    }
}

template <class Tab>
class GestureTabScreenshotsTest : public testing::GestureTabWorld<Tab, ui::testing::UiWorldTest> {
protected:
    void save(const std::string& name) {
        this->show();
        this->window->setTitle(this->tab->tabTitle());
        // As wide as the preferences window's pane, and as tall as the column wants.
        const double height = this->tab->view()->fittingSize().height;
        this->window->setContentSize({720, height});
        this->window->contentView()->layoutSubtreeIfNeeded();
        expectWhole(*this->tab->view());
        ui::testing::saveScreenshot(this->window->render(), "screenshots", name);
    }
};

using WindowsScreenshotsTest = GestureTabScreenshotsTest<WindowsTabController>;
using SnappingScreenshotsTest = GestureTabScreenshotsTest<SnappingTabController>;

// With one kind switched off, so that a faded row shows beside the others.
TEST_F(WindowsScreenshotsTest, TheWindowsTab) {
    auto kinds = settings::Defaults::readValue(Keys::actions());
    kinds.erase(settings::ActionUserType::windowQuit);
    writeValue(Keys::actions(), kinds);
    save("windows-tab");
}

// With a gap, so that the edges box shows.
TEST_F(SnappingScreenshotsTest, TheSnappingTab) {
    writeValue(Keys::gridOffset(), std::int64_t{6});
    save("snapping-tab");
}

// Both tabs as the preferences window shows them, picked in its sidebar: the pane scrolls what does
// not fit.
class GestureTabsInTheWindowTest : public testing::PreferencesWorldTest {};

TEST_F(GestureTabsInTheWindowTest, BothTabsInThePreferencesWindow) {
    open();
    for (const auto& [row, name] : {std::pair{1, "windows"}, std::pair{2, "snapping"}}) {
        clickRow(row);
        ASSERT_EQ(shownTab(), row);
        window().contentView()->layoutSubtreeIfNeeded();
        ui::testing::saveScreenshot(window().render(), "screenshots",
                                    std::string("preferences-") + name + "-tab");
    }
}

}  // namespace
}  // namespace zoral::preferences
