// The status item as the menu bar draws it: its template image in the bar's text colour for the
// appearance, dimmed while it appears disabled, nothing while it is out of the bar; screenshots of
// both icons on light and dark bars; and the tray adapter's clicks, which pass the program's local
// monitors first as the status bar's presses do.

#include "ui/status_item_painting.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/local_events.h"
#include "platform/status_bar.h"
#include "ui/image_assets.h"
#include "ui/system_tray.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using platform::NSEvent;
using platform::NSEventType;

class StatusItemPaintingTest : public testing::UiWorldTest {
protected:
    std::shared_ptr<platform::StatusItem> item =
        platform::StatusBar::system().statusItemWithLength(platform::squareStatusItemLength);
};

// The darkest and the lightest opaque-enough pixel of the image, by their red channel.
std::pair<double, double> extremes(const Image& image) {
    double darkest = 1;
    double lightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const auto colour = image.pixel(x, y);
            darkest = std::min(darkest, colour.red);
            lightest = std::max(lightest, colour.red);
        }
    }
    return {darkest, lightest};
}

TEST_F(StatusItemPaintingTest, TheIconTakesTheBarsTextColourAndDimsWhenItAppearsDisabled) {
    ASSERT_TRUE(hasImageAsset("MenuBarIcon"));
    ASSERT_TRUE(hasImageAsset("MenuBarIconError"));
    item->button()->setImage("MenuBarIcon");
    const StatusItemLook light{.appearance = AppearanceName::aqua, .thickness = 24, .scale = 2};
    const StatusItemLook dark{.appearance = AppearanceName::darkAqua, .thickness = 24, .scale = 2};

    const Image onLight = renderStatusItem(*item, light);
    ASSERT_EQ(onLight.width(), 48);
    ASSERT_EQ(onLight.height(), 48);
    EXPECT_TRUE(testing::sameColour(onLight.pixel(0, 0), menuBarColour(AppearanceName::aqua)));
    EXPECT_LT(extremes(onLight).first, 0.3) << "dark strokes on a light bar";
    const Image onDark = renderStatusItem(*item, dark);
    EXPECT_TRUE(testing::sameColour(onDark.pixel(0, 0), menuBarColour(AppearanceName::darkAqua)));
    EXPECT_GT(extremes(onDark).second, 0.8) << "light strokes on a dark bar";

    item->button()->setAppearsDisabled(true);
    EXPECT_GT(extremes(renderStatusItem(*item, light)).first, 0.35);
    item->button()->setAppearsDisabled(false);

    item->button()->setImage("MenuBarIconError");
    const Image error = renderStatusItem(*item, light);
    EXPECT_NE(error.data(), onLight.data());

    item->setVisible(false);
    EXPECT_TRUE(renderStatusItem(*item, light).isEmpty());
}

TEST_F(StatusItemPaintingTest, ScreenshotsOfBothIconsOnLightAndDarkBars) {
    int column = 0;
    for (const auto appearance : {AppearanceName::aqua, AppearanceName::darkAqua}) {
        for (const char* icon : {"MenuBarIcon", "MenuBarIconError"}) {
            item->button()->setImage(icon);
            for (const bool highlighted : {false, true}) {
                const Image shot = renderStatusItem(
                    *item, {.appearance = appearance, .highlighted = highlighted, .scale = 4});
                ASSERT_FALSE(shot.isEmpty());
                const std::string file = std::string("status_item_") + icon + "_" +
                                         (isDark(appearance) ? "dark" : "light") +
                                         (highlighted ? "_open" : "") + ".png";
                ASSERT_TRUE(shot.savePng(file)) << file;
                ++column;
            }
        }
    }
    EXPECT_EQ(column, 8);
}

// Offscreen there is no tray; the adapter's clicks still go the status bar's way.
TEST_F(StatusItemPaintingTest, TheTraysClicksPassTheMonitorsBeforeTheMenuOpens) {
    EXPECT_FALSE(SystemTray::isAvailable());
    struct Delegate : platform::MenuDelegate {
        void menuWillOpen(platform::Menu&) override { ++told; }
        int told = 0;
    };
    const auto delegate = std::make_shared<Delegate>();
    auto menu = std::make_shared<platform::Menu>(
        "Zoral", std::vector{platform::MenuItem::make("Quit Zoral", "q")});
    menu->delegate = delegate;
    item->setMenu(menu);
    std::vector<NSEvent> seen;
    const auto monitor = platform::addLocalMonitorForEvents(
        platform::eventMaskFromType(NSEventType::leftMouseUp) |
            platform::eventMaskFromType(NSEventType::rightMouseDown),
        [&](const NSEvent& event) -> std::optional<NSEvent> {
            seen.push_back(event);
            if (event.type == NSEventType::rightMouseDown)
                return std::nullopt;
            return event;
        });

    SystemTray tray(item);
    EXPECT_FALSE(tray.click(platform::CGMouseButton::right));
    EXPECT_EQ(delegate->told, 0);
    EXPECT_FALSE(tray.isMenuOpen());
    EXPECT_TRUE(tray.click(platform::CGMouseButton::left));
    EXPECT_EQ(delegate->told, 1);
    EXPECT_TRUE(tray.isMenuOpen());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].type, NSEventType::rightMouseDown);
    EXPECT_EQ(seen[1].type, NSEventType::leftMouseUp);
    EXPECT_EQ(seen[1].window, item->button()->window());
}

}  // namespace
}  // namespace zoral::ui
