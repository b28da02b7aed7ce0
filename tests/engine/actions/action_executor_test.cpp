#include "engine/actions/action_executor.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/pid_timestamps.h"
#include "engine/actions/app_switcher.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "engine/windows/window_operations.h"
#include "executor_world.h"
#include "platform/dispatch.h"
#include "platform/screens.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using platform::CGPoint;
using platform::CGRect;
using testing::ExecutorWorldTest;
using Kind = Action::Kind;
using Lines = std::vector<std::string>;

// Same kind, place and screen, and the very same objects.
void expectSameOrigin(const Origin& actual, const Origin& expected) {
    EXPECT_EQ(actual.type, expected.type);
    EXPECT_EQ(actual.location, expected.location);
    EXPECT_EQ(actual.screen, expected.screen);
    EXPECT_EQ(actual.element, expected.element);
    EXPECT_EQ(actual.window, expected.window);
    EXPECT_EQ(actual.tab, expected.tab);
    EXPECT_EQ(actual.application, expected.application);
    EXPECT_EQ(actual.minDockItem, expected.minDockItem);
    EXPECT_EQ(actual.space, expected.space);
}

bool sameWindow(const std::shared_ptr<desktop::Window>& window,
                const std::shared_ptr<sim::WindowNode>& node) {
    return window && window->element() == node->element();
}

class ActionExecutorTest : public ExecutorWorldTest {};

// --- Without the operand

enum class Missing { window, application, tab, minDockItem, space };

TEST_F(ActionExecutorTest, WithoutItsOperandAnActionDoesNothing) {
    struct Row {
        Action action;
        Missing missing;
        bool flag;
    };
    const std::vector<Row> rows{
        {Action::snap(leftHalf), Missing::window, true},
        {Action(Kind::sendToFullscreen, Direction::right), Missing::window, true},
        {Action(Kind::sendToSpace, Direction::right), Missing::window, true},
        {Action(Kind::sendSpaceToScreen, Direction::right), Missing::space, true},
        {Action(Kind::close), Missing::window, true},
        {Action(Kind::terminateWin), Missing::application, true},
        {Action(Kind::minimize), Missing::window, true},
        {Action(Kind::minimizeFS), Missing::window, true},
        {Action(Kind::fullscreen), Missing::window, true},
        {Action(Kind::unfullscreen), Missing::window, true},
        {Action(Kind::hideWin), Missing::application, true},
        {Action(Kind::hideWinExcept), Missing::application, true},
        {Action(Kind::closeTab), Missing::tab, true},
        {Action(Kind::detachTab), Missing::tab, false},
        {Action(Kind::cancelDetachTab), Missing::tab, true},
        {Action(Kind::center), Missing::window, true},
        {Action(Kind::activate), Missing::application, false},
        {Action(Kind::terminateApp), Missing::application, true},
        {Action(Kind::minimizeNext), Missing::application, true},
        {Action(Kind::minimizeAll), Missing::application, true},
        {Action(Kind::unminimizeLast), Missing::application, false},
        {Action(Kind::unminimizeAll), Missing::application, true},
        {Action(Kind::unminimizeFromPreview), Missing::minDockItem, false},
        {Action(Kind::hide), Missing::application, true},
        {Action(Kind::hideExcept), Missing::application, true},
        {Action(Kind::cmdNew), Missing::application, true},
    };
    // Every other operand is there, so an action that reached for the wrong one would act.
    back->setMinimized(*world, true);
    settle(1);
    Origin full = tabOrigin(1);
    full.window = windowOf(front);
    full.application = application(editorPid);
    full.minDockItem = minDockItemOrigin(back).minDockItem;
    full.space = spaceOrigin(2).space;
    ASSERT_TRUE(full.tab && full.minDockItem && full.space);

    for (const Row& row : rows) {
        SCOPED_TRACE(row.action.description());
        Origin origin = full;
        switch (row.missing) {
            case Missing::window:
                origin.window = nullptr;
                break;
            case Missing::application:
                origin.application = nullptr;
                break;
            case Missing::tab:
                origin.tab = nullptr;
                break;
            case Missing::minDockItem:
                origin.minDockItem = nullptr;
                break;
            case Missing::space:
                origin.space = nullptr;
                break;
        }
        const CGRect before = frameOf(front);
        world->resetRoundTrips();
        input().resetPostedEvents();

        const auto [after, flag] = perform(origin, row.action);
        settle(1);
        EXPECT_EQ(flag, row.flag);
        expectSameOrigin(after, origin);
        EXPECT_EQ(world->roundTripCount(), 0) << roundTripBreakdown();
        EXPECT_EQ(posted(), Lines{});
        EXPECT_EQ(frameOf(front), before);
        EXPECT_FALSE(front->isMinimized());
        EXPECT_EQ(frontmost(), editorPid);
    }
}

