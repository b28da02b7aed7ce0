#include "engine/model/action.h"

#include <sstream>
#include <stdexcept>

namespace zoral::engine {

namespace {

using Kind = Action::Kind;
using UserType = Action::UserType;
using enum TooltipShape;
using enum TooltipImage;
using enum TooltipColorKind;

struct Row {
    Kind kind;
    UserType userType;
    TooltipStyle style;
};

// Every case with the kind it counts as and its tooltip. Two rows are refined by the payload:
// snap's kind follows its matrix (snapUserType below), and cycle and cmdTab point left only for
// the left direction.
constexpr std::array<Row, 39> rows{{
    {Kind::snap, UserType::snapMax, {window, snapping, accent, 2}},
    {Kind::sendToFullscreen, UserType::screensFullscreen, {circle, zoomInv, fullscreen, 1}},
    {Kind::sendToScreen, UserType::screensMove, {screens, filled, accent, 2}},
    {Kind::sendToSpace, UserType::spacesMove, {spaces, filled, accent, 2}},
    {Kind::cycle, UserType::appCycle, {circle, arrowRight, accent, 2}},
    {Kind::sendAllToScreen, UserType::menubarScreens, {screens, filled, accent, 2}},
    {Kind::sendSpaceToScreen, UserType::missionControlSpace, {screens, filled, accent, 2}},
    {Kind::cmdTab, UserType::menubarAppSwitcher, {circle, arrowRight, accent, 2}},
    {Kind::close, UserType::windowClose, {circle, x, close, 2}},
    {Kind::terminateWin, UserType::windowQuit, {circle, xInv, close, 2}},
    {Kind::minimize, UserType::windowMinimize, {circle, minus, minimize, 2}},
    {Kind::minimizeFS, UserType::windowMinimize, {circle, minus, minimize, 1}},
    {Kind::fullscreen, UserType::windowFullscreen, {circle, zoom, fullscreen, 1}},
    {Kind::unfullscreen, UserType::windowFullscreen, {circle, zoom, fullscreen, 1}},
    {Kind::hideWin, UserType::windowHide, {circle, minus, accent, 2}},
    {Kind::hideWinExcept, UserType::windowHide, {circle, minusInv, accent, 2}},
    {Kind::closeTab, UserType::tabClose, {circle, x, accent, 2}},
    {Kind::detachTab, UserType::tabDetach, {circle, empty, accent, 2}},
    {Kind::cancelDetachTab, UserType::tabDetach, {circle, empty, accent, 2}},
    {Kind::center, UserType::snapCenter, {circle, point, accent, 2}},
    {Kind::activate, UserType::appChain, {circle, empty, accent, 2}},
    {Kind::terminateApp, UserType::appQuit, {circle, xInv, close, 2}},
    {Kind::minimizeNext, UserType::appMinimize, {circle, minus, minimize, 2}},
    {Kind::minimizeAll, UserType::appMinimize, {circle, minusInv, minimize, 2}},
    {Kind::unminimizeLast, UserType::appUnminimize, {circle, plus, minimize, 2}},
    {Kind::unminimizeAll, UserType::appUnminimize, {circle, plusInv, minimize, 2}},
    {Kind::unminimizeFromPreview, UserType::appUnminimize, {circle, plus, minimize, 2}},
    {Kind::hide, UserType::appHide, {circle, minus, accent, 2}},
    {Kind::hideExcept, UserType::appHide, {circle, minusInv, accent, 2}},
    {Kind::cmdNew, UserType::appNewTab, {circle, plus, accent, 2}},
    {Kind::scrollToTop, UserType::menubarScrollToTop, {circle, arrowUp, accent, 2}},
    {Kind::unsnapScreen, UserType::menubarUnsnap, {circle, point, accent, 2}},
    {Kind::unsnapGlobal, UserType::menubarUnsnap, {circle, pointInv, accent, 2}},
    {Kind::minimizeScreen, UserType::menubarMinimize, {circle, minusInv, minimize, 2}},
    {Kind::minimizeGlobal, UserType::menubarMinimize, {circle, minusInv, accent, 2}},
    {Kind::unminimizeScreen, UserType::menubarUnminimize, {circle, plusInv, minimize, 2}},
    {Kind::unminimizeGlobal, UserType::menubarUnminimize, {circle, plusInv, accent, 2}},
    {Kind::invokeAppSwitcher, UserType::menubarAppSwitcher, {circle, filled, accent, 2}},
    {Kind::exitAppSwitcher, UserType::menubarAppSwitcher, {circle, empty, accent, 2}},
}};

constexpr bool rowsFollowDeclarationOrder() {
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (static_cast<std::size_t>(rows[index].kind) != index)
            return false;
    }
    return true;
}
static_assert(rowsFollowDeclarationOrder());

const Row& rowOf(Kind kind) {
    return rows[static_cast<std::size_t>(kind)];
}

struct MatrixKind {
    GridPair matrix;
    UserType userType;
};

// The grids with a kind of their own; the thirds grids (3 x 2 and 2 x 3) are told apart below.
constexpr std::array<MatrixKind, 6> matrixKinds{{
    {{1, 1}, UserType::snapMax},
    {{2, 1}, UserType::snapHalves},
    {{1, 2}, UserType::snapVertical},
    {{2, 2}, UserType::snapQuarters},
    {{20, 20}, UserType::snapAlmost},
    {{3, 3}, UserType::snapNinths},
}};

UserType snapUserType(const GridSpan& span) {
    for (const MatrixKind& entry : matrixKinds) {
        if (entry.matrix == span.matrix)
            return entry.userType;
    }
    if (span.matrix == GridPair{3, 2} || span.matrix == GridPair{2, 3}) {
        // A span over both rows is a third; anything smaller a sixth.
        return span.start.y == 0 && span.end.y == 2 ? UserType::snapThirds : UserType::snapSixths;
    }
    return UserType::snapMax;
}

}  // namespace

