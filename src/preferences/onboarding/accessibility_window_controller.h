#pragma once

// The sheet that asks for the Accessibility permission. Its Request button asks the system to show
// its permission prompt and leaves the sheet up; its Close button ends the sheet. When the
// permission is granted while the sheet is up, the sheet ends by itself and the preferences window
// comes to the front; a revocation does nothing to it. Ending the sheet, either way, runs the
// continuation that the preferences window gave when it presented the sheet.
//
// Made with std::make_shared (the permission's signal holds it weakly). Main thread only.

#include <functional>
#include <memory>

#include "ui/button.h"
#include "ui/window_controller.h"

namespace zoral::desktop {
class AXAccess;
}

namespace zoral::preferences {

class AccessibilityWindowController final
    : public ui::WindowController,
      public std::enable_shared_from_this<AccessibilityWindowController> {
public:
    // The access must outlive the controller; showPreferences brings the preferences window to
    // the front.
    AccessibilityWindowController(desktop::AXAccess& access, std::function<void()> showPreferences);

    // The sheet's texts.
    static constexpr const char* title = "Zoral needs Accessibility access";
    static constexpr const char* explanation =
        "Zoral moves and resizes windows for your gestures, and for that it needs the "
        "Accessibility permission. Click \"Request Access\" and allow Zoral in the system's "
        "accessibility settings. This sheet closes by itself once access is granted.";
    static constexpr const char* requestTitle = "Request Access";
    static constexpr const char* closeTitle = "Close";

    const std::shared_ptr<ui::Button>& requestButton() const { return request_; }
    const std::shared_ptr<ui::Button>& closeButton() const { return close_; }

protected:
    void loadWindow() override;
    void windowDidLoad() override;

private:
    void clickRequest();
    void clickClose();

    desktop::AXAccess& access_;
    std::function<void()> showPreferences_;
    std::shared_ptr<ui::Button> request_;
    std::shared_ptr<ui::Button> close_;
};

}  // namespace zoral::preferences
