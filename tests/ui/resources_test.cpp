// The compiled-in images and named colours, and the image view that tints them.

#include <string>

#include <gtest/gtest.h>

#include "sim/displays.h"
#include "ui/image_assets.h"
#include "ui/image_view.h"
#include "ui/named_colors.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using testing::sameColour;

TEST(Resources, EverySymbolIsCompiledInAndDrawsAShape) {
    for (const char* name :
         {"TooltipMinus", "TooltipMinusInv", "TooltipPlus", "TooltipPlusInv", "TooltipX",
          "TooltipXInv", "TooltipPoint", "TooltipPointInv", "TooltipZoom", "TooltipZoomInv",
          "TooltipArrowLeft", "TooltipArrowLeftInv", "TooltipArrowRight", "TooltipArrowRightInv",
          "TooltipArrowUp", "TooltipArrowDown"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(hasImageAsset(name));
        const Image image = renderImageAsset(name, 40, 40);
        ASSERT_EQ(image.width(), 40);
        int opaque = 0;
        for (std::uint32_t pixel : image.data())
            opaque += (pixel >> 24) == 0xFF ? 1 : 0;
        EXPECT_GT(opaque, 40) << "a visible symbol";
        EXPECT_LT(opaque, 40 * 40) << "with a shape";
        // An inverted symbol is opaque where the plain one is clear, and the other way round.
        const std::string inverted = std::string(name) + "Inv";
        if (hasImageAsset(inverted)) {
            EXPECT_NE(image.argb(20, 20) >> 24,
                      renderImageAsset(inverted, 40, 40).argb(20, 20) >> 24);
        }
    }
    EXPECT_FALSE(hasImageAsset("empty"));
    EXPECT_FALSE(hasImageAsset(""));
    EXPECT_TRUE(renderImageAsset("NoSuchImage", 10, 10).isEmpty());
}

TEST(Resources, NamedColoursHaveALightAndADarkShade) {
    for (const char* name : {"Close", "Minimize", "Fullscreen", "Inactive"}) {
        SCOPED_TRACE(name);
        const auto light = namedColor(name, AppearanceName::aqua);
        const auto dark = namedColor(name, AppearanceName::darkAqua);
        ASSERT_TRUE(light);
        ASSERT_TRUE(dark);
        EXPECT_NE(*light, *dark);
        EXPECT_EQ(namedColor(name, AppearanceName::vibrantDark), dark);
        EXPECT_EQ(light->alpha, 1);
    }
    EXPECT_FALSE(namedColor("close", AppearanceName::aqua)) << "names are exact";
    EXPECT_FALSE(namedColor("Accent", AppearanceName::aqua));
}

class ImageViewTest : public testing::UiWorldTest {};

TEST_F(ImageViewTest, TintsTheTemplateOnCurrentSystemsAndThePixelsBefore) {
    const platform::RGBColor orange{1, 0.5, 0, 1};
    ImageView current(30, 30);
    current.setImage("TooltipPlus");
    ASSERT_TRUE(current.image());
    current.setTintColor(orange);
    EXPECT_EQ(current.contentTintColor(), orange);
    EXPECT_TRUE(current.isTemplate());
    EXPECT_TRUE(sameColour(current.image()->pixel(15, 15), {0, 0, 0, 1})) << "the image is kept";
    EXPECT_TRUE(sameColour(current.render().pixel(15, 15), orange));
    EXPECT_EQ(current.render().pixel(2, 2).alpha, 0) << "clear stays clear";

    sim::SystemVersion::of(*world).setVersion({10, 13, 6});
    ImageView older(30, 30);
    older.setImage("TooltipPlus");
    older.setTintColor(orange);
    EXPECT_FALSE(older.contentTintColor());
    EXPECT_FALSE(older.isTemplate());
    EXPECT_TRUE(sameColour(older.image()->pixel(15, 15), orange)) << "painted into the image";
    EXPECT_EQ(older.image()->pixel(2, 2).alpha, 0);
    EXPECT_TRUE(sameColour(older.render().pixel(15, 15), orange));

    ImageView empty(30, 30);
    empty.setImage("NoSuchImage");
    empty.setTintColor(orange);
    EXPECT_FALSE(empty.image()) << "nothing to tint";
    EXPECT_EQ(empty.render().pixel(15, 15).alpha, 0);
}

}  // namespace
}  // namespace zoral::ui
