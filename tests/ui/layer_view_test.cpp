// A layer view draws its tree of shape layers: fills, borders inside the bounds, sublayers placed
// in their container's coordinates, and opacity that carries down to the sublayers.

#include "ui/layer_view.h"

#include <memory>

#include <gtest/gtest.h>

#include "ui/titled_window.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

constexpr platform::RGBColor red{1, 0, 0, 1};
constexpr platform::RGBColor blue{0, 0, 1, 1};

class LayerViewTest : public testing::UiWorldTest {};

TEST_F(LayerViewTest, DrawsFillsBordersAndSublayersWithTheirContainersOpacity) {
    auto view = std::make_shared<LayerView>();
    view->setWidth(100);
    view->setHeight(100);
    auto window = std::make_shared<TitledWindow>(platform::CGSize{100, 100});
    window->setContentView(view);
    window->makeKeyAndOrderFront();

    ShapeLayer dot;
    dot.frame = {10, 20, 30, 30};
    dot.backgroundColor = red;
    dot.borderWidth = 4;
    dot.borderColor = blue;
    ShapeLayer container;
    container.frame = {40, 10, 60, 60};
    container.sublayers = {dot};
    view->setLayers({container});

    Image image = view->render();
    // The dot stands at the container's origin plus its own: 50..80 across, 30..60 down.
    EXPECT_TRUE(testing::sameColour(image.pixel(65, 45), red)) << "the fill";
    EXPECT_TRUE(testing::sameColour(image.pixel(51, 45), blue)) << "the border, inside";
    EXPECT_FALSE(testing::sameColour(image.pixel(48, 45), blue)) << "nothing outside";
    EXPECT_FALSE(testing::sameColour(image.pixel(25, 45), red)) << "not at the dot's own frame";

    container.opacity = 0;
    view->setLayers({container});
    image = view->render();
    EXPECT_FALSE(testing::sameColour(image.pixel(65, 45), red)) << "a clear container hides all";

    container.opacity = 0.5;
    view->setLayers({container});
    image = view->render();
    const auto half = image.pixel(65, 45);
    EXPECT_GT(half.red, 0.6);
    EXPECT_GT(half.green, 0.3) << "the background shows through";
    window->close();
}

}  // namespace
}  // namespace zoral::ui
