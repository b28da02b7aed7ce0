#include "engine/actions/action_executor.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "desktop/application.h"
#include "desktop/ax_vocabulary.h"
#include "desktop/dock_item.h"
#include "desktop/key.h"
#include "desktop/mission_control_space.h"
#include "desktop/press_state.h"
#include "desktop/promise_error.h"
#include "desktop/run_after_delay.h"
#include "desktop/screen.h"
#include "desktop/synthetic_input.h"
#include "desktop/tab.h"
#include "desktop/window.h"
#include "engine/actions/all_windows.h"
#include "engine/actions/app_switcher.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "engine/windows/window_operations.h"
#include "platform/accessibility.h"
#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/screens.h"
#include "platform/workspace.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using desktop::Key;
using desktop::PressState;
using desktop::Window;
using platform::CGEventFlags;
using Kind = Action::Kind;
using ExecutionOutcome = ActionExecutor::Outcome;
using OutcomeGuarantee = promises::Guarantee<ExecutionOutcome>;
using WindowPromise = promises::Promise<std::shared_ptr<Window>>;
using Keys = settings::Defaults::Keys;

// What an action needs from the origin; without it nothing is done.
enum class Operand : std::uint8_t { none, window, application, tab, minDockItem, space };

bool hasOperand(const Origin& origin, Operand operand) {
    switch (operand) {
        case Operand::none:
            return true;
        case Operand::window:
            return origin.window != nullptr;
        case Operand::application:
            return origin.application != nullptr;
        case Operand::tab:
            return origin.tab != nullptr;
        case Operand::minDockItem:
            return origin.minDockItem != nullptr;
        case Operand::space:
            return origin.space != nullptr;
    }
    return false;
}

template <class Value>
Value setting(const settings::Defaults::Key<Value>& key) {
    return settings::Defaults::readValue(key);
}

OutcomeGuarantee finished(Origin origin, bool flag = true) {
    return OutcomeGuarantee::initWithValue(ExecutionOutcome{std::move(origin), flag});
}

// --- Posting

constexpr std::array downUp{PressState::down, PressState::up};

// Keys down and up to the application's process, or to the hardware stream when its process is
// unknown.
void postToApplication(const desktop::Application& application, Key key, CGEventFlags flags) {
    const std::array keys{key};
    desktop::postKeyCombination(keys, downUp, flags, application.pid());
}

// Keys down and up to the hardware stream, without modifier flags.
void postToSystem(Key key) {
    const std::array keys{key};
    desktop::postKeyCombination(keys, downUp);
}

// A middle-button event at the location, its modifier flags cleared, to the hardware stream.
void postMiddleButton(platform::CGEventType type, platform::CGPoint location) {
    auto event = platform::eventCreateMouseEvent(type, location, platform::CGMouseButton::center);
    if (!event)
        return;
    desktop::applyModifierFlags(*event, {});
    platform::eventPost(platform::CGEventTapLocation::hid, *event);
    platform::sleepFor(desktop::syntheticEventDelay);
}

// --- Origins the actions leave

// A window origin on the window, on its screen (the old screen when it has none).
Origin windowOrigin(Origin origin, std::shared_ptr<Window> window) {
    origin.type = OriginType::window;
    if (window) {
        if (auto screen = window->screen())
            origin.screen = std::move(*screen);
    }
    origin.window = std::move(window);
    return origin;
}

// The promise-based actions: the origin on the window the operation gives, or false.
OutcomeGuarantee onWindow(const WindowPromise& promise, const Origin& origin) {
    return promise
        .transformValue([origin](const std::shared_ptr<Window>& window) {
            return ExecutionOutcome{windowOrigin(origin, window), true};
        })
        .recoverGuarantee([origin](const platform::ErrorRef&) { return finished(origin, false); });
}

// --- The actions, one function a row of the table

OutcomeGuarantee snap(const Origin& origin, const Action& action) {
    engine::snap(origin.window, *action.span(), origin.screen,
                 {.moveCursor = setting(Keys::snappingMoveCursor()),
                  .activate = setting(Keys::snappingActivateWindow())});
    return finished(origin);
}

OutcomeGuarantee sendToFullscreen(const Origin& origin, const Action& action) {
    moveToFullscreenOnScreen(origin.window, *action.direction(), origin.screen);
    return finished(origin);
}

