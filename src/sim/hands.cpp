#include "sim/hands.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "platform/key_codes.h"
#include "platform/scheduler.h"
#include "sim/input_devices.h"
#include "sim/input_pipeline.h"
#include "sim/status_bar.h"
#include "sim/window_drags.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::CGEvent;
using platform::CGEventFlags;
using platform::CGEventType;
using platform::CGMouseButton;
using platform::CGPoint;
using platform::NSEventPhase;
using platform::NSTouchPhase;

std::uint64_t bit(CGMouseButton button) {
    return std::uint64_t{1} << (static_cast<std::uint32_t>(button) & 63U);
}

CGPoint along(CGPoint start, CGPoint delta, double fraction) {
    return {start.x + delta.x * fraction, start.y + delta.y * fraction};
}

}  // namespace

Hands::Hands(World& world) : world_(world), queue_("HID") {}

Hands& Hands::of(World& world) {
    return world.component<Hands>();
}

CGEvent Hands::make(CGEventType type) const {
    return InputPipeline::of(world_).hardwareEvent(type);
}

void Hands::enter(CGEvent event) {
    InputPipeline::of(world_).enterFromHardware(std::move(event));
}

void Hands::later(double delay, std::function<void(Hands&)> step) {
    if (delay <= 0) {
        step(*this);
        return;
    }
    queue(delay, std::move(step));
}

void Hands::queue(double delay, std::function<void(Hands&)> step) {
    ++stepsToCome_;
    queue_.asyncAfter(platform::DispatchTime::now() + std::max(delay, 0.0),
                      [weakWorld = world_.weak(), step = std::move(step)] {
                          const auto world = weakWorld.lock();
                          if (!world)
                              return;
                          Hands& hands = Hands::of(*world);
                          --hands.stepsToCome_;
                          step(hands);
                      });
}

void Hands::movePointer(CGPoint location) {
    const std::uint64_t held = InputDevices::of(world_).pressedMouseButtons();
    CGEventType type = CGEventType::mouseMoved;
    CGMouseButton button = CGMouseButton::left;
    if ((held & bit(CGMouseButton::left)) != 0) {
        type = CGEventType::leftMouseDragged;
    } else if ((held & bit(CGMouseButton::right)) != 0) {
        type = CGEventType::rightMouseDragged;
        button = CGMouseButton::right;
    } else if (held != 0) {
        type = CGEventType::otherMouseDragged;
        button = static_cast<CGMouseButton>(std::countr_zero(held));
    }
    CGEvent event = make(type);
    event.location = location;
    event.mouseButton = button;
    enter(std::move(event));
}

void Hands::pressButton(CGMouseButton button) {
    changeButton(button, true);
}

void Hands::releaseButton(CGMouseButton button) {
    changeButton(button, false);
}

void Hands::changeButton(CGMouseButton button, bool down) {
    const CGEventType type = button == CGMouseButton::left
                                 ? (down ? CGEventType::leftMouseDown : CGEventType::leftMouseUp)
                             : button == CGMouseButton::right
                                 ? (down ? CGEventType::rightMouseDown : CGEventType::rightMouseUp)
                                 : (down ? CGEventType::otherMouseDown : CGEventType::otherMouseUp);
    CGEvent event = make(type);
    event.mouseButton = button;
    enter(std::move(event));
}

void Hands::holdModifiers(CGEventFlags flags, bool rightHand) {
    const auto change = [&](const ModifierKeyPair& key, bool down) {
        CGEventFlags held = InputDevices::of(world_).heldModifierFlags();
        // A key comes up on the hand that holds it.
        const bool right =
            down ? rightHand : !key.rightBit.isEmpty() && held.contains(key.rightBit);
        const CGEventFlags deviceBit = right ? key.rightBit : key.leftBit;
        held = down ? held | key.flag | deviceBit : held & ~(key.flag | key.leftBit | key.rightBit);
        CGEvent event = make(CGEventType::flagsChanged);
        event.keyCode = right ? key.right : key.left;
        event.flags = held | CGEventFlags::maskNonCoalesced;
        enter(std::move(event));
    };
    for (auto key = modifierKeyPairs.rbegin(); key != modifierKeyPairs.rend(); ++key) {
        const bool held = InputDevices::of(world_).heldModifierFlags().contains(key->flag);
        if (held && !flags.contains(key->flag))
            change(*key, false);
    }
    for (const ModifierKeyPair& key : modifierKeyPairs) {
        const bool held = InputDevices::of(world_).heldModifierFlags().contains(key.flag);
        if (!held && flags.contains(key.flag))
            change(key, true);
    }
}

void Hands::keyDown(platform::CGKeyCode code, bool repeat) {
    CGEvent event = make(CGEventType::keyDown);
    event.keyCode = code;
    event.autorepeat = repeat;
    enter(std::move(event));
}

void Hands::keyUp(platform::CGKeyCode code) {
    CGEvent event = make(CGEventType::keyUp);
    event.keyCode = code;
    enter(std::move(event));
}

void Hands::pressKey(platform::CGKeyCode code) {
    keyDown(code);
    keyUp(code);
}

