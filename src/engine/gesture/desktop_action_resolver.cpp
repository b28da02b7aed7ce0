#include "engine/gesture/desktop_action_resolver.h"

#include <iterator>
#include <type_traits>
#include <utility>
#include <variant>

#include "engine/resolution/desktop_resolution_query.h"
#include "engine/resolution/resolution.h"

namespace zoral::engine {

DesktopActionResolver::DesktopActionResolver()
    : DesktopActionResolver(
          [](const Origin& origin) { return std::make_unique<DesktopResolutionQuery>(origin); }) {}

DesktopActionResolver::DesktopActionResolver(QueryFactory makeQuery)
    : makeQuery_(std::move(makeQuery)) {}

promises::Guarantee<promises::Unit> DesktopActionResolver::resolveAction(Gesture& gesture) {
    std::erase_if(seen_, [](const auto& entry) { return entry.first.expired(); });
    // A gesture not held by a shared_ptr has no memory: each resolution counts as a new phase.
    const std::weak_ptr<Gesture> key = gesture.weak_from_this();
    Seen* seen = key.expired() ? nullptr : &seen_[key];
    const bool sameAsBefore =
        seen && seen->phases == gesture.phases && seen->directions == gesture.directions;

    const GestureState state{
        .originType = gesture.origin().type,
        .directions = gesture.directions,
        .phases = gesture.phases,
        .modifiers = gesture.modifiers,
        .isCmdTabbing = gesture.isCmdTabbing,
        .isChaining = gesture.isChaining(),
        .grids = {.grid2x3 = gesture.snappingState2x3,
                  .grid3x2 = gesture.snappingState3x2,
                  .grid3x3 = gesture.snappingState3x3},
        .phaseAppended = !sameAsBefore,
    };
    const std::unique_ptr<ResolutionQuery> query = makeQuery_(gesture.origin());
    const Resolution resolution = engine::resolveAction(state, *query);

    // The gesture's state moves on before it is asked to act: proposing may execute at once, and
    // the execution may resolve again.
    gesture.snappingState2x3 = resolution.grids.grid2x3;
    gesture.snappingState3x2 = resolution.grids.grid3x2;
    gesture.snappingState3x3 = resolution.grids.grid3x3;
    if (resolution.startsCmdTabbing)
        gesture.isCmdTabbing = true;
    if (resolution.reroutesToWindow)
        gesture.rerouteToWindow();
    if (seen) {
        seen->directions = gesture.directions;
        seen->phases = gesture.phases;
    }

    return std::visit(
        [&gesture](const auto& outcome) -> promises::Guarantee<promises::Unit> {
            using Value = std::decay_t<decltype(outcome)>;
            if constexpr (std::is_same_v<Value, Nothing>) {
                return promises::Guarantee<promises::Unit>::initVoid();
            } else if constexpr (std::is_same_v<Value, Clear>) {
                return gesture.clearAction();
            } else if constexpr (std::is_same_v<Value, Proposal>) {
                return gesture.setAction(outcome.action, outcome.display, outcome.chain,
                                         outcome.executeNow);
            } else {
                const Proposal& proposal = outcome.proposal;
                auto done = gesture.setAction(proposal.action, proposal.display, proposal.chain,
                                              proposal.executeNow);
                gesture.cancel();
                return done;
            }
        },
        resolution.outcome);
}

}  // namespace zoral::engine
