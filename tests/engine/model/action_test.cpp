#include "engine/model/action.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/enum_table.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using Kind = Action::Kind;
using UserType = Action::UserType;
using enum TooltipShape;
using enum TooltipImage;
using enum TooltipColorKind;

Action snapOn(GridPair start, GridPair end, GridPair matrix) {
    return Action::snap({start, end, matrix});
}

// One action of every case, payload-carrying cases with a typical payload.
std::vector<Action> oneOfEachCase() {
    std::vector<Action> actions;
    for (const Kind kind : platform::allCases<Kind>()) {
        switch (Action::payloadKind(kind)) {
            case Action::PayloadKind::span:
                actions.push_back(snapOn({0, 0}, {1, 1}, {2, 1}));
                break;
            case Action::PayloadKind::direction:
                actions.emplace_back(kind, Direction::right);
                break;
            case Action::PayloadKind::none:
                actions.emplace_back(kind);
                break;
        }
    }
    return actions;
}

struct UserTypeCase {
    Action action;
    UserType expected;
};

TEST(Action, EachActionCountsAsItsUserType) {
    const UserTypeCase cases[] = {
        // The snap grids: both numbers of the matrix decide, and the thirds grids by their rows.
        {snapOn({0, 0}, {1, 1}, {1, 1}), UserType::snapMax},
        {snapOn({0, 0}, {1, 1}, {2, 1}), UserType::snapHalves},
        {snapOn({0, 0}, {1, 1}, {1, 2}), UserType::snapVertical},
        {snapOn({1, 1}, {2, 2}, {2, 2}), UserType::snapQuarters},
        {snapOn({1, 1}, {19, 19}, {20, 20}), UserType::snapAlmost},
        {snapOn({1, 1}, {19, 7}, {20, 7}), UserType::snapMax},
        {snapOn({0, 0}, {1, 1}, {3, 3}), UserType::snapNinths},
        {snapOn({1, 0}, {2, 2}, {3, 2}), UserType::snapThirds},
        {snapOn({1, 0}, {2, 1}, {3, 2}), UserType::snapSixths},
        {snapOn({1, 1}, {2, 2}, {3, 2}), UserType::snapSixths},
        {snapOn({0, 0}, {1, 2}, {2, 3}), UserType::snapThirds},
        {snapOn({0, 1}, {1, 3}, {2, 3}), UserType::snapSixths},
        {snapOn({0, 0}, {4, 1}, {4, 1}), UserType::snapMax},
        // The cases with a direction, whatever it is.
        {Action(Kind::sendToFullscreen, Direction::left), UserType::screensFullscreen},
        {Action(Kind::sendToScreen, Direction::up), UserType::screensMove},
        {Action(Kind::sendToSpace, Direction::right), UserType::spacesMove},
        {Action(Kind::cycle, Direction::left), UserType::appCycle},
        {Action(Kind::cycle, Direction::right), UserType::appCycle},
        {Action(Kind::sendAllToScreen, Direction::down), UserType::menubarScreens},
        {Action(Kind::sendSpaceToScreen, Direction::left), UserType::missionControlSpace},
        {Action(Kind::cmdTab, Direction::right), UserType::menubarAppSwitcher},
        // The cases without payload.
        {Action(Kind::close), UserType::windowClose},
        {Action(Kind::terminateWin), UserType::windowQuit},
        {Action(Kind::minimize), UserType::windowMinimize},
        {Action(Kind::minimizeFS), UserType::windowMinimize},
        {Action(Kind::fullscreen), UserType::windowFullscreen},
        {Action(Kind::unfullscreen), UserType::windowFullscreen},
        {Action(Kind::hideWin), UserType::windowHide},
        {Action(Kind::hideWinExcept), UserType::windowHide},
        {Action(Kind::closeTab), UserType::tabClose},
        {Action(Kind::detachTab), UserType::tabDetach},
        {Action(Kind::cancelDetachTab), UserType::tabDetach},
        {Action(Kind::center), UserType::snapCenter},
        {Action(Kind::activate), UserType::appChain},
        {Action(Kind::terminateApp), UserType::appQuit},
        {Action(Kind::minimizeNext), UserType::appMinimize},
        {Action(Kind::minimizeAll), UserType::appMinimize},
        {Action(Kind::unminimizeLast), UserType::appUnminimize},
        {Action(Kind::unminimizeAll), UserType::appUnminimize},
        {Action(Kind::unminimizeFromPreview), UserType::appUnminimize},
        {Action(Kind::hide), UserType::appHide},
        {Action(Kind::hideExcept), UserType::appHide},
        {Action(Kind::cmdNew), UserType::appNewTab},
        {Action(Kind::scrollToTop), UserType::menubarScrollToTop},
        {Action(Kind::unsnapScreen), UserType::menubarUnsnap},
        {Action(Kind::unsnapGlobal), UserType::menubarUnsnap},
        {Action(Kind::minimizeScreen), UserType::menubarMinimize},
        {Action(Kind::minimizeGlobal), UserType::menubarMinimize},
        {Action(Kind::unminimizeScreen), UserType::menubarUnminimize},
        {Action(Kind::unminimizeGlobal), UserType::menubarUnminimize},
        {Action(Kind::invokeAppSwitcher), UserType::menubarAppSwitcher},
        {Action(Kind::exitAppSwitcher), UserType::menubarAppSwitcher},
    };
    std::vector<Kind> covered;
    for (const UserTypeCase& c : cases) {
        EXPECT_EQ(c.action.userType(), c.expected) << c.action;
        covered.push_back(c.action.kind());
    }
    for (const Kind kind : platform::allCases<Kind>()) {
        EXPECT_NE(std::find(covered.begin(), covered.end(), kind), covered.end())
            << platform::caseName(kind) << " has no case";
    }
}

