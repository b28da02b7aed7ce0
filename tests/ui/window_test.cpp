#include "ui/window.h"

#include <gtest/gtest.h>

#include "sim/program_windows.h"
#include "ui/appearance.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using platform::CGRect;
using testing::sameColour;

WindowConfiguration overlay(CGRect frame) {
    WindowConfiguration configuration;
    configuration.contentRect = frame;
    configuration.level = 1500;
    configuration.ignoresMouseEvents = true;
    configuration.collectionBehavior = WindowConfiguration::canJoinAllSpaces;
    configuration.opaque = false;
    return configuration;
}

class WindowTest : public testing::UiWorldTest {
protected:
    sim::ProgramWindows& desktop() { return sim::ProgramWindows::of(*world); }
    std::optional<sim::ProgramWindow> seen(const Window& window) {
        for (const auto& shown : desktop().visible(*world)) {
            if (shown.number == window.windowNumber())
                return shown;
        }
        return std::nullopt;
    }
};

TEST_F(WindowTest, TheDesktopSeesTheWindowAtItsFrameAndAlpha) {
    {
        Window window(overlay({100, 200, 40, 30}));
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(seen(window));
        EXPECT_EQ(desktop().window(window.windowNumber())->style.level, 1500);
        EXPECT_TRUE(desktop().window(window.windowNumber())->style.ignoresMouseEvents);
        EXPECT_TRUE(desktop().window(window.windowNumber())->style.canJoinAllSpaces);

        window.orderFront();
        ASSERT_TRUE(seen(window));
        EXPECT_EQ(seen(window)->frame, (CGRect{100, 200, 40, 30}));
        window.setFrameOrigin({10, 20});
        EXPECT_EQ(seen(window)->frame, (CGRect{10, 20, 40, 30}));

        bool completed = false;
        window.animateAlphaValue(0, 0.3, TimingFunction::standard(), [&] { completed = true; });
        scheduler().advance(0.15);
        EXPECT_GT(window.alphaValue(), 0);
        EXPECT_LT(window.alphaValue(), 0.5);
        EXPECT_EQ(seen(window)->alpha, window.alphaValue());
        scheduler().advance(0.15);
        EXPECT_TRUE(completed);
        EXPECT_EQ(window.alphaValue(), 0);
        EXPECT_FALSE(seen(window)) << "transparent";

        completed = false;
        window.animateAlphaValue(1, 0.3, TimingFunction::standard(), [&] { completed = true; });
        scheduler().advance(0.1);
        window.setAlphaValue(0.5);
        scheduler().advance(1);
        EXPECT_FALSE(completed) << "a value set directly ends the animation";
        EXPECT_EQ(seen(window)->alpha, 0.5);

        window.orderOut();
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(seen(window));
        EXPECT_EQ(desktop().count(), 1u);
    }
    EXPECT_EQ(desktop().count(), 0u) << "a window leaves the desktop with its object";
}

class QuickWindow : public Window {
public:
    using Window::Window;
    double animationResizeTime(CGRect) const override { return 0.1; }
};

TEST_F(WindowTest, AnAnimatedFrameGlidesForTheWindowsResizeTime) {
    QuickWindow window(overlay({0, 0, 100, 100}));
    window.setFrameAnimated({200, 100, 300, 200});
    scheduler().advance(0.05);
    EXPECT_GT(window.frame().origin.x, 0);
    EXPECT_LT(window.frame().origin.x, 200);
    EXPECT_GT(window.frame().size.width, 100);
    EXPECT_LT(window.frame().size.width, 300);
    EXPECT_EQ(desktop().window(window.windowNumber())->frame, window.frame());
    scheduler().advance(0.05);
    EXPECT_EQ(window.frame(), (CGRect{200, 100, 300, 200}));
    EXPECT_FALSE(window.isAnimatingFrame());

    window.setFrameAnimated({0, 0, 100, 100});
    scheduler().advance(0.02);
    window.setFrame({5, 5, 10, 10});
    scheduler().advance(1);
    EXPECT_EQ(window.frame(), (CGRect{5, 5, 10, 10})) << "a frame set directly ends the glide";
}

