// Where the tooltips stand and what they draw: sizes per "tooltipSize", placement around the
// pointer, the span block of a snap, the colours and symbols of the actions.

#include <cmath>

#include <gtest/gtest.h>

#include "engine/tooltips/tooltip_content.h"
#include "engine/tooltips/tooltip_placement.h"
#include "sim/system_colors.h"
#include "tooltip_world.h"
#include "ui/named_colors.h"

namespace zoral::engine::testing {
namespace {

using desktop::Direction;
using Kind = Action::Kind;
using Keys = settings::Defaults::Keys;

class TooltipGeometryTest : public TooltipWorldTest {};

TEST_F(TooltipGeometryTest, TheContainersFollowTheTooltipSize) {
    struct Case {
        std::int64_t s;
        CGSize circle;
        double circleRadius;
        CGSize window;
        double windowRadius;
        CGSize spaces, spacesTotal;
        double spacesRadius;
        CGSize screens, screensTotal;
        double screensRadius;
    };
    const Case cases[] = {
        {5, {25, 25}, 12.5, {40, 30}, 10, {30, 22.5}, {65, 22.5}, 7.5, {20, 15}, {60, 45}, 5},
        {1, {5, 5}, 2.5, {8, 6}, 2, {6, 4.5}, {13, 4.5}, 1.5, {4, 3}, {12, 9}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        const auto before = controller->tooltips();
        set(Keys::tooltipSize(), c.s);
        controller->rebuildTooltips();
        for (const auto& [shape, container] : controller->tooltips())
            EXPECT_NE(container, before.at(shape)) << "every container is made anew";

        EXPECT_EQ(circle()->size(), c.circle);
        EXPECT_EQ(circle()->frame().size, c.circle);
        EXPECT_EQ(circle()->radius(), c.circleRadius);
        // The disc's mask gets one point more of radius; the rounded rectangle's keeps it.
        const auto circleMask = circle()->contentView().maskImage;
        ASSERT_TRUE(circleMask);
        EXPECT_EQ(circleMask->cornerRadius, c.circleRadius + 1);
        EXPECT_EQ(circleMask->capInsets, c.circleRadius + 1);
        EXPECT_EQ(circleMask->size, c.circle);
        EXPECT_EQ(circle()->contentView().cornerRadius, c.circleRadius);

        EXPECT_EQ(windowTooltip()->size(), c.window);
        EXPECT_EQ(windowTooltip()->radius(), c.windowRadius);
        EXPECT_EQ(windowTooltip()->contentView().maskImage->cornerRadius, c.windowRadius);
        EXPECT_EQ(windowTooltip()->contentView().maskImage->capInsets, c.windowRadius);

        const auto spaces = group(TooltipShape::spaces);
        EXPECT_EQ(spaces->size(), c.spaces);
        EXPECT_EQ(spaces->totalSize(), c.spacesTotal);
        ASSERT_EQ(spaces->windows().size(), 2u);
        EXPECT_EQ(spaces->windows()[0].first, Direction::left);
        EXPECT_EQ(spaces->windows()[1].first, Direction::right);
        for (const auto& entry : spaces->windows()) {
            EXPECT_EQ(entry.second->size(), c.spaces);
            EXPECT_EQ(entry.second->radius(), c.spacesRadius);
        }

        const auto screens = group(TooltipShape::screens);
        EXPECT_EQ(screens->size(), c.screens);
        EXPECT_EQ(screens->totalSize(), c.screensTotal);
        const std::vector<Direction> order{Direction::up, Direction::left, Direction::right,
                                           Direction::down};
        ASSERT_EQ(screens->windows().size(), 4u);
        for (std::size_t i = 0; i < order.size(); ++i) {
            EXPECT_EQ(screens->windows()[i].first, order[i]);
            EXPECT_EQ(screens->windows()[i].second->size(), c.screens);
            EXPECT_EQ(screens->windows()[i].second->radius(), c.screensRadius);
        }
    }
    // The old containers left the desktop with their objects.
    EXPECT_EQ(sim::ProgramWindows::of(*world).count(), allWindows().size());
}

TEST_F(TooltipGeometryTest, TooltipsStandCentredOnThePointerAndStayOnItsScreen) {
    addExternalDisplay();
    // The main display is the external one, so a lost pointer is not merely the first display's.
    sim::Displays::of(*world).setMainDisplay(2);
    struct Case {
        const char* what;
        CGPoint pointer;
        CGPoint centre;
    };
    // The circle is 25 x 25: its centre keeps 12.5 points from a display's edges.
    const Case cases[] = {
        {"in the middle", {720, 450}, {720, 450}},
        {"near the right edge", {1435, 450}, {1427.5, 450}},
        {"near the bottom-left corner", {3, 2}, {12.5, 12.5}},
        {"near the external display's top", {1500, 1075}, {1500, 1067.5}},
        {"on the edge between the displays, which belongs to the right one",
         {1440, 450},
         {1452.5, 450}},
        {"outside every display: the main display", {-100, 2000}, {1452.5, 1067.5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(tooltipCentre(c.pointer, {25, 25}), c.centre);
        circle()->moveTo(c.pointer);
        EXPECT_EQ(circle()->frame(), (CGRect{c.centre.x - 12.5, c.centre.y - 12.5, 25, 25}));
    }
    // A box larger than the display keeps its lower edges on the display's.
    EXPECT_EQ(tooltipCentre({720, 450}, {2000, 1000}), (CGPoint{1000, 500}));

    // The groups: the screens windows on the midpoints of a 60 x 45 box's edges, the spaces
    // windows side by side with 5 points (1s) between them.
    const auto screens = group(TooltipShape::screens);
    screens->moveTo({720, 450});
    EXPECT_EQ(screens->window(Direction::up)->frame(), (CGRect{710, 457.5, 20, 15}));
    EXPECT_EQ(screens->window(Direction::left)->frame(), (CGRect{690, 442.5, 20, 15}));
    EXPECT_EQ(screens->window(Direction::right)->frame(), (CGRect{730, 442.5, 20, 15}));
    EXPECT_EQ(screens->window(Direction::down)->frame(), (CGRect{710, 427.5, 20, 15}));
    screens->moveTo({1435, 5});
    EXPECT_EQ(screens->window(Direction::right)->frame().maxX(), 1440) << "the box is clamped";
    EXPECT_EQ(screens->window(Direction::down)->frame().minY(), 0);

    const auto spaces = group(TooltipShape::spaces);
    spaces->moveTo({720, 450});
    EXPECT_EQ(spaces->window(Direction::left)->frame(), (CGRect{687.5, 438.75, 30, 22.5}));
    EXPECT_EQ(spaces->window(Direction::right)->frame(), (CGRect{722.5, 438.75, 30, 22.5}));
}

TEST_F(TooltipGeometryTest, TheSpanBlockTakesTheGridsProportionsAndRoundsOnlyInnerCorners) {
    namespace corner = ui::corner;
    const platform::RGBColor colour{0, 0, 1, 1};
    struct Case {
        const char* what;
        GridSpan span;
        CGRect frame;
        std::uint8_t corners;
    };
    const double third = 40.0 / 3;
    const Case cases[] = {
        {"top-left quarter", {{0, 0}, {1, 1}, {2, 2}}, {0, 15, 20, 15}, corner::maxXMinY},
        {"left half", {{0, 0}, {1, 1}, {2, 1}}, {0, 0, 20, 30}, 0},
        {"centre ninth", {{1, 1}, {2, 2}, {3, 3}}, {third, 10, third, 10}, corner::all},
        {"almost maximised", {{3, 4}, {17, 16}, {20, 20}}, {0, 0, 40, 30}, 0},
        {"bottom-right sixth",
         {{2, 1}, {3, 2}, {3, 2}},
         {40 - third, 0, third, 15},
         corner::minXMaxY},
        {"middle third, full height", {{1, 0}, {2, 2}, {3, 2}}, {third, 0, third, 30}, 0},
        {"centre of a 20 x 7 grid is no almost-maximised span",
         {{5, 3}, {15, 4}, {20, 7}},
         {10, 30.0 * 3 / 7, 20, 30.0 / 7},
         corner::all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ui::Layer layer = spanLayer(c.span, {40, 30}, colour);
        EXPECT_NEAR(layer.frame.origin.x, c.frame.origin.x, 1e-9);
        EXPECT_NEAR(layer.frame.origin.y, c.frame.origin.y, 1e-9);
        EXPECT_NEAR(layer.frame.size.width, c.frame.size.width, 1e-9);
        EXPECT_NEAR(layer.frame.size.height, c.frame.size.height, 1e-9);
        EXPECT_EQ(layer.maskedCorners, c.corners);
        EXPECT_EQ(layer.cornerRadius, 2) << "a twentieth of the width";
        EXPECT_EQ(layer.backgroundColor, colour);
        EXPECT_TRUE(layer.edgeAntialiasing);
    }
    EXPECT_FALSE(spanLayer({{0, 0}, {1, 1}, {0, 1}}, {40, 30}, colour).backgroundColor)
        << "a grid without columns draws nothing";
}

TEST_F(TooltipGeometryTest, EachActionDrawsItsSymbolInItsColourOrInTheInactiveColour) {
    const auto light = ui::AppearanceName::aqua;
    const auto named = [&](const char* name) { return *ui::namedColor(name, light); };
    const auto accent = *platform::controlAccentColor();
    struct Case {
        Action action;
        bool enabled;
        std::optional<platform::RGBColor> colour;
        std::optional<std::string> symbol;
    };
    const Case cases[] = {
        {Action(Kind::close), true, named("Close"), "TooltipX"},
        {Action(Kind::close), false, named("Inactive"), "TooltipX"},
        {Action(Kind::terminateApp), true, named("Close"), "TooltipXInv"},
        {Action(Kind::minimizeScreen), true, named("Minimize"), "TooltipMinusInv"},
        {Action(Kind::minimizeGlobal), true, accent, "TooltipMinusInv"},
        {Action(Kind::fullscreen), true, named("Fullscreen"), "TooltipZoom"},
        {Action(Kind::cycle, Direction::left), true, accent, "TooltipArrowLeft"},
        {Action(Kind::cycle, Direction::up), true, accent, "TooltipArrowRight"},
        {Action(Kind::invokeAppSwitcher), true, accent, std::nullopt},
        {Action(Kind::detachTab), true, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action.description());
        circle()->drawAction(c.action, c.enabled);
        EXPECT_EQ(circle()->isEnabled(), c.enabled);
        const ui::Layer& layer = circle()->vfxLayer();
        EXPECT_EQ(layer.backgroundColor, c.colour);
        EXPECT_EQ(layer.maskImage, c.symbol);
        if (c.colour) {
            EXPECT_EQ(layer.frame, (CGRect{0, 0, 25, 25})) << "covering the window";
        }
        EXPECT_EQ(circle()->contentView().sublayers, std::vector<ui::Layer>{layer});
    }
    circle()->clearContent();
    EXPECT_EQ(circle()->vfxLayer(), ui::Layer{});

    // A snap draws its span; greyed when it cannot take effect.
    const Action quarter = Action::snap({{0, 0}, {1, 1}, {2, 2}});
    windowTooltip()->drawAction(quarter, false);
    EXPECT_EQ(windowTooltip()->vfxLayer().backgroundColor, named("Inactive"));
    EXPECT_EQ(windowTooltip()->vfxLayer().frame, (CGRect{0, 15, 20, 15}));

    // The accent colour is the user's; before the system had one, its blue.
    sim::setAccentColor(3);
    EXPECT_EQ(contentLayer(quarter, true, {40, 30}, light).backgroundColor,
              platform::controlAccentColor());
    EXPECT_NE(platform::controlAccentColor(), accent);
    sim::SystemVersion::of(*world).setVersion({10, 13, 6});
    EXPECT_EQ(contentLayer(quarter, true, {40, 30}, light).backgroundColor,
              platform::systemBlueColor());
    sim::setAccentColor(std::nullopt);

    // Named colours take the window's appearance.
    EXPECT_EQ(tooltipColour(Action(Kind::close).tooltipStyle(), true, ui::AppearanceName::darkAqua),
              *ui::namedColor("Close", ui::AppearanceName::darkAqua));
}

TEST_F(TooltipGeometryTest, TheScreensTooltipLightsTheWindowInTheActionsDirection) {
    const auto screens = group(TooltipShape::screens);
    const auto accent = *platform::controlAccentColor();
    controller->update(Action(Kind::sendToScreen, Direction::left),
                       {.show = true, .state = true, .clear = false}, {720, 450});
    for (const auto& [direction, window] : screens->windows()) {
        SCOPED_TRACE(platform::caseName(direction));
        EXPECT_TRUE(seen(*window)) << "every window of the group is up";
        if (direction == Direction::left) {
            EXPECT_EQ(window->vfxLayer().backgroundColor, accent);
            EXPECT_EQ(window->vfxLayer().frame, (CGRect{0, 0, 20, 15}));
        } else {
            EXPECT_EQ(window->vfxLayer(), ui::Layer{}) << "empty but visible";
        }
    }
    // The same for all windows and for a space; disabled in the inactive colour.
    controller->update(Action(Kind::sendSpaceToScreen, Direction::down),
                       {.show = true, .state = false, .clear = false}, {720, 450});
    EXPECT_EQ(screens->window(Direction::down)->vfxLayer().backgroundColor,
              ui::namedColor("Inactive", ui::AppearanceName::aqua));
    EXPECT_EQ(screens->window(Direction::left)->vfxLayer(), ui::Layer{});

    // A group leaves its windows alone for an action it does not serve.
    const ui::Layer before = screens->window(Direction::down)->vfxLayer();
    screens->drawAction(Action(Kind::sendToSpace, Direction::down), true);
    screens->drawAction(Action(Kind::close), true);
    EXPECT_EQ(screens->window(Direction::down)->vfxLayer(), before);

    const auto spaces = group(TooltipShape::spaces);
    controller->update(Action(Kind::sendToSpace, Direction::right),
                       {.show = true, .state = true, .clear = false}, {720, 450});
    EXPECT_EQ(spaces->window(Direction::right)->vfxLayer().backgroundColor, accent);
    EXPECT_EQ(spaces->window(Direction::left)->vfxLayer(), ui::Layer{});
    for (const auto& entry : screens->windows())
        EXPECT_FALSE(seen(*entry.second)) << "the screens tooltip closed for the spaces one";
}

}  // namespace
}  // namespace zoral::engine::testing
