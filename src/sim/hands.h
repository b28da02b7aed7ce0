#pragma once

// The user's hands: the hardware input of the simulated desktop, as tests (and world scripts)
// give it. Each call below makes the events the keyboard, the mouse and the trackpad would send,
// and they enter the one input pipeline (sim/input_pipeline.h) as the hardware's, ahead of the
// event taps. The single steps happen at once; the strokes and drags go on over virtual time, one
// step every interval, on a queue of their own, so that the program runs between the steps as it
// does while a user's fingers move.
//
// A component of the world: Hands::of(world).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/status_bar.h"

namespace zoral::sim {

class World;
class WindowNode;

class Hands {
public:
    // The time between two moves of a drag or two events of a stroke, unless a call gives one.
    static constexpr double defaultInterval = 1.0 / 60;

    explicit Hands(World& world);
    static Hands& of(World& world);

    // --- One step, now
    // The pointer moves there: a moved event, or a dragged one while a button is held.
    void movePointer(platform::CGPoint location);
    void pressButton(platform::CGMouseButton button = platform::CGMouseButton::left);
    void releaseButton(platform::CGMouseButton button = platform::CGMouseButton::left);
    // Presses and releases modifier keys (shift, control, option, command, fn; the left one of
    // each pair) until exactly the flags' keys are held: one flags-changed event per key.
    void holdModifiers(platform::CGEventFlags flags);
    // A key down and up, with the modifiers held.
    void pressKey(platform::CGKeyCode code);
    void keyDown(platform::CGKeyCode code, bool repeat = false);
    void keyUp(platform::CGKeyCode code);
    // One event of a two-finger scroll on the trackpad (deltas in points, as the fingers move),
    // with its phase, or of the momentum that follows; and one pinch event.
    void scroll(platform::CGPoint delta, platform::NSEventPhase phase,
                platform::NSEventPhase momentumPhase = platform::NSEventPhase::none);
    void magnify(double magnification, platform::NSEventPhase phase);
    // Scrolling with "natural" direction, as trackpads do by default.
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

    // Whether a stroke or drag still has steps to come.
    bool isBusy() const { return stepsToCome_ > 0; }

private:
    void enter(platform::CGEvent event);
    platform::CGEvent make(platform::CGEventType type) const;
    void changeButton(platform::CGMouseButton button, bool down);
    void later(double delay, std::function<void(Hands&)> step);
    void gesture(platform::NSTouchPhase touches, std::optional<platform::NSEventType> kind,
                 double magnification, platform::NSEventPhase phase);
    void drag(platform::CGPoint grip, platform::CGPoint delta, int moves,
              platform::CGEventFlags flags, double interval);

    World& world_;
    platform::DispatchQueue queue_;
    int stepsToCome_ = 0;
    bool natural_ = true;
};

}  // namespace zoral::sim
