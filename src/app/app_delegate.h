#pragma once

// The application's delegate, the root owner of the running program. When launching has finished
// it starts up in a fixed order: the program's identifier, the cursor in the background, the
// system-wide element's time-out, the screens, the ignored system components, the migrations,
// the status item, onboarding, then the engine as the Accessibility permission allows it, and the
// observers of the appearance, the displays and the display shortcut. Afterwards it rebuilds the
// engine at every permission report, rebuilds the screens and re-snaps windows when the
// appearance or the displays change, and sends the displays to sleep and wakes them on the
// shortcut's key-up. Terminating un-snaps every window and stops the event tap.
//
// Everything here runs on the main thread. The observers stay for the delegate's life (the
// program's), and go with it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "app/preferences_window_controller.h"
#include "app/status_item_controller.h"
#include "desktop/system_appearance.h"
#include "engine/input/engine.h"
#include "platform/notification_center.h"
#include "platform/process_launcher.h"
#include "shortcuts/name.h"

namespace zoral::app {

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // What the delegate is built with: the controllers of the later parts of the program, how
    // the engine is made and how the process ends.
    struct Parts {
        std::shared_ptr<StatusItemController> statusItem;
        // Made on first use.
        std::function<std::shared_ptr<PreferencesWindowController>()> makePreferencesController;
        // The engine, or none without the permission; engine::Engine::start() unless given.
        std::function<std::unique_ptr<engine::Engine>()> makeCore;
        // Ends the application once it has terminated (stops its run loop); nothing unless given.
        std::function<void()> endApplication;
        // The running build; the main bundle's unless given.
        std::optional<std::int64_t> build;
        // How the program is started again; the running executable without arguments unless
        // given. The delay is the relaunch's own.
        std::optional<platform::ProcessLaunch> relaunchCommand;
    };

    enum class TerminateReply { now };

    static std::shared_ptr<AppDelegate> make(Parts parts);
    AppDelegate(Passkey, Parts parts);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // --- The application's calls
    void applicationWillFinishLaunching() {}
    void applicationDidFinishLaunching() { startUp(); }
    // The user opens the program again while it runs: the preferences come forward.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    TerminateReply applicationShouldTerminate();
    void applicationWillTerminate();

    // The application's terminate: the two calls above, then the application ends. Quitting from
    // a menu and the system's request to end (a signal) both come here; a second request while
    // terminating does nothing.
    void terminate();
    // Starts the program again after the delay, without a shell, and terminates this one.
    void relaunch(double delay);

    // --- Start-up and the reactions it subscribes
    void startUp();
    void accessibilityChanged(bool isTrusted);
    void appearanceChanged(desktop::SystemAppearance appearance);
    void screenParametersChanged(bool countChanged, bool framesChanged);
    void delayedResnap();
    void fixPinchAndSwipeAction();
    // Start-up step: the welcome tour or "What's New" when due.
    void onboardBuild();

    // --- What the delegate owns
    // The engine: there while the permission is granted.
    engine::Engine* zoralCore() const { return zoralCore_.get(); }
    // Replaces the engine as a permission report does (the settings that the engine reads at
    // start changed).
    void restartCore();
    StatusItemController& statusItem() const { return *parts_.statusItem; }
    PreferencesWindowController& preferencesController();
    bool hasPreferencesController() const { return preferencesController_ != nullptr; }
    std::int64_t build() const;
    bool isTerminated() const { return terminated_; }

private:
    void printSeparator() const;

    Parts parts_;
    std::unique_ptr<engine::Engine> zoralCore_;
    std::shared_ptr<PreferencesWindowController> preferencesController_;
    platform::ObserverToken themeObservation_;
    platform::ObserverToken screenObservation_;
    bool terminating_ = false;
    bool terminated_ = false;
};

// The global shortcut that sends the displays to sleep and wakes them; no default.
const shortcuts::GlobalShortcuts::Name& fixPinchAndSwipe();

// The command the shortcut runs.
inline constexpr std::string_view displaySleepCommand =
    "pmset displaysleepnow; sleep 0.2; caffeinate -u -t 1";

// The application's delegate, for the user-interface callbacks of the preferences and menus;
// none before one is set or after it went.
std::shared_ptr<AppDelegate> appDelegate();
void setAppDelegate(const std::shared_ptr<AppDelegate>& delegate);

// The delegate's part of the process state: the delegate the application holds. Tests reset it
// as a whole.
struct AppState {
    std::weak_ptr<AppDelegate> delegate;
};
AppState& appState();
void resetAppState();

}  // namespace zoral::app
