#pragma once

// A rectangle divided into a grid of cells with a spacing between them.

#include <cstdint>
#include <vector>

#include "platform/geometry.h"

namespace zoral::desktop {

// The cells as a list of rows (from minY), each a list of cells (from minX). Each cell's extent is
// what is left of the axis, less the spacings still to come, shared among the cells still to come
// and rounded half away from zero, so rounding never accumulates. A count of 0 or less gives no
// cells.
std::vector<std::vector<platform::CGRect>> grid(const platform::CGRect& rect, std::int64_t columns,
                                                std::int64_t rows, double spacing);

}  // namespace zoral::desktop
