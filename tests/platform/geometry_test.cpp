#include "platform/geometry.h"

#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

TEST(Flip, TurnsPointsAndRectanglesOnThePrimaryHeightAndBack) {
    struct PointCase {
        CGPoint point;
        double primaryHeight;
        CGPoint expected;
    };
    const PointCase points[] = {
        {{10, 900}, 900, {10, 0}},       // the primary display's top edge
        {{0, 0}, 900, {0, 900}},         // its bottom edge
        {{-3, 1200}, 900, {-3, -300}},   // a display above the primary one
        {{7.5, 0.25}, 0, {7.5, -0.25}},  // no displays: the height is 0
    };
    for (const PointCase& c : points) {
        SCOPED_TRACE(testing::Message()
                     << c.point.x << "," << c.point.y << " on " << c.primaryHeight);
        EXPECT_EQ(flip(c.point, c.primaryHeight), c.expected);
        EXPECT_EQ(flip(flip(c.point, c.primaryHeight), c.primaryHeight), c.point);
    }

    struct RectCase {
        CGRect rect;
        double primaryHeight;
        CGRect expected;
    };
    const RectCase rects[] = {
        {{0, 70, 1440, 805}, 900, {0, 25, 1440, 805}},  // the far edge becomes the origin
        {{1440, 100, 1920, 1080}, 900, {1440, -280, 1920, 1080}},  // taller than the primary
        {{-10.5, 3, 7, 0}, 900, {-10.5, 897, 7, 0}},               // empty: a line keeps its place
        {{10, 100, -10, -50}, 900, {0, 800, 10, 50}},              // a negative size, standardised
        {{0, 10, 100, 50}, 0, {0, -60, 100, 50}},                  // no displays
    };
    for (const RectCase& c : rects) {
        SCOPED_TRACE(testing::Message() << c.rect.origin.x << "," << c.rect.origin.y << " "
                                        << c.rect.size.width << "x" << c.rect.size.height);
        const CGRect once = flip(c.rect, c.primaryHeight);
        EXPECT_EQ(once, c.expected);
        EXPECT_GE(once.size.width, 0);
        EXPECT_GE(once.size.height, 0);
        EXPECT_EQ(flip(once, c.primaryHeight), c.rect);
    }
}

}  // namespace
}  // namespace zoral::platform