TEST_F(WindowTest, CentringUsesTheVisibleFrameOfTheWindowsScreen) {
    Window window(overlay({1200, 10, 100, 50}));
    ASSERT_TRUE(window.screen());
    window.centerOnScreen();
    // The visible frame leaves out the 25-point menu bar at the top.
    EXPECT_EQ(window.frame(), (CGRect{670, 412.5, 100, 50}));

    Window lost(overlay({5000, 5000, 100, 50}));
    EXPECT_FALSE(lost.screen());
    lost.centerOnScreen();
    EXPECT_EQ(lost.frame(), (CGRect{5000, 5000, 100, 50})) << "on no screen it stays";
}

TEST_F(WindowTest, TheMaterialFillsTheMaskAndTheCornersStayClear) {
    Window window(overlay({0, 0, 80, 60}));
    window.contentView().material = Material::contentBackground;
    window.contentView().maskImage =
        MaskImage{.size = {80, 60}, .cornerRadius = 20, .capInsets = 20};
    const Image light = window.render();
    ASSERT_EQ(light.width(), 80);
    ASSERT_EQ(light.height(), 60);
    EXPECT_TRUE(sameColour(light.pixel(40, 30),
                           materialFill(Material::contentBackground, AppearanceName::aqua)));
    EXPECT_TRUE(sameColour(light.pixel(20, 2),
                           materialFill(Material::contentBackground, AppearanceName::aqua)))
        << "the straight edge between the corners is filled";
    EXPECT_EQ(light.pixel(1, 1).alpha, 0) << "outside the rounded corner";
    EXPECT_EQ(light.pixel(78, 58).alpha, 0);

    sim::setInterfaceStyle("Dark");
    EXPECT_EQ(window.effectiveAppearance(), AppearanceName::darkAqua);
    EXPECT_TRUE(sameColour(window.render().pixel(40, 30),
                           materialFill(Material::contentBackground, AppearanceName::darkAqua)));
    sim::setInterfaceStyle(std::nullopt);

    WindowConfiguration fixed = overlay({0, 0, 80, 60});
    fixed.appearance = AppearanceName::vibrantDark;
    EXPECT_EQ(Window(fixed).effectiveAppearance(), AppearanceName::vibrantDark);
}

TEST_F(WindowTest, ALayerRoundsOnlyTheCornersItsMaskNames) {
    Window window(overlay({0, 0, 80, 60}));
    const platform::RGBColor red{1, 0, 0, 1};
    // In the layer's bottom-left coordinates: 10 points in from every edge.
    window.contentView().sublayers = {Layer{.frame = {10, 10, 60, 40},
                                            .backgroundColor = red,
                                            .cornerRadius = 12,
                                            .maskedCorners = corner::maxXMinY,
                                            .edgeAntialiasing = true}};
    const Image image = window.render();
    // Top-left coordinates of the image: the layer spans x 10..70 and y 10..50.
    EXPECT_TRUE(sameColour(image.pixel(10, 10), red)) << "top left: square";
    EXPECT_TRUE(sameColour(image.pixel(69, 10), red)) << "top right: square";
    EXPECT_TRUE(sameColour(image.pixel(10, 49), red)) << "bottom left: square";
    EXPECT_FALSE(sameColour(image.pixel(69, 49), red)) << "bottom right (maxX, minY): rounded";
    EXPECT_TRUE(sameColour(image.pixel(60, 40), red));
    EXPECT_FALSE(sameColour(image.pixel(5, 5), red)) << "outside the layer";
}

TEST_F(WindowTest, ALayerShowsThroughTheOpaquePartsOfItsImage) {
    Window window(overlay({0, 0, 50, 50}));
    const platform::RGBColor green{0, 1, 0, 1};
    window.contentView().sublayers = {
        Layer{.frame = {0, 0, 50, 50}, .backgroundColor = green, .maskImage = "TooltipMinus"}};
    const Image minus = window.render();
    EXPECT_TRUE(sameColour(minus.pixel(25, 25), green)) << "the bar across the middle";
    EXPECT_FALSE(sameColour(minus.pixel(25, 10), green)) << "above the bar";

    window.contentView().sublayers[0].maskImage = "NoSuchImage";
    EXPECT_FALSE(sameColour(window.render().pixel(25, 25), green)) << "a missing image hides all";

    // Without a layer-backed view the layers are not drawn.
    window.contentView().sublayers[0].maskImage.reset();
    EXPECT_TRUE(sameColour(window.render().pixel(25, 25), green));
    window.contentView().wantsLayer = false;
    EXPECT_FALSE(sameColour(window.render().pixel(25, 25), green));
}

}  // namespace
}  // namespace zoral::ui
