// The displays change while a gesture runs: the gesture's action never puts a window on a display
// that went.

#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "engine/windows/screen_rebuild.h"
#include "platform/dispatch.h"
#include "sim/displays.h"
#include "sim/hardware_input.h"

namespace zoral::engine::testing {
namespace {

using sim::ScrollStroke;

// The share of the frame that lies on the displays there are now.
double areaOnDisplays(sim::World& world, const CGRect& frame) {
    double area = 0;
    for (const auto& display : sim::Displays::of(world).displays()) {
        const CGRect on = *sim::Displays::of(world).topLeftFrame(display.uuid);
        const double width = std::min(on.maxX(), frame.maxX()) - std::max(on.minX(), frame.minX());
        const double height = std::min(on.maxY(), frame.maxY()) - std::max(on.minY(), frame.minY());
        if (width > 0 && height > 0)
            area += width * height;
    }
    return area / (frame.width() * frame.height());
}

// The viewer's window is snapped to the left half by a scroll on its title bar; its display is
// unplugged while the fingers still move (and the program rebuilds its screens, as it does on
// every change of the displays). The system brings the window onto the laptop, and the snap
// lands there, not on the display that went.
TEST_F(EndToEndWorld, ASnapWhoseDisplayWentMidGestureLandsOnADisplayThatIsThere) {
    startEngine();
    ScrollStroke stroke{.moves = {{.travel = {-200, 0}, .events = 8, .holdAfter = 0.3}}};
    platform::DispatchQueue::global().asyncAfter(platform::DispatchTime::now() + 0.1, [this] {
        sim::Displays::of(*world).removeDisplay(2);
        reinitializeScreens();
    });
    play(titleBarOf(viewerWindow), {stroke});
    ASSERT_EQ(sim::Displays::of(*world).displays().size(), 1U);
    const CGRect frame = frameOf(viewerWindow);
    EXPECT_EQ(areaOnDisplays(*world, frame), 1.0) << ::testing::PrintToString(output.lines());
    // The laptop's left half.
    EXPECT_EQ(frame.minX(), laptopVisible.minX());
    EXPECT_EQ(frame.minY(), laptopVisible.minY());
    EXPECT_LE(frame.maxY(), laptopVisible.maxY());
    EXPECT_NEAR(frame.width(), laptopVisible.width() / 2, 1);
}

}  // namespace
}  // namespace zoral::engine::testing
