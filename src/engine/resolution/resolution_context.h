#pragma once

// One resolution in progress, as the handlers see it: the gesture's state with the terms the
// tables are written in (the last and previous direction, the last phase, the phases and roles
// held), the desktop's answers, and the changes to the gesture's state made so far.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "desktop/direction.h"
#include "engine/model/modifier.h"
#include "engine/model/phase.h"
#include "engine/resolution/resolution.h"
#include "engine/resolution/resolution_query.h"

namespace zoral::engine::resolution {

class Context {
public:
    Context(const GestureState& state, ResolutionQuery& answers)
        : gesture(state), query(answers), grids(state.grids) {}

    // None without directions.
    std::optional<desktop::Direction> lastDirection() const {
        if (gesture.directions.empty())
            return std::nullopt;
        return gesture.directions.back();
    }
    // None with fewer than two directions.
    std::optional<desktop::Direction> previousDirection() const {
        const std::size_t count = gesture.directions.size();
        if (count < 2)
            return std::nullopt;
        return gesture.directions[count - 2];
    }
    bool lastDirectionIs(desktop::Direction direction) const {
        return lastDirection() == direction;
    }
    bool previousDirectionIs(desktop::Direction direction) const {
        return previousDirection() == direction;
    }

    // None without phases.
    std::optional<Phase> lastPhase() const {
        if (gesture.phases.empty())
            return std::nullopt;
        return gesture.phases.back();
    }
    bool lastPhaseIs(Phase phase) const { return lastPhase() == phase; }
    // Whether the phase was recorded at any point.
    bool holds(Phase phase) const {
        return std::ranges::find(gesture.phases, phase) != gesture.phases.end();
    }
    // The gesture's first phase is its only one.
    bool isFirstPhase() const { return gesture.phases.size() == 1; }

    bool held(Modifier role) const {
        return std::ranges::find(gesture.modifiers, role) != gesture.modifiers.end();
    }

    const GestureState& gesture;
    ResolutionQuery& query;

    // What the resolution changes of the gesture's state.
    GridStates grids;
    bool startsCmdTabbing = false;
    bool reroutesToWindow = false;
};

inline bool contains(const std::vector<desktop::Direction>& directions,
                     desktop::Direction direction) {
    return std::ranges::find(directions, direction) != directions.end();
}

// Shorthands for the outcomes the tables write.
inline Proposal propose(Action action, bool display = true) {
    return {.action = action, .display = display};
}

}  // namespace zoral::engine::resolution
