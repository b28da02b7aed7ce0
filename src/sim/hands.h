#pragma once

// The user's hands: the hardware input of the simulated desktop, as tests (and world scripts)
// give it. Each call below makes the events the keyboard, the mouse and the trackpad would send,
// and they enter the one input pipeline (sim/input_pipeline.h) as the hardware's, ahead of the
// event taps. The single steps happen at once; the strokes, the drags and the descriptions of
// what the hardware sends (sim/hardware_steps.h) go on over virtual time on the hands' one queue,
// each event made when its time comes with the pointer, the held flags and the time stamp of that
// moment, so that the program runs between them as it does while a user's fingers move.
//
// A component of the world: Hands::of(world).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/status_bar.h"
#include "sim/hardware_steps.h"

namespace zoral::sim {

class World;
class WindowNode;

class Hands {
public:
    // The time between two moves of a drag or two events of a stroke, unless a call gives one.
    static constexpr double defaultInterval = 1.0 / 60;
    // The gaps between the events of a described stroke cycle through these, as the trackpad
    // reports.
    static constexpr double strokeIntervals[] = {0.008, 0.012, 0.016};
    // A held key repeats after the first delay, then at the interval.
    static constexpr double keyRepeatDelay = 0.5;
    static constexpr double keyRepeatInterval = 0.1;

    explicit Hands(World& world);
    static Hands& of(World& world);

    // --- One step, now
    // The pointer moves there: a moved event, or a dragged one while a button is held.
    void movePointer(platform::CGPoint location);
    void pressButton(platform::CGMouseButton button = platform::CGMouseButton::left);
    void releaseButton(platform::CGMouseButton button = platform::CGMouseButton::left);
    // Presses and releases modifier keys (shift, control, option, command, fn; the left one of
    // each pair, or the right one) until exactly the flags' keys are held: one flags-changed event
    // per key, with its key code and device bit; a key comes up on the hand that holds it.
    void holdModifiers(platform::CGEventFlags flags, bool rightHand = false);
    // A key down and up, with the modifiers held.
    void pressKey(platform::CGKeyCode code);
    void keyDown(platform::CGKeyCode code, bool repeat = false);
    void keyUp(platform::CGKeyCode code);
    // One event of a two-finger scroll on the trackpad (deltas in points, as the fingers move),
    // with its phase, or of the momentum that follows; and one pinch event.
    void scroll(platform::CGPoint delta, platform::NSEventPhase phase,
                platform::NSEventPhase momentumPhase = platform::NSEventPhase::none);
    void magnify(double magnification, platform::NSEventPhase phase);
    // Scrolling with "natural" direction, as trackpads and wheels do by default: the content
    // follows the fingers.
    void setNaturalScrolling(bool natural) { natural_ = natural; }
    bool naturalScrolling() const { return natural_; }

    // --- Over time
    // Two fingers scroll: began, changed for each further step, ended, each with the delta,
    // then momentum steps whose deltas halve, momentum ended last.
    void scrollStroke(platform::CGPoint deltaPerStep, int steps, int momentumSteps = 0,
                      double interval = defaultInterval);
    // Two fingers pinch: began, changed for each further step, ended.
    void pinchStroke(double magnificationPerStep, int steps, double interval = defaultInterval);
    // Takes the window by its title bar with the left button, the modifier keys of the flags
    // held, moves it by the delta in that many moves, and lets go: the modifiers are released
    // after the button.
    void dragWindow(const WindowNode& window, platform::CGPoint delta, int moves,
                    platform::CGEventFlags flags = {}, double interval = defaultInterval);
    // The same, taking the window by the edges (leftEdge | bottomEdge for a corner).
    void resizeWindow(const WindowNode& window, std::uint8_t edges, platform::CGPoint delta,
                      int moves, platform::CGEventFlags flags = {},
                      double interval = defaultInterval);

    // --- The program's status items and their menus (sim/status_bar.h)
    // The pointer goes to the middle of the item, the button goes down and up. False, doing
    // nothing, while the item is out of the menu bar.
    bool clickStatusItem(const platform::StatusItem& item,
                         platform::CGMouseButton button = platform::CGMouseButton::left);
    // With Command held, takes the item with the left button and drags it `distance` points down,
    // out of the menu bar, in that many moves, and lets go; Command is released after the button.
    // False, doing nothing, while the item is out of the menu bar.
    bool dragStatusItemOut(const platform::StatusItem& item, double distance = 100, int moves = 6,
                           double interval = defaultInterval);
    // Chooses an item of the open menu by its title (and the titles of the submenus that lead to
    // it); false when no menu is open or it shows no such item that can be chosen.
    bool chooseMenuItem(const std::vector<std::string>& titles);

    // --- What the hardware sends, described (sim/hardware_steps.h)
    // Plays the steps one after another; returns the seconds they take. A step begins where the
    // one before ended; a play begins after the steps already playing, or, when given, that many
    // seconds from now, alongside them (a second hand, say). Each play starts the cycle of gaps
    // afresh, so that a description plays the same whatever was played before.
    double play(const std::vector<HardwareStep>& steps,
                std::optional<double> startIn = std::nullopt);
    double play(const HardwareStep& step, std::optional<double> startIn = std::nullopt) {
        return play(std::vector<HardwareStep>{step}, startIn);
    }

    // Whether a stroke, a drag or a play still has events to come.
    bool isBusy() const { return stepsToCome_ > 0; }

private:
    void enter(platform::CGEvent event);
    platform::CGEvent make(platform::CGEventType type) const;
    void changeButton(platform::CGMouseButton button, bool down);
    // The step after the delay, on the hands' queue; at once when it is due.
    void later(double delay, std::function<void(Hands&)> step);
    // The step after the delay, on the hands' queue, even when it is due now.
    void queue(double delay, std::function<void(Hands&)> step);
    // A touch (gesture) event of one or two fingers on the trackpad.
    void gesture(platform::NSTouchPhase touches, std::optional<platform::NSEventType> kind,
                 double magnification, platform::NSEventPhase phase, int fingers = 2);
    void drag(platform::CGPoint grip, platform::CGPoint delta, int moves,
              platform::CGEventFlags flags, double interval);

    // Playing descriptions (hardware_input.cpp).
    void touches(platform::NSTouchPhase phase, bool mouse, int fingers = 2);
    // A scroll event of the fingers' travel, turned round unless scrolling is natural.
    void fingersScroll(platform::CGPoint travel, platform::NSEventPhase phase,
                       platform::NSEventPhase momentumPhase);
    void key(platform::CGKeyCode physical, bool down, bool repeat);
    double playScroll(double at, const ScrollStroke& stroke);
    double playPinch(double at, const PinchStroke& pinch);
    double playKey(double at, const KeyStroke& stroke);
    // The gap before the next event: the given one, or the next of the cycle.
    double gap(const std::vector<double>& given, std::size_t index);
    double gap(const std::optional<double>& given);

    World& world_;
    platform::DispatchQueue queue_;
    int stepsToCome_ = 0;
    bool natural_ = true;
    // Virtual seconds at which the steps already given to play end.
    double busyUntil_ = 0;
    std::size_t gap_ = 0;
};

}  // namespace zoral::sim