OutcomeGuarantee sendToScreen(const Origin& origin, const Action& action) {
    const bool moveCursor = setting(Keys::screensMoveCursor());
    Origin changed = origin;
    if (origin.window) {
        if (auto target = moveToScreen(origin.window, *action.direction(), origin.screen,
                                       {.moveCursor = moveCursor})) {
            changed.screen = std::move(*target);
        }
    }
    if (moveCursor)
        changed.location = platform::mouseLocation();
    return finished(std::move(changed));
}

OutcomeGuarantee sendToSpace(const Origin& origin, const Action& action) {
    moveToSpace(origin.window, *action.direction());
    return finished(origin);
}

OutcomeGuarantee cycle(const Origin& origin, const Action& action) {
    std::shared_ptr<Window> raised =
        origin.application ? origin.application->cycleWindows(*action.direction()) : nullptr;
    return finished(windowOrigin(origin, std::move(raised)));
}

OutcomeGuarantee sendAllToScreen(const Origin& origin, const Action& action) {
    moveAllWindowsToScreen(*action.direction(), origin.screen);
    return finished(origin);
}

OutcomeGuarantee sendSpaceToScreen(const Origin& origin, const Action& action) {
    (void)origin.space->missionControlSpaceAction(*action.direction(), origin.screen);
    return finished(origin);
}

OutcomeGuarantee cmdTab(const Origin& origin, const Action& action) {
    postCmdTab(*action.direction());
    return finished(origin);
}

OutcomeGuarantee closeWindow(const Origin& origin, const Action&) {
    double delay = 0;
    if (SnappedWindows::shared().isSnapped(*origin.window)) {
        unsnap(origin.window);
        delay = closeAfterUnsnapDelay;
    }
    desktop::runAfterDelay(platform::DispatchQueue::main(), delay,
                           [window = origin.window] { close(window); });
    return finished(origin);
}

OutcomeGuarantee quit(const Origin& origin, const Action&) {
    origin.application->quit();
    return finished(origin);
}

OutcomeGuarantee minimizeWindow(const Origin& origin, const Action&) {
    minimize(origin.window);
    return finished(origin);
}

OutcomeGuarantee minimizeFS(const Origin& origin, const Action&) {
    minimizeFromFullscreen(origin.window);
    return finished(origin);
}

OutcomeGuarantee setFullscreen(const Origin& origin, const Action& action) {
    origin.window->setAttribute(desktop::Attribute::fullscreen,
                                platform::ax::Value(action.kind() == Kind::fullscreen));
    return finished(origin);
}

OutcomeGuarantee hide(const Origin& origin, const Action&) {
    origin.application->hideByShortcut();
    return finished(origin);
}

OutcomeGuarantee hideExcept(const Origin& origin, const Action&) {
    postToApplication(*origin.application, Key::letterH,
                      CGEventFlags::maskAlternate | CGEventFlags::maskCommand);
    return finished(origin);
}

OutcomeGuarantee closeTab(const Origin& origin, const Action&) {
    const auto probe = platform::eventCreate();
    if (!probe) {
        // Without an event there is no pointer location to click at.
        platform::output::printLine("Tab: No pointer location to close at");
        return finished(origin);
    }
    postMiddleButton(platform::CGEventType::otherMouseDown, probe->location);
    postMiddleButton(platform::CGEventType::otherMouseUp, probe->location);
    return finished(origin);
}

OutcomeGuarantee detachTab(const Origin& origin, const Action&) {
    return origin.tab->detach()
        .chain([origin](const std::shared_ptr<Window>& window) {
            const auto application = window ? window->application() : nullptr;
            const bool sameApplication =
                window && (application && origin.application ? *application == *origin.application
                                                             : !application && !origin.application);
            if (!sameApplication)
                return promises::Promise<ExecutionOutcome>::initRejected(
                    desktop::PromiseError::makeDefault());
            Origin changed = windowOrigin(origin, window);
            changed.location = platform::mouseLocation();
            return promises::Promise<ExecutionOutcome>::initFulfilled(
                ExecutionOutcome{std::move(changed), true});
        })
        .recoverGuarantee([origin](const platform::ErrorRef&) { return finished(origin, false); });
}