struct StyleCase {
    Action action;
    TooltipStyle expected;
};

TEST(Action, EachActionHasItsTooltipStyle) {
    const StyleCase cases[] = {
        {snapOn({0, 0}, {1, 1}, {2, 1}), {window, snapping, accent, 2}},
        {snapOn({1, 1}, {19, 19}, {20, 20}), {window, snapping, accent, 2}},
        {Action(Kind::sendToFullscreen, Direction::right), {circle, zoomInv, fullscreen, 1}},
        {Action(Kind::sendToScreen, Direction::left), {screens, filled, accent, 2}},
        {Action(Kind::sendAllToScreen, Direction::up), {screens, filled, accent, 2}},
        {Action(Kind::sendSpaceToScreen, Direction::down), {screens, filled, accent, 2}},
        {Action(Kind::sendToSpace, Direction::left), {spaces, filled, accent, 2}},
        // Only left points left.
        {Action(Kind::cycle, Direction::left), {circle, arrowLeft, accent, 2}},
        {Action(Kind::cycle, Direction::right), {circle, arrowRight, accent, 2}},
        {Action(Kind::cycle, Direction::up), {circle, arrowRight, accent, 2}},
        {Action(Kind::cycle, Direction::down), {circle, arrowRight, accent, 2}},
        {Action(Kind::cycle, Direction::inwards), {circle, arrowRight, accent, 2}},
        {Action(Kind::cycle, Direction::outwards), {circle, arrowRight, accent, 2}},
        {Action(Kind::cmdTab, Direction::left), {circle, arrowLeft, accent, 2}},
        {Action(Kind::cmdTab, Direction::right), {circle, arrowRight, accent, 2}},
        {Action(Kind::close), {circle, x, close, 2}},
        {Action(Kind::terminateWin), {circle, xInv, close, 2}},
        {Action(Kind::terminateApp), {circle, xInv, close, 2}},
        {Action(Kind::minimize), {circle, minus, minimize, 2}},
        {Action(Kind::minimizeNext), {circle, minus, minimize, 2}},
        {Action(Kind::minimizeFS), {circle, minus, minimize, 1}},
        {Action(Kind::fullscreen), {circle, zoom, fullscreen, 1}},
        {Action(Kind::unfullscreen), {circle, zoom, fullscreen, 1}},
        {Action(Kind::hideWin), {circle, minus, accent, 2}},
        {Action(Kind::hide), {circle, minus, accent, 2}},
        {Action(Kind::hideWinExcept), {circle, minusInv, accent, 2}},
        {Action(Kind::hideExcept), {circle, minusInv, accent, 2}},
        {Action(Kind::closeTab), {circle, x, accent, 2}},
        {Action(Kind::detachTab), {circle, empty, accent, 2}},
        {Action(Kind::cancelDetachTab), {circle, empty, accent, 2}},
        {Action(Kind::activate), {circle, empty, accent, 2}},
        {Action(Kind::exitAppSwitcher), {circle, empty, accent, 2}},
        {Action(Kind::center), {circle, point, accent, 2}},
        {Action(Kind::unsnapScreen), {circle, point, accent, 2}},
        {Action(Kind::unsnapGlobal), {circle, pointInv, accent, 2}},
        {Action(Kind::minimizeAll), {circle, minusInv, minimize, 2}},
        // The screen variants are tinted, the global ones are not.
        {Action(Kind::minimizeScreen), {circle, minusInv, minimize, 2}},
        {Action(Kind::minimizeGlobal), {circle, minusInv, accent, 2}},
        {Action(Kind::unminimizeLast), {circle, plus, minimize, 2}},
        {Action(Kind::unminimizeFromPreview), {circle, plus, minimize, 2}},
        {Action(Kind::unminimizeAll), {circle, plusInv, minimize, 2}},
        {Action(Kind::unminimizeScreen), {circle, plusInv, minimize, 2}},
        {Action(Kind::unminimizeGlobal), {circle, plusInv, accent, 2}},
        {Action(Kind::cmdNew), {circle, plus, accent, 2}},
        {Action(Kind::scrollToTop), {circle, arrowUp, accent, 2}},
        {Action(Kind::invokeAppSwitcher), {circle, filled, accent, 2}},
    };
    std::vector<Kind> covered;
    for (const StyleCase& c : cases) {
        EXPECT_EQ(c.action.tooltipStyle(), c.expected) << c.action;
        covered.push_back(c.action.kind());
    }
    for (const Kind kind : platform::allCases<Kind>()) {
        EXPECT_NE(std::find(covered.begin(), covered.end(), kind), covered.end())
            << platform::caseName(kind) << " has no case";
    }
}

