#include "preferences/window/preferences_window_adapter.h"

#include "platform/screens.h"
#include "preferences/window/nib_preferences_controller.h"
#include "preferences/window/swift_preferences_controller.h"

namespace zoral::preferences {

bool usesCodeBuiltPreferencesWindow() {
    return platform::isOperatingSystemAtLeast({11, 0, 0});
}

PreferencesWindowAdapter::PreferencesWindowAdapter(PreferencesEnvironment environment) {
    if (usesCodeBuiltPreferencesWindow())
        controller_ = std::make_shared<SwiftPreferencesController>(std::move(environment));
    else
        controller_ = std::make_shared<NibPreferencesController>(std::move(environment));
}

void PreferencesWindowAdapter::show() {
    controller_->show();
}

void PreferencesWindowAdapter::showTab(settings::PreferencesTab tab) {
    controller_->showTab(tab);
}

void PreferencesWindowAdapter::requireAccessibility(Completion completion) {
    controller_->requireAccessibility(std::move(completion));
}

void PreferencesWindowAdapter::showWelcome(Completion completion) {
    controller_->showWelcome(std::move(completion));
}

void PreferencesWindowAdapter::showWhatsNew(Completion completion) {
    controller_->showWhatsNew(std::move(completion));
}

}  // namespace zoral::preferences
