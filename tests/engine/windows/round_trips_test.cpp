// What the snapping operations cost in accessibility round trips, each an inter-process message on
// the real system. The counts do not depend on the machine, so they are pinned here.

#include <iostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/windows/snap_engine.h"
#include "snap_world.h"

namespace zoral::engine {
namespace {

using platform::CGRect;

class RoundTripsTest : public testing::SnapWorldTest {
protected:
    std::int64_t measure(const std::function<void()>& operation) {
        world->resetRoundTrips();
        operation();
        const std::int64_t count = world->roundTripCount();
        std::cout << "  " << count << ": " << roundTripBreakdown() << '\n';
        return count;
    }
};

TEST_F(RoundTripsTest, SnapCentreUnsnapAndResnapCostWhatTheirStepsRead) {
    const auto node = addWindow({200, 150, 600, 400});
    // Windows as the gesture finds them: nothing about their applications is known yet.
    const auto fresh = [&] { return windowOf(node); };
    auto window = fresh();
    EXPECT_EQ(measure([&] { snap(window, leftHalf, screen(0)); }), 11);
    window = fresh();
    EXPECT_EQ(measure([&] { center(window, screen(0), {.restore = true}); }), 5);
    snap(fresh(), leftHalf, screen(0));
    window = fresh();
    EXPECT_EQ(measure([&] { unsnap(window); }), 6);

    std::vector<std::shared_ptr<sim::WindowNode>> nodes;
    for (int index = 0; index < 10; ++index) {
        nodes.push_back(addWindow({100.0 + index, 100, 600, 400}));
        snap(windowOf(nodes.back()), {{index % 2, 0}, {index % 2 + 1, 1}, {2, 1}}, screen(0));
    }
    settings::Defaults::writeValue(settings::Defaults::Keys::gridOffset(), std::int64_t{-1});
    reinitializeScreens();
    EXPECT_EQ(measure([] { resnapAllWindows(); }), 10 * 9);
}

TEST_F(RoundTripsTest, AnAdjacentResizeWritesEachNeighbourOnce) {
    std::vector<std::shared_ptr<sim::WindowNode>> quarters;
    for (std::int64_t column = 0; column < 2; ++column) {
        for (std::int64_t row = 0; row < 2; ++row) {
            quarters.push_back(addWindow({200, 150, 600, 400}));
            snap(windowOf(quarters.back()), {{column, row}, {column + 1, row + 1}, {2, 2}},
                 screen(0));
        }
    }
    settle();
    // One step of the user's drag: one resize notification of the window, three neighbours.
    const std::int64_t first = measure([&] {
        userResize(quarters[0], sim::rightEdge, {30, 0}, 1);
    });
    EXPECT_EQ(frameOf(quarters[3]).minX(), 751);
    EXPECT_EQ(first, 19);
}

}  // namespace
}  // namespace zoral::engine
