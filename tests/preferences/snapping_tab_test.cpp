#include "preferences/tabs/snapping_tab.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/windows/snap_engine.h"
#include "engine/windows/snap_world.h"
#include "gesture_tab_world.h"
#include "preferences/widgets/gesture_view.h"
#include "settings/defaults.h"
#include "sim/displays.h"
#include "ui/box.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using platform::CGRect;
using settings::ActionUserType;
using settings::ModifierFlags;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using ui::ControlState;
using ui::testing::click;
using ui::testing::key;

class SnappingTabTest
    : public testing::GestureTabWorld<SnappingTabController, engine::testing::SnapWorldTest> {
protected:
    // A window of the editor snapped onto the left half of the laptop, as a gesture would.
    std::shared_ptr<sim::WindowNode> snappedLeft() {
        auto node = addWindow({200, 200, 500, 400});
        engine::snap(windowOf(node), {{0, 0}, {1, 1}, {2, 1}}, screen(0), {});
        settle(0.5);
        return node;
    }
};

std::size_t screenRebuilds(const std::vector<std::string>& lines) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const auto& line) {
        return line.starts_with("Screens: re-initialized");
    }));
}

// The sections in one column, and in the stack of each section its rows: kind, title, tint and
// the gesture strips they show; the centring row leads with its pop-up.
TEST_F(SnappingTabTest, StacksItsSectionsAndPutsEachRowInItsSection) {
    show();
    const auto& arranged = tab->stackView()->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 7U);
    EXPECT_EQ(arranged[0], tab->snappingOffsetView());
    EXPECT_EQ(arranged[2], tab->snappingView());
    EXPECT_EQ(arranged[4], tab->snappingThirdsView());
    EXPECT_EQ(arranged[6], tab->snappingNinthsView());
    for (const std::size_t i : {1U, 3U, 5U})
        EXPECT_NE(dynamic_cast<const ui::Box*>(arranged[i].get()), nullptr);
    EXPECT_EQ(tab->tabTitle(), "Snapping");
    EXPECT_EQ(tab->symbolName(), "rectangle.lefthalf.inset.fill");

    using T = GestureTint;
    using enum GestureImage;
    testing::expectRows(
        *tab->snappingGestureStack(),
        {{ActionUserType::snapCenter, nullptr, &T::zoral, {{tap}}},
         {ActionUserType::snapMax, "Maximize", &T::zoral, {{up}}},
         {ActionUserType::snapHalves, "Halves", &T::zoral, {{left}, {right}}},
         {ActionUserType::snapVertical, "Vertical", &T::zoral, {{up, up}, {down, down}}},
         {ActionUserType::snapQuarters, "Quarters", &T::zoral, {{left, up}, {down, right}}}});
    testing::expectRows(
        *tab->thirdsGestureStack(),
        {{ActionUserType::snapAlmost, "90% Max", &T::zoral, {{mod2, up}}},
         {ActionUserType::snapThirds, "Thirds", &T::zoral, {{mod2, hold, left, right}}},
         {ActionUserType::snapSixths, "Sixths", &T::zoral, {{mod2, hold, left, up, down, right}}}});
    testing::expectRows(
        *tab->ninthsGestureStack(),
        {{ActionUserType::snapNinths, "Ninths", &T::zoral, {{mod3, hold, left, up, down, right}}}});
}

// The stored offset as the tab opens with it: the slider, the words and the edges box.
TEST_F(SnappingTabTest, NamesTheStoredOffsetAndShowsTheEdgesBoxOnlyForAGap) {
    struct Case {
        std::int64_t stored;
        std::int64_t slider;
        const char* label;
        bool edgesShown;
    };
    const std::vector<Case> cases{
        {-1, -1, "Off", false},
        {0, 0, "Default", false},
        {4, 4, "4 Pixel", true},
        // Written by other means: named as it is, though the slider stops at -1.
        {-3, -1, "-3 Pixel", false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.stored);
        writeValue(Keys::gridOffset(), row.stored);
        reopen();
        EXPECT_EQ(tab->offsetSlider()->integerValue(), row.slider);
        EXPECT_EQ(tab->offsetLabel()->stringValue(), row.label);
        EXPECT_EQ(tab->offsetCheckboxView()->isHidden(), !row.edgesShown);
    }
}

