#include "desktop/rect_grid.h"

#include <cmath>
#include <cstddef>

namespace zoral::desktop {
namespace {

struct Span {
    double start;
    double length;
};

// One axis of the grid: where each cell starts and how long it is.
std::vector<Span> divideAxis(double minimum, double extent, std::int64_t count, double spacing) {
    std::vector<Span> spans;
    if (count <= 0)
        return spans;
    spans.reserve(static_cast<std::size_t>(count));
    double start = minimum;
    double remaining = extent;
    for (std::int64_t left = count; left > 0; --left) {
        const auto cellsLeft = static_cast<double>(left);
        const double length = std::round((remaining - (cellsLeft - 1) * spacing) / cellsLeft);
        spans.push_back({start, length});
        remaining -= length + spacing;
        start += length + spacing;
    }
    return spans;
}

}  // namespace

std::vector<std::vector<platform::CGRect>> grid(const platform::CGRect& rect, std::int64_t columns,
                                                std::int64_t rows, double spacing) {
    const auto xs = divideAxis(rect.minX(), rect.width(), columns, spacing);
    const auto ys = divideAxis(rect.minY(), rect.height(), rows, spacing);
    std::vector<std::vector<platform::CGRect>> cells;
    if (xs.empty())
        return cells;
    cells.reserve(ys.size());
    for (const Span& y : ys) {
        auto& row = cells.emplace_back();
        row.reserve(xs.size());
        for (const Span& x : xs)
            row.emplace_back(x.start, y.start, x.length, y.length);
    }
    return cells;
}

}  // namespace zoral::desktop
