#pragma once

// Hardware input written in a world script: a JSON array of steps, each an object of one key.
//   {"scroll": {"moves": [{"travel": [-200, 0], "events": 10, "holdAfter": 0.1}],
//               "restBefore": 0.05, "momentum": 3, "mouse": false}}
//   {"pinch": {"magnifications": [0.02, 0.02], "restBefore": 0.05}}
//   {"doubleTap": {}}
//   {"wheel": {"lines": 3, "horizontalLines": 0}}
//   {"key": {"code": 123, "repeats": 2}}
//   {"modifiers": {"flags": ["fn", "shift"], "rightHand": false}}   (or a number of flags)
//   {"pointer": [700, 450]}
//   {"pause": 0.5}
// Every field but the step's key may be left out and takes the default of the description
// (sim/hardware_input.h); an unknown key, a field of the wrong type or an impossible value is an
// error that names the step. Counts and distances have limits, so that a script describes what
// hands could do and stays bounded in time and memory (below).

#include <string>
#include <vector>

#include "platform/json.h"
#include "sim/hardware_input.h"

namespace zoral::sim {

// The scroll events of one move of the fingers, and the momentum events after a stroke.
inline constexpr int maxScrollEvents = 1'000;
inline constexpr int maxMomentumEvents = 1'000;
// The repeats of a held key.
inline constexpr int maxKeyRepeats = 1'000;
// The fingers' travel in one move, in points, along either axis.
inline constexpr double maxScrollTravel = 100'000;

platform::JsonResult<std::vector<HardwareStep>> hardwareStepsFromJson(const platform::Json& json);

}  // namespace zoral::sim
