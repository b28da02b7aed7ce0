#pragma once

// What a gesture is handed to do its work: the action resolution, which proposes an action for the
// gesture's origin, directions, phases and modifiers (through Gesture::apply, or setAction,
// clearAction and cancel); the executor, which performs an action and returns the origin as the
// action left it with a flag that is false only when the action lacked its operand or failed; and
// the tooltips. The real ones are the resolution tables, the action executor and the tooltip
// controller; tests hand recording stand-ins.

#include <memory>
#include <utility>

#include "engine/model/action.h"
#include "engine/model/origin.h"
#include "engine/tooltips/tooltips.h"
#include "promises/guarantee.h"
#include "promises/result.h"

namespace zoral::engine {

class Gesture;

class ActionResolver {
public:
    virtual ~ActionResolver() = default;
    // Settles once the resolution has proposed (or cleared, or cancelled) for the gesture's state.
    virtual promises::Guarantee<promises::Unit> resolveAction(Gesture& gesture) = 0;
};

// The executor's result: the origin as the action left it, and whether it went as asked.
using ActionOutcome = std::pair<Origin, bool>;

class ActionPerformer {
public:
    virtual ~ActionPerformer() = default;
    virtual promises::Guarantee<ActionOutcome> perform(const Origin& origin,
                                                       const Action& action) = 0;
};

struct GestureServices {
    std::shared_ptr<ActionResolver> resolver;
    std::shared_ptr<ActionPerformer> performer;
    std::shared_ptr<Tooltips> tooltips;
};

}  // namespace zoral::engine
