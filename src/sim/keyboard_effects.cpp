#include "sim/keyboard_effects.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/key_codes.h"
#include "sim/application_node.h"
#include "sim/input_pipeline.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::CGEventFlags;
using platform::CGEventType;

// The switcher's state while Command is held after a Tab.
struct Switcher {
    std::optional<std::size_t> selection;
};

std::vector<platform::ProcessId> switchableApplications(World& world) {
    std::vector<platform::ProcessId> result;
    const Workspace& apps = workspace(world);
    for (platform::ProcessId pid : world.processIds()) {
        if (apps.infoOf(pid).activationPolicy == platform::ActivationPolicy::regular)
            result.push_back(pid);
    }
    return result;
}

bool switcher(World& world, const platform::CGEvent& event) {
    Switcher& state = world.component<Switcher>();
    const bool command = event.flags.contains(CGEventFlags::maskCommand);
    if (state.selection && !command &&
        (event.type == CGEventType::flagsChanged || event.type == CGEventType::keyUp)) {
        // Command released: the selection comes to the front; the release goes on.
        const auto candidates = switchableApplications(world);
        if (*state.selection < candidates.size())
            workspace(world).activateNow(world, candidates[*state.selection]);
        state.selection.reset();
        return false;
    }
    if (event.type != CGEventType::keyDown || !command ||
        event.keyCode != platform::virtualKey::tab) {
        return false;
    }
    const auto candidates = switchableApplications(world);
    if (candidates.empty())
        return true;
    const std::size_t count = candidates.size();
    const bool backwards = event.flags.contains(CGEventFlags::maskShift);
    const std::size_t current = state.selection.value_or(0);
    state.selection = backwards ? (current + count - 1) % count : (current + 1) % count;
    return true;
}

bool applicationShortcut(World& world, const platform::CGEvent& event, platform::ProcessId target) {
    if (event.type != CGEventType::keyDown || !event.flags.contains(CGEventFlags::maskCommand))
        return false;
    const Process* process = world.process(target);
    if (process == nullptr)
        return false;
    auto application = std::dynamic_pointer_cast<ApplicationNode>(process->application);
    if (event.keyCode == platform::virtualKey::ansiH &&
        event.flags.contains(CGEventFlags::maskAlternate)) {
        // Option-Command-H: the application hides every other one and stays.
        for (platform::ProcessId other : switchableApplications(world)) {
            if (other != target)
                workspace(world).requestHidden(world, other, true);
        }
    } else if (event.keyCode == platform::virtualKey::ansiH) {
        workspace(world).requestHidden(world, target, true);
    } else if (event.keyCode == platform::virtualKey::ansiW) {
        if (application) {
            if (auto main = application->mainWindow())
                main->close(world);
        }
    } else if (event.keyCode == platform::virtualKey::ansiN) {
        if (application)
            application->openWindow(world);
    } else {
        return false;
    }
    return true;
}

}  // namespace

void registerKeyboardEffects(InputPipeline& pipeline) {
    pipeline.addSystemKeyHandler(switcher);
    pipeline.addApplicationKeyHandler(applicationShortcut);
}

}  // namespace zoral::sim
