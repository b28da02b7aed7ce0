#include "engine/windows/snapping_geometry.h"

#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using desktop::SystemAppearance;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

GridSpan span(GridPair start, GridPair end, GridPair matrix) {
    return {start, end, matrix};
}

TEST(GridOffset, FoldsFromTheTwoSettings) {
    struct Case {
        std::int64_t gridOffset;
        bool edges;
        GridOffset expected;
    };
    const std::vector<Case> cases = {
        {0, true, GridOffset::minimal()},  {0, false, GridOffset::minimal()},
        {-1, true, GridOffset::none()},    {-1, false, GridOffset::none()},
        {4, true, GridOffset::edges(4)},   {4, false, GridOffset::noEdges(4)},
        {-2, true, GridOffset::edges(-2)}, {1, false, GridOffset::noEdges(1)},
    };
    for (const auto& [gridOffset, edges, expected] : cases)
        EXPECT_EQ(GridOffset::fold(gridOffset, edges), expected) << gridOffset << " " << edges;
    EXPECT_NE(GridOffset::edges(4), GridOffset::noEdges(4));
    EXPECT_NE(GridOffset::edges(4), GridOffset::edges(5));
}

TEST(GridGap, ByOffsetAndAppearance) {
    struct Case {
        GridOffset offset;
        double light;
        double dark;
    };
    const std::vector<Case> cases = {
        {GridOffset::none(), 0, 0},
        {GridOffset::minimal(), 1, 1},
        {GridOffset::edges(4), 4, 5},
        {GridOffset::noEdges(4), 4, 5},
        {GridOffset::edges(-5), -5, -4},  // passed through unchanged
        {GridOffset::edges(std::numeric_limits<std::int64_t>::max()), 9223372036854775807.0,
         9223372036854775808.0},
    };
    for (const auto& [offset, light, dark] : cases) {
        EXPECT_EQ(gridGap(offset, SystemAppearance::light), light) << offset;
        EXPECT_EQ(gridGap(offset, SystemAppearance::dark), dark) << offset;
    }
}

TEST(SpanSize, NearEdgesRoundOutwardsFarEdgesInwards) {
    const CGRect frame(0, 25, 1440, 875);
    struct Case {
        GridSpan span;
        double gap;
        CGSize expected;
    };
    const std::vector<Case> cases = {
        // Halves: 719.5 each; the left takes the shared point, the right leaves it.
        {span({0, 0}, {1, 1}, {2, 1}), 1, {720, 875}},
        {span({1, 0}, {2, 1}, {2, 1}), 1, {719, 875}},
        // Full screen: the gap plays no part.
        {span({0, 0}, {1, 1}, {1, 1}), 1, {1440, 875}},
        {span({0, 0}, {1, 1}, {1, 1}), 9, {1440, 875}},
        // Middle third: 480 − 2/3 = 479.33 to nearest; height 875/2 − 0.5 = 437 exactly.
        {span({1, 0}, {2, 1}, {3, 2}), 1, {479, 437}},
        // Top-right quarter: width toward zero, height away from zero.
        {span({1, 0}, {2, 1}, {2, 2}), 1, {719, 437}},
        {span({1, 0}, {2, 1}, {2, 2}), 2, {719, 437}},
        // Bottom-left quarter: the x axis touches the near edge, the y axis the far one.
        {span({0, 1}, {1, 2}, {2, 2}), 2, {719, 436}},
        // Two thirds from the left, with no gap.
        {span({0, 0}, {2, 1}, {3, 1}), 0, {960, 875}},
        // A middle cell of five at exactly 288 + 0.5: half away from zero.
        {span({2, 0}, {3, 1}, {5, 1}), -0.625, {289, 875}},
    };
    for (const auto& [gridSpan, gap, expected] : cases)
        EXPECT_EQ(spanSize(frame, gridSpan, gap), expected) << gridSpan << " gap " << gap;
    // A span touching both edges rounds away from zero: the near edge wins.
    EXPECT_EQ(spanSize(CGRect(0, 0, 1440.5, 800.25), span({0, 0}, {1, 1}, {1, 1}), 1),
              (CGSize{1441, 801}));
}

TEST(SpanOrigin, AgainstTheTouchedEdgeOrCentred) {
    const CGRect frame(0, 25, 1440, 875);
    struct Case {
        CGSize size;
        GridSpan span;
        CGPoint expected;
    };
    const std::vector<Case> cases = {
        {{720, 875}, span({0, 0}, {1, 1}, {2, 1}), {0, 25}},
        {{719, 875}, span({1, 0}, {2, 1}, {2, 1}), {721, 25}},
        // One column centres horizontally; one row sits at the top.
        {{1440, 875}, span({0, 0}, {1, 1}, {1, 1}), {0, 25}},
        {{1001, 500}, span({0, 0}, {1, 1}, {1, 1}), {220, 25}},  // 219.5 rounds away from zero
        {{479, 437}, span({1, 0}, {2, 1}, {3, 2}), {481, 25}},   // 480.5 → 481
        {{719, 437}, span({1, 0}, {2, 1}, {2, 2}), {721, 25}},
        {{719, 437}, span({1, 1}, {2, 2}, {2, 2}), {721, 463}},
        // A middle row of three centres vertically: 462.5 − 145.5 = 317.
        {{720, 291}, span({0, 1}, {1, 2}, {2, 3}), {0, 317}},
    };
    for (const auto& [size, gridSpan, expected] : cases)
        EXPECT_EQ(spanOrigin(size, frame, gridSpan), expected) << gridSpan;
    // Negative half-way points also round away from zero.
    EXPECT_EQ(spanOrigin({3, 3}, CGRect(-10, -10, 0, 0), span({0, 1}, {1, 2}, {1, 3})),
              (CGPoint{-12, -12}));
}

