#pragma once

// A simulated desktop with every place a gesture can start, for the origin classification, as the
// world file worlds/origins.json says it: a 1440 x 900 laptop display with a 25-point menu bar and
// the Dock along the bottom; the editor in front with its menu bar and a grid of windows (a plain
// one, one with a toolbar, one whose green button zooms, one with a popover and a menu open, one
// without title-bar parts); two system dialogs of an agent process, one whose close button is
// disabled; a browser window with tabs; a status item of an accessory application; the Dock with
// the editor's tile, a folder, a separator, the trash and the tile of an application that is not
// installed. Settings at their defaults in a home of the test's own, the output captured, the
// title-bar height cache empty.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/screen.h"
#include "engine/gesture/origin_classification.h"
#include "engine/windows/screen_rebuild.h"
#include "platform/events.h"
#include "platform/geometry.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "sim/menu_bar.h"
#include "sim/tabs.h"
#include "sim/window_node.h"
#include "sim/window_parts.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::engine::testing {

using platform::CGPoint;
using platform::CGRect;

// Public, so that the rows of table tests reach the places.
class OriginWorldTest : public zoral::testing::VirtualClockTest {
public:
    static constexpr platform::ProcessId editorPid = 12;
    static constexpr platform::ProcessId browserPid = 13;
    static constexpr platform::ProcessId agentPid = 14;
    static constexpr platform::ProcessId clockPid = 15;
    static constexpr const char* editorIdentifier = "org.example.editor";
    static constexpr const char* editorURL = "file:///Applications/Editor.app/";

    static sim::Display laptop() {
        return {.number = 1,
                .uuid = "LAPTOP",
                .frame = {0, 0, 1440, 900},
                .menuBarHeight = 25,
                .dock = sim::DockInset{sim::DockEdge::bottom, 64}};
    }

    OriginWorldTest() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        sim::loadWorldFile(*world, ZORAL_FIXTURES_DIR "/worlds/origins.json");
        reinitializeScreens();

        const auto buttons = [&](const std::string& window) {
            return sim::TitleBarButtons{named<sim::PartButtonNode>(window + "-close"),
                                        named<sim::PartButtonNode>(window + "-minimize"),
                                        named<sim::PartButtonNode>(window + "-green")};
        };
        dock = sim::Dock::of(*world);
        menuBar = sim::MenuBar::barOf(*world, editorPid)->elements;
        statusItem = named<sim::LaidOutNode>("clock");

        plain = named<sim::WindowNode>("plain");
        plainButtons = buttons("plain");
        toolbarWindow = named<sim::WindowNode>("toolbar-window");
        toolbar = named<sim::PartNode>("toolbar");
        toolbarButtons = buttons("toolbar-window");
        zoomWindow = named<sim::WindowNode>("zoom-window");
        zoomButtons = buttons("zoom-window");
        popoverWindow = named<sim::WindowNode>("popover-window");
        popover = named<sim::PartNode>("popover");
        menu = named<sim::PartNode>("menu");
        lockedDialog = named<sim::WindowNode>("locked-dialog");
        dialog = named<sim::WindowNode>("dialog");
        tabWindow = named<sim::WindowNode>("tab-window");
        // A browser's tabs lie in a tab group inside the bar's group, each with its title first.
        const sim::Tabs::BarView bar = sim::Tabs::install(*world).barsOf(*tabWindow).at(0);
        tabStrip.bar = bar.root->children().at(0);
        tabStrip.tabs = bar.tabs;
        for (const auto& tab : bar.tabs)
            tabStrip.labels.push_back(tab->children().at(0));
        bare = named<sim::WindowNode>("bare");

