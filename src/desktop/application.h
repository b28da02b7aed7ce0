#pragma once

// The element of one running application: its root accessibility element ("AXApplication")
// together with the workspace's record of it. Made on demand; nothing keeps one beyond the
// object that asked for it.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/direction.h"
#include "desktop/observer.h"
#include "desktop/ui_element.h"
#include "platform/workspace.h"
#include "promises/promises.h"

namespace zoral::desktop {

class DockItem;
class Window;

class Application final : public UIElement {
    struct Passkey {};

public:
    // No application when the record's process has quit, or its root element's role is not
    // "AXApplication".
    static std::shared_ptr<Application> make(const platform::RunningApplication& nsApp);
    // No application for identifiers below 1 (without asking the system) or without a record.
    static std::shared_ptr<Application> applicationForPID(platform::ProcessId pid);
    // The first running record with this bundle URL ("file:///Applications/Editor.app/").
    static std::shared_ptr<Application> applicationForBundleURL(std::string_view bundleURL);
    // Only the first record with the identifier is tried, even when it is refused.
    static std::shared_ptr<Application> applicationForBundleIdentifier(
        std::string_view bundleIdentifier);
    // Every running application that may have an activation policy other than prohibited, in the
    // workspace's order.
    static std::vector<std::shared_ptr<Application>> all();

    Application(Passkey, platform::RunningApplication nsApp);

    const platform::RunningApplication& nsApp() const { return nsApp_; }
    std::optional<std::string> bundleIdentifier() const { return nsApp_.bundleIdentifier; }

    // The application's tile in the Dock, looked up until one is found and then kept.
    std::shared_ptr<DockItem> dockItem();
    void setDockItem(std::shared_ptr<DockItem> item) { dockItem_ = std::move(item); }

    // The elements of "AXWindows" that are windows, in the application's order.
    std::vector<std::shared_ptr<Window>> windows() const;
    // The windows whose "AXMinimized" is settable and reads as `minimized`.
    std::vector<std::shared_ptr<Window>> windowsMinimized(bool minimized) const;

    // An observer of the application's process; none when the system refuses one (logged unless
    // the application is gone).
    std::shared_ptr<Observer> makeObserver(Observer::Callback callback) const;

    // Switch the enhanced accessibility interface off around frame changes and back on after:
    // disable saves the current state (a second disable keeps a saved "on"), restore writes true
    // only when a disable found it on.
    void disableEnhancedUI();
    void restoreEnhancedUI();
    // What disable saved; none when nothing is saved.
    std::optional<bool> usesEnhancedUI() const { return usesEnhancedUI_; }

    // --- Operations (main thread; promise handlers run on the main queue)

    // Asks the system to bring the application in front and waits (40 retries, 0.02 s apart) for
    // it to be active; the result is its front visible window, raised, else the window that
    // unminimizeLast brings back; when all that fails, the result of activateByClick.
    promises::Promise<std::shared_ptr<Window>> activate();
    // Presses the application's Dock tile and waits (20 retries, 0.02 s apart) for a visible
    // window; fails with PromiseError::default_() without a tile or a window.
    promises::Promise<std::shared_ptr<Window>> activateByClick();
    // Activates the application and raises the next of its visible windows in the direction
    // (left or right; other directions do nothing); none when it has no visible window.
    std::shared_ptr<Window> cycleWindows(Direction direction);
    // Restores the most recently minimised window (by the stamps of PidTimestamps, else
    // the last minimised one) and activates the application; the result is that window, else the
    // front visible one.
    promises::Promise<std::shared_ptr<Window>> unminimizeLast();
    // Unsnaps the snapped windows and asks the application to quit a moment later (0.2 s after
    // an unsnap, so that the frames are written first).
    void quit();
    // Posts Command-H to the application's process (to the common stream when it is unknown).
    void hideByShortcut();

    // Whether the application is active now; its front visible window, raised when asked, and the
    // line "Application: Activated in <n * 20>ms". Fails with PromiseError::default_() while it
    // is not active. `n` is the number of the poll's retry.
    promises::Promise<std::shared_ptr<Window>> activationCheck(int n, bool raise) const;

private:
    platform::RunningApplication nsApp_;
    std::shared_ptr<DockItem> dockItem_;
    std::optional<bool> usesEnhancedUI_;
};

}  // namespace zoral::desktop
