#include "engine/actions/all_windows.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "all_windows_world.h"
#include "desktop/pid_timestamps.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "platform/dispatch.h"
#include "sim/workspace.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using desktop::PidTimestamps;
using platform::CGPoint;
using platform::CGRect;
using NodeRef = std::shared_ptr<sim::WindowNode>;

class AllWindowsTest : public testing::AllWindowsWorldTest {
protected:
    bool anyActivation() {
        for (const auto& request : sim::workspace(*world).requests()) {
            if (request.kind == sim::WorkspaceRequest::Kind::activate)
                return true;
        }
        return false;
    }
};

TEST_F(AllWindowsTest, MinimisingAnApplicationStampsEveryVisibleWindowBeforeAnyIsMinimised) {
    const NodeRef first = addWindow(onLaptop);
    const NodeRef second = addWindow(onExternal);
    const NodeRef third = addWindow({300, 300, 500, 300});
    const NodeRef already = addMinimizedWindow(onLaptop);
    const NodeRef viewer = addWindow(onLaptop, {}, viewerPid);
    settle(3);
    const double stampedAt = now();

    minimizeAllWindows(*application(editorPid));
    EXPECT_EQ(minimized({first, second, third}), (std::vector{false, false, false}))
        << "the writes wait 0.01 s";
    EXPECT_EQ(PidTimestamps::shared().stamps(editorPid),
              (PidTimestamps::Stamps{{windowOf(first)->id(), stampedAt},
                                     {windowOf(second)->id(), stampedAt},
                                     {windowOf(third)->id(), stampedAt}}))
        << "the window that was minimised already is not stamped";
    settle(0.02);
    EXPECT_EQ(minimized({first, second, third}), (std::vector{false, false, false}))
        << "the Dock's animation";
    settle(timing().minimize);
    EXPECT_EQ(minimized({first, second, third, already, viewer}),
              (std::vector{true, true, true, true, false}));
    EXPECT_EQ(PidTimestamps::shared().stamps(viewerPid), std::nullopt);
}

TEST_F(AllWindowsTest, EverythingIsMinimisedAndUnminimisedAcrossApplications) {
    const NodeRef editorWindow = addWindow(onLaptop);
    const NodeRef viewerWindow = addWindow(onExternal, {}, viewerPid);
    const NodeRef earlier = addMinimizedWindow(onLaptop, viewerPid);
    PidTimestamps::shared().record(viewerPid, windowOf(earlier)->id(), 5);
    settle(1);
    const double stampedAt = now();

    minimizeAllApplications();
    settleMinimising();
    EXPECT_EQ(minimized({editorWindow, viewerWindow, earlier}), (std::vector{true, true, true}));
    EXPECT_EQ(PidTimestamps::shared().stamps(editorPid),
              (PidTimestamps::Stamps{{windowOf(editorWindow)->id(), stampedAt}}));
    EXPECT_EQ(PidTimestamps::shared().stamps(viewerPid),
              (PidTimestamps::Stamps{{windowOf(viewerWindow)->id(), stampedAt},
                                     {windowOf(earlier)->id(), 5}}))
        << "a minimised window keeps its stamp";

    unminimizeAllWindows();
    settleMinimising();
    EXPECT_EQ(minimized({editorWindow, viewerWindow, earlier}), (std::vector{false, false, false}));
    EXPECT_FALSE(anyActivation()) << "no application comes in front";
    EXPECT_EQ(PidTimestamps::shared().stamps(viewerPid)->size(), 2U) << "stamps stay";
}

