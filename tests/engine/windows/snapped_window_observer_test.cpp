#include "engine/windows/snapped_window_observer.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/windows/snap_engine.h"
#include "snap_world.h"

namespace zoral::engine {
namespace {

using desktop::CGRectEdge;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;
using settings::Defaults::Keys;

constexpr GridSpan leftHalf{{0, 0}, {1, 1}, {2, 1}};
constexpr GridSpan rightHalf{{1, 0}, {2, 1}, {2, 1}};

GridSpan quarter(std::int64_t column, std::int64_t row) {
    return {{column, row}, {column + 1, row + 1}, {2, 2}};
}

class SnappedWindowObserverTest : public testing::SnapWorldTest {
protected:
    std::shared_ptr<sim::WindowNode> snapped(const GridSpan& span,
                                             CGRect before = {200, 150, 600, 400}) {
        auto node = addWindow(before);
        snap(windowOf(node), span, screen(0), false, false);
        settle();
        return node;
    }
    bool isSnapped(const std::shared_ptr<sim::WindowNode>& node) const {
        return SnappedWindows::shared().isSnapped(*windowOf(node));
    }
};

TEST_F(SnappedWindowObserverTest, TheProgramsOwnFrameWritesAreIgnored) {
    output.clear();
    const auto node = snapped(leftHalf);
    snap(windowOf(node), rightHalf, screen(0), false, false);
    settle();
    const std::set<std::string> ignored{"Observer: Window move ignored",
                                        "Observer: Window resize ignored"};
    const auto seen = reactions();
    EXPECT_FALSE(seen.empty());
    for (const auto& line : seen)
        EXPECT_TRUE(ignored.contains(line)) << line;
    EXPECT_TRUE(isSnapped(node));
    EXPECT_EQ(frameOf(node), (CGRect{721, 25, 719, 875}));
}

TEST_F(SnappedWindowObserverTest, ResizingOneHalfMovesTheOtherHalfsFacingEdge) {
    const auto left = snapped(leftHalf);
    const auto right = snapped(rightHalf);
    output.clear();

    userResize(left, CGRectEdge::right, 50);
    EXPECT_EQ(frameOf(left), (CGRect{0, 25, 770, 875}));
    EXPECT_EQ(frameOf(right), (CGRect{771, 25, 669, 875})) << "the gap stays, the right edge too";
    EXPECT_TRUE(isSnapped(left));
    EXPECT_TRUE(isSnapped(right));
    const auto seen = reactions();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().rfind("Resizer: Initialized from <AXWindow pid=12 id=", 0), 0U)
        << seen.front();
}

TEST_F(SnappedWindowObserverTest, InAQuarterLayoutAlignedAndFacingEdgesFollow) {
    const auto topLeft = snapped(quarter(0, 0));
    const auto bottomLeft = snapped(quarter(0, 1));
    const auto topRight = snapped(quarter(1, 0));
    const auto bottomRight = snapped(quarter(1, 1));
    ASSERT_EQ(frameOf(topLeft), (CGRect{0, 25, 720, 437}));
    ASSERT_EQ(frameOf(bottomRight), (CGRect{721, 463, 719, 437}));

    userResize(topLeft, CGRectEdge::right, 30);
    EXPECT_EQ(frameOf(topLeft), (CGRect{0, 25, 750, 437}));
    EXPECT_EQ(frameOf(bottomLeft), (CGRect{0, 463, 750, 437})) << "stacked below: aligned";
    EXPECT_EQ(frameOf(topRight), (CGRect{751, 25, 689, 437})) << "facing across the gap";
    EXPECT_EQ(frameOf(bottomRight), (CGRect{751, 463, 689, 437})) << "facing across the gap";
}

TEST_F(SnappedWindowObserverTest, ANeighbourTheWindowServerDoesNotShowIsLeftAlone) {
    const auto left = snapped(leftHalf);
    const auto right = snapped(rightHalf);
    right->setMinimized(*world, true);
    settle();

    userResize(left, CGRectEdge::right, 50);
    EXPECT_EQ(frameOf(left), (CGRect{0, 25, 770, 875}));
    EXPECT_EQ(frameOf(right), (CGRect{721, 25, 719, 875}));
}

TEST_F(SnappedWindowObserverTest, MovesAreIgnoredUntilAFifthOfASecondAfterTheLastResize) {
    const auto left = snapped(leftHalf);
    const auto right = snapped(rightHalf);
    userResize(left, CGRectEdge::right, 50);
    output.clear();

    // 0.02 s after the last resize: the resize is still going on.
    userDrag(left, {0, 10}, {}, 1);
    EXPECT_EQ(reactions(), (std::vector<std::string>{"Observer: Window move ignored"}));
    EXPECT_TRUE(isSnapped(left));

    settle(0.2);
    output.clear();
    userDrag(left, {0, 10}, {}, 1);
    EXPECT_EQ(reactions().front(), "Observer: Window moved after dragging");
    EXPECT_FALSE(isSnapped(left));
    (void)right;
}

TEST_F(SnappedWindowObserverTest, DraggingAWindowOutOfItsCellUnsnapsIt) {
    struct Case {
        const char* what;
        GridSpan span;
        CGRect before;
        CGPoint distance;
        platform::CGEventFlags held;
        CGRect expected;
        std::vector<std::string> lines;
    };
    const platform::CGEventFlags shift{0x20000};
    const Case cases[] = {
        {"the pre-snap size comes back where the window is dragged",
         leftHalf,
         {200, 150, 600, 400},
         {100, 50},
         {},
         {100, 75, 600, 400},
         {"Observer: Window moved after dragging"}},
        {"with the secondary role held the window keeps its size",
         leftHalf,
         {200, 150, 600, 400},
         {100, 50},
         shift,
         {100, 75, 720, 875},
         {"Observer: Window moved after dragging"}},
        {"a pre-snap size that would stick out goes to the cell's edge",
         rightHalf,
         {100, 50, 1000, 800},
         {20, 0},
         {},
         {440, 25, 1000, 800},
         {"Observer: Window moved after dragging", "Unsnap: Avoid cropping"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto node = snapped(c.span, c.before);
        output.clear();
        // One step: the program's reaction lands while the button is still down.
        userDrag(node, c.distance, c.held, 1);
        EXPECT_EQ(frameOf(node), c.expected);
        EXPECT_EQ(reactions(), c.lines);
        EXPECT_FALSE(isSnapped(node));
        node->close(*world);
        settle();
    }
}

TEST_F(SnappedWindowObserverTest, WithoutDragUnsnapADraggedWindowOnlyStopsBeingSnapped) {
    settings::Defaults::writeValue(Keys::snappingDragUnsnap(), false);
    const auto node = snapped(leftHalf);
    userDrag(node, {100, 50}, {}, 1);
    EXPECT_EQ(frameOf(node), (CGRect{100, 75, 720, 875}));
    EXPECT_FALSE(isSnapped(node));
}

TEST_F(SnappedWindowObserverTest, WithoutAdjacentResizingAResizeStopsTheSnap) {
    settings::Defaults::writeValue(Keys::snappingResizeAdjacent(), false);
    const auto left = snapped(leftHalf);
    const auto right = snapped(rightHalf);
    output.clear();
    userResize(left, CGRectEdge::right, 50);
    EXPECT_EQ(reactions().front(), "Observer: Window resized by dragging");
    EXPECT_FALSE(isSnapped(left));
    EXPECT_EQ(frameOf(right), (CGRect{721, 25, 719, 875}));
}

TEST_F(SnappedWindowObserverTest, LeavingFullScreenSnapsTheWindowBackIntoItsCell) {
    const auto node = snapped(leftHalf);
    output.clear();
    node->setFullScreen(*world, true);
    settle();
    EXPECT_EQ(reactions(), (std::vector<std::string>{"Observer: Window move ignored",
                                                     "Observer: Window entering fullscreen mode"}));

    // Meanwhile the grid changed: the window comes back into the cell of the new grid.
    settings::Defaults::writeValue(Keys::gridOffset(), std::int64_t{10});
    reinitializeScreens();
    output.clear();
    node->setFullScreen(*world, false);
    settle(1);
    const auto seen = reactions();
    ASSERT_GE(seen.size(), 2U);
    EXPECT_EQ(seen[1], "Observer: Window leaving fullscreen mode");
    EXPECT_EQ(frameOf(node), (CGRect{10, 34, 705, 856}));
    const auto record = SnappedWindows::shared().record(*windowOf(node));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->span, leftHalf);
    EXPECT_EQ(record->frameBeforeSnap, (CGRect{200, 150, 600, 400}));
}

TEST_F(SnappedWindowObserverTest, AClosedWindowLeavesTheRegistry) {
    const auto node = snapped(leftHalf);
    const auto other = snapped(rightHalf);
    const auto window = windowOf(node);
    node->close(*world);
    settle();
    EXPECT_FALSE(SnappedWindows::shared().isSnapped(*window));
    EXPECT_TRUE(isSnapped(other));
    EXPECT_EQ(SnappedWindows::shared().count(), 1U);
}

}  // namespace
}  // namespace zoral::engine
