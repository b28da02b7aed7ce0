#pragma once

// Haptic feedback on the trackpad as the application toolkit offers it: the default performer
// plays a pattern at a moment. A machine without a trackpad that can play it ignores the request.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <cstdint>

namespace zoral::platform {

enum class NSHapticFeedbackPattern : std::int64_t { generic = 0, alignment = 1, levelChange = 2 };

enum class NSHapticFeedbackPerformanceTime : std::uint64_t {
    default_ = 0,  // "default" is a keyword
    now = 1,
    drawCompleted = 2,
};

// The default performer's perform(pattern, performanceTime).
void hapticPerform(NSHapticFeedbackPattern pattern, NSHapticFeedbackPerformanceTime time);

}  // namespace zoral::platform