TEST_F(ActionExecutorTest, SendToScreenWithoutAWindowStillTakesThePointersLocation) {
    Origin origin = makeOrigin(OriginType::menubar);
    input().movePointer({700, 500});
    const auto [moved, flag] = perform(origin, Action(Kind::sendToScreen, Direction::right));
    EXPECT_TRUE(flag);
    EXPECT_EQ(moved.location, platform::mouseLocation());
    EXPECT_NE(moved.location, origin.location);
    EXPECT_EQ(moved.screen, origin.screen);

    settings::Defaults::writeValue(settings::Defaults::Keys::screensMoveCursor(), false);
    const auto [kept, keptFlag] = perform(origin, Action(Kind::sendToScreen, Direction::right));
    EXPECT_TRUE(keptFlag);
    expectSameOrigin(kept, origin);
}

TEST_F(ActionExecutorTest, CycleWithoutAnApplicationGivesAWindowOriginWithoutAWindow) {
    Origin origin = makeOrigin(OriginType::menubar);
    origin.screen = screen(1);
    const auto [after, flag] = perform(origin, Action(Kind::cycle, Direction::right));
    EXPECT_TRUE(flag);
    EXPECT_EQ(after.type, OriginType::window);
    EXPECT_EQ(after.window, nullptr);
    EXPECT_EQ(after.screen, screen(1)) << "the old screen stays";
    EXPECT_EQ(posted(), Lines{});
}

// --- With the operand: one row an action, each on a fresh desktop

struct ActingRow {
    const char* name;
    std::function<void(ExecutorWorldTest&)> run;
};

void PrintTo(const ActingRow& row, std::ostream* stream) {
    *stream << row.name;
}

class ActionActsTest : public ExecutorWorldTest, public ::testing::WithParamInterface<ActingRow> {};

TEST_P(ActionActsTest, OnItsOperand) {
    input().resetPostedEvents();
    GetParam().run(*this);
}

using T = ExecutorWorldTest;

// The action performed on an origin on the window; the origin comes back as it was, with true.
void performUnchanged(T& t, const Origin& origin, const Action& action) {
    const auto [after, flag] = t.perform(origin, action);
    EXPECT_TRUE(flag);
    expectSameOrigin(after, origin);
}

// The editor's window "front" snapped to the left half of the laptop.
void snapFront(T& t) {
    snap(T::windowOf(t.front), T::leftHalf, t.screen(0));
    t.settle();
}

