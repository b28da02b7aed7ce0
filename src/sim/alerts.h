#pragma once

// The program's alerts, beeps and modal sessions in the simulated desktop (platform/alerts.h).
// Every alert the program shows and every answer the user gives is written to the world's
// journal; an alert stays on screen until the user (a test, a world script) presses one of its
// buttons. A modal alert and a modal session block their caller the way blocking work waits on
// the scheduler: the rest of the program's work runs on around them (except, while a main-queue
// item waits, the main queue's later items). An answer to a sheet runs the sheet's completion
// handler inside the innermost modal session, or on the main queue when none runs.
//
// A wait that nothing can end any more (no answer given, none arranged, no work left to run) is
// a fault of the caller: it throws std::logic_error, where the system would hang.
//
// A component of the world: Alerts::of(world). Main thread only.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/alerts.h"
#include "platform/dispatch.h"
#include "sim/journal.h"

namespace zoral::sim {

class World;

class Alerts {
public:
    explicit Alerts(World& world);
    static Alerts& of(World& world);
    static Alerts& current();

    // --- The user's side
    // The alerts on screen, oldest first.
    std::vector<AlertShown> onScreen() const;
    // Presses a button of the newest alert: by its place (0 the first), or by its title. False,
    // changing nothing, when no alert is on screen or it has no such button.
    bool answer(std::size_t button);
    bool answer(std::string_view title);
    // The next alert to show up is answered with the button that long after it shows: for the
    // answers a test or a script knows in advance, when the alert blocks their own code.
    void answerNextWith(std::size_t button, double delay = 0);

    // --- The platform calls
    platform::ModalResponse runModal(const platform::Alert& alert);
    void beginSheet(const platform::Alert& alert, platform::WindowNumber window,
                    std::function<void(platform::ModalResponse)> completionHandler);
    platform::ModalResponse runModalSession(platform::WindowNumber window);
    void stopModal(platform::ModalResponse code);
    void beep();

private:
    struct Shown {
        AlertShown record;
        std::optional<platform::ModalResponse> response;
        std::function<void(platform::ModalResponse)> completion;
    };
    struct Session {
        std::optional<platform::ModalResponse> stopped;
        std::deque<std::function<void()>> inbox;
    };
    struct Arranged {
        std::size_t button = 0;
        double delay = 0;
    };

    std::shared_ptr<Shown> show(const platform::Alert& alert,
                                std::optional<platform::WindowNumber> sheetWindow);
    // Takes its own reference: the alert leaves the screen on the way.
    bool press(std::shared_ptr<Shown> shown, std::size_t button);
    // Blocks until the condition holds; throws when nothing can make it hold.
    void waitUntil(const std::function<bool()>& condition, const char* what);

    World& world_;
    // The system's own queue, on which arranged answers come.
    platform::DispatchQueue queue_;
    std::uint64_t lastAlert_ = 0;
    std::vector<std::shared_ptr<Shown>> onScreen_;
    std::vector<std::shared_ptr<Session>> sessions_;
    std::deque<Arranged> arranged_;
};

}  // namespace zoral::sim
