// The modifiers a gesture reads are the ones the user's hands hold: the keys and combinations the
// program posts (a space move's Control-arrow, the application switcher's Command-Tab) leave no
// modifier held behind them, and a hand that lets go of a modifier while they are posted ends
// the hotkey gesture it held.

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "platform/events.h"
#include "platform/key_codes.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/event_taps.h"
#include "sim/hardware_input.h"

namespace zoral::engine::testing {
namespace {

using platform::CGEventFlags;
using settings::Defaults::Keys;
using settings::Defaults::writeValue;
using sim::KeyStroke;
using sim::ModifierChange;
using sim::ScrollStroke;
using Lines = std::vector<std::string>;
namespace vk = platform::virtualKey;

const std::string snapLeftHalf = "Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true";

ScrollStroke scroll(std::vector<platform::CGPoint> travels, double restBefore = 0) {
    ScrollStroke stroke{.restBefore = restBefore};
    for (const auto travel : travels)
        stroke.moves.push_back({.travel = travel, .events = 8, .holdAfter = 0.05});
    return stroke;
}

void enableMenubarAppSwitcher() {
    auto enabled = settings::Defaults::readValue(Keys::actions());
    enabled.insert(settings::ActionUserType::menubarAppSwitcher);
    writeValue(Keys::actions(), enabled);
}

class HeldModifiersTest : public EndToEndWorld {
protected:
    // Whether the program posted a key event of this description since the engine started.
    bool wasPosted(const std::string& description) {
        const Lines sent = posted();
        return std::find(sent.begin(), sent.end(), description) != sent.end();
    }
    // What became of the last event at the engine's tap.
    sim::TapOutcome lastOutcome() const {
        return sim::EventTaps::of(*world)
            .records(engine->core()->eventTap()->port())
            .back()
            .outcome;
    }
};

struct HeldRow {
    std::string name;
    // The user's hands; they hold no modifier at the end.
    std::function<void(HeldModifiersTest&)> act;
    // The action's own line, and the keys it posted.
    std::string action;
    Lines posted;
};

void PrintTo(const HeldRow& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<HeldRow>& heldRows() {
    static const std::vector<HeldRow> table{
        {"a space move posts Control with the arrow",
         [](HeldModifiersTest& t) {
             // Control comes up before the move's keys are posted.
             t.play(t.titleBarOf(t.front),
                    {ModifierChange{CGEventFlags::maskControl}, scroll({upwards, rightwards}),
                     ModifierChange{}},
                    2);
             EXPECT_EQ(t.spaceOf(t.front), 2);
         },
         "Action: sendToSpace(right) true",
         {"left down", "arrowRight down ctrl+fn", "arrowRight up ctrl+fn", "left up"}},
        {"a step of the application switcher posts Command-Tab",
         [](HeldModifiersTest& t) {
             t.play({600, 10}, {scroll({rightwards})});
         },
         "Action: cmdTab(right) true",
         {"command down", "tab down cmd", "tab up cmd", "command up"}},
        {"the application switcher held open posts Command down and, at its end, up",
         [](HeldModifiersTest& t) {
             t.play({600, 10}, {scroll({leftwards}, 1.0)}, 2);
         },
         "Action: invokeAppSwitcher true",
         {"command down", "tab down cmd", "tab up cmd", "scroll cmd", "command up"}},
    };
    return table;
}

class AfterPostedModifiers : public HeldModifiersTest,
                             public ::testing::WithParamInterface<HeldRow> {};

TEST_P(AfterPostedModifiers, TheNextGestureReadsTheModifiersTheUserHolds) {
    const HeldRow& row = GetParam();
    enableMenubarAppSwitcher();
    startEngine();
    row.act(*this);
    const Lines actions = linesStarting({"Action: "});
    EXPECT_NE(std::find(actions.begin(), actions.end(), row.action), actions.end())
        << ::testing::PrintToString(output.lines());
    EXPECT_EQ(posted(), row.posted);
    EXPECT_EQ(platform::eventSourceFlagsState() & CGEventFlags::maskDeviceIndependent,
              CGEventFlags{});

    // The hands hold nothing: a plain scroll on the editor's title bar snaps its window.
    world->bringToFront(editorPid);
    settle(1);
    output.clear();
    play(titleBarOf(front), {scroll({leftwards})});
    EXPECT_EQ(linesStarting({"Action: "}), Lines{snapLeftHalf})
        << ::testing::PrintToString(output.lines());
    EXPECT_EQ(frameOf(front), leftHalfFrame);
}

INSTANTIATE_TEST_SUITE_P(Rows, AfterPostedModifiers, ::testing::ValuesIn(heldRows()),
                         [](const ::testing::TestParamInfo<HeldRow>& row) {
                             return testName(row.param.name);
                         });

// With Control as the super modifier, the space move's own Control-arrow passes the tap like a
// hotkey press: the user holds no Control, so it is none.
TEST_F(HeldModifiersTest, TheSpaceMovesOwnControlArrowStartsNoHotkeyGesture) {
    writeValue(Keys::hotkeys(), true);
    writeValue(Keys::superModifier(),
               settings::ModifierFlags(CGEventFlags::maskControl.rawValue()));
    writeValue(Keys::generalModifier(),
               settings::ModifierFlags(CGEventFlags::maskAlternate.rawValue()));
    startEngine();
    play(titleBarOf(front),
         {ModifierChange{CGEventFlags::maskAlternate}, scroll({upwards, rightwards}),
          ModifierChange{}},
         2);
    EXPECT_EQ(spaceOf(front), 2);
    EXPECT_TRUE(wasPosted("arrowRight down ctrl+fn"));
    EXPECT_FALSE(engine->core()->keyEngine());
    EXPECT_EQ(linesStarting({"Origin: org", "Action: "}),
              (Lines{"Origin: org.example.editor titlebar", "Action: fullscreen true",
                     "Action: sendToSpace(right) true"}))
        << ::testing::PrintToString(output.lines());
}

// A hotkey gesture held with fn while a trackpad gesture on the menu bar steps the application
// switcher: fn comes up while the switcher's Command is down. The hotkey gesture ends there
// and runs its action, and the keyboard is the user's again.
TEST_F(HeldModifiersTest, FnReleasedWhileTheSwitchersKeysArePostedEndsTheHotkeyGesture) {
    enableMenubarAppSwitcher();
    writeValue(Keys::hotkeys(), true);
    startEngine();
    input().movePointer({600, 10});
    hardware().play({ModifierChange{CGEventFlags::maskSecondaryFn}, scroll({rightwards})});
    hardware().play(KeyStroke{.keyCode = vk::leftArrow}, 0.05);
    // fn comes up once Tab went down with Command, before Command comes up.
    for (int i = 0; i < 2000 && !wasPosted("tab down cmd"); ++i)
        scheduler().runFor(0.001);
    ASSERT_TRUE(wasPosted("tab down cmd"));
    ASSERT_FALSE(wasPosted("command up"));
    ASSERT_TRUE(input().heldModifierFlags().contains(CGEventFlags::maskCommand));
    ASSERT_TRUE(engine->core()->keyEngine());
    hardware().play(ModifierChange{}, 0);
    scheduler().runFor(1);
    EXPECT_TRUE(wasPosted("command up"));

    EXPECT_FALSE(engine->core()->keyEngine());
    EXPECT_FALSE(engine->core()->gestureBlock());
    EXPECT_EQ(frameOf(front), leftHalfFrame);
    EXPECT_EQ(linesStarting({"Action: "}), (Lines{"Action: cmdTab(right) true", snapLeftHalf}))
        << ::testing::PrintToString(output.lines());
    play({700, 450}, {KeyStroke{.keyCode = vk::ansiW}});
    EXPECT_EQ(lastOutcome(), sim::TapOutcome::delivered);
}

}  // namespace
}  // namespace zoral::engine::testing
