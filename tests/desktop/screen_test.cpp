#include "desktop/screen.h"

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/input_devices.h"
#include "sim/world.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::CGPoint;
using platform::CGRect;
using platform::NSScreen;
using sim::Display;
using sim::DockEdge;
using sim::DockInset;

Display laptop() {
    return {.number = 1, .uuid = "A", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25};
}

// To the right of the laptop, a little higher.
Display external() {
    return {.number = 2, .uuid = "B", .frame = {1440, 100, 1920, 1080}, .menuBarHeight = 25};
}

// A screen that only its uiFrame tells apart.
Screen screenAt(CGRect uiFrame) {
    return {.nsScreen = NSScreen(uiFrame, uiFrame, {}),
            .uiFrame = uiFrame,
            .axFrame = uiFrame,
            .snapFrame = uiFrame};
}

class ScreenTest : public zoral::testing::VirtualClockTest {
protected:
    ScreenTest() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
    }
    ~ScreenTest() override { Screen::setScreens({}); }

    sim::Displays& displays() { return sim::Displays::of(*world); }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
};

TEST_F(ScreenTest, FlipTurnsBetweenTheCoordinateSystemsOnThePrimaryHeight) {
    // Without displays the height is 0.
    EXPECT_EQ(flip(CGRect{0, 10, 100, 50}), (CGRect{0, -60, 100, 50}));

    displays().setDisplays({laptop(), external()});
    const CGRect cases[] = {{0, 70, 1440, 805}, {1440, 100, 1920, 1080}, {-10.5, 3, 7, 0}};
    const CGRect expected[] = {{0, 25, 1440, 805}, {1440, -280, 1920, 1080}, {-10.5, 897, 7, 0}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(flip(cases[i]), expected[i]) << i;
        EXPECT_EQ(flip(flip(cases[i])), cases[i]) << i;
    }
    EXPECT_EQ(flipPoint({10, 900}), (CGPoint{10, 0}));
    EXPECT_EQ(flipPoint(flipPoint({-3, 1200})), (CGPoint{-3, 1200}));
}

TEST_F(ScreenTest, DisplayIDIsAThirtyTwoBitNumberOrZero) {
    struct Case {
        std::optional<std::int64_t> number;
        platform::CGDirectDisplayID expected;
    };
    const Case cases[] = {
        {5, 5}, {std::nullopt, 0}, {-1, 0}, {4294967295, 4294967295u}, {4294967296, 0},
    };
    for (const Case& c : cases) {
        Display display = laptop();
        display.number = c.number;
        EXPECT_EQ(displayID(display.screen()), c.expected) << c.number.value_or(-99);
    }
    EXPECT_EQ(screenSplit(1), (std::pair<std::int64_t, std::int64_t>{1, 1}));
    EXPECT_EQ(screenSplit(0), (std::pair<std::int64_t, std::int64_t>{1, 1}));
}

TEST_F(ScreenTest, TheDockSideFollowsFromFrameAndVisibleFrame) {
    const CGRect frame{0, 0, 1440, 900};
    struct Case {
        CGRect visible;
        DockPosition expected;
    };
    const Case cases[] = {
        {{0, 70, 1440, 805}, DockPosition::bottom},
        {{64, 0, 1376, 875}, DockPosition::left},
        {{0, 0, 1376, 875}, DockPosition::right},
        {{0, 0, 1440, 875}, DockPosition::hidden},    // only the menu bar
        {{10, 0, 1420, 875}, DockPosition::hidden},   // both sides in
        {{10, 70, 1430, 805}, DockPosition::hidden},  // bottom and a side
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dockPosition(NSScreen(frame, c.visible, {})), c.expected)
            << platform::caseName(c.expected);
    }
}

