#include "engine/resolution/resolution.h"

#include <sstream>
#include <type_traits>

#include "engine/resolution/dock_and_menubar_resolution.h"
#include "engine/resolution/resolution_context.h"
#include "engine/resolution/window_resolution.h"

namespace zoral::engine {

namespace {

Outcome dispatch(resolution::Context& context) {
    using namespace resolution;
    switch (context.gesture.originType) {
        case OriginType::window:
        case OriginType::hotkey:
        case OriginType::mcWindow:
        case OriginType::toolbar:
        case OriginType::titlebar:
        case OriginType::trafficLights:
        case OriginType::menuFS:
        case OriginType::menubarFS:
            return resolveWindowLike(context);
        case OriginType::tab:
            return resolveForTab(context);
        case OriginType::dockItem:
        case OriginType::menu:
            return resolveForDockItem(context);
        case OriginType::minDockItem:
            return resolveForMinDockItem(context);
        case OriginType::menubar:
            return resolveForMenubar(context);
        case OriginType::mcSpace:
            return resolveForSpace(context);
    }
    return Nothing{};
}

void describeProposal(std::ostream& stream, const Proposal& proposal) {
    stream << proposal.action;
    if (!proposal.display)
        stream << " inactive";
    if (proposal.chain)
        stream << " chain";
    if (proposal.executeNow)
        stream << " now";
}

}  // namespace

Resolution resolveAction(const GestureState& gesture, ResolutionQuery& query) {
    resolution::Context context(gesture, query);
    Outcome outcome = dispatch(context);
    return {
        .outcome = std::move(outcome),
        .grids = context.grids,
        .startsCmdTabbing = context.startsCmdTabbing,
        .reroutesToWindow = context.reroutesToWindow,
    };
}

std::ostream& operator<<(std::ostream& stream, const Outcome& outcome) {
    std::visit(
        [&stream](const auto& value) {
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, Nothing>) {
                stream << "nothing";
            } else if constexpr (std::is_same_v<Value, Clear>) {
                stream << "clear";
            } else if constexpr (std::is_same_v<Value, Proposal>) {
                describeProposal(stream, value);
            } else {
                describeProposal(stream, value.proposal);
                stream << ", then cancel";
            }
        },
        outcome);
    return stream;
}

std::string describe(const Outcome& outcome) {
    std::ostringstream stream;
    stream << outcome;
    return stream.str();
}

}  // namespace zoral::engine