const std::vector<ActingRow> actingRows{
    {"snap",
     [](T& t) {
         const Origin origin = t.originOn(t.front);
         const CGRect target = snapTargetFrame(*origin.window, T::leftHalf, t.screen(0));
         performUnchanged(t, origin, Action::snap(T::leftHalf));
         EXPECT_EQ(T::frameOf(t.front), target);
         EXPECT_TRUE(SnappedWindows::shared().isSnapped(*origin.window));
     }},
    {"sendToFullscreen",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::sendToFullscreen, Direction::right));
         t.settle(1);
         EXPECT_TRUE(t.front->isFullScreen());
         EXPECT_EQ(T::windowOf(t.front)->screen(), t.screen(1));
     }},
    {"sendToScreen",
     [](T& t) {
         const Origin origin = t.originOn(t.front);
         const auto [after, flag] = t.perform(origin, Action(Kind::sendToScreen, Direction::right));
         EXPECT_TRUE(flag);
         EXPECT_EQ(T::windowOf(t.front)->screen(), t.screen(1));
         EXPECT_EQ(after.screen, t.screen(1));
         // "screensMoveCursor" is on: the pointer went along, and the origin with it.
         EXPECT_EQ(after.location, platform::mouseLocation());
         EXPECT_NE(after.location, origin.location);
         EXPECT_EQ(after.window, origin.window);
     }},
    {"sendToScreen without a neighbour",
     [](T& t) {
         const CGRect before = T::frameOf(t.front);
         const Origin origin = t.originOn(t.front);
         const auto [after, flag] = t.perform(origin, Action(Kind::sendToScreen, Direction::left));
         EXPECT_TRUE(flag);
         EXPECT_EQ(after.screen, t.screen(0));
         EXPECT_EQ(T::frameOf(t.front), before);
     }},
    {"sendToSpace",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::sendToSpace, Direction::right));
         t.settle(2);
         EXPECT_EQ(t.spaceOf(t.front), 2);
     }},
    {"cycle",
     [](T& t) {
         Origin origin = t.originOn(t.front);
         origin.type = OriginType::dockItem;
         origin.window = nullptr;
         origin.screen = t.screen(1);
         const auto [after, flag] = t.perform(origin, Action(Kind::cycle, Direction::right));
         EXPECT_TRUE(flag);
         EXPECT_EQ(after.type, OriginType::window);
         EXPECT_TRUE(sameWindow(after.window, t.back)) << "the next window is raised";
         EXPECT_EQ(after.screen, t.screen(0)) << "the raised window's screen";
     }},
    {"sendAllToScreen",
     [](T& t) {
         snapFront(t);
         performUnchanged(t, t.originOn(t.front), Action(Kind::sendAllToScreen, Direction::right));
         const auto window = T::windowOf(t.front);
         EXPECT_EQ(window->screen(), t.screen(1));
         EXPECT_EQ(SnappedWindows::shared().record(*window)->span, T::leftHalf);
     }},
    {"sendSpaceToScreen",
     [](T& t) {
         performUnchanged(t, t.spaceOrigin(2), Action(Kind::sendSpaceToScreen, Direction::right));
         t.settle(2);
         const auto external = sim::Spaces::of(*t.world).displaySpaces("EXTERNAL");
         ASSERT_TRUE(external);
         EXPECT_EQ(external->spaces.size(), 2U) << "space 2 went to the external display";
     }},
    {"cmdTab",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::cmdTab, Direction::right));
         EXPECT_EQ(t.posted(), (Lines{"command down", "tab down cmd", "tab up cmd", "command up"}));
         EXPECT_NE(t.frontmost(), T::editorPid) << "the switcher brought the next one";
     }},
    {"cmdTab left",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::cmdTab, Direction::left));
         EXPECT_EQ(t.posted(),
                   (Lines{"command down", "tab down cmd+shift", "tab up cmd+shift", "command up"}));
     }},
    {"terminateWin",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::terminateWin));
         t.settle(1);
         EXPECT_EQ(t.world->process(T::editorPid), nullptr);
     }},
    {"terminateApp",
     [](T& t) {
         performUnchanged(t, t.originOn(t.viewerWindow), Action(Kind::terminateApp));
         t.settle(1);
         EXPECT_EQ(t.world->process(T::viewerPid), nullptr);
         EXPECT_NE(t.world->process(T::editorPid), nullptr);
     }},
    {"minimize",
     [](T& t) {
         desktop::PidTimestamps::shared().removeAll();
         performUnchanged(t, t.originOn(t.front), Action(Kind::minimize));
         t.settle(1);
         EXPECT_TRUE(t.front->isMinimized());
         EXPECT_FALSE(t.back->isMinimized());
         EXPECT_TRUE(desktop::PidTimestamps::shared().latest(T::editorPid).has_value());
     }},
    {"minimizeFS",
     [](T& t) {
         t.front->setFullScreen(*t.world, true);
         t.settle(1);
         performUnchanged(t, t.originOn(t.front), Action(Kind::minimizeFS));
         t.settle(2);
         EXPECT_FALSE(t.front->isFullScreen());
         EXPECT_TRUE(t.front->isMinimized());
     }},
    {"fullscreen and unfullscreen",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::fullscreen));
         t.settle(1);
         EXPECT_TRUE(t.front->isFullScreen());
         performUnchanged(t, t.originOn(t.front), Action(Kind::unfullscreen));
         t.settle(1);
         EXPECT_FALSE(t.front->isFullScreen());
     }},
    {"hideWin",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::hideWin));
         t.settle(1);
         EXPECT_TRUE(t.isHidden(T::editorPid));
         EXPECT_EQ(t.posted(), (Lines{"letterH down cmd to 12", "letterH up cmd to 12"}));
     }},
    {"hideExcept",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::hideExcept));
         t.settle(1);
         EXPECT_FALSE(t.isHidden(T::editorPid));
         EXPECT_TRUE(t.isHidden(T::viewerPid));
         EXPECT_TRUE(t.isHidden(T::browserPid));
         EXPECT_EQ(t.posted(), (Lines{"letterH down alt+cmd to 12", "letterH up alt+cmd to 12"}));
     }},
    {"closeTab",
     [](T& t) {
         performUnchanged(t, t.tabOrigin(1), Action(Kind::closeTab));
         EXPECT_EQ(sim::Tabs::install(*t.world).titles(*t.browserWindow), Lines{"One"});
         EXPECT_EQ(t.posted(), (Lines{"middle down", "middle up"}));
     }},
    {"detachTab",
     [](T& t) {
         const Origin origin = t.tabOrigin(1);
         const auto [after, flag] = t.perform(origin, Action(Kind::detachTab));
         EXPECT_TRUE(flag);
         EXPECT_EQ(after.type, OriginType::window);
         ASSERT_TRUE(after.window);
         EXPECT_EQ(after.window->title(), "Two");
         EXPECT_EQ(after.screen, t.screen(0));
         EXPECT_EQ(after.location, platform::mouseLocation());
         EXPECT_EQ(after.tab, origin.tab);
         EXPECT_EQ(t.windowsOf(T::browserPid).size(), 2U);
     }},
    {"cancelDetachTab",
     [](T& t) {
         const Origin origin = t.tabOrigin(1);
         performUnchanged(t, origin, Action(Kind::cancelDetachTab));
         EXPECT_TRUE(origin.tab->shouldCancelDetach());
         EXPECT_EQ(t.posted(), (Lines{"escape down", "escape up"}));
     }},
    {"center",
     [](T& t) {
         const CGRect before = T::frameOf(t.front);
         snapFront(t);
         performUnchanged(t, t.originOn(t.front), Action(Kind::center));
         // "centerUnsnap": the size from before the snap, in the middle of the snap area.
         const CGRect frame = T::frameOf(t.front);
         EXPECT_EQ(frame.size, before.size);
         EXPECT_NEAR(frame.midX(), t.screen(0).snapFrame.midX(), 1);
         EXPECT_FALSE(SnappedWindows::shared().isSnapped(*T::windowOf(t.front)));
     }},
    {"activate",
     [](T& t) {
         t.world->bringToFront(T::viewerPid);
         t.settle();
         Origin origin = t.originOn(t.front);
         origin.type = OriginType::dockItem;
         origin.window = nullptr;
         origin.screen = t.screen(1);
         const auto [after, flag] = t.perform(origin, Action(Kind::activate));
         EXPECT_TRUE(flag);
         EXPECT_EQ(t.frontmost(), T::editorPid);
         EXPECT_EQ(after.type, OriginType::window);
         EXPECT_TRUE(sameWindow(after.window, t.front));
         EXPECT_EQ(after.screen, t.screen(0));
     }},
    {"minimizeNext",
     [](T& t) {
         performUnchanged(t, t.originOn(t.back), Action(Kind::minimizeNext));
         t.settle(1);
         EXPECT_TRUE(t.front->isMinimized()) << "the first visible window, not the origin's";
         EXPECT_FALSE(t.back->isMinimized());
     }},
    {"minimizeAll",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::minimizeAll));
         t.settle(1);
         EXPECT_TRUE(t.front->isMinimized());
         EXPECT_TRUE(t.back->isMinimized());
         EXPECT_FALSE(t.viewerWindow->isMinimized());
     }},
    {"unminimizeLast",
     [](T& t) {
         minimize(T::windowOf(t.back));
         t.settle(1);
         Origin origin = t.originOn(t.front);
         origin.type = OriginType::dockItem;
         origin.window = nullptr;
         const auto [after, flag] = t.perform(origin, Action(Kind::unminimizeLast));
         t.settle(1);
         EXPECT_TRUE(flag);
         EXPECT_FALSE(t.back->isMinimized());
         EXPECT_EQ(after.type, OriginType::window);
         EXPECT_TRUE(sameWindow(after.window, t.back));
     }},
    {"unminimizeAll",
     [](T& t) {
         t.front->setMinimized(*t.world, true);
         t.back->setMinimized(*t.world, true);
         t.world->bringToFront(T::viewerPid);
         t.settle(1);
         performUnchanged(t, t.originOn(t.front), Action(Kind::unminimizeAll));
         t.settle(1);
         EXPECT_FALSE(t.front->isMinimized());
         EXPECT_FALSE(t.back->isMinimized());
         EXPECT_EQ(t.frontmost(), T::editorPid);
     }},
    {"unminimizeFromPreview",
     [](T& t) {
         t.back->setMinimized(*t.world, true);
         t.settle(1);
         const Origin origin = t.minDockItemOrigin(t.back);
         ASSERT_TRUE(origin.minDockItem);
         const auto [after, flag] = t.perform(origin, Action(Kind::unminimizeFromPreview));
         EXPECT_TRUE(flag);
         EXPECT_FALSE(t.back->isMinimized());
         EXPECT_EQ(after.type, OriginType::window);
         EXPECT_TRUE(sameWindow(after.window, t.back));
         EXPECT_EQ(after.screen, t.screen(0));
     }},
    {"cmdNew",
     [](T& t) {
         t.world->bringToFront(T::viewerPid);
         t.settle();
         performUnchanged(t, t.originOn(t.front), Action(Kind::cmdNew));
         EXPECT_EQ(t.windowsOf(T::editorPid).size(), 3U);
         EXPECT_EQ(t.posted(), (Lines{"letterN down cmd to 12", "letterN up cmd to 12"}));
     }},
    {"scrollToTop",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::scrollToTop));
         EXPECT_EQ(t.posted(), (Lines{"home down", "home up"}));
     }},
    {"unsnapScreen and unsnapGlobal",
     [](T& t) {
         const CGRect before = T::frameOf(t.front);
         snapFront(t);
         snap(T::windowOf(t.viewerWindow), T::leftHalf, t.screen(1));
         performUnchanged(t, t.originOn(t.front), Action(Kind::unsnapScreen));
         EXPECT_EQ(T::frameOf(t.front), before);
         EXPECT_TRUE(SnappedWindows::shared().isSnapped(*T::windowOf(t.viewerWindow)));
         performUnchanged(t, t.originOn(t.front), Action(Kind::unsnapGlobal));
         EXPECT_EQ(T::frameOf(t.viewerWindow), T::onExternal);
     }},
    {"invokeAppSwitcher and exitAppSwitcher",
     [](T& t) {
         performUnchanged(t, t.originOn(t.front), Action(Kind::invokeAppSwitcher));
         EXPECT_EQ(t.posted(), (Lines{"command down", "tab down cmd", "tab up cmd", "scroll cmd"}));
         EXPECT_TRUE(t.input().heldModifierFlags().contains(platform::CGEventFlags::maskCommand))
             << "Command stays down";
         EXPECT_EQ(t.frontmost(), T::editorPid) << "the switcher waits for Command";
         t.input().resetPostedEvents();
         performUnchanged(t, t.originOn(t.front), Action(Kind::exitAppSwitcher));
         EXPECT_EQ(t.posted(), (Lines{"command up"}));
         EXPECT_FALSE(t.input().heldModifierFlags().contains(platform::CGEventFlags::maskCommand));
         EXPECT_NE(t.frontmost(), T::editorPid);
     }},
};

