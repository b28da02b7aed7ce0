#include "engine/actions/all_windows.h"

#include <functional>
#include <memory>
#include <utility>

#include "desktop/ax_vocabulary.h"
#include "desktop/run_after_delay.h"
#include "desktop/window.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "engine/windows/window_operations.h"
#include "platform/accessibility.h"
#include "platform/dispatch.h"
#include "platform/events.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using desktop::Application;
using desktop::Screen;
using desktop::Window;

// Where the pointer lands below the top of the screen the windows went to: the middle of a
// 22-point bar.
constexpr double cursorBelowScreenTop = 11;

void unminimize(const std::shared_ptr<Window>& window) {
    window->setAttributeAfter(desktop::Attribute::minimized, platform::ax::Value(false),
                              unminimizeDelay);
}

bool belongsTo(const Window& window, const Screen& screen, const ScreenSnapshot& screens) {
    // A frame that cannot be read is the zero rectangle, which the first screen takes.
    const auto on = screens.screenOfFrame(window.frame());
    return on && *on == screen;
}

// The loops make elements of their own, so no element cache is shared with the main thread; the
// time stamps they write are locked, and the screens come with the work.
void runOnGlobalQueue(std::function<void()> work) {
    desktop::runAfterDelay(platform::DispatchQueue::global(platform::DispatchQoS::default_), 0,
                           std::move(work));
}

}  // namespace

void minimizeAllWindows(const Application& application) {
    for (const auto& window : application.windowsMinimized(false))
        minimize(window);
}

void minimizeAllApplications() {
    for (const auto& application : Application::all())
        minimizeAllWindows(*application);
}

void minimizeWindowsOnScreen(const Screen& screen, const ScreenSnapshot& screens) {
    for (const auto& application : Application::all()) {
        for (const auto& window : application->windowsMinimized(false)) {
            if (belongsTo(*window, screen, screens))
                minimize(window);
        }
    }
}

void unminimizeAllWindows() {
    for (const auto& application : Application::all()) {
        for (const auto& window : application->windowsMinimized(true))
            unminimize(window);
    }
}

void unminimizeWindowsOnScreen(const Screen& screen, const ScreenSnapshot& screens) {
    for (const auto& application : Application::all()) {
        for (const auto& window : application->windowsMinimized(true)) {
            if (belongsTo(*window, screen, screens))
                unminimize(window);
        }
    }
}

void unsnapWindowsOnScreen(const Screen& screen) {
    // Unsnapping removes the record from the live registry, not from this copy.
    for (const auto& window : SnappedWindows::shared().windows()) {
        const auto on = window->screen();
        if (on && *on == screen)
            unsnap(window);
    }
}

void moveAllWindowsToScreen(desktop::Direction direction, const Screen& from) {
    const auto target = desktop::neighbourScreen(from, direction);
    if (!target)
        return;
    const auto entries = snappedWindowsOnScreen(from);
    for (const auto& [window, record] : entries)
        snap(window, record.span, *target);
    if (!entries.empty() &&
        settings::Defaults::readValue(settings::Defaults::Keys::screensMoveCursor())) {
        const platform::CGRect top = desktop::flip(target->uiFrame);
        (void)platform::warpMouseCursorPosition({top.midX(), top.minY() + cursorBelowScreenTop});
    }
}

void dispatchMinimizeAllApplications() {
    runOnGlobalQueue([] { minimizeAllApplications(); });
}

void dispatchMinimizeWindowsOnScreen(const Screen& screen) {
    runOnGlobalQueue([screen, screens = ScreenSnapshot::current()] {
        minimizeWindowsOnScreen(screen, screens);
    });
}

void dispatchUnminimizeAllWindows() {
    runOnGlobalQueue([] { unminimizeAllWindows(); });
}

void dispatchUnminimizeWindowsOnScreen(const Screen& screen) {
    runOnGlobalQueue([screen, screens = ScreenSnapshot::current()] {
        unminimizeWindowsOnScreen(screen, screens);
    });
}

}  // namespace zoral::engine