// Each window's screen is the one its frame overlaps most, the earlier in the list among equals,
// and the first for a frame that cannot be read. Each screen is minimised and then unminimised.
TEST_F(AllWindowsTest, ScreenOperationsTakeTheWindowsThatOverlapTheScreenMost) {
    struct Case {
        const char* what;
        CGRect frame;
        bool unreadable;
        std::size_t screen;
    };
    const std::vector<Case> cases{
        {"on the laptop", onLaptop, false, 0},
        {"on the external display", onExternal, false, 1},
        {"more on the external display", {1400, 100, 200, 300}, false, 1},
        {"half on each", {1340, 100, 200, 300}, false, 0},
        {"on no display", {-3000, -3000, 100, 100}, false, 0},
        {"frame unreadable", onExternal, true, 0},
    };
    std::vector<NodeRef> nodes;
    for (const Case& row : cases) {
        // Alternating applications: the screen, not the application, chooses.
        nodes.push_back(addWindow(row.frame, {}, nodes.size() % 2 == 0 ? editorPid : viewerPid));
        if (row.unreadable)
            world->injectError(nodes.back()->element(), "AXFrame", platform::ax::cannotComplete);
    }
    const ScreenSnapshot screens = ScreenSnapshot::current();
    for (const std::size_t target : {0U, 1U}) {
        SCOPED_TRACE("screen " + std::to_string(target));
        minimizeWindowsOnScreen(screen(target), screens);
        settleMinimising();
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_EQ(nodes[i]->isMinimized(), cases[i].screen == target) << cases[i].what;

        // The other screen's operation leaves these alone.
        unminimizeWindowsOnScreen(screen(1 - target), screens);
        settleMinimising();
        EXPECT_EQ(nodes[0]->isMinimized(), target == 0);
        unminimizeWindowsOnScreen(screen(target), screens);
        settleMinimising();
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_FALSE(nodes[i]->isMinimized()) << cases[i].what;
    }
}

// The stamps of a screen's minimising are what unminimizeLast goes by: the window minimised last
// comes back first, whichever comes last in the application's list.
TEST_F(AllWindowsTest, UnminimizeLastBringsBackTheWindowOfTheScreenMinimisedLast) {
    for (const std::size_t minimisedLast : {0U, 1U}) {
        SCOPED_TRACE("screen " + std::to_string(minimisedLast) + " minimised last");
        PidTimestamps::shared().removeAll();
        const std::vector<NodeRef> nodes{addWindow(onLaptop), addWindow(onExternal)};
        const ScreenSnapshot screens = ScreenSnapshot::current();
        minimizeWindowsOnScreen(screen(1 - minimisedLast), screens);
        settle(1);
        minimizeWindowsOnScreen(screen(minimisedLast), screens);
        settle(1);
        ASSERT_EQ(minimized(nodes), (std::vector{true, true}));

        (void)application(editorPid)->unminimizeLast();
        settle(timing().restore);
        EXPECT_FALSE(nodes[minimisedLast]->isMinimized());
        EXPECT_TRUE(nodes[1 - minimisedLast]->isMinimized());
        (void)application(editorPid)->unminimizeLast();
        settle(timing().restore);
        EXPECT_FALSE(nodes[1 - minimisedLast]->isMinimized());
        settle(1);
        for (const auto& node : nodes)
            node->close(*world);
    }
}

TEST_F(AllWindowsTest, TheFourBulkOperationsRunOnAGlobalQueue) {
    struct Case {
        const char* what;
        void (*start)(const desktop::Screen&);
        bool startsMinimized;
    };
    const std::vector<Case> cases{
        {"minimise all", [](const desktop::Screen&) { dispatchMinimizeAllApplications(); }, false},
        {"minimise a screen", dispatchMinimizeWindowsOnScreen, false},
        {"unminimise all", [](const desktop::Screen&) { dispatchUnminimizeAllWindows(); }, true},
        {"unminimise a screen", dispatchUnminimizeWindowsOnScreen, true},
    };
    const NodeRef node = addWindow(onLaptop);
    // The global queue of default quality of service.
    const std::string global = platform::DispatchQueue::global().label();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        node->setMinimized(*world, row.startsMinimized);
        settle();
        world->resetRoundTrips();

        row.start(screen(0));
        const auto pending = scheduler().pendingWork();
        ASSERT_EQ(pending.size(), 1U);
        EXPECT_EQ(pending[0].queueLabel, global);
        EXPECT_EQ(world->roundTripCount(), 0) << "nothing is asked on the calling thread";

        scheduler().runUntilIdle();
        EXPECT_GT(world->roundTripCount(), 0);
        EXPECT_EQ(node->isMinimized(), row.startsMinimized) << "the writes follow 0.01 s later";
        settleMinimising();
        EXPECT_EQ(node->isMinimized(), !row.startsMinimized);
    }
}

// The work item judges windows by the screens of the moment it was started on the main thread,
// which may rebuild the list before the item runs.
TEST_F(AllWindowsTest, AScreenOperationKeepsTheScreensOfTheMomentItWasStarted) {
    const NodeRef laptopWindow = addWindow(onLaptop);
    const NodeRef externalWindow = addWindow(onExternal);
    dispatchMinimizeWindowsOnScreen(screen(0));
    sim::Displays::of(*world).setDisplays({});
    reinitializeScreens();
    ASSERT_TRUE(desktop::Screen::screens().empty());

    settleMinimising();
    EXPECT_EQ(minimized({laptopWindow, externalWindow}), (std::vector{true, false}));
}

