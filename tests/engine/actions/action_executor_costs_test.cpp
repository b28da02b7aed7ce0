// What one execution of each action costs, counted by the simulated desktop on one fixed desktop:
// the accessibility round trips (each an inter-process message on the real system), the events
// posted, and how long the main queue was held by the sleeps of synthetic input and of cmdNew
// (round trips take no time here, so every moment the main queue is held is a sleep). Everything
// the action set off within three seconds counts: delayed writes, the close after an unsnap, the
// stages of a space move, the polls of the waiting actions, and what the windows' observers do.
// The counts do not depend on the machine, so they are pinned; the table is printed for the record.

#include <cstdint>
#include <functional>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/run_after_delay.h"
#include "engine/actions/app_switcher.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/window_operations.h"
#include "executor_world.h"
#include "platform/dispatch.h"
#include "platform/scheduler.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using testing::ExecutorWorldTest;
using Kind = Action::Kind;
using T = ExecutorWorldTest;

// Measures how long the main queue cannot run: a probe item waits on it, due `step` after the
// last one ran, and adds how late it runs. A block of the queue is missed by less than one step.
class MainQueueProbe {
public:
    static constexpr double step = 0.0001;

    MainQueueProbe() { schedule(); }
    ~MainQueueProbe() { state_->stopped = true; }
    MainQueueProbe(const MainQueueProbe&) = delete;
    MainQueueProbe& operator=(const MainQueueProbe&) = delete;

    double blockedSeconds() const { return state_->blocked; }

private:
    struct State {
        double blocked = 0;
        bool stopped = false;
    };

