#pragma once

// The whole engine on the executor's desktop: the laptop (with the Dock along its bottom and the
// editor's menu bar) and the external display to its right; the editor's "front" and "back", the
// browser's window with two tabs, the viewer's window on the external display; the spaces 1 and 2
// on the laptop and 10 on the external display. The program runs as a process of the world with
// the Accessibility permission; its engine has the real resolution, executor and a tooltip
// controller of the test's own. The hardware's input
// is played through the simulated event tap.

#include <memory>
#include <string>
#include <vector>

#include "desktop/ax_access.h"
#include "engine/actions/app_switcher.h"
#include "engine/actions/executor_world.h"
#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "sim/hardware_input.h"
#include "sim/menu_bar.h"
#include "sim/window_parts.h"

namespace zoral::engine::testing {

// Finger travel (points, x to the right, y towards the user) that the engine reads as one
// direction.
inline constexpr platform::CGPoint leftwards{-200, 0};
inline constexpr platform::CGPoint rightwards{200, 0};
inline constexpr platform::CGPoint upwards{0, -200};
inline constexpr platform::CGPoint downwards{0, 200};
// The snapped halves of the laptop (top-left), a point short of the Dock.
inline constexpr platform::CGRect leftHalfFrame{0, 25, 720, 810};
inline constexpr platform::CGRect rightHalfFrame{721, 25, 719, 810};

class EndToEndWorld : public ExecutorWorldTest {
public:
    using AllWindowsWorldTest::minimized;
    static constexpr const char* editorURL = "file:///Applications/Editor.app/";
    // Top-left coordinates: the laptop's visible frame, below the menu bar and above the Dock.
    static constexpr CGRect laptopVisible{0, 25, 1440, 811};

    static sim::Display laptopWithDock() {
        sim::Display display = laptop();
        display.dock = sim::DockInset{sim::DockEdge::bottom, 64};
        return display;
    }

    EndToEndWorld() {
        sim::Displays::of(*world).setDisplays({laptopWithDock(), external()});
        reinitializeScreens();
        sim::workspace(*world).info(editorPid).bundleURL = editorURL;
        sim::workspace(*world).installBundle(editorURL, "org.example.editor");
        editorTile = sim::Dock::of(*world)->addApplicationTile(*world, "Editor", editorURL);
        menuBar = sim::MenuBar::add(*world, editorPid, {"File", "Edit", "View"});
        world->programProcess();
        desktop::AXAccess::shared().setIsTrusted(true);
        settle();
    }
    ~EndToEndWorld() override {
        engine.reset();
        tooltips.reset();
    }

    // Starts the engine (after a row changed the settings it reads at start).
    void startEngine() {
        tooltips = TooltipController::make(std::make_shared<LiveTooltipWindow>());
        engine = Engine::start(tooltips);
        ASSERT_TRUE(engine);
        ASSERT_TRUE(engine->isListening());
        output.clear();
        input().resetPostedEvents();
    }

    sim::HardwareInput& hardware() { return sim::HardwareInput::of(*world); }

    // Plays the steps with the pointer there (top-left coordinates), and lets them and what they
    // started finish.
    void play(CGPoint pointer, const std::vector<sim::HardwareStep>& steps, double settle = 1) {
        input().movePointer(pointer);
        const double seconds = hardware().play(steps);
        scheduler().runFor(seconds + settle);
    }

    // The notes application, whose window (in front, over the editor's "back") holds tabs of the
    // kind that a drag detaches: "Draft" and "List".
    static constexpr platform::ProcessId notesPid = 15;
    static constexpr CGRect notesFrame{60, 560, 600, 250};
    NodeRef addNotesWithTabs() {
        world->addProcess(notesPid, "org.example.notes", "Notes");
        notesWindow = addWindow(notesFrame, {}, notesPid);
        notesStrip = sim::Tabs::install(*world).addTabs(
            *world, notesWindow, sim::TabTreeShape::native, {"Draft", "List"});
        world->bringToFront(notesPid);
        settle();
        return notesWindow;
    }

    // --- Places, top-left
    static CGPoint titleBarOf(const CGRect& frame) { return {frame.midX(), frame.minY() + 10}; }
    CGPoint titleBarOf(const NodeRef& node) const { return titleBarOf(frameOf(node)); }
    CGPoint centreOf(const std::shared_ptr<sim::Node>& node) const {
        const CGRect frame = *node->frame();
        return {frame.midX(), frame.midY()};
    }

    // The log lines that begin with one of the prefixes.
    std::vector<std::string> linesStarting(const std::vector<std::string>& prefixes) const {
        std::vector<std::string> found;
        for (const auto& line : output.lines()) {
            for (const auto& prefix : prefixes) {
                if (line.starts_with(prefix)) {
                    found.push_back(line);
                    break;
                }
            }
        }
        return found;
    }

    std::shared_ptr<TooltipController> tooltips;
    std::unique_ptr<Engine> engine;
    std::shared_ptr<sim::DockTileNode> editorTile;
    sim::MenuBarElements menuBar;
    // The title-bar buttons a row gave "front".
    sim::TitleBarButtons buttons;
    NodeRef notesWindow;
    sim::TabStrip notesStrip;
};

}  // namespace zoral::engine::testing
