#include "engine/windows/snapped_window_observer.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/windows/snap_engine.h"
#include "sim/spaces.h"
#include "snap_world.h"

namespace zoral::engine {
namespace {

using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;
using settings::Defaults::Keys;

GridSpan quarter(std::int64_t column, std::int64_t row) {
    return {{column, row}, {column + 1, row + 1}, {2, 2}};
}

class SnappedWindowObserverTest : public testing::SnapWorldTest {
protected:
    std::shared_ptr<sim::WindowNode> snapped(const GridSpan& span,
                                             CGRect before = {200, 150, 600, 400}) {
        auto node = addWindow(before);
        snap(windowOf(node), span, screen(0));
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
    snap(windowOf(node), rightHalf, screen(0));
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

// Either half's inner edge: a left edge moves the window as well as resizing it, and that move is
// part of the resize, not a drag.
TEST_F(SnappedWindowObserverTest, ResizingOneHalfMovesTheOtherHalfsFacingEdge) {
    struct Case {
        const char* what;
        bool resizeLeft;
        std::uint8_t edge;
        double distance;
        CGRect left;
        CGRect right;
    };
    const Case cases[] = {
        {"the left half's right edge",
         true,
         sim::rightEdge,
         50,
         {0, 25, 770, 875},
         {771, 25, 669, 875}},
        {"the right half's left edge",
         false,
         sim::leftEdge,
         -50,
         {0, 25, 670, 875},
         {671, 25, 769, 875}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto left = snapped(leftHalf);
        const auto right = snapped(rightHalf);
        output.clear();

        userResize(c.resizeLeft ? left : right, c.edge, {c.distance, 0});
        EXPECT_EQ(frameOf(left), c.left);
        EXPECT_EQ(frameOf(right), c.right) << "the gap stays, the outer edges too";
        EXPECT_TRUE(isSnapped(left));
        EXPECT_TRUE(isSnapped(right));
        const auto seen = reactions();
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front().rfind("Resizer: Initialized from <AXWindow pid=12 id=", 0), 0U)
            << seen.front();
        left->close(*world);
        right->close(*world);
        settle(resizerLifetime);
    }
}

// The top-left quarter resized by its right edge, its bottom edge and the corner of the two.
TEST_F(SnappedWindowObserverTest, InAQuarterLayoutAlignedAndFacingEdgesFollow) {
    struct Case {
        const char* what;
        std::uint8_t edges;
        CGPoint distance;
        CGRect topLeft;
        CGRect bottomLeft;
        CGRect topRight;
        CGRect bottomRight;
    };
    const Case cases[] = {
        {"right edge: the quarter below aligned, the right ones facing",
         sim::rightEdge,
         {30, 0},
         {0, 25, 750, 437},
         {0, 463, 750, 437},
         {751, 25, 689, 437},
         {751, 463, 689, 437}},
        {"bottom edge: the quarter beside aligned, the lower ones facing",
         sim::bottomEdge,
         {0, 20},
         {0, 25, 720, 457},
         {0, 483, 720, 417},
         {721, 25, 719, 457},
         {721, 483, 719, 417}},
        {"the corner: both at once",
         sim::rightEdge | sim::bottomEdge,
         {30, 20},
         {0, 25, 750, 457},
         {0, 483, 750, 417},
         {751, 25, 689, 457},
         {751, 483, 689, 417}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto topLeft = snapped(quarter(0, 0));
        const auto bottomLeft = snapped(quarter(0, 1));
        const auto topRight = snapped(quarter(1, 0));
        const auto bottomRight = snapped(quarter(1, 1));
        ASSERT_EQ(frameOf(topLeft), (CGRect{0, 25, 720, 437}));
        ASSERT_EQ(frameOf(bottomRight), (CGRect{721, 463, 719, 437}));

        userResize(topLeft, c.edges, c.distance);
        EXPECT_EQ(frameOf(topLeft), c.topLeft);
        EXPECT_EQ(frameOf(bottomLeft), c.bottomLeft);
        EXPECT_EQ(frameOf(topRight), c.topRight);
        EXPECT_EQ(frameOf(bottomRight), c.bottomRight);
        for (const auto& node : {topLeft, bottomLeft, topRight, bottomRight})
            node->close(*world);
        settle(resizerLifetime);
    }
}

// The on-screen list lacks windows of another space and minimised ones: their snapped frames stay.
TEST_F(SnappedWindowObserverTest, ANeighbourTheWindowServerDoesNotShowIsLeftAlone) {
    sim::Spaces& spaces = sim::Spaces::of(*world);
    spaces.setDisplaySpaces(*world, {{"LAPTOP", 1, {{1}, {2}}}});
    for (const bool onAnotherSpace : {true, false}) {
        SCOPED_TRACE(onAnotherSpace ? "on another space" : "minimised");
        const auto left = snapped(leftHalf);
        const auto right = snapped(rightHalf);
        spaces.placeWindow(left->windowNumber(), 1);
        spaces.placeWindow(right->windowNumber(), onAnotherSpace ? 2 : 1);
        if (!onAnotherSpace)
            right->setMinimized(*world, true);
        settle();

        userResize(left, sim::rightEdge, {50, 0});
        EXPECT_EQ(frameOf(left), (CGRect{0, 25, 770, 875}));
        EXPECT_EQ(frameOf(right), (CGRect{721, 25, 719, 875}));
        EXPECT_TRUE(isSnapped(right));
        left->close(*world);
        right->close(*world);
        settle(resizerLifetime);
    }
}

TEST_F(SnappedWindowObserverTest, MovesAreIgnoredUntilAFifthOfASecondAfterTheLastResize) {
    const auto left = snapped(leftHalf);
    const auto right = snapped(rightHalf);
    userResize(left, sim::rightEdge, {50, 0});
    output.clear();

    // A drag right after the resize, its move 2/60 s after the last resize: still the resize's.
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
    userResize(left, sim::rightEdge, {50, 0});
    EXPECT_EQ(reactions().front(), "Observer: Window resized by dragging");
    EXPECT_FALSE(isSnapped(left));
    EXPECT_EQ(frameOf(right), (CGRect{721, 25, 719, 875}));
}

TEST_F(SnappedWindowObserverTest, LeavingFullScreenSnapsTheWindowBackIntoItsCell) {
    const auto node = snapped(leftHalf);
    output.clear();
    node->setFullScreen(*world, true);
    settle(timing().fullScreenEnter);
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
