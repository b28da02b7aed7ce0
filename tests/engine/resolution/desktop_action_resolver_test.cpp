// The resolution through the gesture, on the simulated desktop: what the gesture logs, proposes
// and executes as phases and modifier changes arrive, and how the gesture's state moves on.

#include "engine/gesture/desktop_action_resolver.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "resolution_answers.h"
#include "resolution_world.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using ::testing::ElementsAre;

class DesktopActionResolverTest : public testing::ResolutionWorldTest {
protected:
    DesktopActionResolverTest() {
        settings::Defaults::writeValue(settings::Defaults::Keys::actions(),
                                       testing::Answers::allKinds());
    }

    // What an engine does after recognising a step: appends it and lets the gesture resolve.
    void step(Gesture& gesture, std::optional<Direction> direction, Phase phase) {
        if (direction)
            gesture.appendDirection(*direction, phase);
        else
            gesture.appendPhase(phase);
        settle();
    }
    // What the trackpad engine does on a change of the modifier keys: resolves again without a
    // new phase.
    void holdRoles(Gesture& gesture, std::vector<Modifier> roles) {
        gesture.setModifiers(std::move(roles));
        resolver->resolveAction(gesture);
        settle();
    }

    std::vector<std::string> actionLines() const {
        std::vector<std::string> found;
        for (const auto& line : gestureLog()) {
            if (line.rfind("Action:", 0) == 0)
                found.push_back(line);
        }
        return found;
    }

    std::shared_ptr<DesktopActionResolver> resolver = std::make_shared<DesktopActionResolver>();
};

TEST_F(DesktopActionResolverTest, ATitleBarScrollLogsPhasesAndActionsAndExecutesOnRelease) {
    const auto node = addWindow(onLaptop);
    auto gesture = makeGesture(originOn(OriginType::titlebar, node), resolver);
    ASSERT_TRUE(gesture);
    output.clear();

    step(*gesture, Direction::up, Phase::scrolled);
    step(*gesture, Direction::left, Phase::scrolled);
    step(*gesture, std::nullopt, Phase::released);

    const std::string maximise = "snap(start: (0, 0), end: (1, 1), matrix: (1, 1))";
    const std::string quarter = "snap(start: (0, 0), end: (1, 1), matrix: (2, 2))";
    EXPECT_THAT(gestureLog(),
                ElementsAre("Phase: scrolled", "Action: " + maximise + " true", "Phase: scrolled",
                            "Action: " + quarter + " true", "Phase: released"));
    EXPECT_THAT(tooltips->calls,
                ElementsAre("hide", "update " + maximise + " show 1 state 1 clear 0 at 300,600",
                            "live " + maximise + " window", "hide",
                            "update " + quarter + " show 1 state 1 clear 0 at 300,600",
                            "live " + quarter + " window", "fade 0.3"));
    EXPECT_THAT(performed(), ElementsAre(quarter + " on titlebar"));
    finishExecutions();
    EXPECT_TRUE(gesture->wasExecuted());
}

TEST_F(DesktopActionResolverTest, AModifierChangeDoesNotStepTheSpanAgain) {
    const auto node = addWindow(onLaptop);
    auto gesture = makeGesture(originOn(OriginType::titlebar, node), resolver);
    gesture->setModifiers({Modifier::secondary});

    // The first scroll steps twice to the right third, the second back by one cell.
    step(*gesture, Direction::right, Phase::scrolled);
    step(*gesture, Direction::left, Phase::scrolled);
    holdRoles(*gesture, {});
    holdRoles(*gesture, {Modifier::secondary});

    EXPECT_THAT(actionLines(),
                ElementsAre("Action: snap(start: (2, 0), end: (3, 2), matrix: (3, 2)) true",
                            "Action: snap(start: (1, 0), end: (3, 2), matrix: (3, 2)) true",
                            "Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true",
                            "Action: snap(start: (1, 0), end: (3, 2), matrix: (3, 2)) true"));
    EXPECT_EQ(gesture->grids().grid3x2, (GridSpan{{1, 0}, {3, 2}, {3, 2}}));
    // The 2 x 3 grid moved along, though the laptop's screen shows the 3 x 2 one.
    EXPECT_EQ(gesture->grids().grid2x3, (GridSpan{{0, 1}, {2, 2}, {2, 3}}));

    // The next scroll steps once more.
    step(*gesture, Direction::left, Phase::scrolled);
    EXPECT_EQ(actionLines().back(),
              "Action: snap(start: (1, 0), end: (2, 2), matrix: (3, 2)) true");
}

