#pragma once

// Stand-ins for the status item and the preferences window that record what they are asked, in
// order, and keep the completions they are given until the user's part is played through them.
// The program uses them where the real controllers are not there yet; tests read the calls.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/preferences_window_controller.h"
#include "app/status_item_controller.h"

namespace zoral::app {

// Told of every call, by its name: lets a test put the calls among the log's lines.
using CallNote = std::function<void(const std::string& call)>;

class RecordingStatusItem final : public StatusItemController {
public:
    explicit RecordingStatusItem(CallNote note = {}) : note_(std::move(note)) {}

    void setUpStatusItem() override;
    // A stand-in puts nothing in the status bar.
    std::shared_ptr<platform::StatusItem> statusItem() const override { return nullptr; }
    const std::vector<std::string>& calls() const { return calls_; }

private:
    CallNote note_;
    std::vector<std::string> calls_;
};

// The calls are named "show", "showTab(<tab>)", "requireAccessibility", "showWelcome" and
// "showWhatsNew"; a sheet shown for the permission records "accessibilitySheet".
class RecordingPreferencesController final : public PreferencesWindowController {
public:
    explicit RecordingPreferencesController(CallNote note = {}) : note_(std::move(note)) {}

    void show() override;
    void showTab(settings::PreferencesTab tab) override;
    void requireAccessibility(Completion completion) override;
    void showWelcome(Completion completion) override;
    void showWhatsNew(Completion completion) override;

    const std::vector<std::string>& calls() const { return calls_; }

    // The user's part: ends the Accessibility sheet, finishes the welcome tour or the "What's
    // New" popover. Each runs the completion kept for it, once; false when none is waiting.
    bool endAccessibilitySheet();
    bool finishWelcome();
    bool finishWhatsNew();

private:
    void record(std::string call);
    static bool runOnce(Completion& completion);

    CallNote note_;
    std::vector<std::string> calls_;
    Completion sheetEnded_;
    Completion welcomeFinished_;
    Completion whatsNewFinished_;
};

}  // namespace zoral::app