INSTANTIATE_TEST_SUITE_P(Actions, ActionActsTest, ::testing::ValuesIn(actingRows),
                         [](const ::testing::TestParamInfo<ActingRow>& row) {
                             return testing::testName(row.param.name);
                         });

// --- Single behaviours

// A chained gesture goes on from the origin the executor gives back: a Dock tile's activation
// leaves a window origin, and the next step snaps that window.
TEST_F(ActionExecutorTest, TheOriginGivenBackCarriesAChainedGestureOn) {
    world->bringToFront(viewerPid);
    settle();
    Origin tile = originOn(front);
    tile.type = OriginType::dockItem;
    tile.window = nullptr;
    const auto [activated, flag] = perform(tile, Action(Kind::activate));
    ASSERT_TRUE(flag);
    ASSERT_TRUE(sameWindow(activated.window, front));

    const CGRect target = snapTargetFrame(*activated.window, leftHalf, screen(0));
    perform(activated, Action::snap(leftHalf));
    EXPECT_EQ(frameOf(front), target);
    EXPECT_NE(frameOf(back), target);
}

TEST_F(ActionExecutorTest, CloseOfAWindowWaitsForTheNextTurnOfTheMainQueue) {
    const auto [after, flag] = perform(originOn(front), Action(Kind::close));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(isOpen(front)) << "not closed within the call";
    scheduler().runUntilIdle();
    EXPECT_FALSE(isOpen(front));
}