void Hands::scroll(CGPoint delta, NSEventPhase phase, NSEventPhase momentumPhase) {
    CGEvent event = make(CGEventType::scrollWheel);
    event.scrollingDeltaX = delta.x;
    event.scrollingDeltaY = delta.y;
    event.scrollDeltaAxis1 = static_cast<std::int32_t>(delta.y);
    event.scrollDeltaAxis2 = static_cast<std::int32_t>(delta.x);
    event.isDirectionInvertedFromDevice = natural_;
    event.phase = phase;
    event.momentumPhase = momentumPhase;
    enter(std::move(event));
}

void Hands::gesture(NSTouchPhase touches, std::optional<platform::NSEventType> kind,
                    double magnification, NSEventPhase phase, int fingers) {
    CGEvent event = make(platform::gestureEventType);
    event.gestureType = kind;
    event.magnification = magnification;
    event.phase = phase;
    if (fingers == 1) {
        event.touches = {{.identity = 1, .phase = touches, .normalizedPosition = {0.5, 0.5}}};
    } else {
        event.touches = {{.identity = 1, .phase = touches, .normalizedPosition = {0.4, 0.5}},
                         {.identity = 2, .phase = touches, .normalizedPosition = {0.6, 0.5}}};
    }
    enter(std::move(event));
}

void Hands::magnify(double magnification, NSEventPhase phase) {
    gesture(phase == NSEventPhase::began   ? NSTouchPhase::began
            : phase == NSEventPhase::ended ? NSTouchPhase::ended
                                           : NSTouchPhase::moved,
            platform::NSEventType::magnify, magnification, phase);
}

void Hands::scrollStroke(CGPoint deltaPerStep, int steps, int momentumSteps, double interval) {
    steps = std::max(steps, 1);
    for (int i = 0; i < steps; ++i) {
        later(i * interval, [=](Hands& hands) {
            const bool first = i == 0;
            hands.gesture(first ? NSTouchPhase::began : NSTouchPhase::moved,
                          platform::NSEventType::gesture, 0, NSEventPhase::none);
            hands.scroll(deltaPerStep, first ? NSEventPhase::began : NSEventPhase::changed);
        });
    }
    later(steps * interval, [](Hands& hands) {
        hands.gesture(NSTouchPhase::ended, platform::NSEventType::gesture, 0, NSEventPhase::none);
        hands.scroll({}, NSEventPhase::ended);
    });
    for (int j = 1; j <= momentumSteps; ++j) {
        const double fraction = 1.0 / static_cast<double>(1 << std::min(j, 30));
        later((steps + j) * interval, [=](Hands& hands) {
            hands.scroll(along({}, deltaPerStep, fraction), NSEventPhase::none,
                         j == 1 ? NSEventPhase::began : NSEventPhase::changed);
        });
    }
    if (momentumSteps > 0) {
        later((steps + momentumSteps + 1) * interval,
              [](Hands& hands) { hands.scroll({}, NSEventPhase::none, NSEventPhase::ended); });
    }
}

void Hands::pinchStroke(double magnificationPerStep, int steps, double interval) {
    steps = std::max(steps, 1);
    for (int i = 0; i < steps; ++i) {
        later(i * interval, [=](Hands& hands) {
            hands.magnify(magnificationPerStep,
                          i == 0 ? NSEventPhase::began : NSEventPhase::changed);
        });
    }
    later(steps * interval, [](Hands& hands) { hands.magnify(0, NSEventPhase::ended); });
}

void Hands::drag(CGPoint grip, CGPoint delta, int moves, CGEventFlags flags, double interval) {
    moves = std::max(moves, 1);
    const CGEventFlags before = InputDevices::of(world_).heldModifierFlags();
    holdModifiers(flags);
    movePointer(grip);
    pressButton(CGMouseButton::left);
    for (int i = 1; i <= moves; ++i) {
        later(i * interval, [=](Hands& hands) {
            hands.movePointer(
                along(grip, delta, static_cast<double>(i) / static_cast<double>(moves)));
        });
    }
    later((moves + 1) * interval, [before](Hands& hands) {
        hands.releaseButton(CGMouseButton::left);
        hands.holdModifiers(before);
    });
}

void Hands::dragWindow(const WindowNode& window, CGPoint delta, int moves, CGEventFlags flags,
                       double interval) {
    const platform::CGRect frame = *window.frame();
    drag({frame.midX(), frame.minY() + WindowServer::titleBarHeight / 2}, delta, moves, flags,
         interval);
}

void Hands::resizeWindow(const WindowNode& window, std::uint8_t edges, CGPoint delta, int moves,
                         CGEventFlags flags, double interval) {
    drag(gripOf(*window.frame(), edges), delta, moves, flags, interval);
}

bool Hands::clickStatusItem(const platform::StatusItem& item, CGMouseButton button) {
    const auto frame = SystemStatusBar::of(world_).frameOf(item);
    if (!frame)
        return false;
    movePointer({frame->midX(), frame->midY()});
    pressButton(button);
    releaseButton(button);
    return true;
}

bool Hands::dragStatusItemOut(const platform::StatusItem& item, double distance, int moves,
                              double interval) {
    const auto frame = SystemStatusBar::of(world_).frameOf(item);
    if (!frame)
        return false;
    drag({frame->midX(), frame->midY()}, {0, distance}, moves, CGEventFlags::maskCommand, interval);
    return true;
}

bool Hands::chooseMenuItem(const std::vector<std::string>& titles) {
    return SystemStatusBar::of(world_).choose(titles);
}

}  // namespace zoral::sim
