#pragma once

// A desktop for the action executor's tests, one of everything an origin can hold: on the laptop
// (screen 0) the editor's two windows, "front" over "back", and, clear of both at the bottom
// right, the browser's window with the tabs "One" and "Two"; on the external display (screen 1) a
// window of the viewer. The Dock is there (for minimised windows' tiles), the laptop has the spaces
// 1 (current) and 2 and the external display the space 10 (for the space moves). The editor is in
// front and the pointer rests on the middle of "front"'s title bar.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "all_windows_world.h"
#include "desktop/dock_item.h"
#include "desktop/event_descriptions.h"
#include "desktop/key.h"
#include "desktop/mission_control_space.h"
#include "desktop/synthetic_input.h"
#include "desktop/tab.h"
#include "engine/actions/action_executor.h"
#include "engine/model/origin.h"
#include "platform/workspace.h"
#include "sim/application_node.h"
#include "sim/dock.h"
#include "sim/spaces.h"
#include "sim/tabs.h"
#include "sim/workspace.h"

namespace zoral::engine::testing {

// A row's name as a test name: its letters and digits.
inline std::string testName(std::string_view name) {
    std::string letters;
    for (const char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            letters += c;
    }
    return letters;
}

class ExecutorWorldTest : public AllWindowsWorldTest {
public:
    // The rows of table tests reach the desktop through these.
    using AllWindowsWorldTest::application;
    using AllWindowsWorldTest::onExternal;
    using AllWindowsWorldTest::onLaptop;
    using AllWindowsWorldTest::viewerPid;
    using SnapWorldTest::editorPid;
    using SnapWorldTest::frameOf;
    using SnapWorldTest::input;
    using SnapWorldTest::output;
    using SnapWorldTest::screen;
    using SnapWorldTest::settle;
    using SnapWorldTest::windowOf;
    using SnapWorldTest::world;
    using VirtualClockTest::scheduler;

    using NodeRef = std::shared_ptr<sim::WindowNode>;
    using Outcome = ActionExecutor::Outcome;

    static constexpr platform::ProcessId browserPid = 14;

    ExecutorWorldTest() {
        sim::Dock::install(*world);
        sim::Spaces::of(*world).setDisplaySpaces(
            *world, {{"LAPTOP", 1, {{1}, {2}}}, {"EXTERNAL", 10, {{10}}}});
        world->addProcess(browserPid, "com.google.Chrome", "Browser");
        back = addWindow({300, 300, 500, 300});
        front = addWindow(onLaptop);
        viewerWindow = addWindow(onExternal, {}, viewerPid);
        browserWindow = addWindow({750, 450, 650, 400}, {}, browserPid);
        strip = sim::Tabs::install(*world).addTabs(*world, browserWindow,
                                                   sim::TabTreeShape::browser, {"One", "Two"});
        world->bringToFront(editorPid);
        input().movePointer({onLaptop.midX(), onLaptop.minY() + 10});
        settle();
        output.clear();
    }

    // --- Origins

    // A window origin on the window, with its application and the screen it is on.
    Origin originOn(const NodeRef& node) const {
        Origin origin = makeOrigin(OriginType::window);
        origin.window = windowOf(node);
        origin.element = origin.window;
        origin.application = application(node->pid());
        if (auto on = origin.window->screen())
            origin.screen = *on;
        return origin;
    }
    // The browser's tab (0 or 1), with the pointer on its title.
    Origin tabOrigin(std::size_t index) {
        const CGRect label = *strip.labels.at(index)->frame();
        const CGPoint location{label.midX(), label.midY()};
        input().movePointer(location);
        Origin origin = originOn(browserWindow);
        origin.type = OriginType::tab;
        origin.location = platform::mouseLocation();
        origin.tab = desktop::Tab::make(
            std::make_shared<desktop::UIElement>(strip.labels.at(index)->element()), origin.window,
            location);
        return origin;
    }
    // The Dock tile of the minimised window.
    Origin minDockItemOrigin(const NodeRef& minimized) const {
        Origin origin = makeOrigin(OriginType::minDockItem);
        const auto tile = sim::Dock::of(*world)->tileOf(*minimized);
        if (tile)
            origin.minDockItem = desktop::MinDockItem::make(desktop::UIElement(tile->element()));
        return origin;
    }
    // The button of the space in Mission Control's spaces bar, Mission Control showing.
    Origin spaceOrigin(std::int64_t id) const {
        sim::Spaces::of(*world).showMissionControl(*world);
        Origin origin = makeOrigin(OriginType::mcSpace);
        origin.screen = screen(0);
        origin.space = desktop::MissionControlSpace::make(
            std::make_shared<desktop::UIElement>(sim::Spaces::of(*world).buttonOf(id)->element()));
        return origin;
    }

