// The window server's list of windows, from the simulated world: the windows
// of each application, front-most application first and, within one, later
// windows in front. Minimised windows are not on screen.

#include "platform/window_list.h"

#include "sim/window_node.h"
#include "sim/world.h"

namespace zoral::platform {

std::optional<std::vector<PlistDictionary>> windowListCopyWindowInfo(std::uint32_t options,
                                                                     WindowID) {
    sim::World& world = sim::World::current();
    const bool onScreenOnly = (options & windowListOptionOnScreenOnly) != 0;
    std::vector<PlistDictionary> list;
    for (ProcessId pid : world.processIds()) {
        const sim::Process& process = *world.process(pid);
        const auto& children = process.application->children();
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            const auto window = std::dynamic_pointer_cast<sim::WindowNode>(*child);
            if (!window)
                continue;
            const auto* minimized = window->stored(ax::attribute::minimized);
            if (onScreenOnly && minimized != nullptr && minimized->getIf<bool>() != nullptr &&
                *minimized->getIf<bool>()) {
                continue;
            }
            const CGRect frame = *window->frame();
            PlistDictionary entry;
            entry["kCGWindowLayer"] = PlistObject::integer(window->layer());
            entry["kCGWindowOwnerPID"] = PlistObject::integer(pid);
            entry["kCGWindowOwnerName"] = PlistObject::string(process.name);
            entry["kCGWindowNumber"] = PlistObject::integer(window->windowNumber());
            if (const auto* title = window->stored(ax::attribute::title)) {
                if (const auto* text = title->getIf<std::string>()) {
                    entry["kCGWindowName"] = PlistObject::string(*text);
                }
            }
            entry["kCGWindowBounds"] = PlistObject::dictionary({
                {"X", PlistObject::real(frame.origin.x)},
                {"Y", PlistObject::real(frame.origin.y)},
                {"Width", PlistObject::real(frame.size.width)},
                {"Height", PlistObject::real(frame.size.height)},
            });
            list.push_back(std::move(entry));
        }
    }
    return list;
}

}  // namespace zoral::platform