TEST_F(ScreenTest, StageManagerNeedsTheSystemTheSettingAndTheSwitch) {
    displays().setDisplays({laptop()});
    const NSScreen screen = NSScreen::screens().front();
    const auto position = [&] { return stageManagerPosition(screen); };

    sim::setStageManager(true, false);
    EXPECT_EQ(position(), StageManagerPosition::disabled) << "the program's setting is off";
    settings::Defaults::writeValue(settings::Defaults::Keys::stageManagerMode(), true);
    EXPECT_EQ(position(), StageManagerPosition::left) << "no Dock orientation";
    sim::setDockOrientation("left");
    EXPECT_EQ(position(), StageManagerPosition::right) << "the Dock on the left";
    sim::setDockOrientation("right");
    EXPECT_EQ(position(), StageManagerPosition::left);
    sim::setStageManager(true, true);
    EXPECT_EQ(position(), StageManagerPosition::autoHide);
    sim::setStageManager(false, true);
    EXPECT_EQ(position(), StageManagerPosition::disabled) << "switched off";
    sim::setStageManager(true, false);
    sim::SystemVersion::of(*world).setVersion({12, 6, 0});
    EXPECT_EQ(position(), StageManagerPosition::disabled) << "a system without it";
}

TEST_F(ScreenTest, ADisplayIsFoundByPointWithTheMainOneAsFallback) {
    displays().setDisplays({laptop(), external()});
    displays().setMainDisplay(2);
    EXPECT_EQ(screenContaining({1500, 150})->frame(), external().frame);
    EXPECT_EQ(screenContaining({0, 0})->frame(), laptop().frame);
    // The top edge is outside a frame for a point but inside for the mouse.
    EXPECT_EQ(screenContaining({100, 900})->frame(), external().frame);
    sim::InputDevices::of(*world).movePointer({100, 0});
    EXPECT_EQ(screenUnderMouse()->frame(), laptop().frame);
    sim::InputDevices::of(*world).movePointer({100, 900});
    EXPECT_EQ(screenUnderMouse()->frame(), external().frame) << "the bottom edge is outside";
    sim::InputDevices::of(*world).movePointer({-500, -500});
    EXPECT_EQ(screenUnderMouse()->frame(), external().frame);

    displays().setDisplays({});
    EXPECT_EQ(screenContaining({0, 0}), std::nullopt);
    EXPECT_EQ(screenUnderMouse(), std::nullopt);
}

TEST_F(ScreenTest, AScreenIsFoundByPointWithTheFirstAsFallback) {
    EXPECT_EQ(screenContainingPoint({0, 0}), std::nullopt);
    const Screen left = screenAt({0, 0, 1440, 900});
    const Screen right = screenAt({1440, 0, 1920, 1080});
    Screen::setScreens({left, right});
    EXPECT_EQ(screenContainingPoint({1440, 0}), right);
    EXPECT_EQ(screenContainingPoint({1439.5, 899.5}), left);
    EXPECT_EQ(screenContainingPoint({5000, 5000}), left);
}

TEST_F(ScreenTest, ScreensAreTheSameByTheirUIFrameAlone) {
    Screen a = screenAt({0, 0, 100, 100});
    Screen b = screenAt({-0.0, 0, 100, 100});
    b.snapFrame = {5, 5, 90, 90};
    b.nsScreen = NSScreen({0, 0, 1, 1}, {0, 0, 1, 1}, {});
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<Screen>{}(a), std::hash<Screen>{}(b));
    EXPECT_NE(a, screenAt({0, 0, 100, 101}));
    const std::unordered_set<Screen> set{a, b, screenAt({100, 0, 100, 100})};
    EXPECT_EQ(set.size(), 2u);
}

// The neighbour search in bottom-left coordinates (up is towards larger y).
struct NeighbourCase {
    const char* what;
    std::vector<CGRect> others;  // the list after the source, in order
    Direction direction;
    std::optional<std::size_t> expected;  // index into others
};

