#pragma once

// Scripts of the world runner: a JSON array of steps run in order against the current simulated
// world, each on the virtual clock.
//
//   {"advance": 0.5}                                      run the clock forward (up to a day)
//   {"read": {"element": "notes", "attribute": "AXTitle"}}  print an attribute
//   {"set": {"element": "notes", "attribute": "AXPosition", "value": {"point": [0, 25]}}}
//   {"perform": {"element": "notes-close", "action": "AXPress"}}
//   {"hitTest": [130, 90]}                                print the element under a point
//   {"trusted": false}                                    change the permission
//   {"hang": 501} / {"unhang": 501}                       make a process stop or start answering
//
// Values are written as in world files. Reads, writes, actions and hit tests go through the
// accessibility calls, so they are counted and cost virtual time like the program's own, and
// their result codes print with the names the program gives them ("error InvalidUIElement").
// Steps are checked as world files are: an unknown key, a wrong type or an unknown element stops
// the script at that step, with its place.

#include <stdexcept>

#include "platform/json.h"

namespace zoral::world_runner {

class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the steps; prints one line per step through the output sink. Throws ScriptError.
void runScript(const platform::Json& script);

}  // namespace zoral::world_runner
