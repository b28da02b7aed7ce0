#include "engine/windows/window_operations.h"

#include <algorithm>
#include <array>
#include <string>

#include "desktop/application.h"
#include "desktop/attempt.h"
#include "desktop/ax_vocabulary.h"
#include "desktop/conversation.h"
#include "desktop/key.h"
#include "desktop/pid_timestamps.h"
#include "desktop/press_state.h"
#include "desktop/promise_error.h"
#include "desktop/run_after_delay.h"
#include "desktop/symbolic_hot_key.h"
#include "desktop/synthetic_input.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "platform/accessibility.h"
#include "platform/date.h"
#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/workspace.h"

namespace zoral::engine {

namespace {

using desktop::Attribute;
using desktop::Direction;
using desktop::Screen;
using desktop::Window;
using platform::CGEventFlags;
using platform::CGEventType;
using platform::CGPoint;
using platform::CGRect;
using Unit = promises::Unit;

// Delayed writes that only need to follow the current turn of the event loop.
constexpr double shortDelay = 0.01;
// A window in full screen enters it again this long after its move to another screen.
constexpr double refullscreenDelay = 0.2;
// The focus poll after an activation.
constexpr int focusRetries = 40;
constexpr double focusRetryDelay = 0.05;
// The stages of a space move follow each other this far apart, on the main queue.
constexpr double spaceMoveStageDelay = 0.1;
// Where the press on the title bar lands.
constexpr double pressRightOfButton = 10;
constexpr double pressFromLeftEdge = 100;
constexpr double pressBeforeRightEdge = 20;
constexpr double pressBelowTopEdge = 4;
// The system's shortcut keys of a space step when the user's hot keys cannot be read:
// Control-Fn with the left or right arrow.
constexpr CGEventFlags fallbackSpaceFlags{0x840000};

bool isActive(const desktop::Application& application) {
    const auto record =
        platform::runningApplicationWithProcessIdentifier(application.nsApp().processIdentifier);
    return record && record->active;
}

void postLeftMouse(CGEventType type, CGPoint location) {
    auto event = platform::eventCreateMouseEvent(type, location, platform::CGMouseButton::left);
    if (!event)
        return;
    desktop::applyModifierFlags(*event, {});
    platform::eventPost(platform::CGEventTapLocation::hid, *event);
    platform::sleepFor(desktop::syntheticEventDelay);
}

desktop::UIElementRef readElement(const Window& window, Attribute attribute) {
    return window.attribute<desktop::UIElementRef>(attribute).value_or(nullptr);
}

void finishSpaceMove(CGPoint point, CGPoint pointer) {
    postLeftMouse(CGEventType::leftMouseUp, point);
    desktop::runAfterDelay(platform::DispatchQueue::main(), spaceMoveStageDelay,
                           [pointer] { (void)platform::warpMouseCursorPosition(pointer); });
}

void moveWindowToAdjacentSpace(Direction direction, CGPoint point, CGPoint pointer) {
    const bool left = direction == Direction::left;
    const auto hotKey = desktop::symbolicHotKey(
        std::string(left ? desktop::moveLeftASpaceHotKey : desktop::moveRightASpaceHotKey));
    // The user's own shortcut, even when it is switched off.
    const platform::CGKeyCode code =
        hotKey ? hotKey->keyCode
               : platform::rawValue(left ? desktop::Key::arrowLeft : desktop::Key::arrowRight);
    const CGEventFlags flags = hotKey ? hotKey->modifiers : fallbackSpaceFlags;
    const std::array codes{code};
    constexpr std::array states{desktop::PressState::down, desktop::PressState::up};
    desktop::postKeys(codes, states, flags);
    desktop::runAfterDelay(platform::DispatchQueue::main(), spaceMoveStageDelay,
                           [point, pointer] { finishSpaceMove(point, pointer); });
}

}  // namespace

void minimize(const std::shared_ptr<Window>& window) {
    if (!window)
        return;
    window->setAttributeAfter(Attribute::minimized, platform::ax::Value(true), shortDelay);
    if (const auto pid = window->pid())
        desktop::PidTimestamps::shared().record(*pid, window->id(),
                                                platform::Date::now().unixTime());
}

void minimizeFromFullscreen(const std::shared_ptr<Window>& window) {
    if (!window)
        return;
    window->exitFullscreen()
        .chain([window] {
            minimize(window);
            return promises::Promise<Unit>::initVoid();
        })
        .handleError([](const platform::ErrorRef&) {});
}

std::optional<Screen> moveToScreen(const std::shared_ptr<Window>& window, Direction direction,
                                   const std::optional<Screen>& from, ScreenMoveOptions options) {
    if (!window || !from)
        return std::nullopt;
    const desktop::Conversation conversation(*window);
    const auto target = desktop::neighbourScreen(*from, direction);
    if (!target)
        return std::nullopt;
    if (const auto record = SnappedWindows::shared().record(*window)) {
        snap(window, record->span, *target, {.moveCursor = options.moveCursor});
    } else {
        center(window, *target, {.moveCursor = options.moveCursor, .restore = true});
    }
    if (const auto application = window->application()) {
        (void)platform::activate(application->nsApp(), platform::activateAllWindows |
                                                           platform::activateIgnoringOtherApps);
    }
    return target;
}

void moveToFullscreenOnScreen(const std::shared_ptr<Window>& window, Direction direction,
                              const std::optional<Screen>& from) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    if (!window->attribute<bool>(Attribute::fullscreen).value_or(false)) {
        (void)moveToScreen(window, direction, from);
        window->setAttributeAfter(Attribute::fullscreen, platform::ax::Value(true), shortDelay);
        return;
    }
    window->exitFullscreen()
        .chain([window, direction, from] {
            (void)moveToScreen(window, direction, from);
            window->setAttributeAfter(Attribute::fullscreen, platform::ax::Value(true),
                                      refullscreenDelay);
            return promises::Promise<Unit>::initVoid();
        })
        .handleError([](const platform::ErrorRef&) {});
}

