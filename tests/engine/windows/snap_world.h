#pragma once

// A simulated desktop for the snapping tests: a 1440 x 900 laptop display (and, on request, a
// 1920 x 1080 display to its right), one editor application whose windows the tests add, the
// settings at their defaults in a home of the test's own, the program's output captured, and the
// registry of snapped windows empty at the start and the end.
//
// The user drags and resizes windows with the simulated desktop's own hands (userDrag,
// userResize): the window server moves the window, or the edges taken, at each move of the
// pointer with the left button held, and the button comes up after the last move.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snapped_window_observer.h"
#include "engine/windows/snapped_windows.h"
#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/geometry.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/hands.h"
#include "sim/input_devices.h"
#include "sim/timing.h"
#include "sim/window_drags.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::engine::testing {

using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

class SnapWorldTest : public zoral::testing::VirtualClockTest {
public:
    // The halves of a 2 x 1 grid, the spans most of these tests snap to.
    static constexpr GridSpan leftHalf{{0, 0}, {1, 1}, {2, 1}};
    static constexpr GridSpan rightHalf{{1, 0}, {2, 1}, {2, 1}};

protected:
    static constexpr platform::ProcessId editorPid = 12;

    static sim::Display laptop() {
        return {.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25};
    }
    // To the right of the laptop, its top 180 points above the laptop's.
    static sim::Display external() {
        return {
            .number = 2, .uuid = "EXTERNAL", .frame = {1440, 0, 1920, 1080}, .menuBarHeight = 25};
    }

    SnapWorldTest() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        sim::Displays::of(*world).setDisplays({laptop()});
        reinitializeScreens();
        world->addProcess(editorPid, "org.example.editor", "Editor");
        output.clear();
    }

    void addExternalDisplay() {
        sim::Displays::of(*world).setDisplays({laptop(), external()});
        reinitializeScreens();
    }
    desktop::Screen screen(std::size_t index) const { return desktop::Screen::screens().at(index); }

    // An ordinary window of the editor (or of the process), listed in front of the earlier ones.
    std::shared_ptr<sim::WindowNode> addWindow(const CGRect& frame, sim::WindowLimits limits = {},
                                               platform::ProcessId pid = editorPid) {
        auto node = world->makeNode<sim::WindowNode>(pid, nextNumber++, limits);
        node->set("AXTitle", "Window " + std::to_string(node->windowNumber()));
        node->set("AXMinimized", false);
        node->set("AXFullScreen", false);
        for (const char* attribute : {"AXMinimized", "AXFullScreen"})
            node->setSettable(attribute);
        node->set("AXPosition", frame.origin);
        node->set("AXSize", node->clamped(frame.size));
        world->process(pid)->application->appendChild(node);
        return node;
    }
    static std::shared_ptr<desktop::Window> windowOf(const std::shared_ptr<sim::Node>& node) {
        return desktop::Window::make(desktop::UIElement(node->element()));
    }
    static CGRect frameOf(const std::shared_ptr<sim::WindowNode>& node) { return *node->frame(); }

    // Lets notifications and delayed work run.
    void settle(double seconds = 0.05) { scheduler().advance(seconds); }

    sim::InputDevices& input() { return sim::InputDevices::of(*world); }

    // How long the world's slow changes take (minimising, full screen, ...).
    sim::Timing& timing() { return world->component<sim::Timing>(); }

    // --- The user's hands

    // Drags the window by its title bar by the distance in that many moves, holding the flags,
    // and lets go; returns when the button is up and what it set off has run.
    void userDrag(const std::shared_ptr<sim::WindowNode>& node, CGPoint distance,
                  platform::CGEventFlags flags = {}, int moves = 5) {
        sim::Hands::of(*world).dragWindow(*node, distance, moves, flags);
        untilHandsRest();
    }

    // Drags the window's edges (sim::rightEdge, sim::leftEdge | sim::bottomEdge for a corner, ...)
    // by the distance in that many moves, and lets go.
    void userResize(const std::shared_ptr<sim::WindowNode>& node, std::uint8_t edges,
                    CGPoint distance, int moves = 5) {
        sim::Hands::of(*world).resizeWindow(*node, edges, distance, moves);
        untilHandsRest();
    }

    // The round trips since the last reset by kind and attribute, e.g. "setAttributeValue AXSize
    // x2".
    std::string roundTripBreakdown() const {
        std::map<std::string, std::int64_t> counts;
        for (const auto& [key, count] : world->roundTrips())
            counts[std::string(sim::roundTripName(key.kind)) + " " + key.attribute] += count;
        std::string text;
        for (const auto& [what, count] : counts)
            text += what + " x" + std::to_string(count) + "; ";
        return text;
    }

    // The observer's reactions, in order.
    std::vector<std::string> reactions() const {
        std::vector<std::string> found;
        for (const auto& line : output.lines()) {
            for (const char* prefix :
                 {"Observer: Window", "Observer: Fullscreen", "Resizer:", "Unsnap:"}) {
                if (line.rfind(prefix, 0) == 0)
                    found.push_back(line);
            }
        }
        return found;
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::int64_t nextNumber = 40;

private:
    void untilHandsRest() {
        const sim::Hands& hands = sim::Hands::of(*world);
        scheduler().runUntil([&] { return !hands.isBusy(); }, 10);
        // The notifications of the release.
        scheduler().advance(0);
    }
};

}  // namespace zoral::engine::testing
