// The hands playing what the hardware sends, described (sim/hardware_steps.h).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <type_traits>

#include "platform/key_codes.h"
#include "platform/scheduler.h"
#include "sim/hands.h"
#include "sim/input_devices.h"
#include "sim/input_pipeline.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::CGEvent;
using platform::CGEventFlags;
using platform::CGEventType;
using platform::CGKeyCode;
using platform::CGPoint;
using platform::NSEventPhase;
using platform::NSEventType;
using platform::NSTouchPhase;
namespace vk = platform::virtualKey;

// Points a wheel notch scrolls.
constexpr double pointsPerLine = 10;

// The event's integer deltas hold what fits in them: a larger value saturates, as the device's
// own fixed-point numbers do, and a value that is no number reads as none.
std::int32_t integerDelta(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(
        std::clamp(value, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                   static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

// What the laptop keyboard sends for a key pressed with fn held.
CGKeyCode withFunction(CGKeyCode key) {
    switch (key) {
        case vk::upArrow:
            return vk::pageUp;
        case vk::downArrow:
            return vk::pageDown;
        case vk::leftArrow:
            return vk::home;
        case vk::rightArrow:
            return vk::end;
        case vk::delete_:
            return vk::forwardDelete;
        case vk::return_:
            return vk::keypadEnter;
        default:
            return key;
    }
}

// The bits the keyboard sets on a key's own events: the arrows are keypad and function keys, the
// navigation keys function keys, enter a keypad key.
CGEventFlags keyBits(CGKeyCode key) {
    switch (key) {
        case vk::upArrow:
        case vk::downArrow:
        case vk::leftArrow:
        case vk::rightArrow:
            return CGEventFlags::maskNumericPad | CGEventFlags::maskSecondaryFn;
        case vk::home:
        case vk::end:
        case vk::pageUp:
        case vk::pageDown:
        case vk::forwardDelete:
            return CGEventFlags::maskSecondaryFn;
        case vk::keypadEnter:
            return CGEventFlags::maskNumericPad;
        default:
            return {};
    }
}

}  // namespace

void Hands::touches(NSTouchPhase phase, bool mouse, int fingers) {
    if (mouse)
        return;
    gesture(phase, NSEventType::gesture, 0, NSEventPhase::none, fingers);
}

void Hands::fingersScroll(CGPoint travel, NSEventPhase phase, NSEventPhase momentumPhase) {
    // Natural scrolling moves the content with the fingers; the other way the deltas turn round.
    const double sign = natural_ ? 1.0 : -1.0;
    CGEvent event = make(CGEventType::scrollWheel);
    event.scrollingDeltaX = travel.x * sign;
    event.scrollingDeltaY = travel.y * sign;
    event.scrollDeltaAxis1 = integerDelta(event.scrollingDeltaY);
    event.scrollDeltaAxis2 = integerDelta(event.scrollingDeltaX);
    event.isDirectionInvertedFromDevice = natural_;
    event.phase = phase;
    event.momentumPhase = momentumPhase;
    enter(std::move(event));
}

void Hands::key(CGKeyCode physical, bool down, bool repeat) {
    const bool function =
        InputDevices::of(world_).heldModifierFlags().contains(CGEventFlags::maskSecondaryFn);
    const CGKeyCode sent = function ? withFunction(physical) : physical;
    CGEvent event = make(down ? CGEventType::keyDown : CGEventType::keyUp);
    event.keyCode = sent;
    event.autorepeat = repeat;
    event.flags = event.flags | keyBits(sent);
    enter(std::move(event));
}

double Hands::gap(const std::vector<double>& given, std::size_t index) {
    if (index < given.size())
        return std::max(given[index], 0.0);
    return strokeIntervals[gap_++ % std::size(strokeIntervals)];
}

double Hands::gap(const std::optional<double>& given) {
    if (given)
        return std::max(*given, 0.0);
    return strokeIntervals[gap_++ % std::size(strokeIntervals)];
}

double Hands::playScroll(double at, const ScrollStroke& stroke) {
    const bool mouse = stroke.fromMouse;
    queue(at, [mouse](Hands& input) { input.touches(NSTouchPhase::began, mouse); });
    const bool rests = stroke.restBefore > 0 || stroke.moves.empty();
    if (rests) {
        queue(at, [](Hands& input) {
            input.fingersScroll({}, NSEventPhase::mayBegin, NSEventPhase::none);
        });
    }
    at += stroke.restBefore;
    if (stroke.moves.empty()) {
        queue(at, [mouse](Hands& input) {
            input.touches(NSTouchPhase::ended, mouse);
            input.fingersScroll({}, NSEventPhase::cancelled, NSEventPhase::none);
        });
        return at;
    }
    bool first = true;
    CGPoint last;
    for (const ScrollMove& move : stroke.moves) {
        std::vector<CGPoint> deltas = move.deltas;
        if (deltas.empty()) {
            const int events = std::max(move.events, 1);
            deltas.assign(static_cast<std::size_t>(events),
                          CGPoint{move.travel.x / events, move.travel.y / events});
        }
        for (std::size_t i = 0; i < deltas.size(); ++i) {
            // The stroke's first event follows the rest at once, unless the move says otherwise.
            if (!first || i < move.gaps.size())
                at += gap(move.gaps, i);
            const NSEventPhase phase = first ? NSEventPhase::began : NSEventPhase::changed;
            const CGPoint step = deltas[i];
            queue(at, [mouse, step, phase](Hands& input) {
                input.touches(NSTouchPhase::moved, mouse);
                input.fingersScroll(step, phase, NSEventPhase::none);
            });
            first = false;
            last = step;
        }
        at += move.holdAfter;
    }
    at += gap(stroke.liftAfter);
    queue(at, [mouse](Hands& input) {
        input.touches(NSTouchPhase::ended, mouse);
        input.fingersScroll({}, NSEventPhase::ended, NSEventPhase::none);
    });
    // The momentum carries on with the last step's speed, halving at each event, unless the
    // stroke gives its deltas.
    std::vector<CGPoint> momentum = stroke.momentumDeltas;
    if (momentum.empty()) {
        for (int j = 1; j <= stroke.momentumEvents; ++j) {
            const double fraction = 1.0 / static_cast<double>(1 << std::min(j, 30));
            momentum.push_back({last.x * fraction, last.y * fraction});
        }
    }
    for (std::size_t j = 0; j < momentum.size(); ++j) {
        at += gap(stroke.momentumGaps, j);
        const CGPoint delta = momentum[j];
        const NSEventPhase phase = j == 0 ? NSEventPhase::began : NSEventPhase::changed;
        queue(at, [delta, phase](Hands& input) {
            input.fingersScroll(delta, NSEventPhase::none, phase);
        });
    }
    if (!momentum.empty()) {
        at += gap(std::nullopt);
        queue(at, [](Hands& input) {
            input.fingersScroll({}, NSEventPhase::none, NSEventPhase::ended);
        });
    }
    return at;
}

double Hands::playPinch(double at, const PinchStroke& pinch) {
    queue(at, [](Hands& input) {
        input.touches(NSTouchPhase::began, false);
        input.fingersScroll({}, NSEventPhase::mayBegin, NSEventPhase::none);
    });
    at += pinch.restBefore;
    // The trackpad gives up the scroll as the fingers start to pinch.
    queue(at, [](Hands& input) {
        input.fingersScroll({}, NSEventPhase::cancelled, NSEventPhase::none);
    });
    for (std::size_t i = 0; i < pinch.magnifications.size(); ++i) {
        at += gap(pinch.gaps, i);
        const double magnification = pinch.magnifications[i];
        const NSEventPhase phase = i == 0 ? NSEventPhase::began : NSEventPhase::changed;
        queue(at, [magnification, phase](Hands& input) {
            input.gesture(NSTouchPhase::moved, NSEventType::magnify, magnification, phase);
        });
    }
    at += gap(pinch.liftAfter);
    queue(at, [](Hands& input) {
        input.gesture(NSTouchPhase::ended, NSEventType::magnify, 0, NSEventPhase::ended);
    });
    return at;
}

double Hands::playKey(double at, const KeyStroke& stroke) {
    const CGKeyCode code = stroke.keyCode;
    queue(at, [code](Hands& input) { input.key(code, true, false); });
    if (stroke.repeats > 0)
        at += keyRepeatDelay - keyRepeatInterval;
    for (int i = 0; i < stroke.repeats; ++i) {
        at += keyRepeatInterval;
        queue(at, [code](Hands& input) { input.key(code, true, true); });
    }
    at += keyRepeatInterval;
    queue(at, [code](Hands& input) { input.key(code, false, false); });
    return at;
}

double Hands::play(const std::vector<HardwareStep>& steps, std::optional<double> startIn) {
    const double now = platform::uptimeSeconds();
    const double start = startIn ? std::max(*startIn, 0.0) : std::max(busyUntil_, now) - now;
    double at = start;
    gap_ = 0;
    for (const HardwareStep& step : steps) {
        at = std::visit(
            [&](const auto& description) -> double {
                using Step = std::decay_t<decltype(description)>;
                if constexpr (std::is_same_v<Step, ScrollStroke>) {
                    return playScroll(at, description);
                } else if constexpr (std::is_same_v<Step, PinchStroke>) {
                    return playPinch(at, description);
                } else if constexpr (std::is_same_v<Step, SmartMagnifyTap>) {
                    queue(at, [](Hands& input) {
                        input.gesture(NSTouchPhase::ended, NSEventType::smartMagnify, 0,
                                      NSEventPhase::none);
                    });
                    return at;
                } else if constexpr (std::is_same_v<Step, WheelScroll>) {
                    const WheelScroll wheel = description;
                    queue(at, [wheel](Hands& input) {
                        const double sign = input.natural_ ? 1.0 : -1.0;
                        CGEvent event = input.make(CGEventType::scrollWheel);
                        event.scrollUnit = platform::CGScrollEventUnit::line;
                        event.scrollDeltaAxis1 = integerDelta(wheel.lines * sign);
                        event.scrollDeltaAxis2 = integerDelta(wheel.horizontalLines * sign);
                        event.scrollingDeltaY = event.scrollDeltaAxis1 * pointsPerLine;
                        event.scrollingDeltaX = event.scrollDeltaAxis2 * pointsPerLine;
                        event.isDirectionInvertedFromDevice = input.natural_;
                        input.enter(std::move(event));
                    });
                    return at;
                } else if constexpr (std::is_same_v<Step, KeyStroke>) {
                    return playKey(at, description);
                } else if constexpr (std::is_same_v<Step, OneFingerContact>) {
                    queue(at, [](Hands& input) { input.touches(NSTouchPhase::began, false, 1); });
                    const double lift = at + std::max(description.holdFor, 0.0);
                    queue(lift, [](Hands& input) { input.touches(NSTouchPhase::ended, false, 1); });
                    return lift;
                } else if constexpr (std::is_same_v<Step, ModifierChange>) {
                    const ModifierChange change = description;
                    queue(at, [change](Hands& input) {
                        input.holdModifiers(change.flags, change.rightHand);
                    });
                    return at;
                } else if constexpr (std::is_same_v<Step, PointerMove>) {
                    const CGPoint location = description.location;
                    queue(at, [location](Hands& input) { input.movePointer(location); });
                    return at;
                } else {
                    return at + std::max(description.seconds, 0.0);
                }
            },
            step);
    }
    busyUntil_ = std::max(busyUntil_, now + at);
    return at - start;
}

}  // namespace zoral::sim
