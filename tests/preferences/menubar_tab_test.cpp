#include "preferences/tabs/menubar_tab.h"

#include <gtest/gtest.h>

#include "dock_menubar_tab_world.h"
#include "settings/defaults.h"
#include "ui/box.h"

namespace zoral::preferences {
namespace {

using settings::ActionUserType;
using settings::ModifierFlags;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using enum GestureImage;

constexpr const char* noInfo = "No additional info available.";

class MenubarTabTest : public testing::GestureTabWorldTest<MenubarTabController> {};

TEST_F(MenubarTabTest, StacksTheMenuBarAndMissionControlSections) {
    show();
    const auto& arranged = tab->stackView()->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 3U);
    EXPECT_EQ(arranged[0], tab->menubarView());
    EXPECT_NE(dynamic_cast<const ui::Box*>(arranged[1].get()), nullptr);
    EXPECT_EQ(arranged[2], tab->missionControlView());
}

TEST_F(MenubarTabTest, ListsTheMenuBarAndMissionControlRows) {
    show();
    const ui::Color& zoral = GestureTint::zoral();
    const ui::Color& minimize = GestureTint::minimize();
    testing::expectRows(
        rows(*tab->menubarGestureStack()),
        {
            {ActionUserType::menubarAppSwitcher,
             "App Switcher",
             GestureIcon::app,
             zoral,
             "Tap, hold and scroll to invoke the \u2318-tab app switcher or swipe left/right to "
             "directly activate the previous/next app.",
             noInfo,
             {{hold}, {left, right}}},
            {ActionUserType::menubarUnsnap,
             "Unsnap",
             GestureIcon::snapUnsnap,
             zoral,
             "Double tap to unsnap all windows on the current screen. Use the secondary modifier "
             "for all screens.",
             noInfo,
             {{tap}, {mod2, tap}}},
            {ActionUserType::menubarMinimize,
             "Minimize",
             GestureIcon::minus,
             minimize,
             "Swipe down to minimize all windows. Once for the current screen, twice or with the "
             "secondary modifier for all.",
             noInfo,
             {{down}, {mod2, down}}},
            {ActionUserType::menubarUnminimize,
             "Unminimize",
             GestureIcon::plus,
             minimize,
             "Swipe up to unminimize all windows. Once for the current screen, twice or with the "
             "secondary modifier for all.",
             noInfo,
             {{up}, {mod2, up}}},
            {ActionUserType::menubarScreens,
             "Screens",
             GestureIcon::screens,
             zoral,
             "Swipe up, down, left or right to move all snapped windows to the next screen in "
             "that direction.",
             noInfo,
             {{modS, left, up, down, right}}},
        });
    testing::expectRows(
        rows(*tab->missionControlGestureStack()),
        {
            {ActionUserType::missionControlSpace,
             "Screens",
             GestureIcon::screens,
             zoral,
             "Swipe up, down, left or right to move a Mission Control space (desktop or "
             "fullscreen app) to the next screen in that direction.",
             "Please note that some windows, e.g. the currently active desktop, cannot be moved.",
             {{left, up, down, right}}},
        });
}

TEST_F(MenubarTabTest, EachRowsHeaderSwitchesItsKind) {
    show();
    testing::expectHeadersToggleTheirKinds(rows(*tab->menubarGestureStack()));
    testing::expectHeadersToggleTheirKinds(rows(*tab->missionControlGestureStack()));
}

// With the defaults: general control, secondary shift, tertiary shift + option, screen command,
// super function.
TEST_F(MenubarTabTest, TheSecondaryModifierTakesNoCombinationOfAnotherRole) {
    show();
    EXPECT_EQ(tab->menubarModKeyControl()->title(), "\u21E7");
    const auto shift = ModifierFlags::shift;
    expectChoices(
        *tab->menubarModKeyControl(), Keys::secondaryModifier(),
        {
            {"the general modifier's", ModifierFlags::control, "Keys already in use.", shift},
            {"the tertiary modifier's", shift | ModifierFlags::option, "Keys already in use.",
             shift},
            {"the screen modifier's", ModifierFlags::command, "Keys already in use.", shift},
            {"none", {}, "Keys cannot be empty.", shift},
            {"more than the general modifier's", ModifierFlags::control | shift, "",
             ModifierFlags::control | shift},
            {"a key of no other role", ModifierFlags::option, "", ModifierFlags::option},
        });
    EXPECT_EQ(tab->menubarModKeyControl()->title(), "\u2325");
}

TEST_F(MenubarTabTest, TheScreenModifierTakesNoCombinationOfAnotherRole) {
    show();
    EXPECT_EQ(tab->screensModKeyControl()->title(), "\u2318");
    const auto command = ModifierFlags::command;
    expectChoices(
        *tab->screensModKeyControl(), Keys::screenModifier(),
        {
            {"the general modifier's", ModifierFlags::control, "Keys already in use.", command},
            {"the secondary modifier's", ModifierFlags::shift, "Keys already in use.", command},
            {"the tertiary modifier's", ModifierFlags::shift | ModifierFlags::option,
             "Keys already in use.", command},
            {"command and option", command | ModifierFlags::option, "",
             command | ModifierFlags::option},
        });
    EXPECT_EQ(tab->screensModKeyControl()->title(), "\u2325 \u2318");
}

// The rules read the settings at each check: a role changed elsewhere after the tab loaded
// is what the controls are held to.
TEST_F(MenubarTabTest, TheRulesFollowTheOtherRolesAsTheyChange) {
    show();
    writeValue(Keys::generalModifier(), ModifierFlags::option);
    writeValue(Keys::superModifier(), ModifierFlags::control);
    expectChoices(
        *tab->menubarModKeyControl(), Keys::secondaryModifier(),
        {
            {"the new general modifier's", ModifierFlags::option, "Keys already in use.",
             ModifierFlags::shift},
            {"the former general modifier's", ModifierFlags::function, "", ModifierFlags::function},
        });
    // Segments by key: shift, fn, ctrl, alt, cmd; the super modifier's keys are not offered.
    for (const auto& control : {tab->menubarModKeyControl(), tab->screensModKeyControl()})
        EXPECT_EQ(enabledSegments(*control), (std::vector<bool>{true, true, false, true, true}));
}

TEST_F(MenubarTabTest, TheSuperModifiersKeysAreNotOffered) {
    show();
    for (const auto& control : {tab->menubarModKeyControl(), tab->screensModKeyControl()})
        EXPECT_EQ(enabledSegments(*control), (std::vector<bool>{true, false, true, true, true}));
}

// Changes made elsewhere (the Advanced tab) while the tab was hidden show when it appears.
TEST_F(MenubarTabTest, ShowsTheStoredModifiersEachTimeItAppears) {
    show();
    hide();
    writeValue(Keys::secondaryModifier(), ModifierFlags::option | ModifierFlags::command);
    writeValue(Keys::screenModifier(), ModifierFlags::function);
    EXPECT_EQ(tab->menubarModKeyControl()->title(), "\u21E7");
    show();
    EXPECT_EQ(tab->menubarModKeyControl()->flags, ModifierFlags::option | ModifierFlags::command);
    EXPECT_EQ(tab->menubarModKeyControl()->title(), "\u2325 \u2318");
    EXPECT_EQ(tab->screensModKeyControl()->flags, ModifierFlags::function);
    EXPECT_EQ(tab->screensModKeyControl()->title(), "fn");
}

}  // namespace
}  // namespace zoral::preferences
