#pragma once

// One session event tap with its run-loop source on the main run loop, as the core uses it. The
// handler decides for every tapped event: the event to deliver it, nothing to swallow it. When the
// system disables the tap (time-out or user input) the tap logs the interruption, enables itself
// again and tells its owner. Made on the main thread; invalidated by its owner, and again when it
// is released.

#include <functional>
#include <memory>
#include <optional>

#include "platform/event_tap.h"
#include "platform/events.h"
#include "platform/run_loop.h"

namespace zoral::engine {

class Tap : public std::enable_shared_from_this<Tap> {
protected:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    using Handler = std::function<std::optional<platform::CGEvent>(platform::NSEventType type,
                                                                   const platform::CGEvent& event)>;

    // Creates the tap at the session's chain and serves it on the current run loop in the common
    // modes; none when the tap or its source cannot be made. `reenabled` runs after the tap was
    // enabled again following a disabling by the system.
    static std::shared_ptr<Tap> make(platform::CGEventTapOptions options,
                                     platform::CGEventTapPlacement placement,
                                     platform::CGEventMask mask, Handler handler,
                                     std::function<void()> reenabled = {});

    Tap(Passkey, Handler handler, std::function<void()> reenabled);
    virtual ~Tap();
    Tap(const Tap&) = delete;
    Tap& operator=(const Tap&) = delete;

    platform::CFMachPortRef port() const { return tap_; }

    // Takes the source off the run loop and invalidates the port; logs "CGEventTap: invalidated".
    virtual void invalidate();

    // The callback: re-enables the tap after the system disabled it, else asks the handler.
    std::optional<platform::CGEvent> handleEvent(platform::CGEventType type,
                                                 const platform::CGEvent& event);

private:
    std::optional<platform::CGEvent> internalHandler(platform::CGEventType type,
                                                     const platform::CGEvent& event);

    Handler handler_;
    std::function<void()> reenabled_;
    platform::CFMachPortRef tap_;
    std::shared_ptr<platform::RunLoopSource> source_;
    int handling_ = 0;
    bool released_ = false;
};

}  // namespace zoral::engine
