// What the user sees while a title-bar scroll is under way: the desktop rendered offscreen at the
// moment the engine proposes the snap, with the tooltip where it belongs.

#include <cmath>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "engine/tooltips/tooltip_world.h"
#include "platform/screens.h"
#include "sim/cursor.h"

namespace zoral::engine::testing {
namespace {

bool sameColour(const platform::RGBColor& a, const platform::RGBColor& b) {
    const double tolerance = 3.0 / 255;
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

using EndToEndScreenshotTest = EndToEndWorld;

TEST_F(EndToEndScreenshotTest, ATitleBarScrollShowsItsSnapNearThePointerWhenProposed) {
    const platform::RGBColor desktopColour{0.2, 0.4, 0.3, 1};
    startEngine();
    const CGPoint pointer = titleBarOf(front);
    input().movePointer(pointer);
    // The fingers move left and stay on the surface: the action is proposed, not yet executed.
    hardware().play(sim::ScrollStroke{.moves = {{.travel = {-200, 0}, .holdAfter = 0.5}}});
    scheduler().runUntil([&] { return !linesStarting({"Action: "}).empty(); }, 2);
    ASSERT_EQ(
        linesStarting({"Action: "}),
        std::vector<std::string>{"Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"});
    const CGRect before = frameOf(front);

    const ui::Image shot = screenshotOf(*world, *tooltips, laptop().frame, desktopColour);
    const std::filesystem::path file = "end_to_end_titlebar_scroll.png";
    ASSERT_TRUE(shot.savePng(file.string()));
    EXPECT_TRUE(std::filesystem::exists(file));

    // The 40 x 30 window tooltip stands centred on the pointer; the left half of it is the
    // snap's span, in the accent colour; its right half is the tooltip's own fill.
    const auto accent = *platform::controlAccentColor();
    const int x = static_cast<int>(pointer.x);
    const int y = static_cast<int>(pointer.y);
    EXPECT_TRUE(sameColour(shot.pixel(x - 12, y - 7), accent));
    EXPECT_TRUE(sameColour(shot.pixel(x - 4, y + 6), accent));
    const platform::RGBColor fill = shot.pixel(x + 12, y + 6);
    EXPECT_FALSE(sameColour(fill, accent)) << "the half the window does not take";
    EXPECT_FALSE(sameColour(fill, desktopColour)) << "the tooltip's own fill";
    EXPECT_FALSE(sameColour(shot.pixel(x - 30, y), accent)) << "beside it";
    EXPECT_FALSE(sameColour(shot.pixel(x, y + 30), accent)) << "below it";
    EXPECT_FALSE(sim::Cursor::of(*world).isVisible()) << "the pointer is hidden under it";
    EXPECT_EQ(frameOf(front), before) << "nothing happens before the fingers lift";

    scheduler().runFor(2);
    EXPECT_EQ(frameOf(front), (CGRect{0, 25, 720, 810}));
}

}  // namespace
}  // namespace zoral::engine::testing