    // --- Running

    // Performs the action and runs the clock until its result is there (at most 10 s).
    Outcome perform(const Origin& origin, const Action& action) {
        const auto result = executor.perform(origin, action);
        scheduler().runUntil([&] { return result.currentResult().has_value(); }, 10);
        EXPECT_TRUE(result.currentResult().has_value()) << action << " never finished";
        return result.currentResult() ? result.currentResult()->value() : Outcome{origin, true};
    }

    // --- Reading the world

    platform::ProcessId frontmost() const {
        return platform::frontmostApplication()->processIdentifier;
    }
    bool isHidden(platform::ProcessId pid) const {
        return sim::workspace(*world).infoOf(pid).hidden;
    }
    bool isOpen(const NodeRef& node) const {
        const auto listed = windowsOf(node->pid());
        return std::find(listed.begin(), listed.end(), node) != listed.end();
    }
    std::vector<NodeRef> windowsOf(platform::ProcessId pid) const {
        const auto* process = world->process(pid);
        if (process == nullptr)
            return {};
        return std::dynamic_pointer_cast<sim::ApplicationNode>(process->application)->windows();
    }
    std::optional<std::int64_t> spaceOf(const NodeRef& node) const {
        return sim::Spaces::of(*world).spaceOfWindow(node->windowNumber());
    }

    // The program's posted events, one line each: the key or button, down or up, the modifier
    // flags, and where it went: "tab down cmd+shift", "letterW down cmd to 12", "middle down",
    // "scroll".
    std::vector<std::string> posted() {
        std::vector<std::string> lines;
        for (const auto& entry : input().postedEvents())
            lines.push_back(describe(entry.event));
        return lines;
    }
    static std::string describe(const platform::CGEvent& event) {
        using platform::CGEventType;
        std::string text;
        switch (event.type) {
            case CGEventType::keyDown:
            case CGEventType::keyUp: {
                const auto key = desktop::keyFromCode(event.keyCode);
                text = key ? std::string(platform::caseName(*key)) : std::to_string(event.keyCode);
                text += event.type == CGEventType::keyDown ? " down" : " up";
                break;
            }
            case CGEventType::leftMouseDown:
                text = "left down";
                break;
            case CGEventType::leftMouseUp:
                text = "left up";
                break;
            case CGEventType::otherMouseDown:
                text = "middle down";
                break;
            case CGEventType::otherMouseUp:
                text = "middle up";
                break;
            case CGEventType::scrollWheel:
                text = "scroll";
                break;
            default:
                text = desktop::description(event.type);
        }
        std::string flags;
        for (const auto& [flag, name] : flagNames) {
            if (event.flags.contains(flag))
                flags += (flags.empty() ? " " : "+") + std::string(name);
        }
        text += flags;
        if (event.targetPid)
            text += " to " + std::to_string(*event.targetPid);
        return text;
    }

    static constexpr std::array<std::pair<platform::CGEventFlags, std::string_view>, 5> flagNames{{
        {platform::CGEventFlags::maskControl, "ctrl"},
        {platform::CGEventFlags::maskAlternate, "alt"},
        {platform::CGEventFlags::maskCommand, "cmd"},
        {platform::CGEventFlags::maskShift, "shift"},
        {platform::CGEventFlags::maskSecondaryFn, "fn"},
    }};

    ActionExecutor executor;
    NodeRef back;
    NodeRef front;
    NodeRef viewerWindow;
    NodeRef browserWindow;
    sim::TabStrip strip;
};

}  // namespace zoral::engine::testing
