// What one resolution costs in accessibility round trips (each an inter-process message on the
// real system), per kind of origin, counted by the simulated desktop on one fixed desktop. The
// resolution runs on every phase inside the event tap's callback, so these are pinned; the
// breakdown is printed for the record.

#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/mission_control_space.h"
#include "desktop/tab.h"
#include "engine/resolution/desktop_resolution_query.h"
#include "engine/resolution/resolution.h"
#include "engine/windows/snap_engine.h"
#include "resolution_answers.h"
#include "resolution_world.h"
#include "sim/dock.h"
#include "sim/spaces.h"
#include "sim/tabs.h"

namespace zoral::engine {
namespace {

using desktop::Direction;

struct Scenario {
    const char* name;
    OriginType type;
    const char* directions;
    const char* phases;
    std::vector<Modifier> modifiers;
    const char* expected;
    std::int64_t roundTrips;
};

// The desktop: the editor with a window on the laptop (snapped to the left half, with a tab bar),
// one on the external display and a minimised one; Mission Control shows the laptop's two
// desktops and the external display's one.
class ResolutionRoundTripsTest : public testing::ResolutionWorldTest {
protected:
    ResolutionRoundTripsTest() {
        sim::Dock::install(*world);
        window = addWindow(onLaptop);
        addWindow(onExternal);
        addMinimizedWindow(onLaptop);
        const auto strip = sim::Tabs::install(*world).addTabs(
            *world, window, sim::TabTreeShape::native, {"One", "Two"});
        snap(windowOf(window), {{0, 0}, {1, 1}, {2, 1}}, screen(0));
        auto& spaces = sim::Spaces::of(*world);
        spaces.setDisplaySpaces(*world, {{"LAPTOP", 1, {{1}, {2}}}, {"EXTERNAL", 10, {{10}}}});
        spaces.showMissionControl(*world);
        settle();

        const platform::CGRect label = *strip.labels[0]->frame();
        const platform::CGPoint onTab{label.midX(), label.midY()};
        tab = desktop::Tab::make(std::make_shared<desktop::UIElement>(strip.labels[0]->element()),
                                 windowOf(window), onTab);
        space = desktop::MissionControlSpace::make(
            std::make_shared<desktop::UIElement>(spaces.buttonOf(2)->element()));
    }

    Origin originFor(OriginType type) const {
        Origin origin = originOn(type, window);
        if (type == OriginType::tab)
            origin.tab = tab;
        if (type == OriginType::mcSpace)
            origin.space = space;
        return origin;
    }

    std::shared_ptr<sim::WindowNode> window;
    std::shared_ptr<desktop::Tab> tab;
    std::shared_ptr<desktop::MissionControlSpace> space;
};

TEST_F(ResolutionRoundTripsTest, OneResolutionPerOriginKind) {
    ASSERT_TRUE(tab);
    ASSERT_TRUE(space);
    const std::vector<Scenario> scenarios = {
        {"titlebar, up",
         OriginType::titlebar,
         "up",
         "scrolled",
         {},
         "snap (0, 0)-(1, 1) in (1, 1)",
         1},
        {"titlebar, down", OriginType::titlebar, "down", "scrolled", {}, "minimize", 2},
        {"titlebar, up up rested",
         OriginType::titlebar,
         "up up",
         "scrolled scrolled rested",
         {},
         "sendToFullscreen(right)",
         1},
        {"hotkey, screen right",
         OriginType::hotkey,
         "right",
         "scrolled",
         {Modifier::screen},
         "sendToScreen(right)",
         1},
        {"tab, rested", OriginType::tab, "", "rested", {}, "detachTab chain", 1},
        {"dockItem, up", OriginType::dockItem, "up", "scrolled", {}, "unminimizeLast", 10},
        {"dockItem, left", OriginType::dockItem, "left", "scrolled", {}, "cycle(left)", 10},
        {"minDockItem, up",
         OriginType::minDockItem,
         "up",
         "scrolled",
         {},
         "unminimizeFromPreview",
         0},
        {"menubar, down", OriginType::menubar, "down", "scrolled", {}, "minimizeScreen", 0},
        {"menubar, tapped", OriginType::menubar, "", "tapped", {}, "unsnapScreen", 0},
        {"menubar, screen right",
         OriginType::menubar,
         "right",
         "scrolled",
         {Modifier::screen},
         "sendAllToScreen(right)",
         1},
        {"mcSpace, right",
         OriginType::mcSpace,
         "right",
         "scrolled",
         {},
         "sendSpaceToScreen(right)",
         14},
    };
    for (const Scenario& scenario : scenarios) {
        const auto directions = testing::casesNamed<Direction>(scenario.directions);
        const auto phases = testing::casesNamed<Phase>(scenario.phases);
        const GestureState state{.originType = scenario.type,
                                 .directions = directions,
                                 .phases = phases,
                                 .modifiers = scenario.modifiers};
        DesktopResolutionQuery query(originFor(scenario.type));
        world->resetRoundTrips();

        const Resolution resolution = resolveAction(state, query);

        std::cout << "  " << scenario.name << ": " << world->roundTripCount() << " round trips ("
                  << roundTripBreakdown() << ")\n";
        EXPECT_EQ(testing::brief(resolution.outcome), scenario.expected) << scenario.name;
        EXPECT_EQ(world->roundTripCount(), scenario.roundTrips) << scenario.name;
    }
}

}  // namespace
}  // namespace zoral::engine