TEST_F(ActionExecutorTest, CloseOfASnappedWindowUnsnapsItFirstAndClosesItAFifthOfASecondLater) {
    const CGRect before = frameOf(front);
    snap(windowOf(front), leftHalf, screen(0));
    settle();
    perform(originOn(front), Action(Kind::close));
    EXPECT_EQ(frameOf(front), before) << "the frame from before the snap comes back at once";
    EXPECT_FALSE(SnappedWindows::shared().isSnapped(*windowOf(front)));
    scheduler().advance(closeAfterUnsnapDelay - 0.001);
    EXPECT_TRUE(isOpen(front));
    scheduler().advance(0.001);
    EXPECT_FALSE(isOpen(front));
}

TEST_F(ActionExecutorTest, MinimizeNextWithNothingLeftToMinimiseDoesNothing) {
    front->setMinimized(*world, true);
    back->setMinimized(*world, true);
    settle(1);
    world->resetRoundTrips();
    const auto [after, flag] = perform(originOn(front), Action(Kind::minimizeNext));
    settle(1);
    EXPECT_TRUE(flag);
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
    EXPECT_TRUE(front->isMinimized());
    EXPECT_TRUE(back->isMinimized());
    EXPECT_EQ(posted(), Lines{});
}

TEST_F(ActionExecutorTest, TheScreenAndDesktopOperationsRunOnTheGlobalQueue) {
    struct Row {
        Kind kind;
        bool startsMinimized;
        bool externalChanges;
    };
    const std::vector<Row> rows{
        {Kind::minimizeScreen, false, false},
        {Kind::minimizeGlobal, false, true},
        {Kind::unminimizeScreen, true, false},
        {Kind::unminimizeGlobal, true, true},
    };
    const std::string global = platform::DispatchQueue::global().label();
    for (const Row& row : rows) {
        SCOPED_TRACE(platform::caseName(row.kind));
        for (const auto& node : {front, viewerWindow})
            node->setMinimized(*world, row.startsMinimized);
        settle(1);
        const Origin origin = originOn(front);
        world->resetRoundTrips();

        const auto [after, flag] = perform(origin, Action(row.kind));
        EXPECT_TRUE(flag);
        const auto pending = scheduler().pendingWork();
        ASSERT_EQ(pending.size(), 1U);
        EXPECT_EQ(pending[0].queueLabel, global);
        EXPECT_EQ(world->roundTripCount(), 0) << "nothing is asked on the main thread";

        settle(1);
        EXPECT_EQ(front->isMinimized(), !row.startsMinimized);
        EXPECT_EQ(viewerWindow->isMinimized(), row.startsMinimized != row.externalChanges);
    }
}

