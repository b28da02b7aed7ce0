#pragma once

// Input as the hardware makes it, from small descriptions: a two-finger scroll on the trackpad
// with its touch (gesture) events and its scroll phases and momentum, fingers that rest and lift,
// a scroll that turns into a pinch, a two-finger double tap, a phased scroll from a touch mouse,
// a mouse wheel, key presses and repeats with the bits the keyboard sets, and modifier changes.
// Each description is played from now on over virtual time: its events enter the world's input
// pipeline (sim/input_pipeline.h) as the hardware's, one at a time on a queue of their own, each
// made when its time comes with the pointer, the held flags and the time stamp of that moment,
// so the program runs between them as it does while a user's fingers move.
//
// A component of the world: HardwareInput::of(world).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/geometry.h"

namespace zoral::sim {

class World;

// The events of a stroke follow each other 8 to 16 ms apart, in the trackpad's cycle of gaps
// (HardwareInput::strokeIntervals), which each play starts afresh, unless a description gives an
// event's gap: the seconds since the event before it.

// One movement of the fingers within a scroll.
struct ScrollMove {
    // How far the fingers travel, in points: x to the right, y towards the user.
    platform::CGPoint travel;
    // Scroll events that carry the travel, in equal parts.
    int events = 8;
    // Seconds the fingers then stay still on the surface, sending nothing.
    double holdAfter = 0;
    // When given, the scroll events' own deltas, one event each, in place of the travel and its
    // events.
    std::vector<platform::CGPoint> deltas;
    // The gaps before the move's first events (the stroke's very first event follows the rest
    // at once unless given one).
    std::vector<double> gaps;

    friend bool operator==(const ScrollMove&, const ScrollMove&) = default;
};

// Two fingers scroll: they touch (a mayBegin when they rest first), move (began, then changed),
// and lift (ended), and the momentum follows (momentum began, changed, ended, with no scroll
// phase). Without moves the fingers lift without motion: mayBegin, then cancelled.
struct ScrollStroke {
    std::vector<ScrollMove> moves;
    double restBefore = 0;
    // Momentum events that carry on with the last scroll event's deltas, halving at each.
    int momentumEvents = 0;
    // A touch mouse scrolls with phases too, but reports no touches to the program.
    bool fromMouse = false;
    // The gap before the lift.
    std::optional<double> liftAfter;
    // When given, the momentum events' own deltas, in place of the halving ones, and the gaps
    // before the first of them.
    std::vector<platform::CGPoint> momentumDeltas;
    std::vector<double> momentumGaps;

    friend bool operator==(const ScrollStroke&, const ScrollStroke&) = default;
};

// Two fingers rest (mayBegin), then pinch: the scroll is cancelled and the magnify events follow,
// began, changed for each further magnification, ended. The rest, with the first gap, is shorter
// than the shortest pause that counts as the fingers resting (0.04 s).
struct PinchStroke {
    std::vector<double> magnifications;
    double restBefore = 0.02;
    // The gaps before the first magnify events, and before the fingers lift.
    std::vector<double> gaps;
    std::optional<double> liftAfter;

    friend bool operator==(const PinchStroke&, const PinchStroke&) = default;
};

// One finger touches the trackpad and lifts after a while, without moving: its touch begins and
// ends, and nothing scrolls.
struct OneFingerContact {
    double holdFor = 0.1;

    friend bool operator==(const OneFingerContact&, const OneFingerContact&) = default;
};

// A two-finger double tap: one smart-magnify event, without phase.
struct SmartMagnifyTap {
    friend bool operator==(const SmartMagnifyTap&, const SmartMagnifyTap&) = default;
};

// A mouse wheel's notches: no phases, line units.
struct WheelScroll {
    std::int32_t lines = 1;  // positive: the wheel turned towards the user
    std::int32_t horizontalLines = 0;

    friend bool operator==(const WheelScroll&, const WheelScroll&) = default;
};

// A key as the finger presses it: down, repeats while held, up. With fn held the laptop keyboard
// sends the arrows as page up, page down, home and end, delete as forward delete and return as
// enter.
struct KeyStroke {
    platform::CGKeyCode keyCode = 0;
    int repeats = 0;

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// The modifier keys change until exactly the flags' keys are held (left keys, or right ones):
// one flags-changed event per key, with its key code and its device bit.
struct ModifierChange {
    platform::CGEventFlags flags;
    bool rightHand = false;

    friend bool operator==(const ModifierChange&, const ModifierChange&) = default;
};

struct PointerMove {
    platform::CGPoint location;

    friend bool operator==(const PointerMove&, const PointerMove&) = default;
};

// Nothing happens for a while.
struct Pause {
    double seconds = 0;

    friend bool operator==(const Pause&, const Pause&) = default;
};

using HardwareStep = std::variant<ScrollStroke, PinchStroke, SmartMagnifyTap, WheelScroll,
                                  KeyStroke, ModifierChange, PointerMove, Pause, OneFingerContact>;

class HardwareInput {
public:
    // The gaps between the events of a stroke cycle through these, as the trackpad reports.
    static constexpr double strokeIntervals[] = {0.008, 0.012, 0.016};
    // A held key repeats after the first delay, then at the interval.
    static constexpr double keyRepeatDelay = 0.5;
    static constexpr double keyRepeatInterval = 0.1;

    explicit HardwareInput(World& world);
    static HardwareInput& of(World& world);

    // Whether the trackpad and the wheel scroll "naturally" (the content follows the fingers);
    // the system's default is on.
    void setNaturalScrolling(bool natural) { natural_ = natural; }
    bool naturalScrolling() const { return natural_; }

    // Plays the steps one after another; returns the seconds they take. A step begins where the
    // one before ended; a play begins after the steps already playing, or, when given, that many
    // seconds from now, alongside them (a second hand, say). Each play starts the cycle of gaps
    // afresh, so that a description plays the same whatever was played before.
    double play(const std::vector<HardwareStep>& steps,
                std::optional<double> startIn = std::nullopt);
    double play(const HardwareStep& step, std::optional<double> startIn = std::nullopt) {
        return play(std::vector<HardwareStep>{step}, startIn);
    }
    // Whether events are still to come.
    bool isBusy() const { return pending_ > 0; }

private:
    void schedule(double offset, std::function<void(HardwareInput&)> emit);
    void enter(platform::CGEvent event);
    platform::CGEvent make(platform::CGEventType type) const;
    void touches(platform::NSTouchPhase phase, bool mouse, int fingers = 2);
    void scroll(platform::CGPoint travel, platform::NSEventPhase phase,
                platform::NSEventPhase momentumPhase);
    void gestureEvent(platform::NSEventType kind, double magnification,
                      platform::NSEventPhase phase, platform::NSTouchPhase touches,
                      int fingers = 2);
    void key(platform::CGKeyCode physical, bool down, bool repeat);
    void modifiers(platform::CGEventFlags flags, bool rightHand);

    double playScroll(double at, const ScrollStroke& stroke);
    double playPinch(double at, const PinchStroke& pinch);
    double playKey(double at, const KeyStroke& stroke);
    // The gap before the next event: the given one, or the next of the cycle.
    double gap(const std::vector<double>& given, std::size_t index);
    double gap(const std::optional<double>& given);

    World& world_;
    platform::DispatchQueue queue_;
    bool natural_ = true;
    int pending_ = 0;
    // Virtual seconds at which the steps already given end.
    double busyUntil_ = 0;
    std::size_t gap_ = 0;
};

}  // namespace zoral::sim
