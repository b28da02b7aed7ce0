#include "preferences/onboarding/accessibility_window_controller.h"

#include "desktop/ax_access.h"
#include "preferences/onboarding/step_views.h"

namespace zoral::preferences {

AccessibilityWindowController::AccessibilityWindowController(desktop::AXAccess& access,
                                                             std::function<void()> showPreferences)
    : access_(access), showPreferences_(std::move(showPreferences)) {}

void AccessibilityWindowController::loadWindow() {
    close_ = actionButton(closeTitle, [this] { clickClose(); });
    request_ = actionButton(requestTitle, [this] { clickRequest(); });
    auto content = stepView(title, explanation, {close_, request_}, 400);
    auto window = std::make_shared<ui::TitledWindow>(content->fittingSize());
    window->setContentView(content);
    window->setTitle("Accessibility");
    setWindow(window);
}

void AccessibilityWindowController::windowDidLoad() {
    // Only later reports count: the state at the time of loading is what brought the sheet up.
    access_.onChange().subscribe(weak_from_this(), [weak = weak_from_this()](const bool& trusted) {
        if (!trusted)
            return;
        const auto self = weak.lock();
        if (!self)
            return;
        self->clickClose();
        if (self->showPreferences_)
            self->showPreferences_();
    });
}

void AccessibilityWindowController::clickRequest() {
    access_.promptForAccess();
}

void AccessibilityWindowController::clickClose() {
    const auto sheet = window();
    if (!sheet)
        return;
    if (const auto parent = sheet->sheetParent())
        parent->endSheet(*sheet, 0);
}

}  // namespace zoral::preferences
