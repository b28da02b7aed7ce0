#pragma once

// Points, sizes and rectangles as the system's graphics interfaces define
// them: doubles, with a rectangle given by its origin and size. A rectangle
// may have a negative size; its min and max then come from the standardised
// rectangle, as on the system.

#include <algorithm>
#include <cmath>

namespace zoral::platform {

struct CGPoint {
    double x = 0;
    double y = 0;

    friend constexpr bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
    double width = 0;
    double height = 0;

    friend constexpr bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;

    constexpr CGRect() = default;
    constexpr CGRect(CGPoint o, CGSize s) : origin(o), size(s) {}
    constexpr CGRect(double x, double y, double width, double height)
        : origin{x, y}, size{width, height} {}

    constexpr double minX() const { return std::min(origin.x, origin.x + size.width); }
    constexpr double maxX() const { return std::max(origin.x, origin.x + size.width); }
    constexpr double midX() const { return (minX() + maxX()) / 2; }
    constexpr double minY() const { return std::min(origin.y, origin.y + size.height); }
    constexpr double maxY() const { return std::max(origin.y, origin.y + size.height); }
    constexpr double midY() const { return (minY() + maxY()) / 2; }
    constexpr double width() const { return maxX() - minX(); }
    constexpr double height() const { return maxY() - minY(); }
    constexpr bool isEmpty() const { return size.width == 0 || size.height == 0; }

    // The half-open test of the system's point-in-rectangle check: the minimum
    // edges belong to the rectangle, the maximum edges do not.
    constexpr bool containsPoint(CGPoint p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }

    // Equality of the standardised rectangles, so (0,0,-1,-1) equals (-1,-1,1,1).
    friend constexpr bool operator==(const CGRect& a, const CGRect& b) {
        return a.minX() == b.minX() && a.minY() == b.minY() && a.width() == b.width() &&
               a.height() == b.height();
    }
};

// The turn between the two coordinate systems of the desktop: bottom-left (the toolkit's screens,
// y grows upwards from the primary display's bottom edge) and top-left (the window server, events
// and accessibility, y grows downwards from the primary display's top edge). `primaryHeight` is the
// height of the primary display's frame, 0 without displays. The turn is its own inverse, so the
// same call converts either way: a point's y becomes primaryHeight - y; a rectangle keeps its x,
// width and height, and its far edge in y becomes its origin, primaryHeight - maxY (the result is
// standardised: a negative size comes back positive).
constexpr CGPoint flip(CGPoint point, double primaryHeight) {
    return {point.x, primaryHeight - point.y};
}
constexpr CGRect flip(const CGRect& rect, double primaryHeight) {
    return {rect.minX(), primaryHeight - rect.maxY(), rect.width(), rect.height()};
}

}  // namespace zoral::platform
