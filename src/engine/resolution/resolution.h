#pragma once

// The action a gesture in flight would perform now, chosen from where it started, the directions
// and phases recognised so far and the modifier roles held. The choice is a decision only: it
// reads the gesture's state and asks the desktop through a ResolutionQuery, and its result says
// what the gesture should do (propose an action, drop the one proposed, or leave it) and how the
// gesture's own state moves on (the grid spans, the application switcher, a tab gesture taken as
// a window gesture). The gesture applies both.

#include <ostream>
#include <span>
#include <string>
#include <variant>

#include "desktop/direction.h"
#include "engine/model/action.h"
#include "engine/model/grid_span.h"
#include "engine/model/modifier.h"
#include "engine/model/origin.h"
#include "engine/model/phase.h"
#include "engine/resolution/resolution_query.h"

namespace zoral::engine {

// The spans of the three snapping grids that the modifier gestures step through.
struct GridStates {
    GridSpan grid2x3;
    GridSpan grid3x2;
    GridSpan grid3x3;

    // Where a gesture starts: both columns of the middle row, the middle column of both rows, the
    // centre cell.
    static constexpr GridStates initial() {
        return {
            .grid2x3 = {.start = {0, 1}, .end = {2, 2}, .matrix = {2, 3}},
            .grid3x2 = {.start = {1, 0}, .end = {2, 2}, .matrix = {3, 2}},
            .grid3x3 = {.start = {1, 1}, .end = {2, 2}, .matrix = {3, 3}},
        };
    }

    friend constexpr bool operator==(const GridStates&, const GridStates&) = default;
};

// The gesture as the resolution reads it.
struct GestureState {
    OriginType originType = OriginType::window;
    std::span<const desktop::Direction> directions;
    std::span<const Phase> phases;
    std::span<const Modifier> modifiers;
    bool isCmdTabbing = false;
    bool isChaining = false;
    GridStates grids = GridStates::initial();
    // Whether a phase was appended since the last resolution. A resolution that follows only a
    // change of the modifier keys must not step the grids again for the scroll it already saw.
    bool phaseAppended = true;
};

// The action to propose. `display` false draws it as unavailable without stopping it; `chain`
// executes it at once and keeps the gesture running; `executeNow` executes it at once.
struct Proposal {
    Action action;
    bool display = true;
    bool chain = false;
    bool executeNow = false;

    friend bool operator==(const Proposal&, const Proposal&) = default;
};

// Drop the action proposed so far.
struct Clear {
    friend constexpr bool operator==(const Clear&, const Clear&) = default;
};

// Leave the action proposed so far as it is.
struct Nothing {
    friend constexpr bool operator==(const Nothing&, const Nothing&) = default;
};

// Propose the action, then cancel the gesture.
struct ProposeThenCancel {
    Proposal proposal;

    friend bool operator==(const ProposeThenCancel&, const ProposeThenCancel&) = default;
};

using Outcome = std::variant<Nothing, Clear, Proposal, ProposeThenCancel>;

struct Resolution {
    Outcome outcome;
    // The grid spans as they are after this resolution.
    GridStates grids;
    // The application switcher was invoked: the gesture drives it from now on.
    bool startsCmdTabbing = false;
    // A tab gesture is a window gesture from now on: the origin's type becomes window.
    bool reroutesToWindow = false;
};

// The one decision: dispatch by the origin's type, then the handler's table.
Resolution resolveAction(const GestureState& gesture, ResolutionQuery& query);

// "nothing", "clear", or the action's description followed by what differs from a plain
// proposal: " inactive", " chain", " now", and ", then cancel".
std::string describe(const Outcome& outcome);
std::ostream& operator<<(std::ostream& stream, const Outcome& outcome);

}  // namespace zoral::engine
