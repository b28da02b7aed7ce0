// The General tab's diagnostics: the light of the worst status, and the popover of every item.

#include <QWidget>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/diagnostics/diagnostics.h"
#include "app/diagnostics/diagnostics_popover.h"
#include "general_tab_world.h"
#include "preferences/tabs/general_tab.h"
#include "settings/defaults.h"
#include "sim/login_items.h"
#include "sim/program_bundle.h"
#include "sim/system_settings.h"
#include "ui/qt_view.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using app::Diagnostics::Status;
using platform::PlistObject;
using settings::Defaults::Keys;
using ui::testing::click;

using testing::resolved;

class GeneralDiagnosticsTest : public testing::GeneralTabWorldTest {
protected:
    // Smart Zoom and pinching on the built-in trackpad, the system's Spaces shortcuts, launched
    // at login, from the applications folder: every item green.
    void putEverythingInPlace() {
        sim::SystemSettings system;
        system.inputDevices = {
            {"com.apple.AppleMultitouchTrackpad",
             {{"TrackpadTwoFingerDoubleTapGesture", PlistObject::boolean(true)},
              {"TrackpadPinch", PlistObject::boolean(true)}}},
            {"com.apple.driver.AppleBluetoothMultitouch.trackpad",
             {{"TrackpadPinch", PlistObject::integer(1)}}},
        };
        system.symbolicHotKeys = {{"79", {.enabled = true, .parameters = {65535, 123, 0x840000}}},
                                  {"81", {.enabled = true, .parameters = {65535, 124, 0x840000}}}};
        sim::writeSystemSettings(system);
        sim::LoginItems::of(*world).setServiceStatus(platform::SMAppServiceStatus::enabled);
        sim::ProgramBundle::of(*world).setPath("/Applications/Zoral.app");
    }

    std::vector<std::shared_ptr<app::DiagnosticsView>> rows() const {
        return tab->diagnosticsPopoverController()->views();
    }
};

// The light shows the worst status, worked out afresh each time the tab appears and each time the
// diagnostics button is clicked, and at no other time.
TEST_F(GeneralDiagnosticsTest, TheLightIsRecomputedOnAppearingAndOnEachClick) {
    show();
    EXPECT_EQ(tab->diagnosticsImage()->contentTintColor(), resolved(ui::SystemColor::systemRed));

    hide();
    putEverythingInPlace();
    show();
    EXPECT_EQ(tab->diagnosticsImage()->contentTintColor(), resolved(ui::SystemColor::systemGreen));

    // A change the tab does not watch shows at the next click.
    sim::LoginItems::of(*world).setServiceStatus(platform::SMAppServiceStatus::notRegistered);
    EXPECT_EQ(tab->diagnosticsImage()->contentTintColor(), resolved(ui::SystemColor::systemGreen));
    click(*tab->diagnosticsButton());
    EXPECT_EQ(app::Diagnostics::worstStatus(), Status::yellow);
    EXPECT_EQ(tab->diagnosticsImage()->contentTintColor(), resolved(ui::SystemColor::systemYellow));
}

// The popover opens to the right of the button, one row per item in order: the light, the title
// with the description on hover, the message, and the solution unless the item is green.
TEST_F(GeneralDiagnosticsTest, ThePopoverListsEveryItemInOrder) {
    putEverythingInPlace();
    sim::ProgramBundle::of(*world).setPath("/Users/me/Downloads/Zoral.app");
    show();
    click(*tab->diagnosticsButton());
    const auto& popover = tab->popover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->positioningView(), tab->diagnosticsButton());
    EXPECT_EQ(popover->preferredEdge(), ui::RectEdge::maxX);
    EXPECT_EQ(popover->behavior(), ui::PopoverBehavior::semitransient);

    struct Row {
        const char* title;
        const char* image;
        const char* message;
        bool solutionShown;
    };
    const std::vector<Row> expected{
        {"Double Tap", "NSStatusAvailable", "Smart Zoom is enabled for the built-in trackpad.",
         false},
        {"Pinching", "NSStatusAvailable", "Pinching is enabled system-wide.", false},
        {"Spaces", "NSStatusAvailable", "Mission Control shortcuts are set correctly.", false},
        {"Haptic Feedback", "NSStatusAvailable", "Haptic Feedback is enabled system-wide.", false},
        {"Launch at Login", "NSStatusAvailable", "Zoral launches unhidden.", false},
        {"Applications Folder", "NSStatusUnavailable",
         "Zoral is running from /Users/me/Downloads/Zoral.app", true},
    };
    const auto shown = rows();
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].title);
        const app::DiagnosticsView& row = *shown[i];
        EXPECT_EQ(row.titleView()->stringValue(), expected[i].title);
        EXPECT_EQ(row.imageView()->imageName(), expected[i].image);
        EXPECT_FALSE(row.imageView()->image()->isEmpty());
        EXPECT_EQ(row.messageView()->stringValue(), expected[i].message);
        EXPECT_EQ(!row.solutionView()->isHidden(), expected[i].solutionShown);
        EXPECT_TRUE(qtWidget(*row.solutionView())->isVisible() == expected[i].solutionShown);
        // Hovering over the title or the badge shows what the item is for.
        const QString description = QString::fromStdString(row.item()->description());
        EXPECT_EQ(qtWidget(*row.titleView())->toolTip(), description);
        EXPECT_EQ(qtWidget(*row.descriptionButton())->toolTip(), description);
        EXPECT_FALSE(row.descriptionButton()->isEnabled());
    }
    EXPECT_EQ(shown[5]->solutionView()->stringValue(), "Please move Zoral.app to /Applications.");
}

// Turning haptics off in the tab and opening the diagnostics again shows the row's new light,
// message and solution; a row that turns green hides its solution.
TEST_F(GeneralDiagnosticsTest, ARecheckUpdatesTheRows) {
    putEverythingInPlace();
    show();
    click(*tab->diagnosticsButton());
    const auto haptics = rows()[3];
    ASSERT_EQ(haptics->titleView()->stringValue(), "Haptic Feedback");
    EXPECT_TRUE(haptics->solutionView()->isHidden());
    tab->popover()->close();

    click(*tab->hapticCheckbox());
    ASSERT_FALSE(settings::Defaults::readValue(Keys::hapticFeedback()));
    click(*tab->diagnosticsButton());
    EXPECT_TRUE(tab->popover()->isShown());
    EXPECT_EQ(rows()[3], haptics) << "the rows are made once and reused";
    EXPECT_EQ(haptics->imageView()->imageName(), "NSStatusPartiallyAvailable");
    EXPECT_EQ(haptics->messageView()->stringValue(), "Haptic Feedback is not enabled in Zoral.");
    EXPECT_FALSE(haptics->solutionView()->isHidden());
    EXPECT_EQ(haptics->solutionView()->stringValue(),
              "Go to Zoral \u203A Settings \u203A General and make sure Haptic Feedback is "
              "enabled.");
    tab->popover()->close();

    click(*tab->hapticCheckbox());
    click(*tab->diagnosticsButton());
    EXPECT_EQ(haptics->imageView()->imageName(), "NSStatusAvailable");
    EXPECT_TRUE(haptics->solutionView()->isHidden());
}

}  // namespace
}  // namespace zoral::preferences
