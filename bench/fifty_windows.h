#pragma once

// The desktop the hit-test benchmarks share: ten applications with five windows each, cascaded
// over one display, each window holding a title-bar button and a content group with a text, so
// that a hit descends a little. The last window made is the front one.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/geometry.h"
#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/window_node.h"
#include "sim/world.h"

namespace zoral::bench {

struct FiftyWindows {
    // The cascade's step: window i of the application `pid` lies (pid * 5 + i) steps from the
    // display's corner.
    static constexpr double step = 12;
    FiftyWindows() {
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        std::int64_t number = 100;
        for (platform::ProcessId pid = 1; pid <= 10; ++pid) {
            sim::Process& process = world->addProcess(pid, "org.example.app", "App");
            for (int i = 0; i < 5; ++i) {
                auto window = world->makeNode<sim::WindowNode>(pid, number++);
                window->set("AXTitle", std::string("Window"));
                const double offset = static_cast<double>(pid * 5 + i) * step;
                window->moveTo(*world, {offset, 25 + offset});
                window->resizeTo(*world, {500, 400});
                auto button = world->makeNode(pid, "AXButton");
                button->set("AXPosition", platform::CGPoint{offset + 8, 30 + offset});
                button->set("AXSize", platform::CGSize{12, 12});
                auto group = world->makeNode(pid, "AXGroup");
                auto text = world->makeNode(pid, "AXStaticText");
                text->set("AXPosition", platform::CGPoint{offset + 20, 80 + offset});
                text->set("AXSize", platform::CGSize{200, 20});
                group->appendChild(text);
                window->appendChild(button);
                window->appendChild(group);
                process.application->appendChild(window);
                front = {window, group, text};
            }
        }
    }

    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
    // The front window and its content: the only text that no window covers.
    struct Front {
        std::shared_ptr<sim::WindowNode> window;
        std::shared_ptr<sim::Node> group;
        std::shared_ptr<sim::Node> text;
    } front;
};

}  // namespace zoral::bench
