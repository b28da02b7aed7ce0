#include "sim/dock.h"

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/workspace.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/hands.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;

class DockTest : public zoral::testing::VirtualClockTest {
protected:
    DockTest() {
        Displays::of(*world).setDisplays({Display{.number = 1, .frame = {0, 0, 1440, 900}}});
        Process& editor = world->addProcess(1, "org.example.editor", "Editor");
        workspace(*world).info(1).bundleURL = "file:///Applications/Editor.app/";
        world->addProcess(2, "org.example.viewer", "Viewer");
        dock = &Dock::install(*world);
        appTile = dock->addApplicationTile(*world, "Editor", "file:///Applications/Editor.app/");
        folder = dock->addFolderTile(*world, "Downloads", "file:///Users/me/Downloads/");
        window = world->makeNode<WindowNode>(1, 10);
        window->set("AXTitle", "Draft");
        window->set("AXMinimized", false);
        window->setSettable("AXMinimized");
        window->resizeTo(*world, {600, 500});
        editor.application->appendChild(window);
    }

    std::vector<std::string> subroles() const {
        std::vector<std::string> result;
        for (const auto& tile : dock->list()->children()) {
            result.push_back(*tile->stored("AXSubrole")->getIf<std::string>());
        }
        return result;
    }

    ScopedWorld world;
    Dock* dock = nullptr;
    std::shared_ptr<DockTileNode> appTile;
    std::shared_ptr<DockTileNode> folder;
    std::shared_ptr<WindowNode> window;
};

TEST_F(DockTest, MinimisedWindowsGetATileThatRestoresThem) {
    const std::vector<std::string> plain = {"AXApplicationDockItem", "AXFolderDockItem"};
    EXPECT_EQ(subroles(), plain);
    ASSERT_EQ(ax::setAttributeValue(window->element(), "AXMinimized", true), ax::success);
    EXPECT_FALSE(dock->tileOf(*window)) << "not before the animation ends";
    scheduler().advance(world->component<Timing>().minimize);
    auto tile = dock->tileOf(*window);
    ASSERT_TRUE(tile);
    EXPECT_EQ(subroles().back(), "AXMinimizedWindowDockItem");
    EXPECT_EQ(ax::copyAttributeValue(tile->element(), "AXTitle").value(), ax::Value("Draft"));

    ASSERT_EQ(ax::performAction(tile->element(), "AXPress"), ax::success);
    EXPECT_TRUE(window->isMinimized());
    scheduler().advance(world->component<Timing>().restore);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(subroles(), plain) << "the tile goes with the restore";
    EXPECT_EQ(ax::copyAttributeValue(ax::createSystemWide(), "AXFocusedApplication").value(),
              ax::Value(world->process(1)->application->element()));
    EXPECT_EQ(ax::copyAttributeValue(ax::createApplication(1), "AXFocusedWindow").value(),
              ax::Value(window->element()));
}

TEST_F(DockTest, AnApplicationTileActivatesAndBringsBackAWindow) {
    window->setMinimized(*world, true);
    ASSERT_EQ(ax::performAction(appTile->element(), "AXPress"), ax::success);
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 1);
    scheduler().advance(world->component<Timing>().restore);
    EXPECT_FALSE(window->isMinimized());
    // With no window at all, the application opens one.
    window->close(*world);
    ASSERT_EQ(ax::performAction(appTile->element(), "AXPress"), ax::success);
    auto application = std::dynamic_pointer_cast<ApplicationNode>(world->process(1)->application);
    ASSERT_EQ(application->windows().size(), 1u);
    EXPECT_EQ(ax::copyAttributeValue(application->windows()[0]->element(), "AXTitle").value(),
              ax::Value("Untitled"));
    // Pressing a folder, a separator or the trash opens nothing here.
    EXPECT_EQ(ax::performAction(folder->element(), "AXPress"), ax::success);
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 1);

    // The user's click on the tile does what the press does; a press dragged off it does not.
    workspace(*world).activateNow(*world, 2);
    const platform::CGRect frame = *appTile->frame();
    Hands& hands = Hands::of(*world);
    hands.movePointer({frame.midX(), frame.midY()});
    hands.pressButton();
    hands.movePointer({frame.midX(), frame.minY() - 100});
    hands.releaseButton();
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 2);
    hands.movePointer({frame.midX(), frame.midY()});
    hands.pressButton();
    hands.releaseButton();
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 1);
}

TEST_F(DockTest, TilesLeadToBundlesAndLieAboveWindows) {
    EXPECT_EQ(platform::bundleIdentifierOfBundleAt("file:///Applications/Editor.app/"),
              "org.example.editor");
    EXPECT_EQ(platform::bundleIdentifierOfBundleAt("file:///Users/me/Downloads/"), std::nullopt);
    workspace(*world).installBundle("file:///Applications/Notes.app/", "org.example.notes");
    EXPECT_EQ(platform::bundleIdentifierOfBundleAt("file:///Applications/Notes.app/"),
              "org.example.notes");

    // A window reaching under the Dock: the tile is hit, not the window.
    window->moveTo(*world, {0, 400});
    const auto frame = *appTile->frame();
    const auto hit = ax::copyElementAtPosition(
        ax::createSystemWide(), static_cast<float>(frame.midX()), static_cast<float>(frame.midY()));
    EXPECT_EQ(hit.value(), appTile->element());
    EXPECT_EQ(ax::getPid(hit.value()).value(), Dock::defaultPid);
}

TEST_F(DockTest, AClosedMinimisedWindowTakesItsTileAlong) {
    window->setMinimized(*world, true);
    ASSERT_TRUE(dock->tileOf(*window));
    window->close(*world);
    EXPECT_EQ(subroles(), (std::vector<std::string>{"AXApplicationDockItem", "AXFolderDockItem"}));
}

}  // namespace
}  // namespace zoral::sim
