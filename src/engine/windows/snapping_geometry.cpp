#include "engine/windows/snapping_geometry.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace zoral::engine {
namespace {

using desktop::Direction;
using Limits = std::numeric_limits<std::int64_t>;

// a − b as a double: exact integer subtraction where it cannot overflow.
double difference(std::int64_t a, std::int64_t b) {
    const bool overflows = (b > 0 && a < Limits::min() + b) || (b < 0 && a > Limits::max() + b);
    return overflows ? static_cast<double>(a) - static_cast<double>(b) : static_cast<double>(a - b);
}

// Whether end − start is exactly `cells`, without computing an overflowing difference.
bool extentIs(std::int64_t start, std::int64_t end, std::uint64_t cells) {
    return end >= start &&
           static_cast<std::uint64_t>(end) - static_cast<std::uint64_t>(start) == cells;
}

double roundAwayFromZero(double value) {
    return value < 0 ? std::floor(value) : std::ceil(value);
}

// One axis of a span's size.
double spanExtent(double extent, std::int64_t start, std::int64_t end, std::int64_t count,
                  double gap) {
    const double fraction = difference(end, start) / static_cast<double>(count);
    const double raw = extent * fraction - (1 - fraction) * gap;
    if (start == 0)
        return roundAwayFromZero(raw);  // against the near edge: take the shared point
    if (end == count)
        return std::trunc(raw);  // against the far edge: leave it to the neighbour
    return std::round(raw);
}

}  // namespace

double gridGap(const GridOffset& offset, desktop::SystemAppearance appearance) {
    switch (offset.kind()) {
        case GridOffset::Kind::none:
            return 0.0;
        case GridOffset::Kind::minimal:
            return 1.0;
        case GridOffset::Kind::edges:
        case GridOffset::Kind::noEdges:
            return static_cast<double>(offset.offset()) +
                   (appearance == desktop::SystemAppearance::dark ? 1.0 : 0.0);
    }
    return 0.0;
}

double gridGap(const GridOffset& offset) {
    switch (offset.kind()) {
        case GridOffset::Kind::none:
        case GridOffset::Kind::minimal:
            // No appearance matters, so none is read.
            return gridGap(offset, desktop::SystemAppearance::light);
        case GridOffset::Kind::edges:
        case GridOffset::Kind::noEdges:
            break;
    }
    return gridGap(offset, desktop::currentSystemAppearance());
}

platform::CGSize spanSize(const platform::CGRect& area, const GridSpan& span, double gap) {
    return {spanExtent(area.width(), span.start.x, span.end.x, span.matrix.x, gap),
            spanExtent(area.height(), span.start.y, span.end.y, span.matrix.y, gap)};
}

platform::CGSize spanSize(const platform::CGRect& area, const GridSpan& span,
                          const GridOffset& offset) {
    return spanSize(area, span, gridGap(offset));
}

platform::CGPoint spanOrigin(const platform::CGSize& size, const platform::CGRect& area,
                             const GridSpan& span) {
    double x = area.midX() - size.width / 2;
    if (span.start.x == 0 && span.matrix.x >= 2) {
        x = area.minX();
    } else if (span.end.x == span.matrix.x && span.matrix.x >= 2) {
        x = area.maxX() - size.width;
    }
    // Rows need no second row to align: a one-row grid sits at the top.
    double y = area.midY() - size.height / 2;
    if (span.start.y == 0) {
        y = area.minY();
    } else if (span.end.y == span.matrix.y) {
        y = area.maxY() - size.height;
    }
    return {std::round(x), std::round(y)};
}

GridSpan stepSpan(const GridSpan& span, Direction direction) {
    GridSpan stepped = span;
    GridPair& start = stepped.start;
    GridPair& end = stepped.end;
    const GridPair& matrix = stepped.matrix;
    const bool horizontal = direction == Direction::left || direction == Direction::right;
    const bool two = horizontal ? extentIs(start.x, end.x, 2) : extentIs(start.y, end.y, 2);
    const bool one = horizontal ? extentIs(start.x, end.x, 1) : extentIs(start.y, end.y, 1);
    switch (direction) {
        case Direction::up:
            if (two) {
                end.y -= 1;
            } else if (one && start.y > 0) {
                start.y -= 1;
            }
            break;
        case Direction::down:
            if (two) {
                start.y += 1;
            } else if (one && end.y < matrix.y) {
                end.y += 1;
            }
            break;
        case Direction::left:
            if (two) {
                end.x -= 1;
            } else if (one && start.x > 0) {
                start.x -= 1;
            }
            break;
        case Direction::right:
            if (two) {
                start.x += 1;
            } else if (one && end.x < matrix.x) {
                end.x += 1;
            }
            break;
        case Direction::inwards:
        case Direction::outwards:
            break;
    }
    return stepped;
}

}  // namespace zoral::engine
