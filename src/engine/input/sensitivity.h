#pragma once

// How strongly the input engines react, by the "scrollingSensitivity" setting: how many events a
// stroke needs before a direction is looked for, how many of the latest are summed, and how long a
// pause must be to count.

#include <array>
#include <cstddef>

#include "settings/multitouch_sensitivity.h"

namespace zoral::engine {

struct SensitivityParameters {
    int scrollStartEvents;
    int scrollChangeEvents;
    int zoomStartEvents;
    int zoomChangeEvents;
    double gestureTimeout;  // seconds
};

// Indexed by the sensitivity's position, low first.
inline constexpr std::array<SensitivityParameters, 4> sensitivityTable{{
    {8, 25, 16, 75, 0.1},
    {6, 15, 12, 45, 0.08},
    {4, 10, 8, 30, 0.06},
    {2, 5, 4, 15, 0.04},
}};

constexpr const SensitivityParameters& sensitivityParameters(
    settings::MultitouchSensitivity sensitivity) {
    return sensitivityTable[static_cast<std::size_t>(sensitivity) - 1];
}

}  // namespace zoral::engine
