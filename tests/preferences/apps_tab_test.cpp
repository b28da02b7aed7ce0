#include "preferences/tabs/apps_tab.h"

#include <gtest/gtest.h>

#include "dock_menubar_tab_world.h"
#include "settings/defaults.h"

namespace zoral::preferences {
namespace {

using settings::ActionUserType;
using settings::ModifierFlags;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using ui::ControlState;
using enum GestureImage;

constexpr const char* noInfo = "No additional info available.";

class AppsTabTest : public testing::GestureTabWorldTest<AppsTabController> {};

TEST_F(AppsTabTest, StacksTheDockSectionAlone) {
    show();
    const auto& arranged = tab->stackView()->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 1U);
    EXPECT_EQ(arranged[0], tab->dockView());
}

TEST_F(AppsTabTest, ListsTheDockRows) {
    show();
    const ui::Color& zoral = GestureTint::zoral();
    const ui::Color& minimize = GestureTint::minimize();
    testing::expectRows(
        rows(*tab->dockGestureStack()),
        {
            {ActionUserType::appChain,
             "Activate",
             GestureIcon::circle,
             zoral,
             "Tap and hold to activate and chain an app's frontmost window. This allows you to "
             "apply any window gesture afterwards.",
             "You might want to disable this gesture or lower the touch sensitivity if you are "
             "experiencing trouble with right-clicking on dock icons.",
             {{hold}}},
            {ActionUserType::appCycle,
             "Cycle",
             GestureIcon::cycle,
             zoral,
             "Swipe left or right to activate and chain windows of an app in forward or backward "
             "order.",
             noInfo,
             {{left}, {right}}},
            {ActionUserType::appQuit,
             "Quit",
             GestureIcon::xInv,
             GestureTint::close(),
             "Pinch in to quit an application.",
             noInfo,
             {{inwards}, {modG, down}}},
            {ActionUserType::appMinimize,
             "Minimize",
             GestureIcon::minus,
             minimize,
             "Swipe down to minimize the frontmost window. Use the secondary modifier to minimize "
             "all windows.",
             "Alternatively, pinch in twice to minimize all windows.",
             {{down}, {mod2, down}}},
            {ActionUserType::appUnminimize,
             "Unminimize",
             GestureIcon::plus,
             minimize,
             "Swipe up to unminimize and chain the last window. Use the secondary modifier to "
             "unminimize all windows.",
             "Alternatively, pinch out twice to unminimize all windows. Unminimizing also chains "
             "the window, which allows you to apply any window gesture afterwards.",
             {{up}, {mod2, up}}},
            {ActionUserType::appHide,
             "Hide",
             GestureIcon::minus,
             zoral,
             "Double tap to hide all windows of an application. Use the secondary modifier to "
             "hide all other apps.",
             "Please make sure that the 'Smart zoom' option is checked in System Settings \u203A "
             "Trackpad \u203A Scroll & Zoom.",
             {{tap}, {mod2, tap}}},
            {ActionUserType::appNewTab,
             "New Tab",
             GestureIcon::plus,
             zoral,
             "Pinch out to open a new tab or window (\u2318N).",
             noInfo,
             {{outwards}, {modG, up}}},
        });
}

TEST_F(AppsTabTest, TheAppMenuCheckboxStartsFromItsSettingAndWritesIt) {
    writeValue(Keys::originAppMenu(), true);
    show();
    const auto& checkbox = *tab->appMenuCheckbox();
    EXPECT_EQ(checkbox.state(), ControlState::on);
    ui::testing::click(checkbox);
    EXPECT_FALSE(readValue(Keys::originAppMenu()));
    ui::testing::click(checkbox);
    EXPECT_TRUE(readValue(Keys::originAppMenu()));
}

TEST_F(AppsTabTest, TheAppMenuCheckboxIsOffByDefault) {
    show();
    EXPECT_EQ(tab->appMenuCheckbox()->state(), ControlState::off);
    ui::testing::click(*tab->appMenuCheckbox());
    EXPECT_TRUE(readValue(Keys::originAppMenu()));
}

// Only the state on stores true.
TEST_F(AppsTabTest, TheAppMenuCheckboxInTheMixedStateWritesFalse) {
    show();
    auto& checkbox = *tab->appMenuCheckbox();
    checkbox.setAllowsMixedState(true);
    writeValue(Keys::originAppMenu(), true);
    ui::testing::click(checkbox);
    ASSERT_EQ(checkbox.state(), ControlState::mixed);
    EXPECT_FALSE(readValue(Keys::originAppMenu()));
}

TEST_F(AppsTabTest, EachRowsHeaderSwitchesItsKind) {
    show();
    testing::expectHeadersToggleTheirKinds(rows(*tab->dockGestureStack()));
}

// With the defaults: general control, secondary shift, tertiary shift + option, screen command,
// super function.
TEST_F(AppsTabTest, TheModifiersTakeNoCombinationOfAnotherRole) {
    show();
    EXPECT_EQ(tab->generalModKeyControl()->title(), "\u2303");
    EXPECT_EQ(tab->secondaryModKeyControl()->title(), "\u21E7");
    const auto controlFlag = ModifierFlags::control;
    const auto shiftFlag = ModifierFlags::shift;
    {
        SCOPED_TRACE("general");
        expectChoices(
            *tab->generalModKeyControl(), Keys::generalModifier(),
            {
                {"the secondary modifier's", shiftFlag, "Keys already in use.", controlFlag},
                {"the tertiary modifier's", shiftFlag | ModifierFlags::option,
                 "Keys already in use.", controlFlag},
                {"the screen modifier's", ModifierFlags::command, "Keys already in use.",
                 controlFlag},
                {"control and shift", controlFlag | shiftFlag, "", controlFlag | shiftFlag},
            });
    }
    {
        // The general modifier is control and shift now.
        SCOPED_TRACE("secondary");
        expectChoices(*tab->secondaryModKeyControl(), Keys::secondaryModifier(),
                      {
                          {"the general modifier's", controlFlag | shiftFlag,
                           "Keys already in use.", shiftFlag},
                          {"the screen modifier's", ModifierFlags::command, "Keys already in use.",
                           shiftFlag},
                          {"option and command", ModifierFlags::option | ModifierFlags::command, "",
                           ModifierFlags::option | ModifierFlags::command},
                      });
    }
    for (const auto& modifier : {tab->generalModKeyControl(), tab->secondaryModKeyControl()})
        EXPECT_EQ(enabledSegments(*modifier), (std::vector<bool>{true, false, true, true, true}));
}

TEST_F(AppsTabTest, ShowsTheStoredModifiersEachTimeItAppears) {
    show();
    hide();
    writeValue(Keys::generalModifier(), ModifierFlags::option);
    writeValue(Keys::secondaryModifier(), ModifierFlags::shift | ModifierFlags::command);
    show();
    EXPECT_EQ(tab->generalModKeyControl()->flags, ModifierFlags::option);
    EXPECT_EQ(tab->generalModKeyControl()->title(), "\u2325");
    EXPECT_EQ(tab->secondaryModKeyControl()->flags, ModifierFlags::shift | ModifierFlags::command);
    EXPECT_EQ(tab->secondaryModKeyControl()->title(), "\u21E7 \u2318");
}

}  // namespace
}  // namespace zoral::preferences