TEST(Action, TheImagesAreNamedAsTheirAssets) {
    EXPECT_EQ(platform::rawValue(TooltipImage::minusInv), "TooltipMinusInv");
    EXPECT_EQ(platform::rawValue(TooltipImage::arrowDown), "TooltipArrowDown");
    EXPECT_EQ(platform::rawValue(TooltipImage::snapping), "snapping");
}

TEST(Action, TheDescriptionIsTheCaseNameWithItsPayload) {
    EXPECT_EQ(snapOn({0, 0}, {1, 1}, {2, 1}).description(),
              "snap(start: (0, 0), end: (1, 1), matrix: (2, 1))");
    EXPECT_EQ(Action(Kind::sendToScreen, Direction::left).description(), "sendToScreen(left)");
    EXPECT_EQ(Action(Kind::close).description(), "close");
    // Every case is described by its own name.
    for (const Action& action : oneOfEachCase()) {
        EXPECT_EQ(action.description().rfind(platform::caseName(action.kind()), 0), 0U)
            << action.description();
    }
}

TEST(Action, ActionsAreEqualWithTheSameCaseAndPayload) {
    EXPECT_EQ(snapOn({0, 0}, {1, 1}, {2, 1}), snapOn({0, 0}, {1, 1}, {2, 1}));
    EXPECT_NE(snapOn({0, 0}, {1, 1}, {2, 1}), snapOn({1, 0}, {2, 1}, {2, 1}));
    EXPECT_EQ(Action(Kind::cycle, Direction::left), Action(Kind::cycle, Direction::left));
    EXPECT_NE(Action(Kind::cycle, Direction::left), Action(Kind::cycle, Direction::right));
    EXPECT_NE(Action(Kind::cycle, Direction::left), Action(Kind::cmdTab, Direction::left));
    EXPECT_NE(Action(Kind::minimize), Action(Kind::minimizeFS));
}

TEST(Action, ACaseIsMadeOnlyWithItsOwnPayload) {
    EXPECT_THROW(Action{Kind::snap}, std::invalid_argument);
    EXPECT_THROW(Action{Kind::cycle}, std::invalid_argument);
    EXPECT_THROW(Action(Kind::close, Direction::left), std::invalid_argument);
    EXPECT_THROW(Action(Kind::snap, Direction::left), std::invalid_argument);
    EXPECT_EQ(Action(Kind::cmdTab, Direction::up).direction(), Direction::up);
    EXPECT_EQ(Action(Kind::close).direction(), std::nullopt);
    EXPECT_EQ(snapOn({0, 0}, {1, 1}, {2, 1}).span(), (GridSpan{{0, 0}, {1, 1}, {2, 1}}));
}

TEST(Action, UserTypesDecodeOnlyFromTheirExactNames) {
    const auto all = platform::allCases<UserType>();
    ASSERT_EQ(all.size(), 33U);
    EXPECT_EQ(all.front(), UserType::windowQuit);
    EXPECT_EQ(all.back(), UserType::missionControlSpace);
    for (const UserType type : all)
        EXPECT_EQ(platform::fromRawValue<UserType>(platform::rawValue(type)), type);
    for (const char* wrong :
         {"SnapHalves", "snaphalves", "SNAPHALVES", "snapHalves ", " snapHalves", "snapHalf", ""}) {
        EXPECT_EQ(platform::fromRawValue<UserType>(wrong), std::nullopt) << '"' << wrong << '"';
    }
    EXPECT_EQ(platform::fromRawValue<UserType>("snapHalves"), UserType::snapHalves);
}

}  // namespace
}  // namespace zoral::engine
