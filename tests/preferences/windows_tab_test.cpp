#include "preferences/tabs/windows_tab.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gesture_tab_world.h"
#include "preferences/widgets/gesture_view.h"
#include "settings/defaults.h"
#include "ui/box.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::ActionUserType;
using settings::ModifierFlags;
using settings::TabAppType;
using settings::TabAppTypeSet;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using ui::ControlState;
using ui::testing::click;

class WindowsTabTest
    : public testing::GestureTabWorld<WindowsTabController, ui::testing::UiWorldTest> {};

// The sections in one column, and in the stack of each section its rows: kind, title, tint and
// the gesture strips they show.
TEST_F(WindowsTabTest, StacksItsSectionsAndPutsEachRowInItsSection) {
    show();
    const auto& arranged = tab->stackView()->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 5U);
    EXPECT_EQ(arranged[0], tab->generalView());
    EXPECT_EQ(arranged[2], tab->tabsView());
    EXPECT_EQ(arranged[4], tab->screensView());
    for (const std::size_t i : {1U, 3U})
        EXPECT_NE(dynamic_cast<const ui::Box*>(arranged[i].get()), nullptr);
    EXPECT_EQ(tab->tabTitle(), "Windows");
    EXPECT_EQ(tab->symbolName(), "macwindow.on.rectangle");

    using T = GestureTint;
    using enum GestureImage;
    testing::expectRows(
        *tab->generalGestureStack(),
        {{ActionUserType::windowQuit, "Quit", &T::close, {{inwards, inwards}, {modG, down, down}}},
         {ActionUserType::windowClose, "Close", &T::close, {{inwards}, {modG, down}}},
         {ActionUserType::windowMinimize, "Minimize", &T::minimize, {{down}, {hold, down}}},
         {ActionUserType::windowFullscreen, "Fullscreen", &T::fullscreen, {{outwards}, {hold, up}}},
         {ActionUserType::windowHide, "Hide", &T::zoral, {{modG, tap}, {mod2, tap}}},
         {ActionUserType::spacesMove,
          "Spaces",
          &T::zoral,
          {{hold, left, right}, {modG, left, right}}}});
    // Closing a tab has the title of closing a window.
    testing::expectRows(*tab->tabsGestureStack(),
                        {{ActionUserType::tabClose, "Close", &T::zoral, {{inwards}, {modG, down}}},
                         {ActionUserType::tabDetach, "Detach", &T::zoral, {{hold}}}});
    testing::expectRows(
        *tab->screensGestureStack(),
        {{ActionUserType::screensMove, "Screens", &T::zoral, {{modS, left, up, down, right}}},
         {ActionUserType::screensFullscreen,
          "Fullscreen",
          &T::fullscreen,
          {{outwards, outwards}, {modS, outwards}}}});
}

struct TabBox {
    const char* what;
    const std::shared_ptr<ui::Button>& (WindowsTabController::*box)() const;
    TabAppType type;
};

std::shared_ptr<ui::Button> box(const WindowsTabController& tab, const TabBox& row) {
    return (tab.*row.box)();
}

const std::vector<TabBox>& tabBoxes() {
    static const std::vector<TabBox> boxes{
        {"native", &WindowsTabController::tabNativeCheckbox, TabAppType::native},
        {"safari", &WindowsTabController::tabSafariCheckbox, TabAppType::safari},
        {"chrome", &WindowsTabController::tabChromeCheckbox, TabAppType::chrome},
        {"arc", &WindowsTabController::tabArcCheckbox, TabAppType::arc},
        {"xcode", &WindowsTabController::tabXcodeCheckbox, TabAppType::xcode},
        {"vscode", &WindowsTabController::tabVscodeCheckbox, TabAppType::vscode},
    };
    return boxes;
}

// Each box shows its kind of application as stored, and a click adds or removes only that kind;
// the kind without a box stays whatever the user does.
TEST_F(WindowsTabTest, EachTabApplicationBoxTogglesItsKindAndLeavesTheOthers) {
    writeValue(Keys::tabApps(), TabAppTypeSet{TabAppType::edge, TabAppType::xcode});
    show();
    for (const TabBox& row : tabBoxes()) {
        EXPECT_EQ(box(*tab, row)->state(),
                  row.type == TabAppType::xcode ? ControlState::on : ControlState::off)
            << row.what;
    }

    TabAppTypeSet expected{TabAppType::edge, TabAppType::xcode};
    for (const TabBox& row : tabBoxes()) {
        SCOPED_TRACE(row.what);
        click(*box(*tab, row));
        if (!expected.erase(row.type))
            expected.insert(row.type);
        EXPECT_EQ(readValue(Keys::tabApps()), expected);
    }
    // Every kind in, xcode out; clicking each again restores the stored set.
    for (const TabBox& row : tabBoxes())
        click(*box(*tab, row));
    EXPECT_EQ(readValue(Keys::tabApps()), (TabAppTypeSet{TabAppType::edge, TabAppType::xcode}));
}

