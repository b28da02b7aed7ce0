#pragma once

// The preferences window, as the rest of the program talks to it. The application delegate makes
// it on first use and keeps it for the life of the process. Main thread only.

#include <functional>

#include "settings/preferences_tab.h"

namespace zoral::app {

class PreferencesWindowController {
public:
    using Completion = std::function<void()>;

    virtual ~PreferencesWindowController() = default;

    // Brings the window forward.
    virtual void show() = 0;
    // Selects the tab without bringing the window forward.
    virtual void showTab(settings::PreferencesTab tab) = 0;
    // Runs the completion at once with the Accessibility permission; without it, shows the
    // Accessibility sheet on the window and runs the completion when the sheet ends.
    virtual void requireAccessibility(Completion completion) = 0;
    // The welcome tour and the "What's New" popover; each runs its completion when the user has
    // gone through it.
    virtual void showWelcome(Completion completion) = 0;
    virtual void showWhatsNew(Completion completion) = 0;

protected:
    PreferencesWindowController() = default;
    PreferencesWindowController(const PreferencesWindowController&) = default;
    PreferencesWindowController& operator=(const PreferencesWindowController&) = default;
};

}  // namespace zoral::app