Action::Action(Kind kind) : kind_(kind) {
    if (payloadKind(kind) != PayloadKind::none) {
        throw std::invalid_argument("Action: " + std::string(platform::caseName(kind)) +
                                    " carries a payload");
    }
}

Action::Action(Kind kind, desktop::Direction direction) : kind_(kind), payload_(direction) {
    if (payloadKind(kind) != PayloadKind::direction) {
        throw std::invalid_argument("Action: " + std::string(platform::caseName(kind)) +
                                    " carries no direction");
    }
}

std::optional<GridSpan> Action::span() const {
    const auto* span = std::get_if<GridSpan>(&payload_);
    return span != nullptr ? std::optional(*span) : std::nullopt;
}

std::optional<desktop::Direction> Action::direction() const {
    const auto* direction = std::get_if<desktop::Direction>(&payload_);
    return direction != nullptr ? std::optional(*direction) : std::nullopt;
}

std::string Action::description() const {
    std::ostringstream text;
    text << platform::caseName(kind_);
    if (const auto* span = std::get_if<GridSpan>(&payload_)) {
        text << "(start: " << span->start << ", end: " << span->end << ", matrix: " << span->matrix
             << ')';
    } else if (const auto* direction = std::get_if<desktop::Direction>(&payload_)) {
        text << '(' << *direction << ')';
    }
    return text.str();
}

Action::UserType Action::userType() const {
    if (const auto* span = std::get_if<GridSpan>(&payload_))
        return snapUserType(*span);
    return rowOf(kind_).userType;
}

TooltipStyle Action::tooltipStyle() const {
    TooltipStyle style = rowOf(kind_).style;
    if ((kind_ == Kind::cycle || kind_ == Kind::cmdTab) && direction() == desktop::Direction::left)
        style.image = arrowLeft;
    return style;
}

std::ostream& operator<<(std::ostream& stream, const Action& action) {
    return stream << action.description();
}

}  // namespace zoral::engine