        const auto tiles = dock->list()->children();
        const auto tile = [&](std::size_t index) {
            return std::dynamic_pointer_cast<sim::DockTileNode>(tiles.at(index));
        };
        editorTile = tile(0);
        folderTile = tile(1);
        trashTile = tile(3);
        strangerTile = tile(4);
        output.clear();
        world->resetRoundTrips();
    }

    // The element the world file names, as the node of its kind.
    template <class Kind>
    std::shared_ptr<Kind> named(const std::string& name) const {
        const auto element = sim::elementNamed(*world, name);
        EXPECT_TRUE(element.has_value()) << name;
        return element ? std::dynamic_pointer_cast<Kind>(world->resolve(*element)) : nullptr;
    }

    // The window cells: three columns and three rows of 440 x 240 points below the menu bar.
    static CGRect cell(int column, int row) {
        return {20.0 + 470.0 * column, 40.0 + 270.0 * row, 440, 240};
    }

    std::shared_ptr<sim::WindowNode> addWindow(platform::ProcessId pid, const CGRect& frame) {
        auto node = world->makeNode<sim::WindowNode>(pid, nextNumber++);
        node->set("AXTitle", "Window " + std::to_string(node->windowNumber()));
        node->set("AXMinimized", false);
        node->set("AXFullScreen", false);
        for (const char* attribute : {"AXMinimized", "AXFullScreen"})
            node->setSettable(attribute);
        node->set("AXPosition", frame.origin);
        node->set("AXSize", frame.size);
        world->process(pid)->application->appendChild(node);
        return node;
    }

    static CGPoint centre(const std::shared_ptr<sim::Node>& node) {
        const CGRect frame = *node->frame();
        return {frame.midX(), frame.midY()};
    }
    // A point `down` below the window's top edge, `right` from its left edge.
    static CGPoint below(const std::shared_ptr<sim::WindowNode>& window, double down,
                         double right = 200) {
        const CGRect frame = *window->frame();
        return {frame.minX() + right, frame.minY() + down};
    }

    // The event that begins a trackpad gesture with the pointer there and the flags held, as
    // the event services make it.
    platform::CGEvent eventAt(CGPoint location, platform::CGEventFlags flags = {}) {
        input().movePointer(location);
        input().setHeldModifierFlags(flags);
        auto event = platform::eventCreate();
        EXPECT_TRUE(event.has_value());
        return event.value_or(platform::CGEvent{});
    }
    std::optional<Origin> originAt(CGPoint location, platform::CGEventFlags flags = {}) {
        return originAtPointer(eventAt(location, flags));
    }

    sim::InputDevices& input() { return sim::InputDevices::of(*world); }

    // Whether the element of the model stands for the node.
    static bool is(const std::shared_ptr<desktop::UIElement>& element,
                   const std::shared_ptr<sim::Node>& node) {
        return element && node && element->element() == node->element();
    }

    std::vector<std::string> originLines() const {
        std::vector<std::string> lines;
        for (const auto& line : output.lines()) {
            if (line.starts_with("Origin: "))
                lines.push_back(line);
        }
        return lines;
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    // After the file's windows.
    std::int64_t nextNumber = 108;

    sim::Dock* dock = nullptr;
    sim::MenuBarElements menuBar;
    std::shared_ptr<sim::LaidOutNode> statusItem;
    std::shared_ptr<sim::WindowNode> plain;
    sim::TitleBarButtons plainButtons;
    std::shared_ptr<sim::WindowNode> toolbarWindow;
    sim::TitleBarButtons toolbarButtons;
    std::shared_ptr<sim::PartNode> toolbar;
    std::shared_ptr<sim::WindowNode> zoomWindow;
    sim::TitleBarButtons zoomButtons;
    std::shared_ptr<sim::WindowNode> popoverWindow;
    std::shared_ptr<sim::PartNode> popover;
    std::shared_ptr<sim::PartNode> menu;
    std::shared_ptr<sim::WindowNode> lockedDialog;
    std::shared_ptr<sim::WindowNode> dialog;
    std::shared_ptr<sim::WindowNode> tabWindow;
    sim::TabStrip tabStrip;
    std::shared_ptr<sim::WindowNode> bare;
    std::shared_ptr<sim::DockTileNode> editorTile;
    std::shared_ptr<sim::DockTileNode> folderTile;
    std::shared_ptr<sim::DockTileNode> trashTile;
    std::shared_ptr<sim::DockTileNode> strangerTile;
};

}  // namespace zoral::engine::testing
