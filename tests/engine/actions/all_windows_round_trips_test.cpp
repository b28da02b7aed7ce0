// What one run of each operation on all windows costs: accessibility round trips (each an
// inter-process message on the real system), posted events and pointer warps, counted by the
// simulated desktop on one fixed desktop. The counts do not depend on the machine, so they are
// pinned here; the breakdown is printed for the record.

#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "all_windows_world.h"
#include "engine/actions/all_windows.h"
#include "engine/windows/snap_engine.h"

namespace zoral::engine {
namespace {

using desktop::Application;
using desktop::Direction;

struct Operation {
    const char* name;
    std::function<void(Application& editor, const desktop::Screen& laptop)> run;
    std::int64_t roundTrips;
    std::size_t warps;
};

// The desktop: on the laptop the editor's window snapped to the left half, a plain one and a
// minimised one, and a minimised window of the viewer; on the external display a window of each.
class AllWindowsRoundTripsTest : public testing::AllWindowsWorldTest,
                                 public ::testing::WithParamInterface<Operation> {
protected:
    AllWindowsRoundTripsTest() {
        const auto snapped = addWindow(onLaptop);
        addWindow({300, 300, 500, 300});
        addMinimizedWindow(onLaptop);
        addWindow(onExternal);
        addWindow(onExternal, {}, viewerPid);
        addMinimizedWindow(onLaptop, viewerPid);
        snap(windowOf(snapped), {{0, 0}, {1, 1}, {2, 1}}, screen(0));
        settle();
    }
};

TEST_P(AllWindowsRoundTripsTest, OneRunCosts) {
    const Operation& operation = GetParam();
    // The gesture's origin has made the application and holds the screen already.
    const auto editor = application(editorPid);
    const desktop::Screen laptop = screen(0);
    world->resetRoundTrips();
    input().resetPostedEvents();

    operation.run(*editor, laptop);
    // The delayed writes, and what the windows' observers do about them.
    settle(0.1);

    std::cout << "  " << operation.name << ": " << world->roundTripCount() << " round trips ("
              << roundTripBreakdown() << "), " << input().postedEvents().size()
              << " posted events, " << input().warps().size() << " warps\n";
    EXPECT_EQ(world->roundTripCount(), operation.roundTrips);
    EXPECT_TRUE(input().postedEvents().empty());
    EXPECT_EQ(input().warps().size(), operation.warps);
}

// Listing the windows costs each application its role and "AXWindows", and each window its role
// and whether "AXMinimized" is settable and its value; a screen operation reads each candidate's
// frame; each window changed is one delayed write. A snap or an unsnap costs what its steps read
// and write.
INSTANTIATE_TEST_SUITE_P(
    Operations, AllWindowsRoundTripsTest,
    ::testing::Values(
        Operation{"minimizeAll",
                  [](Application& editor, const desktop::Screen&) { minimizeAllWindows(editor); },
                  16, 0},
        Operation{"minimizeGlobal",
                  [](Application&, const desktop::Screen&) { dispatchMinimizeAllApplications(); },
                  26, 0},
        Operation{"minimizeScreen",
                  [](Application&, const desktop::Screen& laptop) {
                      dispatchMinimizeWindowsOnScreen(laptop);
                  },
                  28, 0},
        Operation{"unminimizeGlobal",
                  [](Application&, const desktop::Screen&) { dispatchUnminimizeAllWindows(); }, 24,
                  0},
        Operation{"unminimizeScreen",
                  [](Application&, const desktop::Screen& laptop) {
                      dispatchUnminimizeWindowsOnScreen(laptop);
                  },
                  26, 0},
        Operation{
            "unsnapScreen",
            [](Application&, const desktop::Screen& laptop) { unsnapWindowsOnScreen(laptop); }, 6,
            0},
        Operation{"sendAllToScreen",
                  [](Application&, const desktop::Screen& laptop) {
                      moveAllWindowsToScreen(Direction::right, laptop);
                  },
                  11, 1}),
    [](const ::testing::TestParamInfo<Operation>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zoral::engine
