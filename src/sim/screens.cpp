// The platform's display calls, answered by the simulated displays.

#include "platform/screens.h"

#include "sim/displays.h"
#include "sim/input_devices.h"

namespace zoral::platform {

using sim::Displays;

std::vector<NSScreen> NSScreen::screens() {
    std::vector<NSScreen> screens;
    for (const sim::Display& display : Displays::current().displays())
        screens.push_back(display.screen());
    return screens;
}

std::optional<NSScreen> NSScreen::main() {
    if (auto display = Displays::current().mainDisplay())
        return display->screen();
    return std::nullopt;
}

std::optional<std::string> displayCreateUUIDFromDisplayID(CGDirectDisplayID display) {
    for (const sim::Display& candidate : Displays::current().displays()) {
        if (candidate.number == static_cast<std::int64_t>(display))
            return candidate.uuid;
    }
    return std::nullopt;
}

CGPoint mouseLocation() {
    // The pointer lives in top-left coordinates; bottom-left ones turn on the primary display.
    return Displays::current().flipped(sim::InputDevices::current().pointer());
}

OperatingSystemVersion operatingSystemVersion() {
    return sim::SystemVersion::current().version();
}

}  // namespace zoral::platform