OutcomeGuarantee cancelDetachTab(const Origin& origin, const Action&) {
    origin.tab->setShouldCancelDetach(true);
    postToSystem(Key::escape);
    return finished(origin);
}

OutcomeGuarantee centerWindow(const Origin& origin, const Action&) {
    const bool moveCursor = setting(Keys::snappingMoveCursor());
    const bool activate = setting(Keys::snappingActivateWindow());
    switch (setting(Keys::snappingCenterAction())) {
        case settings::SnappingCenterAction::centerUnsnap:
            center(origin.window, origin.screen,
                   {.moveCursor = moveCursor, .activate = activate, .restore = true});
            break;
        case settings::SnappingCenterAction::center:
            center(origin.window, origin.screen,
                   {.moveCursor = moveCursor, .activate = activate, .restore = false});
            break;
        case settings::SnappingCenterAction::unsnap:
            unsnap(origin.window);
            break;
    }
    return finished(origin);
}

OutcomeGuarantee activate(const Origin& origin, const Action&) {
    return onWindow(origin.application->activate(), origin);
}

OutcomeGuarantee minimizeNext(const Origin& origin, const Action&) {
    const auto visible = origin.application->windowsMinimized(false);
    if (!visible.empty())
        minimize(visible.front());
    return finished(origin);
}

OutcomeGuarantee minimizeAll(const Origin& origin, const Action&) {
    minimizeAllWindows(*origin.application);
    return finished(origin);
}

OutcomeGuarantee unminimizeLast(const Origin& origin, const Action&) {
    return onWindow(origin.application->unminimizeLast(), origin);
}

OutcomeGuarantee unminimizeAll(const Origin& origin, const Action&) {
    (void)platform::activate(origin.application->nsApp(),
                             platform::activateAllWindows | platform::activateIgnoringOtherApps);
    for (const auto& window : origin.application->windowsMinimized(true)) {
        window->setAttributeAfter(desktop::Attribute::minimized, platform::ax::Value(false),
                                  unminimizeDelay);
    }
    return finished(origin);
}

OutcomeGuarantee unminimizeFromPreview(const Origin& origin, const Action&) {
    return onWindow(origin.minDockItem->unminimize(), origin);
}

OutcomeGuarantee cmdNew(const Origin& origin, const Action&) {
    (void)platform::activate(origin.application->nsApp(), platform::activateIgnoringOtherApps);
    platform::sleepFor(cmdNewActivationDelay);
    postToApplication(*origin.application, Key::letterN, CGEventFlags::maskCommand);
    return finished(origin);
}

OutcomeGuarantee scrollToTop(const Origin& origin, const Action&) {
    postToSystem(Key::home);
    return finished(origin);
}

OutcomeGuarantee unsnapScreen(const Origin& origin, const Action&) {
    unsnapWindowsOnScreen(origin.screen);
    return finished(origin);
}

OutcomeGuarantee unsnapGlobal(const Origin& origin, const Action&) {
    unsnapAllWindows();
    return finished(origin);
}

OutcomeGuarantee minimizeScreen(const Origin& origin, const Action&) {
    dispatchMinimizeWindowsOnScreen(origin.screen);
    return finished(origin);
}

OutcomeGuarantee minimizeGlobal(const Origin& origin, const Action&) {
    dispatchMinimizeAllApplications();
    return finished(origin);
}

OutcomeGuarantee unminimizeScreen(const Origin& origin, const Action&) {
    dispatchUnminimizeWindowsOnScreen(origin.screen);
    return finished(origin);
}

OutcomeGuarantee unminimizeGlobal(const Origin& origin, const Action&) {
    dispatchUnminimizeAllWindows();
    return finished(origin);
}

OutcomeGuarantee openAppSwitcher(const Origin& origin, const Action&) {
    invokeAppSwitcher();
    return finished(origin);
}

OutcomeGuarantee closeAppSwitcher(const Origin& origin, const Action&) {
    exitAppSwitcher();
    return finished(origin);
}

struct Row {
    Kind kind;
    Operand operand;
    // Waits for its operation, and gives false without its operand or when the operation fails.
    bool waits;
    OutcomeGuarantee (*perform)(const Origin&, const Action&);
};

