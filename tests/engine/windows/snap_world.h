#pragma once

// A simulated desktop for the snapping tests: a 1440 x 900 laptop display (and, on request, a
// 1920 x 1080 display to its right), one editor application whose windows the tests add, the
// settings at their defaults in a home of the test's own, the program's output captured, and the
// registry of snapped windows empty at the start and the end.
//
// The user's hands are here too, in one place (userDrag, userResize): they do what the window
// server does when the user drags a window by its title bar or an edge, the left button held:
// the window moves in several steps, each step notifying the observers while the button is down,
// and the button is released at the end.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/rect_edges.h"
#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snapped_window_observer.h"
#include "engine/windows/snapped_windows.h"
#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/run_loop.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/input_devices.h"
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
        SnappedWindows::shared().removeAll();
        resetResizer();
        sim::Displays::of(*world).setDisplays({laptop()});
        reinitializeScreens();
        world->addProcess(editorPid, "org.example.editor", "Editor");
        bridgeFrameNotifications(editorPid);
        output.clear();
    }
    ~SnapWorldTest() override {
        SnappedWindows::shared().removeAll();
        resetResizer();
        for (const auto& bridge : bridges) {
            platform::RunLoop::main().removeSource(platform::ax::observerGetRunLoopSource(bridge),
                                                   platform::RunLoopMode::defaultMode);
        }
        desktop::Screen::setScreens({});
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

    // --- The user's hands

    // Drags the window by its title bar by the distance, holding the flags.
    void userDrag(const std::shared_ptr<sim::WindowNode>& node, CGPoint distance,
                  platform::CGEventFlags flags = {}, int steps = 5) {
        const CGPoint start = frameOf(node).origin;
        hold(flags);
        for (int step = 1; step <= steps; ++step) {
            const double part = static_cast<double>(step) / steps;
            node->moveTo(*world, {start.x + distance.x * part, start.y + distance.y * part});
            settle(stepTime);
        }
        release();
    }

    // Drags the right or bottom edge of the window by the distance (positive: outwards).
    void userResize(const std::shared_ptr<sim::WindowNode>& node, desktop::CGRectEdge edge,
                    double distance, int steps = 5) {
        const CGSize start = frameOf(node).size;
        hold({});
        for (int step = 1; step <= steps; ++step) {
            const double part = distance * step / steps;
            node->resizeTo(*world, edge == desktop::CGRectEdge::right
                                       ? CGSize{start.width + part, start.height}
                                       : CGSize{start.width, start.height + part});
            settle(stepTime);
        }
        release();
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
    static constexpr double stepTime = 0.01;

    void hold(platform::CGEventFlags flags) {
        input().setHeldModifierFlags(flags);
        input().setPressedMouseButtons(1);
    }
    void release() {
        input().setPressedMouseButtons(0);
        input().setHeldModifierFlags({});
        settle(stepTime);
    }

    // The simulated windows announce their frame changes as "AXWindowMoved" and "AXWindowResized"
    // only; the system also sends "AXMoved" and "AXResized" on the window, which is what the snap
    // observer listens to. Until the simulated window server sends both, this repeats the first
    // two as the second two.
    void bridgeFrameNotifications(platform::ProcessId pid) {
        namespace ax = platform::ax;
        auto made = ax::observerCreateWithInfoCallback(
            pid,
            [this](const ax::ObserverRef&, ax::Element element, const std::string& notification,
                   const ax::Info&, const ax::ObserverUserData&) {
                const auto node = world->resolve(element);
                if (!node)
                    return;
                world->postNotification(*node,
                                        notification == "AXWindowMoved" ? "AXMoved" : "AXResized");
            });
        ASSERT_TRUE(made.ok());
        const ax::ObserverRef observer = made.value();
        const auto application = world->process(pid)->application;
        for (const char* notification : {"AXWindowMoved", "AXWindowResized"}) {
            ASSERT_EQ(ax::observerAddNotification(observer, application->element(), notification,
                                                  bridgeToken),
                      ax::success);
        }
        platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                            platform::RunLoopMode::defaultMode);
        bridges.push_back(observer);
    }

    std::shared_ptr<int> bridgeToken = std::make_shared<int>(0);
    std::vector<platform::ax::ObserverRef> bridges;
};

}  // namespace zoral::engine::testing
