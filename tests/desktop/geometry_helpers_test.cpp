#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/direction.h"
#include "desktop/rect_edges.h"
#include "desktop/rect_grid.h"
#include "desktop/saturating_cast.h"
#include "platform/geometry.h"

namespace zoral::desktop {
namespace {

using platform::CGRect;

TEST(Direction, CasesInOrderPrintByName) {
    const auto all = platform::allCases<Direction>();
    ASSERT_EQ(all.size(), 6u);
    std::ostringstream text;
    for (const Direction direction : all)
        text << direction << ' ';
    EXPECT_EQ(text.str(), "up down left right inwards outwards ");
}

TEST(RectEdges, DistancesOfAnInnerRectOnEachSide) {
    const CGRect outer(0, 25, 1440, 875);
    const CGRect inner(10, 35, 700, 800);
    const EdgeDistances distances = edgeDistances(inner, outer);
    EXPECT_EQ(distances, (EdgeDistances{{CGRectEdge::left, 10},
                                        {CGRectEdge::right, 730},
                                        {CGRectEdge::top, 10},
                                        {CGRectEdge::bottom, 65}}));
    // Sticking out gives negative distances.
    EXPECT_EQ(edgeDistances(CGRect(-5, 20, 1450, 900), outer).at(CGRectEdge::left), -5);
    EXPECT_EQ(edgeDistances(CGRect(-5, 20, 1450, 900), outer).at(CGRectEdge::bottom), -20);
    EXPECT_EQ(platform::allCases<CGRectEdge>(), (std::array{CGRectEdge::left, CGRectEdge::right,
                                                            CGRectEdge::top, CGRectEdge::bottom}));
}

TEST(RectEdges, ApplyingTheDistancesOfARectToItsOuterRectGivesItBack) {
    const CGRect outer(100, 50, 1920, 1055);
    for (const CGRect& inner : {CGRect(100, 50, 960, 1055), CGRect(1061, 50, 959, 527),
                                CGRect(90, 40, 2000, 1100), CGRect(500, 500, 0, 0)}) {
        const CGRect back = applyingEdgeDistances(outer, edgeDistances(inner, outer));
        EXPECT_EQ(back, inner);
        EXPECT_EQ(back.origin, inner.origin);
    }
}

TEST(RectEdges, MissingEdgesCountZero) {
    const CGRect rect(10, 20, 300, 400);
    EXPECT_EQ(applyingEdgeDistances(rect, {}), rect);
    EXPECT_EQ(applyingEdgeDistances(rect, {{CGRectEdge::right, 50}}), CGRect(10, 20, 250, 400));
    EXPECT_EQ(applyingEdgeDistances(rect, {{CGRectEdge::top, 5}, {CGRectEdge::bottom, -5}}),
              CGRect(10, 25, 300, 400));
}

TEST(RectGrid, OneCellIsTheRectWithItsSizeRounded) {
    for (const double spacing : {0.0, 7.0}) {
        const auto cells = grid(CGRect(0.25, -12.5, 1439.5, 874.4), 1, 1, spacing);
        ASSERT_EQ(cells.size(), 1u);
        ASSERT_EQ(cells[0].size(), 1u);
        EXPECT_EQ(cells[0][0].origin, (platform::CGPoint{0.25, -12.5}));
        EXPECT_EQ(cells[0][0].size, (platform::CGSize{1440, 874}));
    }
}

TEST(RectGrid, CellsShareWhatIsLeftSoRoundingNeverAccumulates) {
    // 1000 over three columns with 10 between: 326.67 → 327, then 653 / 2 = 326.5 → 327, then 326.
    const auto cells = grid(CGRect(0, 100, 1000, 500), 3, 2, 10);
    ASSERT_EQ(cells.size(), 2u);
    const std::vector<CGRect> topRow = {CGRect(0, 100, 327, 245), CGRect(337, 100, 327, 245),
                                        CGRect(674, 100, 326, 245)};
    EXPECT_EQ(cells[0], topRow);
    EXPECT_EQ(cells[1][2], CGRect(674, 355, 326, 245));
    EXPECT_EQ(cells[1][2].maxX(), 1000);
    EXPECT_EQ(cells[1][2].maxY(), 600);
}

TEST(RectGrid, NoCellsWithoutColumnsOrRows) {
    const CGRect rect(0, 0, 100, 100);
    EXPECT_TRUE(grid(rect, 0, 1, 0).empty());
    EXPECT_TRUE(grid(rect, 1, 0, 0).empty());
    EXPECT_TRUE(grid(rect, -3, 2, 0).empty());
}

TEST(SaturatingCast, OutOfRangeGivesTheLimitAndNaNGivesZero) {
    using I64 = std::numeric_limits<std::int64_t>;
    using I32 = std::numeric_limits<std::int32_t>;
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(saturatingCast<std::int64_t>(nan), 0);
    EXPECT_EQ(saturatingCast<std::int64_t>(inf), I64::max());
    EXPECT_EQ(saturatingCast<std::int64_t>(-inf), I64::min());
    EXPECT_EQ(saturatingCast<std::int64_t>(9.3e18), I64::max());
    EXPECT_EQ(saturatingCast<std::int64_t>(std::ldexp(1.0, 63)), I64::max());
    EXPECT_EQ(saturatingCast<std::int64_t>(-std::ldexp(1.0, 63)), I64::min());
    EXPECT_EQ(saturatingCast<std::int64_t>(-2.9), -2);
    EXPECT_EQ(saturatingCast<std::int32_t>(2147483647.5), I32::max());
    EXPECT_EQ(saturatingCast<std::int32_t>(2147483646.9), 2147483646);
    EXPECT_EQ(saturatingCast<std::int32_t>(-3e9), I32::min());
    EXPECT_EQ(saturatingCast<std::uint16_t>(-0.5), 0u);
    EXPECT_EQ(saturatingCast<std::uint16_t>(70000.0), 65535u);
    EXPECT_EQ(saturatingCast<std::uint64_t>(1e30), std::numeric_limits<std::uint64_t>::max());
    static_assert(saturatingCast<int>(nan) == 0);
}

}  // namespace
}  // namespace zoral::desktop
