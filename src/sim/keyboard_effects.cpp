#include "sim/keyboard_effects.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/key_codes.h"
#include "sim/application_node.h"
#include "sim/input_devices.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::CGEventFlags;
using platform::CGEventType;

// The switcher's state while Command is held after a Tab.
struct Switcher {
    bool installed = false;
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

void handle(World& world, const PostedEvent& posted) {
    const platform::CGEvent& event = posted.event;
    Switcher& switcher = world.component<Switcher>();
    const bool command = event.flags.contains(CGEventFlags::maskCommand);

    if (switcher.selection && !command &&
        (event.type == CGEventType::flagsChanged || event.type == CGEventType::keyUp)) {
        // Command released: the selection comes to the front.
        const auto candidates = switchableApplications(world);
        if (*switcher.selection < candidates.size())
            workspace(world).activateNow(world, candidates[*switcher.selection]);
        switcher.selection.reset();
        return;
    }
    if (event.type != CGEventType::keyDown || !command)
        return;

    const std::optional<platform::ProcessId> target =
        event.targetPid ? event.targetPid : workspace(world).frontmost(world);
    if (!target || world.process(*target) == nullptr)
        return;

    if (event.keyCode == platform::virtualKey::tab) {
        const auto candidates = switchableApplications(world);
        if (candidates.empty())
            return;
        const std::size_t count = candidates.size();
        const bool backwards = event.flags.contains(CGEventFlags::maskShift);
        const std::size_t current = switcher.selection.value_or(0);
        switcher.selection = backwards ? (current + count - 1) % count : (current + 1) % count;
        return;
    }
    auto application =
        std::dynamic_pointer_cast<ApplicationNode>(world.process(*target)->application);
    if (event.keyCode == platform::virtualKey::ansiH) {
        workspace(world).setHidden(world, *target, true);
    } else if (event.keyCode == platform::virtualKey::ansiW) {
        if (application) {
            if (auto main = application->mainWindow())
                main->close(world);
        }
    } else if (event.keyCode == platform::virtualKey::ansiN) {
        if (application)
            application->openWindow(world);
    }
}

}  // namespace

void installKeyboardEffects(World& world) {
    Switcher& switcher = world.component<Switcher>();
    if (switcher.installed)
        return;
    switcher.installed = true;
    InputDevices::of(world).addPostHandler(
        [&world](const PostedEvent& posted) { handle(world, posted); });
}

}  // namespace zoral::sim
