#pragma once

// Double to integer without undefined behaviour: values beyond the integer's range give its
// nearest limit, NaN gives 0, everything else is truncated toward zero.

#include <concepts>
#include <limits>

namespace zoral::desktop {

template <std::integral Int>
constexpr Int saturatingCast(double value) {
    using Limits = std::numeric_limits<Int>;
    if (value != value)  // NaN
        return 0;
    // Both limits convert to doubles exactly or round away from the range (to 2^n), so a value
    // strictly between them truncates to an integer in range.
    if (value <= static_cast<double>(Limits::min()))
        return Limits::min();
    if (value >= static_cast<double>(Limits::max()))
        return Limits::max();
    return static_cast<Int>(value);
}

}  // namespace zoral::desktop