TEST_F(ActionExecutorTest, AnAppSwitcherLeftOpenIsClosedOnceWhenTheGestureEnds) {
    const auto command = platform::CGEventFlags::maskCommand;
    // Opened and never closed, as when the gesture is cancelled: the Command-up comes once.
    perform(originOn(front), Action(Kind::invokeAppSwitcher));
    EXPECT_TRUE(isAppSwitcherCommandHeld());
    input().resetPostedEvents();
    releaseHeldAppSwitcherCommand();
    releaseHeldAppSwitcherCommand();
    EXPECT_EQ(posted(), (Lines{"command up"}));
    EXPECT_FALSE(input().heldModifierFlags().contains(command));
    EXPECT_FALSE(isAppSwitcherCommandHeld());

    // Closed by the gesture, or stepped with cmdTab (whose own Command-up lets go): nothing more.
    for (const Action& closing :
         {Action(Kind::exitAppSwitcher), Action(Kind::cmdTab, Direction::right)}) {
        SCOPED_TRACE(closing.description());
        perform(originOn(front), Action(Kind::invokeAppSwitcher));
        perform(originOn(front), closing);
        input().resetPostedEvents();
        releaseHeldAppSwitcherCommand();
        EXPECT_EQ(posted(), Lines{});
        EXPECT_FALSE(input().heldModifierFlags().contains(command));
    }
}