void moveToSpace(const std::shared_ptr<Window>& window, Direction direction) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    if (const auto application = window->application())
        (void)platform::activate(application->nsApp(), platform::activateIgnoringOtherApps);
    window->setAttributeAfter(Attribute::main, platform::ax::Value(true), shortDelay);
    focusWithRetries(window)
        .chain([window, direction] {
            grabTitleBar(window, direction);
            return promises::Promise<Unit>::initVoid();
        })
        .handleError([](const platform::ErrorRef&) {});
}

promises::Promise<Unit> focus(const std::shared_ptr<Window>& window, int attempt) {
    const auto application = window ? window->application() : nullptr;
    const bool main = application && isActive(*application) &&
                      window->attribute<bool>(Attribute::main).value_or(false);
    if (!main)
        return promises::Promise<Unit>::initRejected(desktop::PromiseError::makeDefault());
    platform::output::printLine("Window: Focused in " + std::to_string(attempt * 50) + "ms");
    return promises::Promise<Unit>::initVoid();
}

promises::Promise<Unit> focusWithRetries(const std::shared_ptr<Window>& window) {
    // The poll goes on after its caller returned: each attempt resumes the conversation, so that
    // a window that stopped answering holds it up once, not on every attempt.
    const desktop::Conversation conversation(*window);
    return focus(window, 0).recoverError(
        [window, record = conversation.record()](const platform::ErrorRef&) {
            return desktop::attempt(focusRetries, focusRetryDelay, [window, record](int attempt) {
                const desktop::Conversation resumed(record);
                return focus(window, attempt);
            });
        });
}

CGPoint titleBarPressPoint(const CGRect& windowFrame, const std::optional<CGRect>& buttonFrame,
                           const CGRect& screenFrame) {
    const double middle = screenFrame.midY();
    const auto onScreen = [&](double x) { return screenFrame.containsPoint({x, middle}); };
    const double y = windowFrame.minY() + pressBelowTopEdge;
    if (buttonFrame && onScreen(buttonFrame->maxX() + pressRightOfButton))
        return {buttonFrame->maxX() + pressRightOfButton, y};
    if (onScreen(windowFrame.minX() + pressFromLeftEdge))
        return {windowFrame.minX() + pressFromLeftEdge, y};
    if (onScreen(windowFrame.maxX() - pressBeforeRightEdge))
        return {windowFrame.maxX() - pressBeforeRightEdge, y};
    const double left = std::max(windowFrame.minX(), screenFrame.minX());
    const double right = std::min(windowFrame.maxX(), screenFrame.maxX());
    return {(left + right) / 2, y};
}

void grabTitleBar(const std::shared_ptr<Window>& window, Direction direction) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    const CGRect frame = window->frame();
    // Without an event there is no pointer to put back, and nothing could be posted anyway.
    const auto probe = platform::eventCreate();
    if (!probe)
        return;
    const CGPoint pointer = probe->location;
    const auto screen = Window::screenOfFrame(frame);
    const CGRect screenFrame = screen ? desktop::flip(screen->uiFrame) : CGRect{};
    desktop::UIElementRef button = readElement(*window, Attribute::fullScreenButton);
    if (!button)
        button = readElement(*window, Attribute::zoomButton);
    const std::optional<CGRect> buttonFrame =
        button ? std::optional(button->attribute<CGRect>(Attribute::frame).value_or(CGRect{}))
               : std::nullopt;
    const CGPoint point = titleBarPressPoint(frame, buttonFrame, screenFrame);
    postLeftMouse(CGEventType::leftMouseDown, point);
    desktop::runAfterDelay(
        platform::DispatchQueue::main(), spaceMoveStageDelay,
        [direction, point, pointer] { moveWindowToAdjacentSpace(direction, point, pointer); });
}

void close(const std::shared_ptr<Window>& window) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    const desktop::UIElementRef button = readElement(*window, Attribute::closeButton);
    if (button && button->attribute<bool>(Attribute::enabled).value_or(false)) {
        (void)button->performAction(desktop::AXAction::press);
        return;
    }
    (void)window->trySetAttribute(platform::rawValue(Attribute::main), true);
    const auto application = window->application();
    const auto pid = application ? application->pid() : std::nullopt;
    // Sent to every application, Command-W would close the front application's window.
    if (!pid)
        return;
    constexpr std::array keys{desktop::Key::letterW};
    constexpr std::array states{desktop::PressState::down, desktop::PressState::up};
    desktop::postKeyCombination(keys, states, CGEventFlags::maskCommand, pid);
}

}  // namespace zoral::engine
