// The platform's calls for the program's own windows, answered by the simulated window server.

#include "sim/program_windows.h"

#include <algorithm>

#include "platform/ax_names.h"
#include "sim/displays.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

ProgramWindows& ProgramWindows::of(World& world) {
    return world.component<ProgramWindows>();
}

ProgramWindows& ProgramWindows::current() {
    return of(World::current());
}

ProgramWindows::Entry* ProgramWindows::find(platform::WindowNumber number) {
    const auto found = windows_.find(number);
    return found != windows_.end() ? &found->second : nullptr;
}

platform::WindowNumber ProgramWindows::create(World& world,
                                              const platform::ProgramWindowStyle& style,
                                              platform::CGRect frame) {
    const Process& program = world.programProcess();
    const platform::WindowNumber number = WindowServer::of(world).allocateNumber();
    auto node = world.makeNode<WindowNode>(program.pid, number);
    node->setLayer(static_cast<int>(style.level));
    Entry entry{{number, style, frame, 1.0, false}, node};
    place(world, entry);
    windows_.emplace(number, std::move(entry));
    return number;
}

void ProgramWindows::place(World& world, Entry& entry) {
    // The window server keeps top-left frames: the top edge turns on the primary display.
    const platform::CGRect& frame = entry.state.frame;
    const platform::CGPoint topLeft =
        Displays::of(world).flipped({frame.minX(), frame.minY() + frame.height()});
    entry.node->set(ax::attribute::position, topLeft);
    entry.node->set(ax::attribute::size, platform::CGSize{frame.width(), frame.height()});
}

void ProgramWindows::setFrame(World& world, platform::WindowNumber number, platform::CGRect frame) {
    if (Entry* entry = find(number)) {
        entry->state.frame = frame;
        place(world, *entry);
    }
}

void ProgramWindows::setAlpha(platform::WindowNumber number, double alpha) {
    if (Entry* entry = find(number))
        entry->state.alpha = std::clamp(alpha, 0.0, 1.0);
}

void ProgramWindows::orderFront(World& world, platform::WindowNumber number) {
    Entry* entry = find(number);
    if (entry == nullptr)
        return;
    orderings_.push_back({number, true});
    WindowServer& server = WindowServer::of(world);
    if (!entry->state.orderedIn) {
        world.programProcess().application->appendChild(entry->node);
        server.setOptions(*entry->node, {.level = static_cast<int>(entry->state.style.level),
                                         .clickThrough = entry->state.style.ignoresMouseEvents,
                                         .allSpaces = entry->state.style.canJoinAllSpaces});
        entry->state.orderedIn = true;
    }
    server.orderFront(*entry->node);
}

void ProgramWindows::orderOut(World& world, platform::WindowNumber number) {
    Entry* entry = find(number);
    if (entry == nullptr)
        return;
    orderings_.push_back({number, false});
    if (!entry->state.orderedIn)
        return;
    if (const Process* program = world.process(world.programPid()))
        program->application->removeChild(entry->node);
    entry->state.orderedIn = false;
}

void ProgramWindows::destroy(World& world, platform::WindowNumber number) {
    Entry* entry = find(number);
    if (entry == nullptr)
        return;
    if (entry->state.orderedIn)
        orderOut(world, number);
    entry->node->markDestroyed();
    windows_.erase(number);
}

void ProgramWindows::setContent(platform::WindowNumber number,
                                std::function<platform::ProgramWindowPixels()> content) {
    if (Entry* entry = find(number))
        entry->content = std::move(content);
}

platform::ProgramWindowPixels ProgramWindows::pixels(platform::WindowNumber number) const {
    const auto found = windows_.find(number);
    if (found == windows_.end() || !found->second.content)
        return {};
    return found->second.content();
}

std::optional<ProgramWindow> ProgramWindows::window(platform::WindowNumber number) const {
    const auto found = windows_.find(number);
    if (found == windows_.end())
        return std::nullopt;
    return found->second.state;
}

std::shared_ptr<WindowNode> ProgramWindows::node(platform::WindowNumber number) const {
    const auto found = windows_.find(number);
    return found != windows_.end() ? found->second.node : nullptr;
}

std::vector<ProgramWindow> ProgramWindows::visible(World& world) const {
    std::vector<ProgramWindow> result;
    const WindowServer& server = WindowServer::of(world);
    for (const ServerWindow& window : server.windows()) {
        const auto found = windows_.find(window.number);
        if (found == windows_.end() || window.node != found->second.node)
            continue;
        const ProgramWindow& state = found->second.state;
        if (state.orderedIn && state.alpha > 0 && server.isVisible(world, *window.node))
            result.push_back(state);
    }
    return result;
}

}  // namespace zoral::sim

namespace zoral::platform {

using sim::ProgramWindows;
using sim::World;

std::int64_t windowLevelForKey(CGWindowLevelKey key) {
    switch (key) {
        case CGWindowLevelKey::normalWindow:
            return sim::windowLevel::normal;
        case CGWindowLevelKey::floatingWindow:
            return sim::windowLevel::floating;
        case CGWindowLevelKey::assistiveTechHigh:
            return sim::windowLevel::assistiveTechHigh;
    }
    return sim::windowLevel::normal;
}

WindowNumber programWindowCreate(const ProgramWindowStyle& style, CGRect frame) {
    World& world = World::current();
    return ProgramWindows::of(world).create(world, style, frame);
}

void programWindowSetFrame(WindowNumber window, CGRect frame) {
    World& world = World::current();
    ProgramWindows::of(world).setFrame(world, window, frame);
}

void programWindowSetAlpha(WindowNumber window, double alpha) {
    ProgramWindows::current().setAlpha(window, alpha);
}

void programWindowOrderFront(WindowNumber window) {
    World& world = World::current();
    ProgramWindows::of(world).orderFront(world, window);
}

void programWindowOrderOut(WindowNumber window) {
    World& world = World::current();
    ProgramWindows::of(world).orderOut(world, window);
}

void programWindowDestroy(WindowNumber window) {
    World& world = World::current();
    ProgramWindows::of(world).destroy(world, window);
}

void programWindowSetContent(WindowNumber window, std::function<ProgramWindowPixels()> content) {
    ProgramWindows::current().setContent(window, std::move(content));
}

}  // namespace zoral::platform
