#include "sim/input_pipeline.h"

#include <algorithm>

#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/hot_keys.h"
#include "sim/input_devices.h"
#include "sim/keyboard_effects.h"
#include "sim/spaces.h"
#include "sim/status_bar.h"
#include "sim/tabs.h"
#include "sim/window_drags.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::CGEventType;
using platform::CGMouseButton;

bool isKey(CGEventType type) {
    return type == CGEventType::keyDown || type == CGEventType::keyUp ||
           type == CGEventType::flagsChanged;
}

// The button a mouse event is about, for the events that carry one.
std::optional<CGMouseButton> buttonOf(const platform::CGEvent& event) {
    switch (event.type) {
        case CGEventType::leftMouseDown:
        case CGEventType::leftMouseUp:
        case CGEventType::leftMouseDragged:
            return CGMouseButton::left;
        case CGEventType::rightMouseDown:
        case CGEventType::rightMouseUp:
        case CGEventType::rightMouseDragged:
            return CGMouseButton::right;
        case CGEventType::otherMouseDown:
        case CGEventType::otherMouseUp:
        case CGEventType::otherMouseDragged:
            return event.mouseButton;
        default:
            return std::nullopt;
    }
}

bool isPress(CGEventType type) {
    return type == CGEventType::leftMouseDown || type == CGEventType::rightMouseDown ||
           type == CGEventType::otherMouseDown;
}

bool isStatusItem(const Node& window) {
    const ax::Value* subrole = window.stored(ax::attribute::subrole);
    const auto* text = subrole != nullptr ? subrole->getIf<std::string>() : nullptr;
    return window.role() == ax::role::menuBarItem && text != nullptr &&
           *text == ax::subrole::menuExtra;
}

bool isRelease(CGEventType type) {
    return type == CGEventType::leftMouseUp || type == CGEventType::rightMouseUp ||
           type == CGEventType::otherMouseUp;
}

}  // namespace

InputPipeline& InputPipeline::of(World& world) {
    InputPipeline& pipeline = world.component<InputPipeline>();
    if (!pipeline.registered_) {
        pipeline.registered_ = true;
        pipeline.registerReceivers();
    }
    return pipeline;
}

void InputPipeline::registerReceivers() {
    // The window server's own: dragging windows, the space hot keys and the spaces bar of Mission
    // Control, the Dock's tiles; then what the applications do.
    registerWindowDrags(*this);
    Spaces::registerInput(*this);
    Dock::registerInput(*this);
    registerKeyboardEffects(*this);
    Tabs::registerInput(*this);
    SystemStatusBar::registerInput(*this);
}

platform::CGEvent InputPipeline::hardwareEvent(platform::CGEventType type) const {
    const InputDevices& devices = InputDevices::of(world_);
    platform::CGEvent event;
    event.type = type;
    event.location = devices.pointer();
    event.flags = devices.heldModifierFlags() | platform::CGEventFlags::maskNonCoalesced;
    event.timestamp = platform::uptimeSeconds();
    return event;
}

void InputPipeline::enterFromHardware(platform::CGEvent event) {
    enter({.event = std::move(event), .source = InputSource::hardware, .tap = std::nullopt});
}

void InputPipeline::enter(InputEvent input) {
    waiting_.push_back(std::move(input));
    if (passing_)
        return;
    passing_ = true;
    struct Done {
        bool& passing;
        ~Done() { passing = false; }
    } done{passing_};
    while (!waiting_.empty()) {
        InputEvent next = std::move(waiting_.front());
        waiting_.pop_front();
        pass(std::move(next));
    }
}

void InputPipeline::pass(InputEvent input) {
    platform::CGEvent event = std::move(input.event);
    if (input.source == InputSource::posted && !input.tap) {
        // Posted to one process: it alone sees it, as it was posted.
        if (event.targetPid)
            route(event, event.targetPid);
        return;
    }
    event.targetPid.reset();
    event.unflippedLocation = Displays::of(world_).flipped(event.location);
    InputDevices::of(world_).follow(event);
    // Events posted after the session's annotations pass the session's taps by.
    if (input.tap != platform::CGEventTapLocation::annotatedSession) {
        const auto taps = taps_;
        for (const auto& weak : taps) {
            const auto tap = weak.lock();
            if (!tap)
                continue;
            auto passed = tap->filter(event);
            if (!passed)
                return;
            event = std::move(*passed);
        }
    }
    route(event, std::nullopt);
}

