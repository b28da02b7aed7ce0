#pragma once

// The element of one running application: its root accessibility element ("AXApplication")
// together with the workspace's record of it. Made on demand; nothing keeps one beyond the
// object that asked for it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/ui_element.h"
#include "platform/workspace.h"

namespace zoral::desktop {

class Window;

class Application : public UIElement {
    struct Passkey {};

public:
    // No application when the record's process has quit, or its root element's role is not
    // "AXApplication".
    static std::shared_ptr<Application> make(const platform::RunningApplication& nsApp);
    // No application for identifiers below 1 (without asking the system) or without a record.
    static std::shared_ptr<Application> applicationForPID(platform::ProcessId pid);
    Application(Passkey, platform::RunningApplication nsApp);

    const platform::RunningApplication& nsApp() const { return nsApp_; }
    virtual std::optional<std::string> bundleIdentifier() const { return nsApp_.bundleIdentifier; }

    // The elements of "AXWindows" that are windows, in the application's order.
    virtual std::vector<std::shared_ptr<Window>> windows() const;
    // The windows whose "AXMinimized" is settable and reads as `minimized`.
    virtual std::vector<std::shared_ptr<Window>> windowsMinimized(bool minimized) const;

private:
    platform::RunningApplication nsApp_;
};

}  // namespace zoral::desktop
