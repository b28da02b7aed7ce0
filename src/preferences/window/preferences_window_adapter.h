#pragma once

// The preferences window as the application delegate reaches it: the window controller the
// system calls for (built in code from system 11 on, from its interface description before),
// made with the window opening, behind the program's interface. Main thread only.

#include <memory>

#include "app/preferences_window_controller.h"
#include "preferences/window/preferences_window_controller.h"

namespace zoral::preferences {

// Whether the system takes the window built in code, and not the one from its description.
bool usesCodeBuiltPreferencesWindow();

class PreferencesWindowAdapter final : public app::PreferencesWindowController {
public:
    // Opens the window.
    explicit PreferencesWindowAdapter(PreferencesEnvironment environment);

    void show() override;
    void showTab(settings::PreferencesTab tab) override;
    void requireAccessibility(Completion completion) override;
    void showWelcome(Completion completion) override;
    void showWhatsNew(Completion completion) override;

    preferences::PreferencesWindowController& windowController() const { return *controller_; }

private:
    std::shared_ptr<preferences::PreferencesWindowController> controller_;
};

}  // namespace zoral::preferences
