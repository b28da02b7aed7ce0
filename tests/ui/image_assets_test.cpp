#include "ui/image_assets.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/image_view.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

class ImageAssetsTest : public testing::UiWorldTest {};

// Every image and symbol the windows name draws something, as a template unless it is one of the
// system's status lights.
TEST_F(ImageAssetsTest, EveryNamedImageAndSymbolDraws) {
    const std::vector<std::string> symbols{
        "gearshape",      "macwindow.on.rectangle", "rectangle.lefthalf.inset.fill",
        "dock.rectangle", "menubar.rectangle",      "gearshape.2",
        "info.circle"};
    const std::vector<std::string> templates{"PrefsGeneral",       "PrefsWindow",
                                             "PrefsSnapping",      "PrefsApps",
                                             "PrefsMenubar",       "PrefsAdvanced",
                                             "PrefsAbout",         "ActionPoint",
                                             "ActionCircle",       "ActionMinus",
                                             "ActionMinusInv",     "ActionPlus",
                                             "ActionPlusInv",      "ActionX",
                                             "ActionXInv",         "ActionZoom",
                                             "ActionZoomInv",      "ActionApp",
                                             "ActionCycle",        "ActionScreens",
                                             "ActionScreensInv",   "ActionSnapMax",
                                             "ActionSnapAlmost",   "ActionSnapHalves",
                                             "ActionSnapVertical", "ActionSnapQuarters",
                                             "ActionSnapThirds",   "ActionSnapSixths",
                                             "ActionSnapNinths",   "ActionSnapUnsnap",
                                             "GestureLeft",        "GestureRight",
                                             "GestureUp",          "GestureDown",
                                             "GestureInwards",     "GestureOutwards",
                                             "GestureHold",        "GestureTap",
                                             "GestureModG",        "GestureMod2",
                                             "GestureMod3",        "GestureModS"};
    const std::vector<std::string> coloured{"NSStatusAvailable", "NSStatusPartiallyAvailable",
                                            "NSStatusUnavailable"};
    const auto inked = [](const Image& image) {
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                opaque += image.pixel(x, y).alpha > 0.5 ? 1 : 0;
        }
        return opaque;
    };
    const auto blackOnClear = [](const Image& image) {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const auto pixel = image.pixel(x, y);
                if (pixel.alpha > 0 && (pixel.red > 0.05 || pixel.green > 0.05))
                    return ::testing::AssertionFailure() << "colour at " << x << "," << y;
            }
        }
        return ::testing::AssertionSuccess();
    };
    for (const std::string& name : symbols) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(hasSymbol(name));
        EXPECT_FALSE(hasImageAsset(name)) << "symbols are kept apart from images";
        const Image image = renderSymbol(name, 24, 24);
        EXPECT_GT(inked(image), 24);
        EXPECT_TRUE(blackOnClear(image)) << "a template is black on transparency";
    }
    for (const std::string& name : templates) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(hasImageAsset(name));
        EXPECT_TRUE(isTemplateImageAsset(name));
        const Image image = renderImageAsset(name, 24, 24);
        EXPECT_GT(inked(image), 24);
        EXPECT_TRUE(blackOnClear(image)) << "a template is black on transparency";
    }
    for (const std::string& name : coloured) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(isTemplateImageAsset(name));
        const auto middle = renderImageAsset(name, 24, 24).pixel(12, 12);
        EXPECT_GT(std::max({middle.red, middle.green, middle.blue}), 0.5) << "drawn in colour";
    }
    EXPECT_FALSE(hasImageAsset("../images/ActionX")) << "names are names, not paths";
    EXPECT_FALSE(hasSymbol("NoSuchSymbol"));
}

TEST_F(ImageAssetsTest, ASymbolViewTakesItsSizeAndTint) {
    ImageView view;
    view.setSymbol("gearshape", {.pointSize = 14, .scale = SymbolScale::medium});
    ASSERT_TRUE(view.image());
    EXPECT_TRUE(view.isTemplate());
    EXPECT_TRUE(view.showsSymbol());
    EXPECT_EQ(view.fittingSize().width, view.image()->width());
    EXPECT_GE(view.image()->width(), 14);
    view.setTintColor(SystemColor::systemGreen);
    const Image shown = view.render();
    bool green = false;
    for (int x = 0; x < shown.width(); ++x) {
        const auto pixel = shown.pixel(x, shown.height() / 2);
        green = green || (pixel.alpha > 0.9 && pixel.green > 0.6 && pixel.red < 0.4);
    }
    EXPECT_TRUE(green) << "the symbol is drawn in its tint";

    view.setSymbol("NoSuchSymbol");
    EXPECT_FALSE(view.image());
}

}  // namespace
}  // namespace zoral::ui
