// The window server's list of windows, from the simulated window server: front to back, every
// level, only the visible windows when asked for the windows on screen.

#include "platform/window_list.h"

#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::platform {

std::optional<std::vector<PlistDictionary>> windowListCopyWindowInfo(WindowListOptions options,
                                                                     WindowID) {
    sim::World& world = sim::World::current();
    return sim::WindowServer::of(world).windowList(world,
                                                   options.contains(windowListOptionOnScreenOnly));
}

}  // namespace zoral::platform