TEST_F(ActionExecutorTest, CloseTabWithoutAPointerLocationPostsNothing) {
    const Origin origin = tabOrigin(1);
    input().resetPostedEvents();
    input().setEventCreationFails(true);
    const auto [after, flag] = perform(origin, Action(Kind::closeTab));
    input().setEventCreationFails(false);
    EXPECT_TRUE(flag);
    EXPECT_EQ(posted(), Lines{});
    EXPECT_EQ(output.lines(), Lines{"Tab: No pointer location to close at"});
    EXPECT_EQ(sim::Tabs::install(*world).titles(*browserWindow), (Lines{"One", "Two"}));
}

TEST_F(ActionExecutorTest, ADetachedTabOfAnotherApplicationLeavesTheOriginAndGivesFalse) {
    Origin origin = tabOrigin(1);
    origin.application = application(viewerPid);
    const auto [after, flag] = perform(origin, Action(Kind::detachTab));
    EXPECT_FALSE(flag);
    expectSameOrigin(after, origin);
    EXPECT_EQ(windowsOf(browserPid).size(), 2U) << "the tab came loose all the same";
}

TEST_F(ActionExecutorTest, AWaitingActionWhoseOperationFailsGivesFalse) {
    // The minimised window's tile goes before it is pressed: the focus never moves.
    back->setMinimized(*world, true);
    settle(1);
    const Origin origin = minDockItemOrigin(back);
    ASSERT_TRUE(origin.minDockItem);
    back->setMinimized(*world, false);
    settle(1);
    const auto [after, flag] = perform(origin, Action(Kind::unminimizeFromPreview));
    EXPECT_FALSE(flag);
    expectSameOrigin(after, origin);
}

}  // namespace
}  // namespace zoral::engine
