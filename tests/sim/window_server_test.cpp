#include "sim/window_server.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/scheduler.h"
#include "platform/window_list.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/spaces.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGPoint;
using platform::CGRect;

constexpr platform::ProcessId serverEditorPid = 1;
constexpr platform::ProcessId serverViewerPid = 2;

constexpr CGPoint probe{300, 250};
constexpr CGPoint right{900, 250};

// Two applications whose windows alternate in the window server's order, front to back: a1
// (editor), b1 (viewer), a2 (editor), b2 (viewer). The editor is active. All four cover the probe
// point; b2 also reaches far to the right, where only it lies.
struct InterleavedDesktop {
    InterleavedDesktop() {
        Displays::of(*world).setDisplays(
            {Display{.number = 1, .uuid = "MAIN", .frame = {0, 0, 1440, 900}}});
        Spaces::of(*world).setDisplaySpaces(*world, {{"MAIN", 1, {{1}, {2}}}});
        world->addProcess(serverViewerPid, "org.example.viewer", "Viewer");
        world->addProcess(serverEditorPid, "org.example.editor", "Editor");
        add("b2", serverViewerPid, 22, {50, 50, 900, 700});
        add("a2", serverEditorPid, 12, {250, 200, 400, 300});
        add("b1", serverViewerPid, 21, {200, 150, 400, 300});
        add("a1", serverEditorPid, 11, {100, 100, 400, 300});
        for (const char* name : {"b2", "a2", "b1", "a1"})
            server().orderFront(*windows.at(name));
    }

    WindowServer& server() { return WindowServer::of(*world); }

    void add(const std::string& name, platform::ProcessId pid, std::int64_t number, CGRect frame) {
        auto window = world->makeNode<WindowNode>(pid, number);
        window->set("AXTitle", name);
        window->set("AXMinimized", false);
        window->setSettable("AXMinimized");
        window->moveTo(*world, frame.origin);
        window->resizeTo(*world, frame.size);
        world->process(pid)->application->appendChild(window);
        windows[name] = window;
    }

    // The name of the window that holds the element, or "" for none.
    std::string nameOf(std::optional<ax::Element> element) const {
        if (!element)
            return "";
        for (const auto& [name, window] : windows) {
            if (window->element() == *element)
                return name;
        }
        return "?";
    }

    std::string hitAt(CGPoint point) const {
        const auto hit = ax::copyElementAtPosition(
            ax::createSystemWide(), static_cast<float>(point.x), static_cast<float>(point.y));
        return nameOf(hit.ok() ? std::optional(hit.value()) : std::nullopt);
    }

    std::vector<std::string> onScreen() const {
        std::vector<std::string> names;
        const auto list =
            platform::windowListCopyWindowInfo(platform::windowListOptionOnScreenOnly, 0);
        for (const auto& entry : *list) {
            if (const auto title = entry.find("kCGWindowName"); title != entry.end())
                names.emplace_back(title->second.stringValue().value_or("?"));
        }
        return names;
    }

    // The focused application's focused window, as the program reads it.
    std::string focused() const {
        const auto elementOf = [](const ax::Result<ax::Value>& read) -> std::optional<ax::Element> {
            const auto* element = read.ok() ? read.value().getIf<ax::Element>() : nullptr;
            return element != nullptr ? std::optional(*element) : std::nullopt;
        };
        const auto application =
            elementOf(ax::copyAttributeValue(ax::createSystemWide(), "AXFocusedApplication"));
        if (!application)
            return "";
        return nameOf(elementOf(ax::copyAttributeValue(*application, "AXFocusedWindow")));
    }

    ScopedWorld world;
    std::map<std::string, std::shared_ptr<WindowNode>> windows;
};

class WindowServerTest : public zoral::testing::VirtualClockTest, public InterleavedDesktop {};

