#pragma once

// The toolkit's events (input from a window system, posted layout and paint requests) are
// delivered as work of the program's main queue, never by an event loop of the toolkit's own, so
// the program's scheduler stays the one clock. Tests deliver what they need at once; the
// interactive program runs a pump that delivers them at a steady pace on the main queue.
//
// Main thread only.

#include <memory>

namespace zoral::ui {

// Delivers the toolkit's pending events now, without waiting for more.
void processToolkitEvents();

// Delivers the toolkit's events every interval (seconds) of the scheduler's clock while it lives.
class ToolkitEventPump {
public:
    explicit ToolkitEventPump(double interval = 1.0 / 60);
    ~ToolkitEventPump();
    ToolkitEventPump(const ToolkitEventPump&) = delete;
    ToolkitEventPump& operator=(const ToolkitEventPump&) = delete;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace zoral::ui
