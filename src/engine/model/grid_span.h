#pragma once

// A range of cells of a snapping grid. Columns count x, rows count y; row 0 is the top row.

#include <cstdint>
#include <ostream>

namespace zoral::engine {

struct GridPair {
    std::int64_t x = 0;
    std::int64_t y = 0;

    friend constexpr bool operator==(const GridPair&, const GridPair&) = default;
};

struct GridSpan {
    GridPair start;   // the first column and row of the span
    GridPair end;     // one past the last column and row
    GridPair matrix;  // the grid's number of columns and rows

    friend constexpr bool operator==(const GridSpan&, const GridSpan&) = default;
};

inline std::ostream& operator<<(std::ostream& stream, const GridPair& pair) {
    return stream << '(' << pair.x << ", " << pair.y << ')';
}

inline std::ostream& operator<<(std::ostream& stream, const GridSpan& span) {
    return stream << "start " << span.start << " end " << span.end << " matrix " << span.matrix;
}

}  // namespace zoral::engine
