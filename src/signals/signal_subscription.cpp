#include "signals/signal_subscription.h"

#include <cmath>
#include <cstdint>

namespace zoral::signals {

platform::DispatchTimeInterval sampleDelay(double seconds) {
    // Written so that NaN fails the test as well.
    if (!(seconds > 0))
        return platform::DispatchTimeInterval::milliseconds(0);
    const double milliseconds = std::trunc(seconds * 1000.0);
    // 2^63: the first double past the range of a signed 64-bit count.
    if (milliseconds >= 9223372036854775808.0)
        return platform::DispatchTimeInterval::never();
    return platform::DispatchTimeInterval::milliseconds(static_cast<std::int64_t>(milliseconds));
}

}  // namespace zoral::signals
