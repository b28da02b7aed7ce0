#pragma once

// Input as the hardware makes it, as small descriptions: a two-finger scroll on the trackpad with
// its touch (gesture) events and its scroll phases and momentum, fingers that rest and lift, a
// scroll that turns into a pinch, a two-finger double tap, one finger that touches and lifts, a
// phased scroll from a touch mouse, a mouse wheel, key presses and repeats with the bits the
// keyboard sets, and modifier changes. The user's hands play them (Hands::play in sim/hands.h);
// world scripts write them (sim/hardware_script.h).

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "platform/events.h"
#include "platform/geometry.h"

namespace zoral::sim {

// The events of a stroke follow each other 8 to 16 ms apart, in the trackpad's cycle of gaps
// (Hands::strokeIntervals), which each play starts afresh, unless a description gives an
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

}  // namespace zoral::sim