    void schedule() { scheduleFrom(state_); }
    static void scheduleFrom(const std::shared_ptr<State>& state) {
        const double due = platform::uptimeSeconds() + step;
        desktop::runAfterDelay(platform::DispatchQueue::main(), step, [state, due] {
            if (state->stopped)
                return;
            const double late = platform::uptimeSeconds() - due;
            if (late > step / 2)
                state->blocked += late;
            scheduleFrom(state);
        });
    }

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

struct CostRow {
    const char* name;
    Action action;
    // Sets the desktop up and gives the origin.
    std::function<Origin(T&)> prepare;
    std::int64_t roundTrips;
    std::size_t postedEvents;
    // Milliseconds.
    int blocked;
};

void PrintTo(const CostRow& row, std::ostream* stream) {
    *stream << row.name;
}

class ActionCostsTest : public ExecutorWorldTest, public ::testing::WithParamInterface<CostRow> {};

TEST_P(ActionCostsTest, OneExecution) {
    const CostRow& row = GetParam();
    const Origin origin = row.prepare(*this);
    settle(3);
    world->resetRoundTrips();
    input().resetPostedEvents();

    double blocked = 0;
    {
        MainQueueProbe probe;
        perform(origin, row.action);
        settle(3);
        blocked = probe.blockedSeconds();
    }
    const int blockedMs = static_cast<int>(blocked * 1000 + 0.5);
    std::cout << "  | " << std::left << std::setw(24) << row.name << " | " << std::right
              << std::setw(4) << world->roundTripCount() << " | " << std::setw(3)
              << input().postedEvents().size() << " | " << std::setw(4) << blockedMs << " ms | "
              << roundTripBreakdown() << "\n";
    EXPECT_EQ(world->roundTripCount(), row.roundTrips);
    EXPECT_EQ(input().postedEvents().size(), row.postedEvents);
    EXPECT_EQ(blockedMs, row.blocked);
}

// --- Origins

Origin onFront(T& t) {
    return t.originOn(t.front);
}
Origin onSnappedFront(T& t) {
    snap(T::windowOf(t.front), {{0, 0}, {1, 1}, {2, 1}}, t.screen(0));
    return t.originOn(t.front);
}
Origin onFullScreenFront(T& t) {
    t.front->setFullScreen(*t.world, true);
    return t.originOn(t.front);
}
Origin onMinimizedFront(T& t) {
    t.front->setMinimized(*t.world, true);
    return t.originOn(t.front);
}
// The editor's Dock tile, the viewer in front.
Origin onEditorTile(T& t) {
    t.world->bringToFront(T::viewerPid);
    Origin origin = t.originOn(t.front);
    origin.type = OriginType::dockItem;
    origin.window = nullptr;
    return origin;
}
Origin onEditorTileAfterMinimizing(T& t) {
    minimize(T::windowOf(t.back));
    return onEditorTile(t);
}
Origin onEditorTileAllMinimized(T& t) {
    t.front->setMinimized(*t.world, true);
    t.back->setMinimized(*t.world, true);
    return onEditorTile(t);
}
Origin onSecondTab(T& t) {
    return t.tabOrigin(1);
}
Origin onMinimizedBacksTile(T& t) {
    t.back->setMinimized(*t.world, true);
    t.settle(1);
    return t.minDockItemOrigin(t.back);
}
Origin onSpaceButton(T& t) {
    return t.spaceOrigin(2);
}
Origin withSwitcherOpen(T& t) {
    invokeAppSwitcher();
    return t.originOn(t.front);
}

const std::vector<CostRow> costRows{
    {"snap", Action::snap({{0, 0}, {1, 1}, {2, 1}}), onFront, 12, 0, 0},
    {"sendToFullscreen", Action(Kind::sendToFullscreen, Direction::right), onFront, 8, 0, 0},
    {"sendToScreen", Action(Kind::sendToScreen, Direction::right), onFront, 6, 0, 0},
    {"sendToSpace", Action(Kind::sendToSpace, Direction::right), onFront, 6, 4, 40},
    {"cycle", Action(Kind::cycle, Direction::right), onFront, 16, 0, 0},
    {"sendAllToScreen", Action(Kind::sendAllToScreen, Direction::right), onSnappedFront, 11, 0, 0},
    {"sendSpaceToScreen", Action(Kind::sendSpaceToScreen, Direction::right), onSpaceButton, 23,
     1427, 0},
    {"cmdTab", Action(Kind::cmdTab, Direction::right), onFront, 0, 4, 40},
    {"close", Action(Kind::close), onFront, 3, 2, 20},
    {"close (snapped)", Action(Kind::close), onSnappedFront, 8, 2, 20},
    {"terminateWin", Action(Kind::terminateWin), onFront, 3, 0, 0},
    {"minimize", Action(Kind::minimize), onFront, 1, 0, 0},
    {"minimizeFS", Action(Kind::minimizeFS), onFullScreenFront, 13, 0, 0},
    {"fullscreen", Action(Kind::fullscreen), onFront, 1, 0, 0},
    {"unfullscreen", Action(Kind::unfullscreen), onFullScreenFront, 1, 0, 0},
    {"hideWin", Action(Kind::hideWin), onFront, 0, 2, 20},
    {"hideWinExcept", Action(Kind::hideWinExcept), onFront, 0, 2, 20},
    {"closeTab", Action(Kind::closeTab), onSecondTab, 0, 2, 20},
    {"detachTab", Action(Kind::detachTab), onSecondTab, 73, 64, 0},
    {"cancelDetachTab", Action(Kind::cancelDetachTab), onSecondTab, 0, 2, 20},
    {"center", Action(Kind::center), onSnappedFront, 5, 0, 0},
    {"activate", Action(Kind::activate), onEditorTile, 9, 0, 0},
    {"terminateApp", Action(Kind::terminateApp), onFront, 3, 0, 0},
    {"minimizeNext", Action(Kind::minimizeNext), onFront, 8, 0, 0},
    {"minimizeAll", Action(Kind::minimizeAll), onFront, 9, 0, 0},
    {"unminimizeLast", Action(Kind::unminimizeLast), onEditorTileAfterMinimizing, 16, 0, 0},
    {"unminimizeAll", Action(Kind::unminimizeAll), onEditorTileAllMinimized, 9, 0, 0},
    {"unminimizeFromPreview", Action(Kind::unminimizeFromPreview), onMinimizedBacksTile, 62, 0, 0},
    {"hide", Action(Kind::hide), onFront, 0, 2, 20},
    {"hideExcept", Action(Kind::hideExcept), onFront, 0, 2, 20},
    {"cmdNew", Action(Kind::cmdNew), onFront, 0, 2, 120},
    {"scrollToTop", Action(Kind::scrollToTop), onFront, 0, 2, 20},
    {"unsnapScreen", Action(Kind::unsnapScreen), onSnappedFront, 6, 0, 0},
    {"unsnapGlobal", Action(Kind::unsnapGlobal), onSnappedFront, 5, 0, 0},
    {"minimizeScreen", Action(Kind::minimizeScreen), onFront, 25, 0, 0},
    {"minimizeGlobal", Action(Kind::minimizeGlobal), onFront, 22, 0, 0},
    {"unminimizeScreen", Action(Kind::unminimizeScreen), onMinimizedFront, 20, 0, 0},
    {"unminimizeGlobal", Action(Kind::unminimizeGlobal), onMinimizedFront, 19, 0, 0},
    {"invokeAppSwitcher", Action(Kind::invokeAppSwitcher), onFront, 0, 4, 30},
    {"exitAppSwitcher", Action(Kind::exitAppSwitcher), withSwitcherOpen, 0, 1, 10},
};

INSTANTIATE_TEST_SUITE_P(Actions, ActionCostsTest, ::testing::ValuesIn(costRows),
                         [](const ::testing::TestParamInfo<CostRow>& row) {
                             return testing::testName(row.param.name);
                         });

}  // namespace
}  // namespace zoral::engine
