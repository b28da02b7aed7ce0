#include "engine/resolution/window_resolution.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/windows/snapping_geometry.h"

namespace zoral::engine::resolution {

namespace {

using desktop::Direction;
using Kind = Action::Kind;
using UserType = Action::UserType;

constexpr GridSpan span(std::int64_t startX, std::int64_t startY, std::int64_t endX,
                        std::int64_t endY, std::int64_t columns, std::int64_t rows) {
    return {.start = {startX, startY}, .end = {endX, endY}, .matrix = {columns, rows}};
}

// The almost maximised frame: one cell short of every edge of a 20 x 20 grid.
constexpr GridSpan almostMaximised = span(1, 1, 19, 19, 20, 20);

// --- The window's tables

enum class WindowChoice : std::uint8_t {
    snap,
    minimize,        // drawn as available only when the window can be minimised
    minimizeAnyway,  // drawn as available in any case
    terminateWin,
    windowClose,          // close, or quit where closing is not enabled
    sendToSpace,          // towards the last direction
    fullscreen,           // drawn as available only when the window can enter full screen
    fullscreenElsewhere,  // full screen on the other display, where there is one
};

struct WindowRow {
    Direction last;
    std::optional<Direction> previous;  // none: any previous direction, or none
    WindowChoice choice;
    GridSpan span{};
};

using enum WindowChoice;
constexpr auto up = Direction::up;
constexpr auto down = Direction::down;
constexpr auto left = Direction::left;
constexpr auto right = Direction::right;
constexpr auto inwards = Direction::inwards;
constexpr auto outwards = Direction::outwards;
constexpr std::nullopt_t any = std::nullopt;

// Scrolls and pinches without a modifier role: the first matching row.
constexpr std::array<WindowRow, 18> scrollRows{{
    {up, up, snap, span(0, 0, 1, 1, 1, 2)},       // top half
    {up, left, snap, span(0, 0, 1, 1, 2, 2)},     // top-left quarter
    {up, right, snap, span(1, 0, 2, 1, 2, 2)},    // top-right quarter
    {up, any, snap, span(0, 0, 1, 1, 1, 1)},      // maximise
    {down, down, snap, span(0, 1, 1, 2, 1, 2)},   // bottom half
    {down, left, snap, span(0, 1, 1, 2, 2, 2)},   // bottom-left quarter
    {down, right, snap, span(1, 1, 2, 2, 2, 2)},  // bottom-right quarter
    {down, any, minimize},
    {left, up, snap, span(0, 0, 1, 1, 2, 2)},     // top-left quarter
    {left, down, snap, span(0, 1, 1, 2, 2, 2)},   // bottom-left quarter
    {left, any, snap, span(0, 0, 1, 1, 2, 1)},    // left half
    {right, up, snap, span(1, 0, 2, 1, 2, 2)},    // top-right quarter
    {right, down, snap, span(1, 1, 2, 2, 2, 2)},  // bottom-right quarter
    {right, any, snap, span(1, 0, 2, 1, 2, 1)},   // right half
    {inwards, inwards, terminateWin},
    {inwards, any, windowClose},
    {outwards, outwards, fullscreenElsewhere},
    {outwards, any, fullscreen},
}};

// The same with the general role held.
constexpr std::array<WindowRow, 9> generalScrollRows{{
    {up, any, fullscreen},
    {down, down, terminateWin},
    {down, any, windowClose},
    {left, any, sendToSpace},
    {right, any, sendToSpace},
    {inwards, inwards, terminateWin},
    {inwards, any, windowClose},
    {outwards, outwards, fullscreenElsewhere},
    {outwards, any, fullscreen},
}};

// After a rest (the general role's one row stands in the handler).
constexpr std::array<WindowRow, 7> restedRows{{
    {up, up, fullscreenElsewhere},
    {up, any, fullscreen},
    {down, any, minimizeAnyway},
    {left, any, sendToSpace},
    {right, any, sendToSpace},
    {inwards, any, terminateWin},
    {outwards, any, fullscreenElsewhere},
}};

Proposal proposeFullscreen(Context& context) {
    return propose(Action(Kind::fullscreen), context.query.canSetFullscreen());
}

// Full screen on the other display when exactly two are attached and the origin's screen has a
// neighbour; otherwise the fallback (fullscreen or unfullscreen) in place.
Outcome fullscreenElsewhereOr(Context& context, Kind fallback) {
    if (context.query.displayCount() == 2) {
        const std::vector<Direction> directions = context.query.neighbourDirections();
        if (!directions.empty())
            return propose(Action(Kind::sendToFullscreen, directions.front()));
    }
    return fallback == Kind::fullscreen ? proposeFullscreen(context) : propose(Action(fallback));
}

Proposal proposeWindowClose(Context& context) {
    return propose(
        Action(context.query.isEnabled(UserType::windowClose) ? Kind::close : Kind::terminateWin));
}

Outcome choose(Context& context, std::span<const WindowRow> rows) {
    const Direction last = *context.lastDirection();
    const std::optional<Direction> previous = context.previousDirection();
    const auto row = std::ranges::find_if(rows, [&](const WindowRow& candidate) {
        return candidate.last == last && (!candidate.previous || candidate.previous == previous);
    });
    if (row == rows.end())
        return Nothing{};
    switch (row->choice) {
        case snap:
            return propose(Action::snap(row->span));
        case minimize:
            return propose(Action(Kind::minimize), context.query.canSetMinimized());
        case minimizeAnyway:
            return propose(Action(Kind::minimize));
        case terminateWin:
            return propose(Action(Kind::terminateWin));
        case windowClose:
            return proposeWindowClose(context);
        case sendToSpace:
            return propose(Action(Kind::sendToSpace, last));
        case fullscreen:
            return proposeFullscreen(context);
        case fullscreenElsewhere:
            return fullscreenElsewhereOr(context, Kind::fullscreen);
    }
    return Nothing{};
}

// One swipe step of a grid for each scroll: two for the gesture's first, so that it leaves the
// initial span at once. A resolution after a modifier change steps nothing.
void stepForScroll(Context& context, GridSpan& grid) {
    const std::optional<Direction> last = context.lastDirection();
    if (!context.gesture.phaseAppended || !last)
        return;
    const int steps = context.isFirstPhase() ? 2 : 1;
    for (int step = 0; step < steps; ++step)
        grid = stepSpan(grid, *last);
}

bool isFullscreenMenu(OriginType type) {
    return type == OriginType::menuFS || type == OriginType::menubarFS;
}

}  // namespace

Outcome resolveWindowLike(Context& context) {
    if (context.query.isFullscreen())
        return resolveForFullscreenWindow(context);
    if (context.held(Modifier::screen))
        return resolveForScreenModifier(context);
    if (context.held(Modifier::secondary))
        return resolveForSecondaryModifier(context);
    if (context.held(Modifier::tertiary))
        return resolveForTertiaryModifier(context);
    return resolveForWindow(context);
}

Outcome resolveForWindow(Context& context) {
    if (context.holds(Phase::tapped))
        return propose(Action(context.held(Modifier::general) ? Kind::hideWin : Kind::center));
    const std::optional<Direction> last = context.lastDirection();
    if (context.holds(Phase::rested)) {
        if (!last)
            return Clear{};
        if (last == down && context.held(Modifier::general))
            return propose(Action(Kind::terminateWin));
        return choose(context, restedRows);
    }
    if (!last)
        return Nothing{};
    return choose(context, context.held(Modifier::general)
                               ? std::span<const WindowRow>(generalScrollRows)
                               : std::span<const WindowRow>(scrollRows));
}

Outcome resolveForScreenModifier(Context& context) {
    const std::optional<Direction> last = context.lastDirection();
    if (!last)
        return Clear{};
    ResolutionQuery& query = context.query;
    // Full screen on the other display: only with two displays and a window that can go there.
    const bool asksFullscreen = last == outwards || (last == up && context.holds(Phase::rested));
    if (asksFullscreen && query.displayCount() == 2) {
        const std::vector<Direction> directions = query.neighbourDirections();
        if (!directions.empty() && query.canSetFullscreen())
            return propose(Action(Kind::sendToFullscreen, directions.front()));
    }
    if (contains(query.neighbourDirections(), *last)) {
        return Proposal{
            .action = Action(Kind::sendToScreen, *last),
            .chain = context.lastPhaseIs(Phase::paused) && query.chainsScreenMoves(),
        };
    }
    return Clear{};
}

Outcome resolveForSecondaryModifier(Context& context) {
    if (context.lastPhaseIs(Phase::tapped))
        return propose(Action(Kind::hideWinExcept));
    if (context.lastPhaseIs(Phase::scrolled)) {
        stepForScroll(context, context.grids.grid2x3);
        stepForScroll(context, context.grids.grid3x2);
        if (context.isFirstPhase() && context.lastDirectionIs(up) &&
            context.query.isEnabled(UserType::snapAlmost))
            return propose(Action::snap(almostMaximised));
    }
    if (context.lastPhaseIs(Phase::rested) || context.lastPhaseIs(Phase::scrolled)) {
        return propose(Action::snap(context.query.isScreenLandscape() ? context.grids.grid3x2
                                                                      : context.grids.grid2x3));
    }
    return Nothing{};
}

Outcome resolveForTertiaryModifier(Context& context) {
    if (context.lastPhaseIs(Phase::scrolled))
        stepForScroll(context, context.grids.grid3x3);
    if (context.lastPhaseIs(Phase::rested) || context.lastPhaseIs(Phase::paused) ||
        context.lastPhaseIs(Phase::scrolled))
        return propose(Action::snap(context.grids.grid3x3));
    return Nothing{};
}

Outcome resolveForFullscreenWindow(Context& context) {
    if (context.gesture.isCmdTabbing)
        return resolveAppSwitcher(context);
    const std::optional<Direction> last = context.lastDirection();
    const std::optional<Direction> previous = context.previousDirection();
    const bool fullscreenMenu = isFullscreenMenu(context.gesture.originType);
    const bool rested = context.holds(Phase::rested);
    const bool chained = context.holds(Phase::chained);
    const bool general = context.held(Modifier::general);
    const Proposal unfullscreen = propose(Action(Kind::unfullscreen));
    if (last) {
        switch (*last) {
            case Direction::up:
                if (fullscreenMenu || general || rested || chained)
                    return previous == up ? fullscreenElsewhereOr(context, Kind::unfullscreen)
                                          : unfullscreen;
                break;
            case Direction::down:
                if (general) {
                    if (previous == down)
                        return propose(Action(Kind::terminateWin));
                    return propose(Action(context.query.isEnabled(UserType::windowClose) && !rested
                                              ? Kind::close
                                              : Kind::terminateWin));
                }
                if (fullscreenMenu || context.held(Modifier::secondary) || rested || chained)
                    return propose(Action(Kind::minimizeFS), context.query.canSetMinimized());
                break;
            case Direction::left:
            case Direction::right:
                break;
            case Direction::inwards:
                if (previous == inwards || rested)
                    return propose(Action(Kind::terminateWin));
                return proposeWindowClose(context);
            case Direction::outwards:
                return previous == outwards ? fullscreenElsewhereOr(context, Kind::unfullscreen)
                                            : unfullscreen;
        }
    }
    if (context.gesture.originType == OriginType::menubarFS)
        return resolveAppSwitcher(context);
    return Clear{};
}

Outcome resolveAppSwitcher(Context& context) {
    if (context.gesture.isCmdTabbing) {
        if (context.lastPhaseIs(Phase::released))
            return propose(Action(Kind::exitAppSwitcher));
        return Nothing{};
    }
    if (context.lastPhaseIs(Phase::rested)) {
        context.startsCmdTabbing = true;
        return Proposal{.action = Action(Kind::invokeAppSwitcher), .executeNow = true};
    }
    const std::optional<Direction> last = context.lastDirection();
    if (last == left || last == right)
        return propose(Action(Kind::cmdTab, *last));
    return Nothing{};
}

Outcome resolveForTab(Context& context) {
    ResolutionQuery& query = context.query;
    if (context.lastPhaseIs(Phase::rested)) {
        // Only the tabs that detach by a drag, and never out of a full-screen window: there the
        // drag would take the whole space along.
        const std::optional<desktop::TabAppType> kind = query.tabAppType();
        if ((kind == desktop::TabAppType::native || kind == desktop::TabAppType::safari) &&
            query.tabWindowFullscreen() == false)
            return Proposal{.action = Action(Kind::detachTab), .chain = true};
    }
    if (context.gesture.isChaining && context.lastPhaseIs(Phase::released)) {
        return ProposeThenCancel{
            .proposal = {.action = Action(Kind::cancelDetachTab), .executeNow = true}};
    }
    if (context.lastDirectionIs(inwards) ||
        (context.lastDirectionIs(down) && context.held(Modifier::general)))
        return propose(Action(Kind::closeTab));
    if (!context.gesture.phases.empty() && query.tabCanReroute()) {
        context.reroutesToWindow = true;
        return resolveWindowLike(context);
    }
    return Clear{};
}

Outcome resolveForMinDockItem(Context& context) {
    if (context.lastDirectionIs(up) || context.lastPhaseIs(Phase::rested)) {
        return Proposal{
            .action = Action(Kind::unminimizeFromPreview),
            .chain = context.lastPhaseIs(Phase::rested) || context.lastPhaseIs(Phase::paused),
        };
    }
    return Clear{};
}

Outcome resolveForSpace(Context& context) {
    const std::optional<Direction> last = context.lastDirection();
    if (last && contains(context.query.neighbourDirections(), *last)) {
        if (const std::optional<bool> movable = context.query.spaceIsMovable())
            return propose(Action(Kind::sendSpaceToScreen, *last), *movable);
    }
    return Clear{};
}

}  // namespace zoral::engine::resolution