void InputPipeline::addTap(const std::shared_ptr<EventTap>& tap, bool atHead) {
    if (atHead) {
        taps_.push_front(tap);
    } else {
        taps_.push_back(tap);
    }
}

void InputPipeline::removeTap(const EventTap& tap) {
    std::erase_if(taps_, [&](const std::weak_ptr<EventTap>& weak) {
        const auto held = weak.lock();
        return !held || held.get() == &tap;
    });
}

void InputPipeline::addSystemKeyHandler(SystemKeyHandler handler) {
    systemKeyHandlers_.push_back(std::move(handler));
}

void InputPipeline::addApplicationKeyHandler(KeyHandler handler) {
    applicationKeyHandlers_.push_back(std::move(handler));
}

void InputPipeline::addPressHandler(Receiver receiver, PressHandler handler) {
    pressHandlers_[receiver].push_back(std::move(handler));
}

void InputPipeline::addTrackingHandler(TrackingHandler handler) {
    trackingHandlers_.push_back(std::move(handler));
}

bool InputPipeline::offerToTracking(const platform::CGEvent& event) {
    const auto handlers = trackingHandlers_;
    for (const auto& handler : handlers) {
        if (handler(world_, event))
            return true;
    }
    return false;
}

void InputPipeline::route(const platform::CGEvent& event,
                          std::optional<platform::ProcessId> target) {
    if (isKey(event.type)) {
        routeKey(event, target);
        return;
    }
    const auto button = buttonOf(event);
    if (!button)
        return;
    if (isPress(event.type)) {
        routePress(event, target);
        return;
    }
    const GrabKey key{target, *button};
    const auto found = grabs_.find(key);
    if (found == grabs_.end())
        return;
    // Held here, so that a grab that ends itself lives to the end of its call.
    const std::shared_ptr<PointerGrab> grab = found->second;
    if (isRelease(event.type)) {
        grabs_.erase(found);
        grab->released(world_, event);
    } else {
        grab->dragged(world_, event);
    }
}

void InputPipeline::routeKey(const platform::CGEvent& event,
                             std::optional<platform::ProcessId> target) {
    if (!target) {
        if (HotKeys::of(world_).offerKeyEvent(event))
            return;
        const auto handlers = systemKeyHandlers_;
        for (const auto& handler : handlers) {
            if (handler(world_, event))
                return;
        }
        if (offerToTracking(event))
            return;
        target = workspace(world_).frontmost(world_);
        if (!target)
            return;
    }
    const auto handlers = applicationKeyHandlers_;
    for (const auto& handler : handlers) {
        if (handler(world_, event, *target))
            return;
    }
}

void InputPipeline::routePress(const platform::CGEvent& event,
                               std::optional<platform::ProcessId> target) {
    const CGMouseButton button = *buttonOf(event);
    // A new press of the button ends what the last one began.
    grabs_.erase(GrabKey{target, button});
    if (!target && offerToTracking(event)) {
        // The menu takes what follows of the press too.
        grabs_[GrabKey{target, button}] = std::make_shared<PointerGrab>();
        return;
    }
    WindowServer& server = WindowServer::of(world_);
    const auto element = server.hitTest(world_, event.location, target);
    if (!element)
        return;
    Press press{event, element, server.windowHolding(*element), element->pid()};
    const Dock* dock = Dock::of(world_);
    const Process* owner = world_.process(press.pid);
    std::vector<Receiver> receivers;
    if ((owner != nullptr && owner->application == element) ||
        (press.window && press.window->role() == ax::role::menuBar)) {
        receivers = {Receiver::menuBar};
    } else if (press.window && isStatusItem(*press.window)) {
        // A status item is the status bar's: pressing it activates nobody.
        receivers = {Receiver::statusBar};
    } else if (dock != nullptr && press.pid == dock->pid()) {
        receivers = {Receiver::dock};
    } else {
        receivers = {Receiver::application, Receiver::windowServer};
        // A left press brings the window in front and its application with it; with Command
        // held the window is only dragged, as on the system.
        if (!target && button == CGMouseButton::left &&
            !event.flags.contains(platform::CGEventFlags::maskCommand) && press.window) {
            workspace(world_).activateNow(world_, press.pid, false);
            server.orderFront(*press.window);
        }
    }
    for (const Receiver receiver : receivers) {
        const auto handlers = pressHandlers_[receiver];
        for (const auto& handler : handlers) {
            if (auto grab = handler(world_, press)) {
                grabs_[GrabKey{target, button}] = std::move(grab);
                return;
            }
        }
    }
}

}  // namespace zoral::sim
