#pragma once

// The snapping world with a second display and a second application, for the operations on all
// windows: the laptop (screen 0) with the external display to its right (screen 1), the editor and
// a viewer, and no minimising time stamps at the start and the end.

#include <algorithm>
#include <memory>
#include <vector>

#include "desktop/application.h"
#include "desktop/pid_timestamps.h"
#include "engine/windows/snap_world.h"
#include "platform/date.h"

namespace zoral::engine::testing {

class AllWindowsWorldTest : public SnapWorldTest {
protected:
    static constexpr platform::ProcessId viewerPid = 13;
    // Top-left coordinates: the laptop is (0, 0, 1440, 900), the external display
    // (1440, -180, 1920, 1080).
    static constexpr CGRect onLaptop{100, 100, 600, 400};
    static constexpr CGRect onExternal{1600, 100, 600, 400};

    AllWindowsWorldTest() {
        addExternalDisplay();
        world->addProcess(viewerPid, "org.example.viewer", "Viewer");
    }

    std::shared_ptr<sim::WindowNode> addMinimizedWindow(const CGRect& frame,
                                                        platform::ProcessId pid = editorPid) {
        auto node = addWindow(frame, {}, pid);
        node->setMinimized(*world, true);
        return node;
    }
    static std::shared_ptr<desktop::Application> application(platform::ProcessId pid) {
        return desktop::Application::applicationForPID(pid);
    }
    static std::vector<bool> minimized(const std::vector<std::shared_ptr<sim::WindowNode>>& nodes) {
        std::vector<bool> states;
        for (const auto& node : nodes)
            states.push_back(node->isMinimized());
        return states;
    }
    static double now() { return platform::Date::now().unixTime(); }
    // Lets the operations' writes (0.01 s after the call) and the Dock's animation of
    // minimising or restoring run.
    void settleMinimising() { settle(0.02 + std::max(timing().minimize, timing().restore)); }
};

}  // namespace zoral::engine::testing