// In the order of the action cases. sendToScreen and cycle act without a window or application
// too; sendAllToScreen and the screen operations take the origin's screen, which is always there.
constexpr std::array<Row, 39> table{{
    {Kind::snap, Operand::window, false, snap},
    {Kind::sendToFullscreen, Operand::window, false, sendToFullscreen},
    {Kind::sendToScreen, Operand::none, false, sendToScreen},
    {Kind::sendToSpace, Operand::window, false, sendToSpace},
    {Kind::cycle, Operand::none, false, cycle},
    {Kind::sendAllToScreen, Operand::none, false, sendAllToScreen},
    {Kind::sendSpaceToScreen, Operand::space, false, sendSpaceToScreen},
    {Kind::cmdTab, Operand::none, false, cmdTab},
    {Kind::close, Operand::window, false, closeWindow},
    {Kind::terminateWin, Operand::application, false, quit},
    {Kind::minimize, Operand::window, false, minimizeWindow},
    {Kind::minimizeFS, Operand::window, false, minimizeFS},
    {Kind::fullscreen, Operand::window, false, setFullscreen},
    {Kind::unfullscreen, Operand::window, false, setFullscreen},
    {Kind::hideWin, Operand::application, false, hide},
    {Kind::hideWinExcept, Operand::application, false, hideExcept},
    {Kind::closeTab, Operand::tab, false, closeTab},
    {Kind::detachTab, Operand::tab, true, detachTab},
    {Kind::cancelDetachTab, Operand::tab, false, cancelDetachTab},
    {Kind::center, Operand::window, false, centerWindow},
    {Kind::activate, Operand::application, true, activate},
    {Kind::terminateApp, Operand::application, false, quit},
    {Kind::minimizeNext, Operand::application, false, minimizeNext},
    {Kind::minimizeAll, Operand::application, false, minimizeAll},
    {Kind::unminimizeLast, Operand::application, true, unminimizeLast},
    {Kind::unminimizeAll, Operand::application, false, unminimizeAll},
    {Kind::unminimizeFromPreview, Operand::minDockItem, true, unminimizeFromPreview},
    {Kind::hide, Operand::application, false, hide},
    {Kind::hideExcept, Operand::application, false, hideExcept},
    {Kind::cmdNew, Operand::application, false, cmdNew},
    {Kind::scrollToTop, Operand::none, false, scrollToTop},
    {Kind::unsnapScreen, Operand::none, false, unsnapScreen},
    {Kind::unsnapGlobal, Operand::none, false, unsnapGlobal},
    {Kind::minimizeScreen, Operand::none, false, minimizeScreen},
    {Kind::minimizeGlobal, Operand::none, false, minimizeGlobal},
    {Kind::unminimizeScreen, Operand::none, false, unminimizeScreen},
    {Kind::unminimizeGlobal, Operand::none, false, unminimizeGlobal},
    {Kind::invokeAppSwitcher, Operand::none, false, openAppSwitcher},
    {Kind::exitAppSwitcher, Operand::none, false, closeAppSwitcher},
}};

constexpr bool tableFollowsKinds() {
    for (std::size_t index = 0; index < table.size(); ++index) {
        if (static_cast<std::size_t>(table[index].kind) != index)
            return false;
    }
    return true;
}
static_assert(tableFollowsKinds());

// The displays may change while a gesture runs. A screen that went is no place for a window: the
// action works on the screen that holds the window now (the system brought it over), or, without
// a window, on the screen under the gesture's point.
Origin onListedScreen(const Origin& origin) {
    const auto screens = desktop::Screen::screens();
    if (screens.empty() ||
        std::find(screens.begin(), screens.end(), origin.screen) != screens.end())
        return origin;
    Origin moved = origin;
    std::optional<desktop::Screen> now = origin.window ? origin.window->screen() : std::nullopt;
    if (!now)
        now = desktop::screenContainingPoint(origin.location);
    if (now)
        moved.screen = std::move(*now);
    return moved;
}

}  // namespace

promises::Guarantee<ExecutionOutcome> ActionExecutor::perform(const Origin& given,
                                                              const Action& action) {
    const Row& row = table[static_cast<std::size_t>(action.kind())];
    if (!hasOperand(given, row.operand))
        return finished(given, !row.waits);
    return row.perform(onListedScreen(given), action);
}

}  // namespace zoral::engine
