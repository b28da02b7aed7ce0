#pragma once

// The one ordered path of input. Two sources feed it: the user's hands (the hardware: pointer
// moves, buttons, scroll and pinch strokes, keys and modifiers) and what the program posts to the
// event stream. Each event, in the order it came:
//   1. the device state follows it (pointer position, pressed buttons, modifier flags);
//   2. the event taps see it, in order: each may pass it, swallow it or replace it;
//   3. the window server routes it: key events are offered to the hot keys registered with it
//      first (sim/hot_keys.h: one it takes goes no further), then to the system's own shortcuts
//      (the space hot keys, the application switcher), then to the front application; a button
//      press goes to the window under the pointer (its application, which a left press activates
//      and whose window it raises), to the Dock, to the menu bar or to the status bar (a status
//      item's window), and the receiver that takes the press gets the drags and the release that
//      follow. While a menu of the program is open, its tracking takes the presses and the keys
//      that the hot keys and the system's shortcuts leave, in place of the windows and the front
//      application.
// Events posted to one process skip the device state, the taps and the system: they go to that
// process alone.
//
// The simulated applications, the Dock and the window server itself act on input only through the
// handlers they register here. A component of the world: InputPipeline::of(world).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/events.h"
#include "sim/node.h"

namespace zoral::sim {

class World;

enum class InputSource { hardware, posted };

// One event entering the path.
struct InputEvent {
    platform::CGEvent event;
    InputSource source = InputSource::hardware;
    // Where a posted event entered the common stream; none for hardware events and for events
    // posted to a process (event.targetPid names it).
    std::optional<platform::CGEventTapLocation> tap;
};

// An event tap in the path: it passes the event (returning it), replaces it (returning another)
// or swallows it (returning none).
class EventTap {
public:
    virtual ~EventTap() = default;
    virtual std::optional<platform::CGEvent> filter(const platform::CGEvent& event) = 0;
};

// What a press reaches: the element under the pointer, the window that holds it (its top-level
// element) and the window's process.
struct Press {
    platform::CGEvent event;
    std::shared_ptr<Node> element;
    std::shared_ptr<Node> window;
    platform::ProcessId pid = 0;
};

// What a receiver that took a press does with the drags and the release of that button.
class PointerGrab {
public:
    virtual ~PointerGrab() = default;
    virtual void dragged(World& /*world*/, const platform::CGEvent& /*event*/) {}
    virtual void released(World& /*world*/, const platform::CGEvent& /*event*/) {}
};

// Who a press goes to.
enum class Receiver { application, windowServer, dock, menuBar, statusBar };

// A key event for a process (the front application, or the one it was posted to); true when the
// handler took it, so that nobody after it sees it.
using KeyHandler =
    std::function<bool(World& world, const platform::CGEvent& event, platform::ProcessId target)>;
// A key event for the system's own shortcuts, before the front application sees it.
using SystemKeyHandler = std::function<bool(World& world, const platform::CGEvent& event)>;
// A press for the receiver; a grab when the handler takes it.
using PressHandler = std::function<std::shared_ptr<PointerGrab>(World& world, const Press& press)>;
// A press or a key event for an open menu; true when the menu took it (a press it takes takes
// the drags and the release of its button too).
using TrackingHandler = std::function<bool(World& world, const platform::CGEvent& event)>;

class InputPipeline {
public:
    explicit InputPipeline(World& world) : world_(world) {}
    InputPipeline(const InputPipeline&) = delete;
    InputPipeline& operator=(const InputPipeline&) = delete;

    // The world's pipeline, with the simulated desktop's own receivers registered.
    static InputPipeline& of(World& world);

    // Takes the event into the path. An event that arrives while another is on its way waits
    // for it, so that every event passes in the order it came.
    void enter(InputEvent input);
    // An event of the user's hardware as the devices stand now (pointer, held modifiers, the
    // clock), and its entry into the path.
    platform::CGEvent hardwareEvent(platform::CGEventType type) const;
    void enterFromHardware(platform::CGEvent event);

    // Taps, front first: a tap at the head sees events before the others.
    void addTap(const std::shared_ptr<EventTap>& tap, bool atHead = false);
    void removeTap(const EventTap& tap);

    void addSystemKeyHandler(SystemKeyHandler handler);
    void addApplicationKeyHandler(KeyHandler handler);
    void addPressHandler(Receiver receiver, PressHandler handler);
    void addTrackingHandler(TrackingHandler handler);

private:
    struct GrabKey {
        std::optional<platform::ProcessId> target;
        platform::CGMouseButton button;
        friend auto operator<=>(const GrabKey&, const GrabKey&) = default;
    };

    void pass(InputEvent input);
    void route(const platform::CGEvent& event, std::optional<platform::ProcessId> target);
    void routeKey(const platform::CGEvent& event, std::optional<platform::ProcessId> target);
    void routePress(const platform::CGEvent& event, std::optional<platform::ProcessId> target);
    bool offerToTracking(const platform::CGEvent& event);
    void registerReceivers();

    World& world_;
    bool registered_ = false;
    bool passing_ = false;
    std::deque<InputEvent> waiting_;
    std::deque<std::weak_ptr<EventTap>> taps_;
    std::vector<SystemKeyHandler> systemKeyHandlers_;
    std::vector<KeyHandler> applicationKeyHandlers_;
    std::map<Receiver, std::vector<PressHandler>> pressHandlers_;
    std::vector<TrackingHandler> trackingHandlers_;
    std::map<GrabKey, std::shared_ptr<PointerGrab>> grabs_;
};

}  // namespace zoral::sim
