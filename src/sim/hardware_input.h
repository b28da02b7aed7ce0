#pragma once

// The streams the hardware records are played by the user's hands (sim/hands.h), the one
// component that sends the world's hardware input, on one queue: HardwareInput::of(world) is
// Hands::of(world).

#include "sim/hands.h"
#include "sim/hardware_steps.h"

namespace zoral::sim {

using HardwareInput = Hands;

}  // namespace zoral::sim