// Each step of the slider stores the offset, names it, and at once puts the snapped window onto
// its half with the new gap (the screens rebuilt first, so the re-snap sees the new offset).
TEST_F(SnappingTabTest, MovingTheOffsetSliderResnapsTheSnappedWindowAtEachStep) {
    const auto node = snappedLeft();
    show();
    ASSERT_EQ(frameOf(node), (CGRect{0, 25, 720, 875}));
    output.clear();
    struct Step {
        Qt::Key key;
        std::int64_t stored;
        const char* label;
        bool edgesShown;
        CGRect frame;
    };
    const std::vector<Step> steps{
        {Qt::Key_Right, 1, "1 Pixel", true, {1, 25, 719, 874}},
        {Qt::Key_Right, 2, "2 Pixel", true, {2, 26, 717, 872}},
        {Qt::Key_End, 20, "20 Pixel", true, {20, 44, 690, 836}},
        {Qt::Key_Home, -1, "Off", false, {0, 25, 720, 875}},
        {Qt::Key_Right, 0, "Default", false, {0, 25, 720, 875}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        key(*tab->offsetSlider(), step.key);
        // Nothing waits: the window stands where it belongs before any time passes.
        EXPECT_EQ(frameOf(node), step.frame);
        EXPECT_EQ(readValue(Keys::gridOffset()), step.stored);
        EXPECT_EQ(tab->offsetLabel()->stringValue(), step.label);
        EXPECT_EQ(tab->offsetCheckboxView()->isHidden(), !step.edgesShown);
    }
    EXPECT_EQ(screenRebuilds(output.lines()), steps.size());
}

// The edges box shows its setting when the tab opens (it writes it from its state), and a click
// rebuilds the screens and re-snaps at once; with no window snapped the screens are rebuilt all
// the same.
TEST_F(SnappingTabTest, TheEdgesBoxShowsItsSettingAndResnapsWhenClicked) {
    writeValue(Keys::gridOffset(), std::int64_t{20});
    writeValue(Keys::gridOffsetEdges(), false);
    show();
    EXPECT_EQ(tab->offsetCheckbox()->state(), ControlState::off);
    output.clear();
    click(*tab->offsetCheckbox());
    EXPECT_TRUE(readValue(Keys::gridOffsetEdges()));
    EXPECT_EQ(screenRebuilds(output.lines()), 1U) << "no window snapped";

    const auto node = snappedLeft();
    ASSERT_EQ(frameOf(node), (CGRect{20, 44, 690, 836}));
    click(*tab->offsetCheckbox());
    EXPECT_FALSE(readValue(Keys::gridOffsetEdges()));
    EXPECT_EQ(frameOf(node), (CGRect{0, 25, 710, 875}));
}

// The Stage Manager box is there from the system that has Stage Manager on.
TEST_F(SnappingTabTest, TheStageManagerRowShowsFromTheSystemThatHasIt) {
    struct Case {
        platform::OperatingSystemVersion version;
        bool shown;
    };
    for (const Case& row :
         std::vector<Case>{{{12, 6, 0}, false}, {{13, 0, 0}, true}, {{14, 2, 1}, true}}) {
        SCOPED_TRACE(row.version.majorVersion);
        sim::SystemVersion::of(*world).setVersion(row.version);
        reopen();
        EXPECT_EQ(tab->stageManagerCheckboxView()->isHidden(), !row.shown);
    }
}

// The box shows the setting when the tab opens and again each time it appears (the status menu
// switches it meanwhile); a click stores it and leaves the snapped windows where they are.
TEST_F(SnappingTabTest, TheStageManagerBoxFollowsTheSettingAndOnlyStoresIt) {
    writeValue(Keys::stageManagerMode(), true);
    show();
    auto& box = *tab->stageManagerCheckbox();
    EXPECT_EQ(box.state(), ControlState::on);

    hide();
    writeValue(Keys::stageManagerMode(), false);
    show();
    EXPECT_EQ(box.state(), ControlState::off) << "a stale box would write the old value back";

    const auto node = snappedLeft();
    const CGRect before = frameOf(node);
    output.clear();
    click(box);
    EXPECT_TRUE(readValue(Keys::stageManagerMode()));
    settle(0.5);
    EXPECT_EQ(frameOf(node), before);
    EXPECT_EQ(screenRebuilds(output.lines()), 0U);
}

// The four option boxes start from their settings and write them both ways.
TEST_F(SnappingTabTest, TheOptionBoxesShowAndWriteTheirSettings) {
    struct Case {
        const char* what;
        const std::shared_ptr<ui::Button>& (SnappingTabController::*box)() const;
        const settings::Defaults::Key<bool>& key;
    };
    const std::vector<Case> cases{
        {"activate", &SnappingTabController::activateWindowCheckbox,
         Keys::snappingActivateWindow()},
        {"move cursor", &SnappingTabController::moveCursorCheckbox, Keys::snappingMoveCursor()},
        {"drag unsnap", &SnappingTabController::dragUnsnapCheckbox, Keys::snappingDragUnsnap()},
        {"resize adjacent", &SnappingTabController::resizeAdjacentCheckbox,
         Keys::snappingResizeAdjacent()},
    };
    // The opposite of each default.
    for (const Case& row : cases)
        writeValue(row.key, !readValue(row.key));
    std::vector<bool> stored;
    for (const Case& row : cases)
        stored.push_back(readValue(row.key));
    show();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const auto& checkbox = ((*tab).*cases[i].box)();
        EXPECT_EQ(checkbox->state(), stored[i] ? ControlState::on : ControlState::off);
        click(*checkbox);
        EXPECT_EQ(readValue(cases[i].key), !stored[i]);
        click(*checkbox);
        EXPECT_EQ(readValue(cases[i].key), stored[i]);
    }
}

