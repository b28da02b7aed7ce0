#include "app/app_delegate.h"

#include <string>
#include <utility>

#include "app/versioning.h"
#include "desktop/ax_access.h"
#include "desktop/log_time_formatter.h"
#include "desktop/pid_timestamps.h"
#include "desktop/run_after_delay.h"
#include "desktop/screen.h"
#include "desktop/shell_command.h"
#include "desktop/snapped_window_registry.h"
#include "desktop/system_wide.h"
#include "engine/input/tap.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snap_engine.h"
#include "loginitems/login_items.h"
#include "platform/bundle.h"
#include "platform/cursor.h"
#include "platform/dispatch.h"
#include "platform/enum_table.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/screens.h"
#include "settings/defaults.h"
#include "shortcuts/global_shortcuts.h"

namespace zoral::app {

namespace {

using platform::output::printLine;

constexpr std::string_view separator = "------------------------------------------";

// The system-wide element's messaging time-out, in seconds.
constexpr float systemWideMessagingTimeout = 2.0F;

std::string secondsText(std::int64_t seconds) {
    // Printed as a floating-point number: 4 prints as "4.0".
    return std::to_string(seconds) + ".0";
}

}  // namespace

std::shared_ptr<AppDelegate> AppDelegate::make(Parts parts) {
    return std::make_shared<AppDelegate>(Passkey{}, std::move(parts));
}

AppDelegate::AppDelegate(Passkey, Parts parts) : parts_(std::move(parts)) {
    if (!parts_.makeCore)
        parts_.makeCore = [] { return engine::Engine::start(); };
    if (!parts_.relaunchCommand)
        parts_.relaunchCommand = platform::ProcessLaunch{.executable = platform::executablePath()};
}

AppDelegate::~AppDelegate() {
    platform::DistributedNotificationCenter::defaultCenter().removeObserver(themeObservation_);
    platform::NotificationCenter::defaultCenter().removeObserver(screenObservation_);
}

std::int64_t AppDelegate::build() const {
    return parts_.build ? *parts_.build : platform::Bundle::main().buildVersion();
}

void AppDelegate::printSeparator() const {
    printLine(separator);
}

PreferencesWindowController& AppDelegate::preferencesController() {
    if (!preferencesController_)
        preferencesController_ = parts_.makePreferencesController();
    return *preferencesController_;
}

void AppDelegate::startUp() {
    printLine(platform::Bundle::main().bundleIdentifier());
    platform::setSetsCursorInBackground(true);
    desktop::SystemWide::shared()->setMessagingTimeout(systemWideMessagingTimeout);
    engine::reinitializeScreens();
    addDefaultIgnoredApps();
    migrateSettings(build());
    parts_.statusItem->setUpStatusItem();
    onboardBuild();

    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    // The monitor fired its first value when it was made, so this runs at once with the current
    // state, and again at every report.
    desktop::AXAccess::shared().onChange().subscribeReplayingLast(
        weak, [weak](const bool& isTrusted) {
            if (const auto self = weak.lock())
                self->accessibilityChanged(isTrusted);
        });
    themeObservation_ = desktop::observeThemeChanges([weak](desktop::SystemAppearance appearance) {
        if (const auto self = weak.lock())
            self->appearanceChanged(appearance);
    });
    screenObservation_ = desktop::observeScreenParameters([weak](bool count, bool frames) {
        if (const auto self = weak.lock())
            self->screenParametersChanged(count, frames);
    });
    shortcuts::GlobalShortcuts::attachKeyUpHandler(fixPinchAndSwipe(), [weak] {
        if (const auto self = weak.lock())
            self->fixPinchAndSwipeAction();
    });
}

void AppDelegate::onboardBuild() {
    app::onboardBuild([this]() -> PreferencesWindowController& { return preferencesController(); },
                      build());
}

void AppDelegate::accessibilityChanged(bool isTrusted) {
    printSeparator();
    printLine(std::string("AXAccess: ") + (isTrusted ? "true" : "false") + " (" +
              desktop::currentLogTime() + ")");
    printSeparator();
    restartCore();
}

void AppDelegate::restartCore() {
    // The old tap stops before the new core makes its own.
    if (zoralCore_ && zoralCore_->core()->eventTap())
        zoralCore_->core()->eventTap()->invalidate();
    // The new core replaces the old, which goes after it is made.
    zoralCore_ = parts_.makeCore();
}

void AppDelegate::appearanceChanged(desktop::SystemAppearance appearance) {
    printSeparator();
    printLine("System: Appearance changed to " + std::string(platform::caseName(appearance)) +
              " (" + desktop::currentLogTime() + ")");
    printSeparator();
    engine::reinitializeScreens();
    engine::resnapAllWindows();
}

void AppDelegate::screenParametersChanged(bool countChanged, bool framesChanged) {
    engine::reinitializeScreens();
    printSeparator();
    printLine("Screens: Config changed (" + desktop::currentLogTime() + ")");
    printLine("Screens: " + std::to_string(platform::NSScreen::screens().size()) +
              ", Snapped: " + std::to_string(desktop::SnappedWindowRegistry::shared().count()) +
              ", Minimized: " + std::to_string(desktop::PidTimestamps::shared().windowCount()));
    if (countChanged) {
        const std::int64_t timeout =
            settings::Defaults::readValue(settings::Defaults::Keys::screenChangeTimeout());
        if (timeout > 0) {
            printLine("Resnapping after " + secondsText(timeout) + "s...");
            const std::weak_ptr<AppDelegate> weak = weak_from_this();
            desktop::runAfterDelay(platform::DispatchQueue::main(), static_cast<double>(timeout),
                                   [weak] {
                                       if (const auto self = weak.lock())
                                           self->delayedResnap();
                                   });
        } else {
            printLine("Ignoring screen change...");
            printSeparator();
        }
    } else if (framesChanged) {
        printLine("Resnapping...");
        engine::resnapAllWindows();
        printSeparator();
    }
}

void AppDelegate::delayedResnap() {
    engine::resnapAllWindows();
    printSeparator();
}

void AppDelegate::fixPinchAndSwipeAction() {
    (void)desktop::runShellCommand(displaySleepCommand);
}

bool AppDelegate::applicationShouldHandleReopen(bool /*hasVisibleWindows*/) {
    preferencesController().show();
    return true;
}

AppDelegate::TerminateReply AppDelegate::applicationShouldTerminate() {
    engine::unsnapAllWindows();
    if (zoralCore_ && zoralCore_->core()->eventTap())
        zoralCore_->core()->eventTap()->invalidate();
    return TerminateReply::now;
}

void AppDelegate::applicationWillTerminate() {
    using loginitems::LoginItems::LaunchState;
    if (!platform::isOperatingSystemAtLeast({13, 0, 0}) &&
        loginitems::LoginItems::launchState() == LaunchState::hide) {
        loginitems::LoginItems::setLaunchState(LaunchState::show);
    }
    printLine("Zoral: Exiting...");
}

void AppDelegate::terminate() {
    if (terminating_)
        return;
    terminating_ = true;
    (void)applicationShouldTerminate();
    applicationWillTerminate();
    terminated_ = true;
    if (parts_.endApplication)
        parts_.endApplication();
}

void AppDelegate::relaunch(double delay) {
    platform::ProcessLaunch launch = *parts_.relaunchCommand;
    launch.delay = delay;
    platform::launchProcess(launch);
    terminate();
}

const shortcuts::GlobalShortcuts::Name& fixPinchAndSwipe() {
    static const shortcuts::GlobalShortcuts::Name name("fixPinchAndSwipe");
    return name;
}

AppState& appState() {
    return platform::processPart<AppState>();
}

void resetAppState() {
    appState() = AppState{};
}

std::shared_ptr<AppDelegate> appDelegate() {
    return appState().delegate.lock();
}

void setAppDelegate(const std::shared_ptr<AppDelegate>& delegate) {
    appState().delegate = delegate;
}

}  // namespace zoral::app