TEST(StepSpan, OneCellGrowsTowardsTheSwipeTwoCellsShrinkToItsSide) {
    struct Case {
        GridSpan from;
        Direction direction;
        GridSpan to;
    };
    const GridPair rows2{1, 2};
    const GridPair cols3{3, 1};
    const std::vector<Case> cases = {
        // Up and down through a two-row grid.
        {span({0, 1}, {1, 2}, rows2), Direction::up, span({0, 0}, {1, 2}, rows2)},
        {span({0, 0}, {1, 2}, rows2), Direction::up, span({0, 0}, {1, 1}, rows2)},
        {span({0, 0}, {1, 1}, rows2), Direction::up, span({0, 0}, {1, 1}, rows2)},
        {span({0, 0}, {1, 1}, rows2), Direction::down, span({0, 0}, {1, 2}, rows2)},
        {span({0, 0}, {1, 2}, rows2), Direction::down, span({0, 1}, {1, 2}, rows2)},
        {span({0, 1}, {1, 2}, rows2), Direction::down, span({0, 1}, {1, 2}, rows2)},
        // Left and right through three columns.
        {span({1, 0}, {2, 1}, cols3), Direction::left, span({0, 0}, {2, 1}, cols3)},
        {span({0, 0}, {2, 1}, cols3), Direction::left, span({0, 0}, {1, 1}, cols3)},
        {span({0, 0}, {1, 1}, cols3), Direction::left, span({0, 0}, {1, 1}, cols3)},
        {span({1, 0}, {2, 1}, cols3), Direction::right, span({1, 0}, {3, 1}, cols3)},
        {span({1, 0}, {3, 1}, cols3), Direction::right, span({2, 0}, {3, 1}, cols3)},
        {span({2, 0}, {3, 1}, cols3), Direction::right, span({2, 0}, {3, 1}, cols3)},
        // Three cells, pinches and a swipe across the other axis change nothing.
        {span({0, 0}, {3, 1}, cols3), Direction::left, span({0, 0}, {3, 1}, cols3)},
        {span({1, 0}, {2, 1}, cols3), Direction::inwards, span({1, 0}, {2, 1}, cols3)},
        {span({1, 0}, {2, 1}, cols3), Direction::outwards, span({1, 0}, {2, 1}, cols3)},
        {span({0, 0}, {3, 1}, cols3), Direction::down, span({0, 0}, {3, 1}, cols3)},
    };
    for (const auto& [from, direction, to] : cases)
        EXPECT_EQ(stepSpan(from, direction), to) << from << " " << direction;
}

TEST(StepSpan, ExtremeCoordinatesDoNotOverflow) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const GridSpan wide = span({min, min}, {max, max}, {max, max});
    for (const Direction direction : platform::allCases<Direction>())
        EXPECT_EQ(stepSpan(wide, direction), wide) << direction;
    EXPECT_EQ(stepSpan(span({max - 1, 0}, {max, 1}, {max, 1}), Direction::right),
              span({max - 1, 0}, {max, 1}, {max, 1}));
    const CGSize size = spanSize(CGRect(0, 0, 100, 100), wide, 1);
    EXPECT_TRUE(std::isfinite(size.width));
}

TEST(Snapping, CenterActionIsTheSettingsEnumeration) {
    static_assert(std::is_same_v<Snapping::CenterAction, settings::SnappingCenterAction>);
    EXPECT_EQ(platform::fromRawValue<Snapping::CenterAction>("unsnap"),
              Snapping::CenterAction::unsnap);
    EXPECT_FALSE(platform::fromRawValue<Snapping::CenterAction>("centre"));
}

// The forms without an appearance read it from the user defaults, in a home of the test's own.
class SnappingAppearanceTest : public ::testing::Test {
protected:
    void setDark(bool dark) {
        platform::PlistDictionary global;
        if (dark)
            global.emplace("AppleInterfaceStyle", platform::PlistObject::string("Dark"));
        platform::UserDefaults::standard().setPersistentDomain(
            global, platform::UserDefaults::globalDomainName);
    }

    zoral::testing::ScopedOutputCapture output_;
    zoral::testing::TemporaryHome home_;
};

TEST_F(SnappingAppearanceTest, GapFollowsTheCurrentAppearance) {
    const GridSpan rightSpan = span({1, 0}, {2, 1}, {2, 1});
    const CGRect frame(0, 25, 1440, 875);
    setDark(false);
    EXPECT_EQ(gridGap(GridOffset::edges(4)), 4);
    EXPECT_EQ(gridGap(GridOffset::minimal()), 1);
    EXPECT_EQ(spanSize(frame, rightSpan, GridOffset::edges(4)).width, 718);  // 720 − 2
    setDark(true);
    EXPECT_EQ(gridGap(GridOffset::edges(4)), 5);
    EXPECT_EQ(gridGap(GridOffset::noEdges(4)), 5);
    EXPECT_EQ(gridGap(GridOffset::minimal()), 1);
    EXPECT_EQ(gridGap(GridOffset::none()), 0);
    EXPECT_EQ(spanSize(frame, rightSpan, GridOffset::edges(4)).width, 717);  // 720 − 2.5
}

}  // namespace
}  // namespace zoral::engine