// The click toggles the stored set, not the box: a box that shows off while its kind is stored
// (the set changed after the tab loaded) removes the kind.
TEST_F(WindowsTabTest, ATabApplicationBoxTogglesTheStoredSetWhateverItShows) {
    writeValue(Keys::tabApps(), TabAppTypeSet{});
    show();
    writeValue(Keys::tabApps(), TabAppTypeSet{TabAppType::safari, TabAppType::edge});
    ASSERT_EQ(tab->tabSafariCheckbox()->state(), ControlState::off);
    click(*tab->tabSafariCheckbox());
    EXPECT_EQ(tab->tabSafariCheckbox()->state(), ControlState::on);
    EXPECT_EQ(readValue(Keys::tabApps()), TabAppTypeSet{TabAppType::edge});
}

// The three option boxes start from their settings and write them both ways.
TEST_F(WindowsTabTest, TheOptionBoxesShowAndWriteTheirSettings) {
    struct Case {
        const char* what;
        const std::shared_ptr<ui::Button>& (WindowsTabController::*box)() const;
        const settings::Defaults::Key<bool>& key;
    };
    const std::vector<Case> cases{
        {"mission control", &WindowsTabController::missionControlCheckbox,
         Keys::originMissionControl()},
        {"move cursor", &WindowsTabController::moveCursorCheckbox, Keys::screensMoveCursor()},
        {"chain", &WindowsTabController::chainGestureCheckbox, Keys::screensChainGesture()},
    };
    // Each off before the view loads (every one is on by default).
    for (const Case& row : cases)
        writeValue(row.key, false);
    show();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const auto checkbox = ((*tab).*row.box)();
        EXPECT_EQ(checkbox->state(), ControlState::off);
        click(*checkbox);
        EXPECT_TRUE(readValue(row.key));
        click(*checkbox);
        EXPECT_FALSE(readValue(row.key));
    }
}

// The general control may not take exactly the keys of another role; its superset may. What it
// accepts is stored at once.
TEST_F(WindowsTabTest, TheGeneralModifierRefusesExactlyTheKeysOfAnotherRole) {
    writeValue(Keys::generalModifier(), ModifierFlags::control);
    writeValue(Keys::screenModifier(), ModifierFlags::command);
    show();
    auto& general = *tab->generalModKeyControl();
    EXPECT_EQ(general.title(), "\u2303");
    EXPECT_EQ(tab->screensModKeyControl()->title(), "\u2318");

    EXPECT_EQ(pick(general, ModifierFlags::command), "Keys already in use.");
    EXPECT_EQ(readValue(Keys::generalModifier()), ModifierFlags::control);
    EXPECT_EQ(general.title(), "\u2303");

    EXPECT_EQ(pick(general, ModifierFlags::control | ModifierFlags::command), "");
    EXPECT_EQ(readValue(Keys::generalModifier()), ModifierFlags::control | ModifierFlags::command);
    EXPECT_EQ(general.title(), "\u2303 \u2318");

    // Nor the screen control the general's keys, now that they changed.
    EXPECT_EQ(pick(*tab->screensModKeyControl(), ModifierFlags::control | ModifierFlags::command),
              "Keys already in use.");
    EXPECT_EQ(readValue(Keys::screenModifier()), ModifierFlags::command);
}

// The rules read the settings when asked: a super modifier changed elsewhere after the tab loaded
// is offered disabled, and keys changed elsewhere while the tab was hidden show when it appears.
TEST_F(WindowsTabTest, TheModifierControlsFollowSettingsChangedElsewhere) {
    show();
    writeValue(Keys::superModifier(), ModifierFlags::option);
    auto& screens = *tab->screensModKeyControl();
    ui::testing::click(screens);
    const auto& segments = *screens.popoverController()->segmentedControl();
    for (std::size_t i = 0; i < modifierKeys().size(); ++i) {
        EXPECT_EQ(segments.isEnabled(i), modifierKeys()[i].flags != ModifierFlags::option)
            << modifierKeys()[i].name;
    }
    screens.popover()->close();

    hide();
    writeValue(Keys::screenModifier(), ModifierFlags::shift);
    writeValue(Keys::generalModifier(), ModifierFlags::function | ModifierFlags::control);
    show();
    EXPECT_EQ(screens.flags, ModifierFlags::shift);
    EXPECT_EQ(screens.title(), "\u21E7");
    EXPECT_EQ(tab->generalModKeyControl()->title(), "fn \u2303");
}

}  // namespace
}  // namespace zoral::preferences