TEST_F(ScreenTest, TheNeighbourIsTheNearestThenTheMostOverlappingThenTheLater) {
    const CGRect source{0, 0, 1000, 1000};
    const NeighbourCase cases[] = {
        {"directly to the right, covering the source's span",
         {{1000, 0, 1920, 1080}},
         Direction::right,
         0},
        {"nothing to the left", {{1000, 0, 1920, 1080}}, Direction::left, std::nullopt},
        {"touching only at a corner, and nothing nearer",
         {{1000, 1000, 500, 500}, {2000, 0, 1000, 1000}},
         Direction::right,
         0},
        {"touching only at a corner, counted upwards too",
         {{1000, 1000, 500, 500}},
         Direction::up,
         0},
        {"two stacked halves: the later wins",
         {{1000, 0, 800, 500}, {1000, 500, 800, 500}},
         Direction::right,
         1},
        {"two stacked halves listed the other way",
         {{1000, 500, 800, 500}, {1000, 0, 800, 500}},
         Direction::right,
         1},
        {"the nearer wins over the larger overlap",
         {{1100, 0, 1000, 1000}, {1000, 0, 500, 200}},
         Direction::right,
         1},
        {"at equal distance the larger overlap wins over the later",
         {{1000, 200, 500, 1000}, {1000, -800, 500, 1000}},
         Direction::right,
         0},
        {"a screen within the span overlaps by its share",
         {{1000, 100, 500, 300}, {1000, -800, 500, 1000}},
         Direction::right,
         0},
        {"a narrower screen above counts", {{200, 1000, 300, 400}}, Direction::up, 0},
        {"above but beside the span", {{-300, 1000, 200, 400}}, Direction::up, std::nullopt},
        {"below, overlapping part of the span", {{500, -800, 1000, 800}}, Direction::down, 0},
        {"to the left with a gap", {{-2000, 300, 1500, 900}}, Direction::left, 0},
        {"overlapping the source is no neighbour",
         {{900, 0, 1000, 1000}},
         Direction::right,
         std::nullopt},
        {"beside but not across the span",
         {{1000, 2000, 500, 500}},
         Direction::right,
         std::nullopt},
        {"a copy of the source is never its neighbour", {source}, Direction::right, std::nullopt},
        {"pinches have no neighbour", {{1000, 0, 1000, 1000}}, Direction::inwards, std::nullopt},
        {"pinches have no neighbour", {{1000, 0, 1000, 1000}}, Direction::outwards, std::nullopt},
    };
    for (const NeighbourCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Screen> screens{screenAt(source)};
        for (const CGRect& other : c.others)
            screens.push_back(screenAt(other));
        Screen::setScreens(screens);
        const auto found = neighbourScreen(screens.front(), c.direction);
        if (c.expected) {
            ASSERT_TRUE(found);
            EXPECT_EQ(found->uiFrame, c.others[*c.expected]);
        } else {
            EXPECT_EQ(found, std::nullopt);
        }
    }
}

TEST_F(ScreenTest, NeighbourDirectionsKeepTheirOrderAndNeverPinch) {
    const Screen centre = screenAt({0, 0, 1000, 1000});
    Screen::setScreens({centre, screenAt({1000, 0, 1000, 1000}), screenAt({0, 1000, 1000, 1000})});
    EXPECT_EQ(allNeighbourDirections(centre),
              (std::vector<Direction>{Direction::up, Direction::right}));
    const std::vector<Direction> asked{Direction::right, Direction::inwards, Direction::left,
                                       Direction::up};
    EXPECT_EQ(neighbourDirections(asked, centre),
              (std::vector<Direction>{Direction::right, Direction::up}));
}

TEST_F(ScreenTest, DisplayChangesTellWhetherTheCountOrTheVisibleFramesChanged) {
    displays().setDisplays({laptop()});
    std::vector<std::pair<bool, bool>> calls;
    const auto token = observeScreenParameters([&](bool countChanged, bool framesChanged) {
        calls.emplace_back(countChanged, framesChanged);
    });

    // The first change after the start is compared with the displays at the start.
    displays().placeDock(0, DockInset{DockEdge::bottom, 70});
    displays().addDisplay(external());
    displays().updateDisplay(2, [](Display&) {});
    displays().updateDisplay(2, [](Display& d) { d.frame.origin.x = 1500; });
    displays().removeDisplay(1);
    using Calls = std::vector<std::pair<bool, bool>>;
    EXPECT_EQ(calls,
              (Calls{{false, true}, {true, true}, {false, false}, {false, true}, {true, true}}));

    platform::NotificationCenter::defaultCenter().removeObserver(token);
}

}  // namespace
}  // namespace zoral::desktop
