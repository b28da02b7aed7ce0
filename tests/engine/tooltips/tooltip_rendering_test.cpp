// The tooltips as the user sees them: painted offscreen from their model.

#include <gtest/gtest.h>

#include "platform/screens.h"
#include "sim/input_devices.h"
#include "tooltip_world.h"
#include "ui/appearance.h"
#include "ui/named_colors.h"

namespace zoral::engine::testing {
namespace {

using Kind = Action::Kind;

::testing::AssertionResult sameColour(const platform::RGBColor& actual,
                                      const platform::RGBColor& expected) {
    const double tolerance = 3.0 / 255;
    if (std::abs(actual.red - expected.red) <= tolerance &&
        std::abs(actual.green - expected.green) <= tolerance &&
        std::abs(actual.blue - expected.blue) <= tolerance &&
        std::abs(actual.alpha - expected.alpha) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "drawn (" << actual.red << ", " << actual.green << ", " << actual.blue << ", "
           << actual.alpha << "), expected (" << expected.red << ", " << expected.green << ", "
           << expected.blue << ", " << expected.alpha << ")";
}

class TooltipRenderingTest : public TooltipWorldTest {
protected:
    const platform::RGBColor background =
        ui::materialFill(ui::Material::contentBackground, ui::AppearanceName::aqua);
};

TEST_F(TooltipRenderingTest, TheCircleShowsTheSymbolInTheActionsColourInsideADisc) {
    circle()->drawAction(Action(Kind::close), true);
    const ui::Image image = circle()->render();
    ASSERT_EQ(image.width(), 25);
    const auto close = *ui::namedColor("Close", ui::AppearanceName::aqua);
    EXPECT_TRUE(sameColour(image.pixel(12, 12), close)) << "the middle of the cross";
    EXPECT_TRUE(sameColour(image.pixel(12, 4), background)) << "between the cross's arms";
    EXPECT_EQ(image.pixel(1, 1).alpha, 0) << "outside the disc";

    circle()->drawAction(Action(Kind::close), false);
    EXPECT_TRUE(sameColour(circle()->render().pixel(12, 12),
                           *ui::namedColor("Inactive", ui::AppearanceName::aqua)));
    circle()->clearContent();
    EXPECT_TRUE(sameColour(circle()->render().pixel(12, 12), background));
}

TEST_F(TooltipRenderingTest, TheWindowTooltipShowsTheSpanInItsPlace) {
    windowTooltip()->drawAction(Action::snap({{0, 0}, {1, 1}, {2, 2}}), true);
    const ui::Image image = windowTooltip()->render();
    ASSERT_EQ(image.width(), 40);
    ASSERT_EQ(image.height(), 30);
    const auto accent = *platform::controlAccentColor();
    EXPECT_TRUE(sameColour(image.pixel(8, 8), accent)) << "the top-left quarter";
    EXPECT_TRUE(sameColour(image.pixel(19, 8), accent)) << "up to the middle";
    EXPECT_TRUE(sameColour(image.pixel(8, 14), accent));
    EXPECT_FALSE(sameColour(image.pixel(19, 14), accent)) << "its inner corner is rounded";
    EXPECT_TRUE(sameColour(image.pixel(30, 22), background)) << "the rest";
    EXPECT_TRUE(sameColour(image.pixel(30, 5), background));
    EXPECT_EQ(image.pixel(0, 0).alpha, 0) << "the window's own corner is round";

    // In the dark, the window takes the dark material.
    sim::setInterfaceStyle("Dark");
    windowTooltip()->show();
    EXPECT_EQ(windowTooltip()->contentView().material, ui::Material::ultraDark);
    EXPECT_TRUE(
        sameColour(windowTooltip()->render().pixel(30, 22),
                   ui::materialFill(ui::Material::ultraDark, ui::AppearanceName::darkAqua)));
    sim::setInterfaceStyle(std::nullopt);
}

// The action proposed at the pointer on the simulated desktop, as the user sees the desktop.
TEST_F(TooltipRenderingTest, AScreenshotShowsTheTooltipAtThePointer) {
    const platform::RGBColor desktopColour{0.2, 0.4, 0.3, 1};
    // Top-left coordinates, as the pointer lives.
    sim::InputDevices::of(*world).movePointer({700, 400});
    const CGPoint point = platform::mouseLocation();
    ASSERT_EQ(point, (CGPoint{700, 500}));

    controller->hide();
    controller->update(Action::snap({{0, 0}, {1, 1}, {2, 2}}),
                       {.show = true, .state = true, .clear = false}, point);
    const ui::Image shot = screenshot(desktopColour);
    ASSERT_TRUE(shot.savePng("tooltip_screenshot.png"));

    // The 40 x 30 window tooltip stands centred on the pointer: x 680..720, y 385..415 from the
    // top; its top-left quarter is the snap span.
    const auto accent = *platform::controlAccentColor();
    EXPECT_TRUE(sameColour(shot.pixel(688, 392), accent));
    EXPECT_TRUE(sameColour(shot.pixel(698, 398), accent));
    const platform::RGBColor fill = shot.pixel(712, 408);
    EXPECT_FALSE(sameColour(fill, accent));
    EXPECT_FALSE(sameColour(fill, desktopColour)) << "the tooltip's own fill";
    EXPECT_TRUE(sameColour(shot.pixel(680, 385), desktopColour)) << "its rounded corner";
    EXPECT_TRUE(sameColour(shot.pixel(660, 400), desktopColour)) << "beside it";
    EXPECT_TRUE(sameColour(shot.pixel(700, 430), desktopColour)) << "below it";
    EXPECT_FALSE(cursor().isVisible()) << "the pointer itself is hidden under the tooltip";
}

}  // namespace
}  // namespace zoral::engine::testing