TEST_F(WindowServerTest, WhatIsSeenHitAndFocusedFollowsEveryChangeOfVisibility) {
    struct Case {
        const char* what;
        std::function<void(InterleavedDesktop&)> change;
        std::string hit;
        std::string hitRight;
        std::vector<std::string> onScreen;
        std::string focused;
    };
    const auto spaceOf = [](std::vector<std::string> names, std::int64_t space) {
        return [names = std::move(names), space](InterleavedDesktop& t) {
            for (const std::string& name : names)
                Spaces::of(*t.world).placeWindow(t.windows.at(name)->windowNumber(), space);
        };
    };
    const std::vector<Case> cases = {
        {"as built", [](InterleavedDesktop&) {}, "a1", "b2", {"a1", "b1", "a2", "b2"}, "a1"},
        {"the front window minimised",
         [](InterleavedDesktop& t) { t.windows.at("a1")->setMinimized(*t.world, true); },
         "b1",
         "b2",
         {"b1", "a2", "b2"},
         "a2"},
        {"the back window minimised",
         [](InterleavedDesktop& t) { t.windows.at("b2")->setMinimized(*t.world, true); },
         "a1",
         "",
         {"a1", "b1", "a2"},
         "a1"},
        {"the active application hidden",
         [](InterleavedDesktop& t) {
             workspace(*t.world).setHidden(*t.world, serverEditorPid, true);
         },
         "b1",
         "b2",
         {"b1", "b2"},
         "b1"},
        {"the other application hidden",
         [](InterleavedDesktop& t) {
             workspace(*t.world).setHidden(*t.world, serverViewerPid, true);
         },
         "a1",
         "",
         {"a1", "a2"},
         "a1"},
        {"front windows on the space not shown",
         spaceOf({"a1", "b1"}, 2),
         "a2",
         "b2",
         {"a2", "b2"},
         "a2"},
        {"the display switched to the space of the front windows",
         [&](InterleavedDesktop& t) {
             spaceOf({"a1", "b1"}, 2)(t);
             Spaces::of(*t.world).switchSpace(*t.world, "MAIN", true);
         },
         "a1",
         "",
         {"a1", "b1"},
         "a1"},
        {"switched to a space without a window of the active application",
         [&](InterleavedDesktop& t) {
             spaceOf({"a1", "a2"}, 1)(t);
             spaceOf({"b1", "b2"}, 2)(t);
             Spaces::of(*t.world).switchSpace(*t.world, "MAIN", true);
         },
         "b1",
         "b2",
         {"b1", "b2"},
         "b1"},
        {"the front window closed",
         [](InterleavedDesktop& t) { t.windows.at("a1")->close(*t.world); },
         "b1",
         "b2",
         {"b1", "a2", "b2"},
         "a2"},
        {"the viewer activated",
         [](InterleavedDesktop& t) { workspace(*t.world).activateNow(*t.world, serverViewerPid); },
         "b1",
         "b2",
         {"b1", "b2", "a1", "a2"},
         "b1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InterleavedDesktop fresh;
        c.change(fresh);
        EXPECT_EQ(fresh.hitAt(probe), c.hit);
        EXPECT_EQ(fresh.hitAt(right), c.hitRight);
        EXPECT_EQ(fresh.onScreen(), c.onScreen);
        EXPECT_EQ(fresh.focused(), c.focused);
    }
}

TEST_F(WindowServerTest, AClickThroughWindowAboveEverythingIsNeverHit) {
    Process& program = world->programProcess();
    auto tooltip = world->makeNode<WindowNode>(program.pid, server().allocateNumber());
    tooltip->set("AXTitle", "tooltip");
    tooltip->moveTo(*world, {0, 0});
    tooltip->resizeTo(*world, {1440, 900});
    program.application->appendChild(tooltip);
    server().setOptions(
        *tooltip,
        {.level = windowLevel::assistiveTechHigh, .clickThrough = true, .allSpaces = true});
    windows["tooltip"] = tooltip;

    EXPECT_EQ(hitAt(probe), "a1");
    EXPECT_EQ(hitAt({1400, 880}), "") << "nothing else lies there";
    // It is on screen, above everything, on every space.
    EXPECT_EQ(onScreen(), (std::vector<std::string>{"tooltip", "a1", "b1", "a2", "b2"}));
    Spaces::of(*world).switchSpace(*world, "MAIN", true);
    EXPECT_EQ(onScreen(), (std::vector<std::string>{"tooltip"}));

    // The same window, when it takes the pointer, takes every point.
    server().setOptions(
        *tooltip,
        {.level = windowLevel::assistiveTechHigh, .clickThrough = false, .allSpaces = true});
    EXPECT_EQ(hitAt(probe), "tooltip");
    EXPECT_EQ(ax::getPid(tooltip->element()).value(), World::defaultProgramPid);
    EXPECT_EQ(workspace(*world).frontmost(*world), serverEditorPid)
        << "the program never comes forward";
}

TEST_F(WindowServerTest, NewWindowsOpenInFrontOfTheirApplicationBehindTheApplicationsInFront) {
    add("b3", serverViewerPid, 23, {0, 0, 10, 10});
    add("a3", serverEditorPid, 13, {0, 0, 10, 10});
    EXPECT_EQ(onScreen(), (std::vector<std::string>{"a3", "a1", "b3", "b1", "a2", "b2"}));
    // Raising a window brings it where its application's front window stands.
    windows.at("a2")->makeMain(*world);
    EXPECT_EQ(onScreen(), (std::vector<std::string>{"a2", "a3", "a1", "b3", "b1", "b2"}));
    windows.at("b2")->makeMain(*world);
    EXPECT_EQ(onScreen(), (std::vector<std::string>{"a2", "a3", "a1", "b2", "b3", "b1"}));
}

TEST(WindowServer, NewWindowsFollowTheApplicationsOrderAsItChanges) {
    const platform::ScopedScheduler scheduler;
    ScopedWorld world;
    // Each process added stands in front of those before it: c, b, a.
    for (const platform::ProcessId pid : {1, 2, 3})
        world->addProcess(pid, "org.example.app" + std::to_string(pid), "App");
    std::int64_t number = 100;
    const auto add = [&](const std::string& name, platform::ProcessId pid, int layer = 0) {
        auto window = world->makeNode<WindowNode>(pid, number++);
        window->set("AXTitle", name);
        if (layer != 0)
            window->setLayer(layer);
        world->process(pid)->application->appendChild(window);
    };
    const auto order = [&] {
        std::vector<std::string> names;
        for (const ServerWindow& window : WindowServer::of(*world).windows())
            names.push_back(std::get<std::string>(window.node->stored("AXTitle")->storage()));
        return names;
    };
    using Names = std::vector<std::string>;
    for (const char* name : {"a1", "a2", "a3", "a4"})
        add(name, 1);
    add("b1", 2);
    add("c1", 3);
    add("top", 1, 20);
    EXPECT_EQ(order(), (Names{"top", "c1", "b1", "a4", "a3", "a2", "a1"}));
    // One application comes in front with its windows.
    world->bringToFront(2);
    add("c2", 3);
    EXPECT_EQ(order(), (Names{"top", "b1", "c2", "c1", "a4", "a3", "a2", "a1"}));
    // Another comes in front while its windows stay behind.
    world->bringToFront(1, false);
    add("c3", 3);
    add("b2", 2);
    EXPECT_EQ(order(), (Names{"top", "b2", "b1", "c3", "c2", "c1", "a4", "a3", "a2", "a1"}));
    world->bringToBack(2);
    add("a5", 1);
    EXPECT_EQ(order(), (Names{"top", "a5", "c3", "c2", "c1", "a4", "a3", "a2", "a1", "b2", "b1"}));
}

}  // namespace
}  // namespace zoral::sim
