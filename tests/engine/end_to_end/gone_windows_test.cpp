// Snapped windows that go away, whatever ended them: a window snapped by a gesture leaves the
// registry with its window or its process, and the windows of other processes stay snapped. A
// process that ends tells its observers nothing; only the workspace announces it.

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/snapped_window_registry.h"
#include "end_to_end_world.h"
#include "engine/windows/snapped_windows.h"
#include "platform/dispatch.h"
#include "sim/hardware_input.h"
#include "sim/spaces.h"

namespace zoral::engine::testing {
namespace {

using sim::PinchStroke;
using sim::ScrollStroke;
using T = EndToEndWorld;

ScrollStroke scrollLeft() {
    return ScrollStroke{.moves = {{.travel = leftwards, .events = 8, .holdAfter = 0.05}}};
}

// Fingers closing in: the Dock tile's quit.
PinchStroke pinchIn() {
    return PinchStroke{.magnifications = std::vector<double>(20, -0.02)};
}

// The application does it of itself, that many seconds from now, whatever the program is doing.
void later(double seconds, std::function<void()> work) {
    platform::DispatchQueue::global().asyncAfter(platform::DispatchTime::now() + seconds,
                                                 std::move(work));
}

struct Ending {
    std::string name;
    // Snaps the editor's "front" with a gesture, and ends it (or its process) somehow.
    std::function<void(T&)> act;
};

void PrintTo(const Ending& ending, std::ostream* os) {
    *os << ending.name;
}

const std::vector<Ending>& endings() {
    static const std::vector<Ending> table{
        {"the application quits or crashes after the snap",
         [](T& t) {
             t.play(t.titleBarOf(t.front), {scrollLeft()});
             ASSERT_TRUE(SnappedWindows::shared().isSnapped(*T::windowOf(t.front)));
             t.world->removeProcess(T::editorPid);
         }},
        {"the application is quit by a gesture while the window is on another space",
         [](T& t) {
             t.play(t.titleBarOf(t.front), {scrollLeft()});
             ASSERT_TRUE(SnappedWindows::shared().isSnapped(*T::windowOf(t.front)));
             // The user took it to the second space in Mission Control.
             sim::Spaces::of(*t.world).placeWindow(t.front->windowNumber(), 2);
             t.play(t.centreOf(t.editorTile), {pinchIn()}, 2);
             ASSERT_EQ(t.world->process(T::editorPid), nullptr);
         }},
        {"the application closes the window while the snap writes its frame",
         [](T& t) {
             // Each size write takes a second: the window goes during the first.
             t.world->addLatencyRule({.pid = T::editorPid,
                                      .kind = sim::RoundTrip::setAttributeValue,
                                      .name = "AXSize",
                                      .seconds = 1});
             later(0.6, [&t] { t.front->close(*t.world); });
             t.play(t.titleBarOf(t.front), {scrollLeft()}, 5);
         }},
        {"the application closes the window before the fingers lift",
         [](T& t) {
             ScrollStroke stroke = scrollLeft();
             stroke.moves.front().holdAfter = 0.5;
             later(0.3, [&t] { t.front->close(*t.world); });
             t.play(t.titleBarOf(t.front), {stroke}, 2);
         }},
        {"the application crashes before the fingers lift",
         [](T& t) {
             // The workspace's announcement comes before the snap of the gone window.
             ScrollStroke stroke = scrollLeft();
             stroke.moves.front().holdAfter = 0.5;
             later(0.3, [&t] { t.world->removeProcess(T::editorPid); });
             t.play(t.titleBarOf(t.front), {stroke}, 2);
         }},
    };
    return table;
}

class GoneWindows : public EndToEndWorld, public ::testing::WithParamInterface<Ending> {
protected:
    long countLines(const std::string& text) const {
        const auto& lines = output.lines();
        return std::count(lines.begin(), lines.end(), text);
    }
};

TEST_P(GoneWindows, LeaveTheRegistryWithTheirWindowOrProcess) {
    startEngine();
    // Another application's snapped window, which nothing here ends.
    play(titleBarOf(viewerWindow), {scrollLeft()});
    ASSERT_EQ(SnappedWindows::shared().count(), 1U);

    GetParam().act(*this);
    settle(2);

    const auto snapped = SnappedWindows::shared().windows();
    ASSERT_EQ(snapped.size(), 1U) << ::testing::PrintToString(output.lines());
    EXPECT_EQ(*snapped.front(), *windowOf(viewerWindow));
    // As the rest of the program sees it (the menu offers to unsnap while it is not empty).
    EXPECT_EQ(desktop::SnappedWindowRegistry::shared().count(), 1U);
    // No observation of the editor is left behind.
    EXPECT_EQ(countLines("Observer: Initialized (pid=12)"),
              countLines("Observer: Destroyed (pid=12)"))
        << ::testing::PrintToString(output.lines());
}

INSTANTIATE_TEST_SUITE_P(Endings, GoneWindows, ::testing::ValuesIn(endings()),
                         [](const ::testing::TestParamInfo<Ending>& ending) {
                             return testName(ending.param.name);
                         });

}  // namespace
}  // namespace zoral::engine::testing
