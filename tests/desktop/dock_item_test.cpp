#include "desktop/dock_item.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/promise_error.h"
#include "desktop/window.h"
#include "platform/accessibility.h"
#include "platform/dispatch_time.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

namespace ax = platform::ax;

constexpr platform::ProcessId editorPid = 12;
constexpr const char* editorURL = "file:///Applications/Editor.app/";

class DockItemTest : public zoral::testing::VirtualClockTest {
protected:
    DockItemTest() {
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .frame = {0, 0, 1440, 900}}});
        world->addProcess(editorPid, "org.example.editor", "Editor");
        sim::workspace(*world).info(editorPid).bundleURL = editorURL;
        sim::workspace(*world).installBundle(editorURL, "org.example.editor");
        dock = &sim::Dock::install(*world);
        notes = addWindow("Notes", 34);
        draft = addWindow("Draft", 35);
        sim::workspace(*world).activateNow(*world, editorPid);
    }

    std::shared_ptr<sim::WindowNode> addWindow(const std::string& title, std::int64_t number) {
        auto made = world->makeNode<sim::WindowNode>(editorPid, number);
        made->set("AXTitle", title);
        made->set("AXMinimized", false);
        made->setSettable("AXMinimized");
        made->resizeTo(*world, {400, 300});
        world->process(editorPid)->application->appendChild(made);
        return made;
    }

    static UIElement wrap(const std::shared_ptr<sim::Node>& node) {
        return UIElement(node->element());
    }

    // Minimised through the accessibility interface, and the Dock's animation over.
    void minimise(const std::shared_ptr<sim::WindowNode>& window) {
        ASSERT_EQ(ax::setAttributeValue(window->element(), "AXMinimized", true), ax::success);
        scheduler().advance(world->component<sim::Timing>().minimize);
    }

    std::int64_t focusReads() const {
        const auto found =
            world->roundTrips().find({sim::RoundTrip::copyAttributeValue, "AXFocusedApplication",
                                      sim::World::systemWidePid});
        return found == world->roundTrips().end() ? 0 : found->second;
    }

    template <class T>
    std::optional<promises::Result<T>> settle(const promises::Promise<T>& promise) {
        scheduler().runUntil([&] { return promise.currentResult().has_value(); }, 10);
        return promise.currentResult();
    }

    static double now() { return platform::DispatchTime::now().uptimeSeconds(); }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    sim::Dock* dock = nullptr;
    std::shared_ptr<sim::WindowNode> notes;
    std::shared_ptr<sim::WindowNode> draft;
};

TEST_F(DockItemTest, TilesAreRecognisedByTheirSubrole) {
    minimise(draft);
    struct Case {
        const char* what;
        std::shared_ptr<sim::Node> node;
        bool application;
        bool minimised;
    };
    auto bare = world->makeNode(dock->pid(), "AXDockItem");
    const std::vector<Case> cases = {
        {"application", dock->addApplicationTile(*world, "Editor", editorURL), true, false},
        {"minimised window", dock->tileOf(*draft), false, true},
        {"folder", dock->addFolderTile(*world, "Downloads", "file:///Users/me/Downloads/"), false,
         false},
        {"separator", dock->addSeparator(*world), false, false},
        {"trash", dock->addTrash(*world), false, false},
        {"no subrole", bare, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.node);
        const auto item = DockItem::make(wrap(c.node));
        const auto minItem = MinDockItem::make(wrap(c.node));
        EXPECT_EQ(item != nullptr, c.application);
        EXPECT_EQ(minItem != nullptr, c.minimised);
        if (item) {
            EXPECT_EQ(item->element(), c.node->element());
        }
    }
}

TEST_F(DockItemTest, ATilesBundleIdentifierComesFromItsURL) {
    auto editorTile = dock->addApplicationTile(*world, "Editor", editorURL);
    auto folderTile = dock->addApplicationTile(*world, "Stuff", "file:///Users/me/Stuff/");
    auto broken = dock->addApplicationTile(*world, "Broken", editorURL);
    world->injectError(broken->element(), "AXURL", ax::cannotComplete);
    auto bare = dock->addApplicationTile(*world, "Bare", editorURL);
    bare->remove("AXURL");

    EXPECT_EQ(DockItem::make(wrap(editorTile))->bundleIdentifier(), "org.example.editor");
    EXPECT_EQ(DockItem::make(wrap(folderTile))->bundleIdentifier(), std::nullopt);
    EXPECT_EQ(DockItem::make(wrap(broken))->bundleIdentifier(), std::nullopt);
    EXPECT_EQ(DockItem::make(wrap(bare))->bundleIdentifier(), std::nullopt);
}

TEST_F(DockItemTest, UnminimiseGivesTheWindowThatTakesTheFocus) {
    minimise(draft);
    ASSERT_FALSE(notes->isMinimized());
    auto tile = MinDockItem::make(wrap(dock->tileOf(*draft)));
    ASSERT_TRUE(tile);
    world->resetRoundTrips();
    world->component<sim::Timing>().restore = 0.25;
    const double start = now();

    auto promise = tile->unminimize();
    const auto result = settle(promise);
    ASSERT_TRUE(result && result->holdsValue());
    ASSERT_TRUE(result->value());
    EXPECT_EQ(result->value()->element(), draft->element());
    EXPECT_FALSE(draft->isMinimized());
    // The press lands at 0.01 s and the window is back 0.25 s later, when it takes the focus;
    // the check at 0.26 s is the first to see it.
    EXPECT_NEAR(now() - start, 0.26, 1e-9);
    EXPECT_EQ(output.lines(),
              std::vector<std::string>{"Window: Unminimized from Preview in 260ms"});
    // The focus before the press, and checks 0 to 13.
    EXPECT_EQ(focusReads(), 1 + 14);
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::performAction), 1);
    // Each focus read: the focused application, its role, its focused window, that one's role.
    EXPECT_EQ(world->roundTripCount(), 15 * 4 + 1);
}

TEST_F(DockItemTest, UnminimiseFailsWhenTheFocusNeverMoves) {
    // A tile whose window is gone: pressing it changes nothing.
    auto orphan = world->makeNode<sim::DockTileNode>(dock->pid(), "AXMinimizedWindowDockItem");
    orphan->setActions({"AXPress"});
    dock->list()->appendChild(orphan);
    auto tile = MinDockItem::make(wrap(orphan));
    ASSERT_TRUE(tile);
    world->resetRoundTrips();

    auto promise = tile->unminimize();
    const auto result = settle(promise);
    ASSERT_TRUE(result);
    ASSERT_FALSE(result->holdsValue());
    const PromiseError* error = promiseErrorOf(result->error());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), PromiseError::Kind::default_);
    EXPECT_EQ(focusReads(), 1 + 41) << "the focus before, then 41 checks";
    EXPECT_NEAR(now(), 0.8, 1e-9);
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::performAction), 1) << "pressed either way";
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(DockItemTest, UnminimiseWithoutAFocusBeforeTakesTheFirstFocusedWindow) {
    minimise(notes);
    minimise(draft);
    auto tile = MinDockItem::make(wrap(dock->tileOf(*notes)));
    ASSERT_TRUE(tile);
    auto promise = tile->unminimize();
    const auto result = settle(promise);
    ASSERT_TRUE(result && result->holdsValue());
    EXPECT_EQ(result->value()->element(), notes->element());
    EXPECT_TRUE(draft->isMinimized());
}

}  // namespace
}  // namespace zoral::desktop
