// The resolution's questions answered by the desktop model on the simulated desktop: each answer
// read once per resolution, errors and missing objects taken as "no".

#include "engine/resolution/desktop_resolution_query.h"

#include <vector>

#include <gtest/gtest.h>

#include "engine/windows/snap_engine.h"
#include "platform/accessibility.h"
#include "resolution_world.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using settings::ActionUserType;

class DesktopResolutionQueryTest : public testing::ResolutionWorldTest {};

TEST_F(DesktopResolutionQueryTest, ReadsTheWindowsStatesOncePerResolution) {
    const auto node = addWindow(onLaptop);
    node->set("AXFullScreen", true);
    node->setSettable("AXMinimized", false);
    DesktopResolutionQuery query(originOn(OriginType::titlebar, node));
    world->resetRoundTrips();

    for (int time = 0; time < 2; ++time) {
        EXPECT_TRUE(query.isFullscreen());
        EXPECT_TRUE(query.canSetFullscreen());
        EXPECT_FALSE(query.canSetMinimized());
    }
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::copyAttributeValue), 1);
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::isAttributeSettable), 2);
    EXPECT_EQ(world->roundTripCount(), 3);
}

TEST_F(DesktopResolutionQueryTest, AnErrorOrNoWindowCountsAsNo) {
    const auto node = addWindow(onLaptop);
    node->set("AXFullScreen", true);
    for (const char* attribute : {"AXFullScreen", "AXMinimized"})
        world->injectError(node->element(), attribute, platform::ax::cannotComplete);
    DesktopResolutionQuery failing(originOn(OriginType::titlebar, node));
    EXPECT_FALSE(failing.isFullscreen());
    EXPECT_FALSE(failing.canSetFullscreen());
    EXPECT_FALSE(failing.canSetMinimized());

    DesktopResolutionQuery windowless(bareOrigin(OriginType::menubar));
    world->resetRoundTrips();
    EXPECT_FALSE(windowless.isFullscreen());
    EXPECT_FALSE(windowless.canSetFullscreen());
    EXPECT_FALSE(windowless.canSetMinimized());
    EXPECT_EQ(windowless.tabAppType(), std::nullopt);
    EXPECT_EQ(windowless.tabWindowFullscreen(), std::nullopt);
    EXPECT_FALSE(windowless.tabCanReroute());
    EXPECT_EQ(windowless.spaceIsMovable(), std::nullopt);
    EXPECT_EQ(windowless.minimizedWindowCount(), 0U);
    EXPECT_EQ(windowless.openWindowCount(), 0U);
    EXPECT_EQ(world->roundTripCount(), 0);
}

TEST_F(DesktopResolutionQueryTest, CountsTheApplicationsOpenAndMinimizedWindows) {
    const auto node = addWindow(onLaptop);
    addWindow(onExternal);
    addMinimizedWindow(onLaptop);
    addWindow(onLaptop, {}, viewerPid);
    DesktopResolutionQuery query(originOn(OriginType::dockItem, node));
    EXPECT_EQ(query.openWindowCount(), 2U);
    EXPECT_EQ(query.minimizedWindowCount(), 1U);
}

TEST_F(DesktopResolutionQueryTest, DisplaysNeighboursAndSnappedWindowsOfTheOriginsScreen) {
    const auto laptopWindow = addWindow(onLaptop);
    const auto externalWindow = addWindow(onExternal);
    DesktopResolutionQuery onTheLaptop(originOn(OriginType::menubar, laptopWindow, 0));
    EXPECT_EQ(onTheLaptop.displayCount(), 2U);
    EXPECT_EQ(onTheLaptop.neighbourDirections(), std::vector<Direction>{Direction::right});
    EXPECT_TRUE(onTheLaptop.isScreenLandscape());
    EXPECT_FALSE(onTheLaptop.hasSnappedWindows());
    EXPECT_FALSE(onTheLaptop.hasSnappedWindowsOnScreen());

    snap(windowOf(externalWindow), {{0, 0}, {1, 1}, {2, 1}}, screen(1));
    settle();
    DesktopResolutionQuery afterSnapLaptop(originOn(OriginType::menubar, laptopWindow, 0));
    DesktopResolutionQuery afterSnapExternal(originOn(OriginType::menubar, externalWindow, 1));
    EXPECT_TRUE(afterSnapLaptop.hasSnappedWindows());
    EXPECT_FALSE(afterSnapLaptop.hasSnappedWindowsOnScreen());
    EXPECT_TRUE(afterSnapExternal.hasSnappedWindowsOnScreen());
    EXPECT_EQ(afterSnapExternal.neighbourDirections(), std::vector<Direction>{Direction::left});
}

TEST_F(DesktopResolutionQueryTest, ReadsTheEnabledKindsAndTheScreenChain) {
    DesktopResolutionQuery defaults(bareOrigin(OriginType::titlebar));
    const bool closeByDefault = defaults.isEnabled(ActionUserType::windowClose);

    settings::Defaults::writeValue(settings::Defaults::Keys::actions(),
                                   settings::ActionUserTypeSet{ActionUserType::snapMax});
    settings::Defaults::writeValue(settings::Defaults::Keys::screensChainGesture(), true);
    DesktopResolutionQuery changed(bareOrigin(OriginType::titlebar));
    EXPECT_TRUE(changed.isEnabled(ActionUserType::snapMax));
    EXPECT_FALSE(changed.isEnabled(ActionUserType::windowClose));
    EXPECT_TRUE(changed.chainsScreenMoves());
    // The answers belong to the resolution: a query made before the change keeps its own.
    EXPECT_EQ(defaults.isEnabled(ActionUserType::windowClose), closeByDefault);
}

}  // namespace
}  // namespace zoral::engine
