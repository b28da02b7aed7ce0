#include "engine/resolution/dock_and_menubar_resolution.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "engine/resolution/window_resolution.h"

namespace zoral::engine::resolution {

namespace {

using desktop::Direction;
using Kind = Action::Kind;

// Which row of a direction applies; rows are tried in order.
enum class Condition : std::uint8_t {
    secondary,     // the secondary role is held (tested before general)
    general,       // the general role is held
    sameAsBefore,  // the previous direction is the same as the last
    otherwise,
};

// When the action is drawn as available.
enum class Availability : std::uint8_t {
    always,
    minimizedWindows,  // the application has a minimised window
    openWindows,       // the application has a window that is not minimised
    twoOpenWindows,    // the application has at least two windows that are not minimised
};

struct DockRow {
    Direction last;
    Condition condition;
    Kind action;
    Availability availability;
    bool chainsOnPause;  // a pause executes it at once and keeps the gesture running
    bool carriesDirection = false;
};

constexpr std::array<DockRow, 12> dockRows{{
    {Direction::up, Condition::secondary, Kind::unminimizeAll, Availability::minimizedWindows,
     false},
    {Direction::up, Condition::general, Kind::cmdNew, Availability::always, false},
    {Direction::up, Condition::otherwise, Kind::unminimizeLast, Availability::minimizedWindows,
     true},
    {Direction::down, Condition::secondary, Kind::minimizeAll, Availability::openWindows, false},
    {Direction::down, Condition::general, Kind::terminateApp, Availability::always, false},
    {Direction::down, Condition::otherwise, Kind::minimizeNext, Availability::openWindows, false},
    {Direction::left, Condition::otherwise, Kind::cycle, Availability::twoOpenWindows, true, true},
    {Direction::right, Condition::otherwise, Kind::cycle, Availability::twoOpenWindows, true, true},
    {Direction::inwards, Condition::sameAsBefore, Kind::minimizeAll, Availability::openWindows,
     false},
    {Direction::inwards, Condition::otherwise, Kind::terminateApp, Availability::always, false},
    {Direction::outwards, Condition::sameAsBefore, Kind::unminimizeAll,
     Availability::minimizedWindows, false},
    {Direction::outwards, Condition::otherwise, Kind::cmdNew, Availability::always, false},
}};

bool applies(const Context& context, Condition condition) {
    switch (condition) {
        case Condition::secondary:
            return context.held(Modifier::secondary);
        case Condition::general:
            return context.held(Modifier::general);
        case Condition::sameAsBefore:
            return context.previousDirection() == context.lastDirection();
        case Condition::otherwise:
            return true;
    }
    return false;
}

bool isAvailable(Context& context, Availability availability) {
    switch (availability) {
        case Availability::always:
            return true;
        case Availability::minimizedWindows:
            return context.query.minimizedWindowCount() > 0;
        case Availability::openWindows:
            return context.query.openWindowCount() > 0;
        case Availability::twoOpenWindows:
            return context.query.openWindowCount() >= 2;
    }
    return false;
}

}  // namespace

Outcome resolveForDockItem(Context& context) {
    if (context.lastPhaseIs(Phase::rested) && context.query.isEnabled(Action::UserType::appChain))
        return Proposal{.action = Action(Kind::activate), .chain = true};
    if (context.lastPhaseIs(Phase::tapped))
        return propose(Action(context.held(Modifier::secondary) ? Kind::hideExcept : Kind::hide));
    const std::optional<Direction> last = context.lastDirection();
    if (!last)
        return Nothing{};
    const auto row = std::ranges::find_if(dockRows, [&](const DockRow& candidate) {
        return candidate.last == *last && applies(context, candidate.condition);
    });
    if (row == dockRows.end())
        return Nothing{};
    return Proposal{
        .action = row->carriesDirection ? Action(row->action, *last) : Action(row->action),
        .display = isAvailable(context, row->availability),
        .chain = row->chainsOnPause && context.lastPhaseIs(Phase::paused),
    };
}

Outcome resolveForMenubar(Context& context) {
    if (context.gesture.isCmdTabbing)
        return resolveAppSwitcher(context);
    ResolutionQuery& query = context.query;
    const bool secondary = context.held(Modifier::secondary);
    if (context.lastPhaseIs(Phase::tapped)) {
        const Kind unsnap =
            secondary || query.displayCount() == 1 ? Kind::unsnapGlobal : Kind::unsnapScreen;
        return propose(Action(unsnap), query.hasSnappedWindows());
    }
    const std::optional<Direction> last = context.lastDirection();
    if (context.held(Modifier::screen)) {
        if (last && contains(query.neighbourDirections(), *last))
            return propose(Action(Kind::sendAllToScreen, *last), query.hasSnappedWindowsOnScreen());
        return Clear{};
    }
    // Everything at once with one display, on a repeat or with the secondary role; the screen's
    // windows otherwise.
    const auto global = [&] {
        return context.previousDirection() == last || secondary || query.displayCount() < 2;
    };
    if (last == Direction::up)
        return propose(Action(global() ? Kind::unminimizeGlobal : Kind::unminimizeScreen));
    if (last == Direction::down)
        return propose(Action(global() ? Kind::minimizeGlobal : Kind::minimizeScreen));
    return resolveAppSwitcher(context);
}

}  // namespace zoral::engine::resolution