TEST_F(AllWindowsTest, UnsnappingAScreenRestoresOnlyItsSnappedWindows) {
    const NodeRef snappedHere = addWindow(onLaptop);
    const NodeRef snappedThere = addWindow(onExternal);
    const NodeRef plain = addWindow({300, 300, 500, 300});
    snap(windowOf(snappedHere), {{0, 0}, {1, 1}, {2, 1}}, screen(0));
    snap(windowOf(snappedThere), {{1, 0}, {2, 1}, {2, 1}}, screen(1));
    settle();
    const CGRect there = frameOf(snappedThere);

    unsnapWindowsOnScreen(screen(0));
    settle();
    EXPECT_EQ(frameOf(snappedHere), onLaptop);
    EXPECT_EQ(frameOf(snappedThere), there);
    EXPECT_EQ(frameOf(plain), (CGRect{300, 300, 500, 300}));
    EXPECT_FALSE(SnappedWindows::shared().isSnapped(*windowOf(snappedHere)));
    EXPECT_TRUE(SnappedWindows::shared().isSnapped(*windowOf(snappedThere)));

    world->resetRoundTrips();
    unsnapWindowsOnScreen(screen(0));
    EXPECT_EQ(SnappedWindows::shared().windows().size(), 1U) << "nothing left to unsnap here";
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::setAttributeValue), 0);
}

TEST_F(AllWindowsTest, SnappedWindowsMoveToTheNeighbouringScreenOnTheirSpans) {
    const GridSpan leftSpan{{0, 0}, {1, 1}, {2, 1}};
    const GridSpan topRightSpan{{1, 0}, {2, 1}, {2, 2}};
    const GridSpan rightSpan{{1, 0}, {2, 1}, {2, 1}};
    const NodeRef half = addWindow(onLaptop);
    const NodeRef quarter = addWindow({200, 200, 600, 400});
    const NodeRef plain = addWindow({300, 300, 500, 300});
    const NodeRef alreadyThere = addWindow(onExternal);
    snap(windowOf(half), leftSpan, screen(0));
    snap(windowOf(quarter), topRightSpan, screen(0));
    snap(windowOf(alreadyThere), rightSpan, screen(1));
    settle();
    const CGRect alreadyThereFrame = frameOf(alreadyThere);

    // No screen to the left: nothing moves, the pointer stays.
    moveAllWindowsToScreen(Direction::left, screen(0));
    EXPECT_EQ(frameOf(half), snapTargetFrame(*windowOf(half), leftSpan, screen(0)));
    EXPECT_TRUE(input().warps().empty());

    moveAllWindowsToScreen(Direction::right, screen(0));
    settle();
    EXPECT_EQ(frameOf(half), snapTargetFrame(*windowOf(half), leftSpan, screen(1)));
    EXPECT_EQ(frameOf(quarter), snapTargetFrame(*windowOf(quarter), topRightSpan, screen(1)));
    EXPECT_EQ(frameOf(plain), (CGRect{300, 300, 500, 300})) << "not snapped, so not moved";
    EXPECT_EQ(frameOf(alreadyThere), alreadyThereFrame);
    const auto record = SnappedWindows::shared().record(*windowOf(half));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->span, leftSpan);
    EXPECT_EQ(record->frameBeforeSnap, onLaptop) << "unsnapping still restores the first frame";
    EXPECT_EQ(record->screenFrame, screen(1).uiFrame);
    // The middle of the external display's top, 11 points down.
    EXPECT_EQ(input().warps(), (std::vector<CGPoint>{{1440 + 960, -180 + 11}}));

    // Nothing snapped is left on the laptop: no move, no warp, even with the pointer setting on.
    moveAllWindowsToScreen(Direction::right, screen(0));
    EXPECT_EQ(input().warps().size(), 1U);

    settings::Defaults::writeValue(settings::Defaults::Keys::screensMoveCursor(), false);
    moveAllWindowsToScreen(Direction::left, screen(1));
    settle();
    EXPECT_EQ(frameOf(alreadyThere),
              snapTargetFrame(*windowOf(alreadyThere), rightSpan, screen(0)));
    EXPECT_EQ(input().warps().size(), 1U) << "the pointer stays when the setting is off";
}

}  // namespace
}  // namespace zoral::engine