// From the centre cell the first scroll lands on the neighbouring cell; later scrolls widen to
// two cells and narrow to the far one.
TEST_F(DesktopActionResolverTest, TheTertiaryGridStepsFromTheCentreCell) {
    const auto node = addWindow(onLaptop);
    auto gesture = makeGesture(originOn(OriginType::titlebar, node), resolver);
    gesture->setModifiers({Modifier::tertiary});

    step(*gesture, Direction::left, Phase::scrolled);
    step(*gesture, Direction::right, Phase::scrolled);
    step(*gesture, Direction::right, Phase::scrolled);
    step(*gesture, std::nullopt, Phase::paused);

    EXPECT_THAT(actionLines(),
                ElementsAre("Action: snap(start: (0, 1), end: (1, 2), matrix: (3, 3)) true",
                            "Action: snap(start: (0, 1), end: (2, 2), matrix: (3, 3)) true",
                            "Action: snap(start: (1, 1), end: (2, 2), matrix: (3, 3)) true"));
}

// A tab gesture taken as a window gesture becomes one, and stays one whatever the tab says later.
TEST_F(DesktopActionResolverTest, AReroutedTabGestureStaysAWindowGesture) {
    auto answers = std::make_shared<testing::Answers>(testing::desktopFrom("tab=chrome reroute"));
    auto planned = std::make_shared<DesktopActionResolver>(
        [answers](const Origin&) { return std::make_unique<testing::Answers>(*answers); });
    const auto node = addWindow(onLaptop);
    auto gesture = makeGesture(originOn(OriginType::tab, node), planned);

    step(*gesture, Direction::down, Phase::scrolled);
    // Written where every reader of the gesture sees it, the core and the gesture's own rest.
    EXPECT_EQ(gesture->origin().type, OriginType::window);
    answers->reroute = false;
    step(*gesture, Direction::down, Phase::scrolled);

    EXPECT_THAT(actionLines(), ElementsAre("Action: minimize true",
                                           "Action: snap(start: (0, 1), end: (1, 2), matrix: "
                                           "(1, 2)) true"));
}

// Lifting the fingers while a chained detach waits for its window cancels the detach at once and
// ends the gesture.
TEST_F(DesktopActionResolverTest, ReleasingDuringADetachCancelsIt) {
    auto planned = std::make_shared<DesktopActionResolver>([](const Origin&) {
        return std::make_unique<testing::Answers>(testing::desktopFrom("tab=native"));
    });
    const auto node = addWindow(onLaptop);
    auto gesture = makeGesture(originOn(OriginType::tab, node), planned);
    output.clear();

    gesture->appendPhase(Phase::rested);
    // The chained execution is under way: the detach waits for its window.
    settle();
    ASSERT_TRUE(gesture->isChaining());
    step(*gesture, std::nullopt, Phase::released);
    finishExecutions();

    EXPECT_THAT(gestureLog(), ElementsAre("Phase: rested", "Action: detachTab true",
                                          "Phase: released", "Action: cancelDetachTab true",
                                          "Gesture: cancelled", "Gesture: chained"));
    EXPECT_THAT(performed(), ElementsAre("detachTab on tab", "cancelDetachTab on tab"));
    EXPECT_TRUE(gesture->isCancelled());
}

// Resting on the menu bar invokes the application switcher at once; the gesture drives it from
// then on, and lifting the fingers leaves it.
TEST_F(DesktopActionResolverTest, TheMenuBarDrivesTheApplicationSwitcher) {
    auto gesture = makeGesture(bareOrigin(OriginType::menubar), resolver);
    step(*gesture, std::nullopt, Phase::rested);
    EXPECT_TRUE(gesture->isCmdTabbing());
    step(*gesture, Direction::right, Phase::scrolled);
    step(*gesture, std::nullopt, Phase::released);

    EXPECT_THAT(actionLines(),
                ElementsAre("Action: invokeAppSwitcher true", "Action: exitAppSwitcher true"));
    EXPECT_THAT(performed(),
                ElementsAre("invokeAppSwitcher on menubar", "exitAppSwitcher on menubar"));
}

}  // namespace
}  // namespace zoral::engine
