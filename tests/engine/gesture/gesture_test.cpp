#include "engine/gesture/gesture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "desktop/log_time_formatter.h"
#include "gesture_world.h"

namespace zoral::engine::testing {
namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string separator(42, '-');

// --- Start and release

TEST_F(GestureTest, StartLinesAndBlockedOrigins) {
    struct Row {
        OriginType type;
        const settings::Defaults::Key<bool>* setting;
        bool value;
        bool blocked;
    };
    const Row rows[] = {
        {OriginType::titlebar, nullptr, false, false},
        {OriginType::menu, &Keys::originAppMenu(), false, true},
        {OriginType::menu, &Keys::originAppMenu(), true, false},
        {OriginType::menuFS, &Keys::originAppMenu(), false, false},
        {OriginType::mcWindow, &Keys::originMissionControl(), false, true},
        {OriginType::mcWindow, &Keys::originMissionControl(), true, false},
    };
    writeValue(Keys::numberOfZodiriz(), std::int64_t{41});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(platform::caseName(row.type)));
        if (row.setting != nullptr)
            writeValue(*row.setting, row.value);
        output.clear();
        const auto gesture = start(row.type);
        std::vector<std::string> expected{
            separator, "Gesture 42: Initialized (" + desktop::currentLogTime() + ")",
            "Origin: org.example.editor " + std::string(platform::caseName(row.type))};
        if (row.blocked)
            expected.emplace_back("Gesture: Origin blocked");
        EXPECT_EQ(output.lines(), expected);
        EXPECT_EQ(gesture == nullptr, row.blocked);
    }
}

TEST_F(GestureTest, AnOriginWithoutApplicationIsUnknown) {
    Origin bare = makeOrigin(OriginType::dockItem);
    ASSERT_TRUE(Gesture::make(bare, services()));
    EXPECT_EQ(output.lines().at(2), "Origin: unknown dockItem");
}

TEST_F(GestureTest, ABlockedOriginPrintsNoClosingSeparator) {
    writeValue(Keys::originAppMenu(), false);
    ASSERT_FALSE(start(OriginType::menu));
    turn();
    EXPECT_EQ(output.lines().back(), "Gesture: Origin blocked");
}

TEST_F(GestureTest, ReleaseCountsOnlyExecutedGesturesAndAlwaysClosesTheLog) {
    {
        auto idle = start();
        output.clear();
    }
    EXPECT_THAT(output.lines(), ElementsAre(separator));
    EXPECT_EQ(readValue(Keys::numberOfZodiriz()), 0);

    auto gesture = start();
    propose(snapLeftHalf());
    phase(*gesture, Phase::released);
    ASSERT_EQ(performer->calls.size(), 1U);

    // The engine lets go while the execution runs: the continuation keeps the gesture.
    output.clear();
    gesture.reset();
    EXPECT_THAT(output.lines(), IsEmpty());
    settleExecution();
    EXPECT_THAT(output.lines(), ElementsAre(separator));
    EXPECT_EQ(readValue(Keys::numberOfZodiriz()), 1);
}

// --- Phases

TEST_F(GestureTest, EachPhaseIsLoggedAndResolvedAndHandledOnALaterTurn) {
    auto gesture = start();
    gesture->appendPhase(Phase::scrolled);
    gesture->appendPhase(Phase::rested);
    EXPECT_THAT(linesStartingWith("Phase:"), ElementsAre("Phase: scrolled", "Phase: rested"));
    ASSERT_EQ(resolver->phasesSeen.size(), 2U);
    // The rest's haptic waits for the main queue's next turn.
    EXPECT_EQ(hapticsPlayed(), 0U);
    turn();
    EXPECT_EQ(hapticsPlayed(), 1U);
}

TEST_F(GestureTest, APhaseWithoutPhasesLogsADash) {
    auto gesture = start();
    gesture->updatePhase();
    EXPECT_THAT(linesStartingWith("Phase:"), ElementsAre("Phase: —"));
}

