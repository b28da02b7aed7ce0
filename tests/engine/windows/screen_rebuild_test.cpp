#include "engine/windows/screen_rebuild.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/screen.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/temporary_home.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::engine {
namespace {

using desktop::Screen;
using platform::CGRect;
using settings::Defaults::Keys;
using sim::Display;
using sim::DockEdge;
using sim::DockInset;

Display laptop() {
    return {.number = 1, .uuid = "A", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25};
}

Display external() {
    return {.number = 2, .uuid = "B", .frame = {1440, 100, 1920, 1080}, .menuBarHeight = 25};
}

class ScreenRebuildTest : public zoral::testing::VirtualClockTest {
protected:
    ScreenRebuildTest() {
        for (const auto* key : Keys::all())
            key->registerDefault();
    }
    ~ScreenRebuildTest() override { Screen::setScreens({}); }

    sim::Displays& displays() { return sim::Displays::of(*world); }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
};

enum class StageManager { off, on, autoHide, onButNotInTheProgram, onButOldSystem };

struct SnapCase {
    const char* what;
    std::optional<DockEdge> dock;
    std::int64_t gridOffset;
    bool edges;
    bool dark;
    StageManager stageManager;
    CGRect expected;
};

// One 1440 x 900 display with a 25-point menu bar and the Dock 70 points tall at the bottom or 64
// points wide at a side. Its visible frame in top-left coordinates is then (0, 25, 1440, 805) with
// the Dock at the bottom, (64, 25, 1376, 875) on the left, (0, 25, 1376, 875) on the right, and
// (0, 25, 1440, 875) without it.
TEST_F(ScreenRebuildTest, TheSnapFrameKeepsClearOfDockAndStageManagerAndInsetsByTheOffset) {
    using enum StageManager;
    const auto bottom = DockEdge::bottom;
    const auto left = DockEdge::left;
    const auto right = DockEdge::right;
    const SnapCase cases[] = {
        {"Dock at the bottom, offset 0: one point off the Dock",
         bottom,
         0,
         true,
         false,
         off,
         {0, 25, 1440, 804}},
        {"no offset at all", bottom, -1, true, false, off, {0, 25, 1440, 805}},
        {"Dock on the left, offset 0", left, 0, true, false, off, {65, 25, 1375, 875}},
        {"Dock on the right, offset 0", right, 0, true, false, off, {0, 25, 1375, 875}},
        {"no Dock, offset 0", std::nullopt, 0, true, false, off, {0, 25, 1440, 875}},
        {"offset 10 with edges, light: the top edge moves 9",
         bottom,
         10,
         true,
         false,
         off,
         {10, 34, 1420, 786}},
        {"offset 10 with edges, dark: one more on the Dock's side",
         bottom,
         10,
         true,
         true,
         off,
         {10, 35, 1420, 784}},
        {"offset 10 with edges, dark, Dock on the right",
         right,
         10,
         true,
         true,
         off,
         {10, 35, 1355, 855}},
        {"offset 10 with edges, dark, Dock on the left",
         left,
         10,
         true,
         true,
         off,
         {75, 35, 1355, 855}},
        {"offset 10 without edges is offset 0", bottom, 10, false, false, off, {0, 25, 1440, 804}},
        {"offset 10 without edges is offset 0, dark too",
         bottom,
         10,
         false,
         true,
         off,
         {0, 25, 1440, 804}},
        {"Stage Manager with the Dock at the bottom: the strip on the left",
         bottom,
         0,
         true,
         false,
         on,
         {190, 25, 1250, 804}},
        {"Stage Manager with the Dock on the left: the strip on the right",
         left,
         0,
         true,
         false,
         on,
         {65, 25, 1185, 875}},
        {"Stage Manager with the Dock on the right",
         right,
         0,
         true,
         false,
         on,
         {190, 25, 1185, 875}},
        {"Stage Manager hiding itself takes no room",
         bottom,
         0,
         true,
         false,
         autoHide,
         {0, 25, 1440, 804}},
        {"Stage Manager off in the program",
         bottom,
         0,
         true,
         false,
         onButNotInTheProgram,
         {0, 25, 1440, 804}},
        {"Stage Manager on a system without it",
         bottom,
         0,
         true,
         false,
         onButOldSystem,
         {0, 25, 1440, 804}},
    };
    displays().setDisplays({laptop()});
    for (const SnapCase& c : cases) {
        SCOPED_TRACE(c.what);
        displays().placeDock(
            0, c.dock ? std::optional(DockInset{*c.dock, *c.dock == bottom ? 70.0 : 64.0})
                      : std::nullopt);
        settings::Defaults::writeValue(Keys::gridOffset(), c.gridOffset);
        settings::Defaults::writeValue(Keys::gridOffsetEdges(), c.edges);
        sim::setInterfaceStyle(c.dark ? std::optional<std::string>("Dark") : std::nullopt);
        sim::setStageManager(c.stageManager != off, c.stageManager == autoHide);
        settings::Defaults::writeValue(Keys::stageManagerMode(),
                                       c.stageManager != onButNotInTheProgram);
        sim::SystemVersion::of(*world).setVersion(c.stageManager == onButOldSystem
                                                      ? platform::OperatingSystemVersion{12, 7, 0}
                                                      : platform::OperatingSystemVersion{14, 0, 0});

        reinitializeScreens();
        const auto screens = Screen::screens();
        ASSERT_EQ(screens.size(), 1u);
        EXPECT_EQ(screens[0].snapFrame, c.expected);
        EXPECT_EQ(screens[0].uiFrame, (CGRect{0, 0, 1440, 900}));
        EXPECT_EQ(screens[0].axFrame, (CGRect{0, 0, 1440, 900}));
    }
}

TEST_F(ScreenRebuildTest, FractionalFramesAreRoundedInSizeOnly) {
    Display display = laptop();
    display.menuBarHeight = 24.5;
    display.frame.size.width = 1440.5;
    displays().setDisplays({display});
    settings::Defaults::writeValue(Keys::gridOffset(), std::int64_t{-1});
    reinitializeScreens();
    const auto screens = Screen::screens();
    ASSERT_EQ(screens.size(), 1u);
    // The visible frame is (0, 24.5, 1440.5, 875.5) in top-left coordinates.
    EXPECT_EQ(screens[0].snapFrame, (CGRect{0, 24.5, 1441, 876}));
    EXPECT_EQ(screens[0].uiFrame, (CGRect{0, 0, 1441, 900}));
}

TEST_F(ScreenRebuildTest, EveryDisplayBecomesAScreenInOrderWithoutAccessibilityCalls) {
    displays().setDisplays({laptop(), external()});
    displays().placeDock(0, DockInset{DockEdge::bottom, 70});
    Display anonymous = external();
    anonymous.number.reset();
    anonymous.frame = {-1280, 0, 1280, 800};
    displays().addDisplay(anonymous);
    world->resetRoundTrips();

    zoral::testing::ScopedOutputCapture output;
    reinitializeScreens();

    EXPECT_EQ(world->roundTripCount(), 0);
    const auto screens = Screen::screens();
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(screens[0].uiFrame, (CGRect{0, 0, 1440, 900}));
    EXPECT_EQ(screens[1].uiFrame, (CGRect{1440, 100, 1920, 1080}));
    EXPECT_EQ(screens[1].axFrame, (CGRect{1440, -280, 1920, 1080}));
    EXPECT_EQ(screens[1].snapFrame, (CGRect{1440, -255, 1920, 1055}));
    EXPECT_EQ(screens[2].axFrame, (CGRect{-1280, 100, 1280, 800}));
    EXPECT_EQ(screens[1].nsScreen, platform::NSScreen::screens()[1]);
    EXPECT_EQ(output.lines(), (std::vector<std::string>{
                                  "StageManager: disabled", "StageManager: disabled",
                                  "StageManager: disabled", "Screens: re-initialized 3 screens"}));

    // A rebuild replaces the whole list.
    displays().removeDisplay(2);
    reinitializeScreens();
    EXPECT_EQ(Screen::screens().size(), 2u);
    displays().setDisplays({});
    output.clear();
    reinitializeScreens();
    EXPECT_TRUE(Screen::screens().empty());
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Screens: re-initialized 0 screens"});
}

TEST_F(ScreenRebuildTest, TheSettingsFoldIntoTheGridOffset) {
    struct Case {
        std::int64_t gridOffset;
        bool edges;
        GridOffset expected;
    };
    const Case cases[] = {
        {0, true, GridOffset::minimal()},     {0, false, GridOffset::minimal()},
        {-1, true, GridOffset::none()},       {12, true, GridOffset::edges(12)},
        {12, false, GridOffset::noEdges(12)}, {-5, true, GridOffset::edges(-5)},
    };
    for (const Case& c : cases) {
        settings::Defaults::writeValue(Keys::gridOffset(), c.gridOffset);
        settings::Defaults::writeValue(Keys::gridOffsetEdges(), c.edges);
        EXPECT_EQ(currentGridOffset(), c.expected) << c.gridOffset << ' ' << c.edges;
    }
}

}  // namespace
}  // namespace zoral::engine
