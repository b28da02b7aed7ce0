#pragma once

// A simulated desktop with every place a gesture can start, for the origin classification: a
// 1440 x 900 laptop display with a 25-point menu bar and the Dock along the bottom; the editor in
// front with its menu bar and a grid of windows (a plain one, one with a toolbar, one whose green
// button zooms, one with a popover and a menu open, one without title-bar parts); two system
// dialogs of an agent process, one whose close button is disabled; a browser window with tabs; a
// status item of an accessory application; the Dock with the editor's tile, a folder, the trash,
// a separator and the tile of an application that is not installed. Settings at their defaults in
// a home of the test's own, the output captured, the title-bar height cache empty.

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
        sim::Displays::of(*world).setDisplays({laptop()});
        reinitializeScreens();

        dock = &sim::Dock::install(*world);
        world->addProcess(clockPid, "org.example.clock", "Clock");
        sim::workspace(*world).info(clockPid).activationPolicy =
            platform::ActivationPolicy::accessory;
        world->addProcess(agentPid, "org.example.agent", "Agent");
        world->addProcess(browserPid, "com.apple.Safari", "Safari");
        world->addProcess(editorPid, editorIdentifier, "Editor");
        sim::workspace(*world).info(editorPid).bundleURL = editorURL;
        sim::workspace(*world).installBundle(editorURL, editorIdentifier);

        menuBar = sim::MenuBar::add(*world, editorPid, {"File", "Edit", "View"});
        statusItem = sim::MenuBar::addStatusItem(*world, clockPid, "12:00");

        using sim::WindowParts;
        plain = addWindow(editorPid, cell(0, 0));
        plainButtons = WindowParts::addTitleBarButtons(*world, plain);
        WindowParts::addContent(*world, plain, 28);

        toolbarWindow = addWindow(editorPid, cell(1, 0));
        // A unified toolbar: the title-bar buttons lie in front of it.
        toolbar = WindowParts::addToolbar(*world, toolbarWindow, 0, 52, {"Back", "Share", "Find"});
        toolbarButtons = WindowParts::addTitleBarButtons(*world, toolbarWindow, {.height = 52});
        WindowParts::addContent(*world, toolbarWindow, 52);

        zoomWindow = addWindow(editorPid, cell(2, 0));
        zoomButtons = WindowParts::addTitleBarButtons(
            *world, zoomWindow, {.height = 28, .green = sim::GreenButton::zoom});
        WindowParts::addContent(*world, zoomWindow, 28);

        popoverWindow = addWindow(editorPid, cell(0, 1));
        WindowParts::addTitleBarButtons(*world, popoverWindow);
        WindowParts::addContent(*world, popoverWindow, 28);
        popover = WindowParts::addPopover(*world, popoverWindow, {100, 30, 150, 60});
        menu = WindowParts::addMenu(*world, popoverWindow, {280, 30, 120, 60}, {"Copy", "Paste"});

        lockedDialog = addWindow(agentPid, cell(1, 1));
        WindowParts::addTitleBarButtons(*world, lockedDialog, {.closeEnabled = false});
        WindowParts::makeSystemDialog(lockedDialog);
        dialog = addWindow(agentPid, cell(2, 1));
        WindowParts::addTitleBarButtons(*world, dialog);
        WindowParts::makeSystemDialog(dialog);

        tabWindow = addWindow(browserPid, cell(0, 2));
        WindowParts::addTitleBarButtons(*world, tabWindow);
        tabStrip = sim::Tabs::install(*world).addTabs(*world, tabWindow, sim::TabTreeShape::browser,
                                                      {"One", "Two"});

        bare = addWindow(editorPid, cell(1, 2));

        editorTile = dock->addApplicationTile(*world, "Editor", editorURL);
        folderTile = dock->addFolderTile(*world, "Downloads", "file:///Users/user/Downloads/");
        dock->addSeparator(*world);
        trashTile = dock->addTrash(*world);
        strangerTile =
            dock->addApplicationTile(*world, "Stranger", "file:///Applications/Stranger.app/");
        output.clear();
        world->resetRoundTrips();
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
    std::int64_t nextNumber = 100;

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
