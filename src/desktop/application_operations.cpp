// The operations on a whole application: activate, cycle its windows, bring back its last
// minimised window, quit and hide.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "desktop/app_cycle_state.h"
#include "desktop/application.h"
#include "desktop/attempt.h"
#include "desktop/dock_item.h"
#include "desktop/key.h"
#include "desktop/pid_timestamps.h"
#include "desktop/press_state.h"
#include "desktop/promise_error.h"
#include "desktop/run_after_delay.h"
#include "desktop/snapped_window_registry.h"
#include "desktop/synthetic_input.h"
#include "desktop/window.h"
#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/workspace.h"

namespace zoral::desktop {

namespace {

using WindowPromise = promises::Promise<std::shared_ptr<Window>>;

constexpr int activationRetries = 40;
constexpr int clickRetries = 20;
constexpr double pollInterval = 0.02;
// The nominal milliseconds a poll's retry stands for in its log line.
constexpr int pollIntervalMilliseconds = 20;
constexpr double raiseDelay = 0.01;
constexpr double terminateDelayAfterUnsnap = 0.2;
// A cycle restarts when the window count changed; a list that keeps changing under it must not
// make it restart for ever.
constexpr int maximumCycleRestarts = 8;

// The record is a snapshot: whether the application is active is asked afresh.
bool isActive(const platform::RunningApplication& nsApp) {
    const auto record = platform::runningApplicationWithProcessIdentifier(nsApp.processIdentifier);
    return record && record->active;
}

void requestActivation(const platform::RunningApplication& nsApp) {
    // A process that is gone shows in the polls that follow.
    (void)platform::activate(nsApp, platform::activateIgnoringOtherApps);
}

// Makes the window its application's main window, which brings it to the front.
void raise(Window& window) {
    window.setAttributeAfter(Attribute::main, platform::ax::Value(true), raiseDelay);
}

void setUnminimized(Window& window) {
    window.setAttribute(Attribute::minimized, platform::ax::Value(false));
}

std::string pollTime(int n) {
    return std::to_string(n * pollIntervalMilliseconds) + "ms";
}

// Whether the cycle of `state` goes on for this process and this number of windows.
bool continuesCycle(const AppCycleState& state, std::optional<platform::ProcessId> pid,
                    std::size_t count) {
    if (state.count != count)
        return false;
    return pid ? !state.pidUnknown && state.pid == *pid : state.pidUnknown;
}

void storeCycleOwner(AppCycleState& state, std::optional<platform::ProcessId> pid,
                     std::size_t count) {
    state.pid = pid.value_or(0);
    state.pidUnknown = !pid.has_value();
    state.count = count;
}

// The next position of a cycle that stops at the last one.
std::size_t stepped(std::size_t index, std::size_t count) {
    return index + 1 < count ? index + 1 : index;
}

}  // namespace

WindowPromise Application::activationCheck(int n, bool raiseWindow) const {
    if (!isActive(nsApp_))
        return WindowPromise::initRejected(PromiseError::makeDefault());
    const auto visible = windowsMinimized(false);
    std::shared_ptr<Window> window = visible.empty() ? nullptr : visible.front();
    if (raiseWindow && window)
        raise(*window);
    platform::output::printLine("Application: Activated in " + pollTime(n));
    return WindowPromise::initFulfilled(std::move(window));
}

WindowPromise Application::activate() {
    requestActivation(nsApp_);
    auto self = std::static_pointer_cast<Application>(shared_from_this());
    return attempt(activationRetries, pollInterval,
                   [self](int n) { return self->activationCheck(n, true); })
        .chain([self](const std::shared_ptr<Window>& window) -> WindowPromise {
            if (window)
                return WindowPromise::initFulfilled(window);
            // Active but showing nothing: bring back what was minimised.
            return self->unminimizeLast();
        })
        .recoverError([self](const platform::ErrorRef&) { return self->activateByClick(); });
}

WindowPromise Application::activateByClick() {
    const auto tile = dockItem();
    if (!tile)
        return WindowPromise::initRejected(PromiseError::makeDefault());
    tile->performActionAfter(AXAction::press);
    auto self = std::static_pointer_cast<Application>(shared_from_this());
    return attempt(clickRetries, pollInterval, [self](int n) {
        const auto visible = self->windowsMinimized(false);
        if (visible.empty())
            return WindowPromise::initRejected(PromiseError::makeDefault());
        platform::output::printLine("Application: Activated by click in " + pollTime(n));
        return WindowPromise::initFulfilled(visible.front());
    });
}

std::shared_ptr<Window> Application::cycleWindows(Direction direction) {
    if (direction != Direction::left && direction != Direction::right)
        return nullptr;
    AppCycleState& state = AppCycleState::shared();
    for (int restarts = 0; restarts <= maximumCycleRestarts; ++restarts) {
        const auto visible = windowsMinimized(false);
        if (visible.empty())
            return nullptr;
        requestActivation(nsApp_);
        if (visible.size() == 1) {
            raise(*visible.front());
            return visible.front();
        }
        const auto processId = pid();
        const std::size_t count = visible.size();
        if (!continuesCycle(state, processId, count)) {
            // A new cycle: it starts at once, with the list read afresh.
            storeCycleOwner(state, processId, count);
            state.rightIndex = 0;
            state.leftIndex = 0;
            continue;
        }
        std::size_t position = 0;
        if (direction == Direction::left) {
            position = stepped(state.leftIndex, count);
            state.leftIndex = position;
            state.rightIndex = 0;
        } else {
            position = stepped(state.rightIndex, count);
            state.rightIndex = position;
            state.leftIndex = 0;
        }
        storeCycleOwner(state, processId, count);
        raise(*visible[position]);
        return visible[position];
    }
    return nullptr;
}

WindowPromise Application::unminimizeLast() {
    std::shared_ptr<Window> chosen;
    const auto minimized = windowsMinimized(true);
    if (minimized.empty()) {
        if (isActive(nsApp_)) {
            chosen = cycleWindows(Direction::right);
            // Visible already; the write is harmless.
            if (chosen)
                setUnminimized(*chosen);
        }
    } else {
        const platform::ProcessId processId = pid().value_or(-1);
        PidTimestamps& timestamps = PidTimestamps::shared();
        if (const auto latest = timestamps.latest(processId)) {
            for (const auto& window : minimized) {
                if (window->id() == *latest) {
                    chosen = window;
                    timestamps.remove(processId, *latest);
                    break;
                }
            }
        }
        // No stamp, or the latest stamp's window was restored some other way: that stamp stays.
        if (!chosen)
            chosen = minimized.back();
        setUnminimized(*chosen);
    }
    requestActivation(nsApp_);
    auto self = std::static_pointer_cast<Application>(shared_from_this());
    return attempt(activationRetries, pollInterval,
                   [self](int n) { return self->activationCheck(n, false); })
        .chain([chosen](const std::shared_ptr<Window>& active) {
            if (chosen)
                return WindowPromise::initFulfilled(chosen);
            if (active)
                return WindowPromise::initFulfilled(active);
            return WindowPromise::initRejected(PromiseError::makeDefault());
        });
}

void Application::quit() {
    SnappedWindowRegistry& registry = SnappedWindowRegistry::shared();
    std::vector<std::shared_ptr<Window>> snapped;
    for (auto& window : windows()) {
        if (registry.isSnapped(*window))
            snapped.push_back(std::move(window));
    }
    for (const auto& window : snapped)
        registry.unsnap(window);
    // The unsnapped frames are written on the accessibility queue: give them time to land.
    const double delay = snapped.empty() ? 0 : terminateDelayAfterUnsnap;
    runAfterDelay(platform::DispatchQueue::main(), delay,
                  [nsApp = nsApp_] { (void)platform::terminate(nsApp); });
}

void Application::hideByShortcut() {
    constexpr std::array keys{Key::letterH};
    constexpr std::array states{PressState::down, PressState::up};
    postKeyCombination(keys, states, platform::CGEventFlags::maskCommand, pid());
}

}  // namespace zoral::desktop
