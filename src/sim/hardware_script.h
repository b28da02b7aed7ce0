#pragma once

// Hardware input written in a world script: a JSON array of steps, each an object of one key.
//   {"scroll": {"moves": [{"travel": [-200, 0], "events": 10, "holdAfter": 0.1},
//                         {"deltas": [[0, 4], [0, 6]], "gaps": [0.01, 0.02]}],
//               "restBefore": 0.05, "momentum": 3, "mouse": false, "liftAfter": 0.012}}
//     (or "momentumDeltas": [[0, 3], [0, 1]] and "momentumGaps": [0.016] for the momentum)
//   {"pinch": {"magnifications": [0.02, 0.02], "restBefore": 0.02, "gaps": [0.01, 0.01],
//              "liftAfter": 0.012}}
//   {"oneFinger": {"holdFor": 0.1}}
//   {"doubleTap": {}}
//   {"wheel": {"lines": 3, "horizontalLines": 0}}
//   {"key": {"code": 123, "repeats": 2}}
//   {"modifiers": {"flags": ["fn", "shift"], "rightHand": false}}   (or a number of flags)
//   {"pointer": [700, 450]}
//   {"pause": 0.5}
// A move gives its deltas or its travel and events; "gaps" are the seconds before the events, the
// first ones given, the others following the trackpad's cycle (sim/hardware_steps.h). Every field
// but the step's key may be left out and takes the default of the description; an unknown key, a
// field of the wrong type or an impossible value is an error that names the step. Counts and
// distances have limits, so that a script describes what hands could do and stays bounded in time
// and memory (below).

#include <string>
#include <vector>

#include "platform/json.h"
#include "sim/hardware_steps.h"

namespace zoral::sim {

// The scroll events of one move of the fingers, and the momentum events after a stroke.
inline constexpr int maxScrollEvents = 1'000;
inline constexpr int maxMomentumEvents = 1'000;
// The repeats of a held key.
inline constexpr int maxKeyRepeats = 1'000;
// The fingers' travel in one move, in points, along either axis.
inline constexpr double maxScrollTravel = 100'000;

platform::JsonResult<std::vector<HardwareStep>> hardwareStepsFromJson(const platform::Json& json);
// The steps written as hardwareStepsFromJson reads them, the fields at their defaults left out.
platform::Json hardwareStepsToJson(const std::vector<HardwareStep>& steps);

}  // namespace zoral::sim
