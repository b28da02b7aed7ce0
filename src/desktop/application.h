#pragma once

// The element of one running application: its root accessibility element ("AXApplication")
// together with the workspace's record of it. Made on demand; nothing keeps one beyond the
// object that asked for it.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/observer.h"
#include "desktop/ui_element.h"
#include "platform/workspace.h"

namespace zoral::desktop {

class DockItem;
class Window;

class Application : public UIElement {
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
    virtual std::optional<std::string> bundleIdentifier() const { return nsApp_.bundleIdentifier; }

    // The application's tile in the Dock, looked up until one is found and then kept.
    virtual std::shared_ptr<DockItem> dockItem();
    virtual void setDockItem(std::shared_ptr<DockItem> item) { dockItem_ = std::move(item); }

    // The elements of "AXWindows" that are windows, in the application's order.
    virtual std::vector<std::shared_ptr<Window>> windows() const;
    // The windows whose "AXMinimized" is settable and reads as `minimized`.
    virtual std::vector<std::shared_ptr<Window>> windowsMinimized(bool minimized) const;

    // An observer of the application's process; none when the system refuses one (logged unless
    // the application is gone).
    virtual std::shared_ptr<Observer> makeObserver(Observer::Callback callback) const;

    // Switch the enhanced accessibility interface off around frame changes and back on after:
    // disable saves the current state (a second disable keeps a saved "on"), restore writes true
    // only when a disable found it on.
    virtual void disableEnhancedUI();
    virtual void restoreEnhancedUI();
    // What disable saved; none when nothing is saved.
    std::optional<bool> usesEnhancedUI() const { return usesEnhancedUI_; }

private:
    platform::RunningApplication nsApp_;
    std::shared_ptr<DockItem> dockItem_;
    std::optional<bool> usesEnhancedUI_;
};

}  // namespace zoral::desktop