// The secondary control refuses exactly the keys of each other role, and takes a neighbour of
// them; the tertiary control shows keys changed elsewhere when the tab appears again.
TEST_F(SnappingTabTest, TheModifierControlsFollowTheirRulesAndTheSettings) {
    writeValue(Keys::generalModifier(), ModifierFlags::control);
    writeValue(Keys::screenModifier(), ModifierFlags::command);
    writeValue(Keys::tertiaryModifier(), ModifierFlags::option);
    show();
    auto& secondary = *tab->secondaryModKeyControl();
    for (const ModifierFlags taken :
         {ModifierFlags::control, ModifierFlags::command, ModifierFlags::option}) {
        EXPECT_EQ(pick(secondary, taken), "Keys already in use.") << taken.rawValue();
        EXPECT_EQ(readValue(Keys::secondaryModifier()), ModifierFlags::shift);
    }
    EXPECT_EQ(pick(secondary, ModifierFlags::option | ModifierFlags::shift), "");
    EXPECT_EQ(readValue(Keys::secondaryModifier()), ModifierFlags::option | ModifierFlags::shift);
    EXPECT_EQ(pick(*tab->tertiaryModKeyControl(), ModifierFlags::option | ModifierFlags::shift),
              "Keys already in use.");

    hide();
    writeValue(Keys::tertiaryModifier(), ModifierFlags::control | ModifierFlags::option);
    show();
    EXPECT_EQ(tab->tertiaryModKeyControl()->title(), "\u2303 \u2325");
}

}  // namespace
}  // namespace zoral::preferences