TEST_F(GestureTest, TheHandledPhaseIsTheOneResolvedNotTheOneLast) {
    // The resolution of a rest is slow; the release arrives meanwhile. The rest is still the phase
    // its resolution handles: a haptic, and no execution for it.
    resolver->holdResolutions = true;
    auto gesture = start();
    gesture->appendPhase(Phase::rested);
    gesture->appendPhase(Phase::scrolled);
    resolver->pendingResolutions.at(0)({});
    turn();
    EXPECT_EQ(hapticsPlayed(), 1U);
    EXPECT_THAT(performer->calls, IsEmpty());
}

TEST_F(GestureTest, HapticFeedbackOnRestsAndPauses) {
    struct Row {
        const char* name;
        OriginType type;
        bool withAction;
        bool hapticFeedback;
        bool cmdTabbing;
        Phase phase;
        std::size_t played;
    };
    const Row rows[] = {
        {"rest on a title bar", OriginType::titlebar, false, true, false, Phase::rested, 1},
        {"pause on a title bar", OriginType::titlebar, false, true, false, Phase::paused, 1},
        {"rest on a tab without action", OriginType::tab, false, true, false, Phase::rested, 0},
        {"pause on a tab without action", OriginType::tab, false, true, false, Phase::paused, 0},
        {"rest on a tab with an action", OriginType::tab, true, true, false, Phase::rested, 1},
        {"feedback off", OriginType::titlebar, true, false, false, Phase::rested, 0},
        {"while switching applications", OriginType::titlebar, true, true, true, Phase::rested, 0},
        {"a scroll", OriginType::titlebar, true, true, false, Phase::scrolled, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::Haptics::of(*world).reset();
        writeValue(Keys::hapticFeedback(), row.hapticFeedback);
        auto gesture = start(row.type);
        if (row.cmdTabbing)
            gesture->startCmdTabbing();
        if (row.withAction)
            propose(Action(Action::Kind::closeTab));
        phase(*gesture, row.phase);
        EXPECT_EQ(hapticsPlayed(), row.played);
    }
}

TEST_F(GestureTest, TheReleaseFadesByTheActionsPaceAndExecutes) {
    struct Row {
        std::optional<Action> action;
        const char* fade;
    };
    const Row rows[] = {
        {snapLeftHalf(), "fade 0.3"},
        {Action(Action::Kind::fullscreen), "fade 0.1"},
        {std::nullopt, "fade 0.3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action ? row.action->description() : "no action");
        tooltips->calls.clear();
        performer->calls.clear();
        auto gesture = start();
        if (row.action)
            propose(*row.action);
        phase(*gesture, Phase::released);
        EXPECT_EQ(tooltips->calls.back(), row.fade);
        ASSERT_EQ(performer->calls.size(), row.action ? 1U : 0U);
        if (row.action) {
            EXPECT_EQ(performer->calls[0].action, *row.action);
            EXPECT_TRUE(performer->calls[0].origin.window);
        }
    }
}

// --- Proposals

TEST_F(GestureTest, TheSameProposalTwiceIsLoggedAndPreviewedOnce) {
    auto gesture = start();
    gesture->setAction({.action = snapLeftHalf()});
    gesture->setAction({.action = snapLeftHalf(), .display = false});
    EXPECT_THAT(linesStartingWith("Action:"),
                ElementsAre("Action: " + snapLeftHalf().description() + " true"));
    EXPECT_THAT(tooltips->calls, ElementsAre("hide",
                                             "update " + snapLeftHalf().description() +
                                                 " show 1 state 1 clear 0 at 300,700",
                                             "live " + snapLeftHalf().description() + " window"));
    gesture->setAction({.action = snapMaximized(), .display = false});
    EXPECT_EQ(linesStartingWith("Action:").back(),
              "Action: " + snapMaximized().description() + " false");
    EXPECT_EQ(gesture->action(), snapMaximized());
}

TEST_F(GestureTest, RefusedProposalsLeaveThePreviousAction) {
    struct Row {
        const char* name;
        OriginType type;
        Action action;
        bool accepted;
    };
    const Row rows[] = {
        {"hotkey closes no window", OriginType::hotkey, Action(Action::Kind::close), false},
        {"hotkey snaps", OriginType::hotkey, snapLeftHalf(), true},
        {"hotkey moves to a screen", OriginType::hotkey,
         Action(Action::Kind::sendToScreen, desktop::Direction::left), true},
        {"hotkey minimises no window", OriginType::hotkey, Action(Action::Kind::minimize), false},
        {"Mission Control makes no full screen", OriginType::mcWindow,
         Action(Action::Kind::fullscreen), false},
        {"Mission Control sends no window to full screen", OriginType::mcWindow,
         Action(Action::Kind::sendToFullscreen, desktop::Direction::up), false},
        {"Mission Control moves no window to a space", OriginType::mcWindow,
         Action(Action::Kind::sendToSpace, desktop::Direction::left), false},
        {"Mission Control closes", OriginType::mcWindow, Action(Action::Kind::close), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto gesture = start(row.type);
        gesture->setAction({.action = snapMaximized()});
        output.clear();
        gesture->setAction({.action = row.action});
        EXPECT_EQ(gesture->action(), row.accepted ? row.action : snapMaximized());
        EXPECT_EQ(linesStartingWith("Action:").size(), row.accepted ? 1U : 0U);
    }
}

TEST_F(GestureTest, ADisabledKindIsIgnored) {
    auto enabled = readValue(Keys::actions());
    enabled.erase(ActionUserType::windowClose);
    writeValue(Keys::actions(), enabled);
    auto gesture = start();
    gesture->setAction({.action = snapLeftHalf()});
    gesture->setAction({.action = Action(Action::Kind::close), .executeNow = true});
    EXPECT_EQ(gesture->action(), snapLeftHalf());
    EXPECT_THAT(performer->calls, IsEmpty());
}

TEST_F(GestureTest, PreviewFollowsTheTooltipSettings) {
    struct Row {
        bool show;
        bool live;
        std::vector<std::string> calls;
    };
    const std::string action = snapLeftHalf().description();
    const std::vector<Row> rows{
        {true,
         true,
         {"hide", "update " + action + " show 1 state 0 clear 0 at 300,700",
          "live " + action + " window"}},
        {false, true, {"live " + action + " window"}},
        {true, false, {"hide", "update " + action + " show 1 state 0 clear 0 at 300,700"}},
        {false, false, {}},
    };
    for (const Row& row : rows) {
        writeValue(Keys::tooltipShow(), row.show);
        writeValue(Keys::tooltipLive(), row.live);
        tooltips->calls.clear();
        start()->setAction({.action = snapLeftHalf(), .display = false});
        EXPECT_EQ(tooltips->calls, row.calls);
    }
}

TEST_F(GestureTest, ExecuteNowAndClearAction) {
    auto gesture = start();
    gesture->setAction({.action = Action(Action::Kind::minimize), .executeNow = true});
    ASSERT_EQ(performer->calls.size(), 1U);

    tooltips->calls.clear();
    gesture->clearAction();
    EXPECT_FALSE(gesture->action());
    EXPECT_THAT(tooltips->calls, ElementsAre("update minimize show 0 state 1 clear 1 at 300,700"));
    // Nothing to clear or run any more.
    gesture->clearAction();
    gesture->execute();
    EXPECT_EQ(tooltips->calls.size(), 1U);
    EXPECT_EQ(performer->calls.size(), 1U);
    // An execution always finishes; until it does, it holds the gesture.
    settleExecution();
}

// --- Execution

TEST_F(GestureTest, AnExecutionTakesTheNewOriginCountsItsKindAndRedrawsAFailure) {
    auto gesture = start();
    gesture->setAction({.action = Action(Action::Kind::minimize)});
    gesture->execute();
    EXPECT_FALSE(gesture->wasExecuted());

    Origin moved = origin(OriginType::window);
    moved.location = {10, 20};
    tooltips->calls.clear();
    // The executor's result reaches the gesture on the main queue's next turn.
    performer->calls.back().settle({moved, false});
    EXPECT_FALSE(gesture->wasExecuted());
    turn();
    EXPECT_TRUE(gesture->wasExecuted());
    EXPECT_EQ(gesture->origin().type, OriginType::window);
    EXPECT_THAT(tooltips->calls, ElementsAre("update minimize show 0 state 0 clear 0 at 10,20"));

    gesture->setAction({.action = snapLeftHalf()});
    gesture->execute();
    settleExecution(true);
    gesture->execute();
    settleExecution(true);
    EXPECT_EQ(readValue(Keys::numberOfActions()),
              (settings::ActionUserTypeCounts{{ActionUserType::windowMinimize, 1},
                                              {ActionUserType::snapHalves, 2}}));
}

TEST_F(GestureTest, AChainStartsTheSelectionOverFromAChainedPhase) {
    auto gesture = start();
    gesture->appendDirection(desktop::Direction::right, Phase::scrolled);
    output.clear();
    auto done = gesture->setAction(
        {.action = Action(Action::Kind::cycle, desktop::Direction::right), .chain = true});
    EXPECT_TRUE(gesture->isChaining());
    resolver->phasesSeen.clear();
    settleExecution();

    EXPECT_TRUE(done.isSettled());
    EXPECT_FALSE(gesture->isChaining());
    EXPECT_FALSE(gesture->action());
    EXPECT_THAT(gesture->directions(), IsEmpty());
    EXPECT_THAT(gesture->phases(), ElementsAre(Phase::chained));
    EXPECT_THAT(resolver->phasesSeen,
                ElementsAre(std::vector<Phase>{}, std::vector<Phase>{Phase::chained}));
    EXPECT_THAT(linesStartingWith("Gesture: "), ElementsAre("Gesture: chained"));
    EXPECT_THAT(linesStartingWith("Phase:"), ElementsAre("Phase: —", "Phase: chained"));
    EXPECT_FALSE(gesture->isCancelled());
}

// The fingers lift while the chained execution still runs: the action ran once and stays so.
TEST_F(GestureTest, AReleaseDuringAChainedExecutionExecutesNothingMore) {
    auto gesture = start(OriginType::dockItem);
    gesture->appendDirection(desktop::Direction::up, Phase::paused);
    gesture->setAction({.action = Action(Action::Kind::unminimizeLast), .chain = true});
    ASSERT_EQ(performer->calls.size(), 1U);
    gesture->appendPhase(Phase::released);
    turn();
    EXPECT_EQ(performer->calls.size(), 1U);
    settleExecution();
    EXPECT_EQ(performer->calls.size(), 1U);
    EXPECT_FALSE(gesture->isChaining());
}

TEST_F(GestureTest, AChainWithoutWindowCancels) {
    auto gesture = start(OriginType::dockItem, false);
    gesture->setAction({.action = Action(Action::Kind::minimizeAll), .chain = true});
    settleExecution();
    EXPECT_TRUE(gesture->isCancelled());
    EXPECT_FALSE(gesture->isChaining());
    EXPECT_THAT(linesStartingWith("Gesture: "),
                ElementsAre("Gesture: chained", "Gesture: cancelled"));
}

// --- Cancel

TEST_F(GestureTest, ACancelledGestureIgnoresLaterPhasesAndCancelsOnce) {
    auto gesture = start();
    gesture->setAction({.action = snapLeftHalf()});
    tooltips->calls.clear();
    gesture->cancel();
    EXPECT_THAT(tooltips->calls, ElementsAre("update " + snapLeftHalf().description() +
                                                 " show 0 state 1 clear 1 at 300,700",
                                             "fade 0.3"));
    EXPECT_EQ(hapticsPlayed(), 1U);
    EXPECT_FALSE(gesture->action());

    gesture->cancel();
    phase(*gesture, Phase::released);
    EXPECT_THAT(linesStartingWith("Gesture: "), ElementsAre("Gesture: cancelled"));
    EXPECT_THAT(linesStartingWith("Phase:"), IsEmpty());
    EXPECT_THAT(resolver->phasesSeen, IsEmpty());
    EXPECT_THAT(performer->calls, IsEmpty());
    EXPECT_EQ(hapticsPlayed(), 1U);
}

TEST_F(GestureTest, CancellingWithoutActionGivesNoHaptic) {
    auto gesture = start();
    gesture->cancel();
    EXPECT_EQ(hapticsPlayed(), 0U);
    EXPECT_THAT(tooltips->calls, ElementsAre("fade 0.3"));
}

}  // namespace
}  // namespace zoral::engine::testing
