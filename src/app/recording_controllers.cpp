#include "app/recording_controllers.h"

#include <utility>

#include "desktop/ax_access.h"
#include "platform/enum_table.h"

namespace zoral::app {

void RecordingStatusItem::setUpStatusItem() {
    calls_.emplace_back("setUpStatusItem");
    if (note_)
        note_(calls_.back());
}

void RecordingPreferencesController::record(std::string call) {
    calls_.push_back(std::move(call));
    if (note_)
        note_(calls_.back());
}

bool RecordingPreferencesController::runOnce(Completion& completion) {
    if (!completion)
        return false;
    // Taken first: the completion may ask for the next popover.
    auto taken = std::exchange(completion, nullptr);
    taken();
    return true;
}

void RecordingPreferencesController::show() {
    record("show");
}

void RecordingPreferencesController::showTab(settings::PreferencesTab tab) {
    record("showTab(" + std::string(platform::caseName(tab)) + ")");
}

void RecordingPreferencesController::requireAccessibility(Completion completion) {
    record("requireAccessibility");
    if (desktop::AXAccess::shared().isTrusted()) {
        if (completion)
            completion();
        return;
    }
    record("accessibilitySheet");
    sheetEnded_ = std::move(completion);
}

void RecordingPreferencesController::showWelcome(Completion completion) {
    record("showWelcome");
    welcomeFinished_ = std::move(completion);
}

void RecordingPreferencesController::showWhatsNew(Completion completion) {
    record("showWhatsNew");
    whatsNewFinished_ = std::move(completion);
}

bool RecordingPreferencesController::endAccessibilitySheet() {
    return runOnce(sheetEnded_);
}

bool RecordingPreferencesController::finishWelcome() {
    return runOnce(welcomeFinished_);
}

bool RecordingPreferencesController::finishWhatsNew() {
    return runOnce(whatsNewFinished_);
}

}  // namespace zoral::app
