#pragma once

// What the simulated system does for the program beyond its desktop: the processes the program
// starts (recorded in the journal, never run), the update framework's updater, the displays'
// power, and the system's commands that the program runs through the shell.
//
// The shell commands understood, alone or joined with ";":
//   pmset displaysleepnow    every display goes to sleep at once
//   sleep SECONDS            the command waits that long on the scheduler's clock
//   caffeinate -u -t SECONDS the user is declared active: the displays wake at once, and the
//                            command holds its assertion, and so lasts, that many seconds
// Each records what it did in the journal; the command prints nothing and exits with 0. A command
// with any other part goes to the runner installed before (the real shell, or a test's recorder).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

// A component of the world: whether the displays sleep.
class DisplayPower {
public:
    static DisplayPower& of(World& world);
    explicit DisplayPower(World& world) : world_(world) {}

    bool asleep() const;
    // Records the change in the journal; nothing when the state does not change.
    void setAsleep(bool asleep);

private:
    World& world_;
    mutable platform::Mutex mutex_;
    bool asleep_ ZORAL_GUARDED_BY(mutex_) = false;
};

// A component of the world: the update framework's shared updater, missing until a test or the
// program's set-up installs it. It checks its feed when the user asks and, while automatic checks
// are on, by itself one interval after its last check, or after automatic checks were turned on
// or the interval changed when that came later; each check is recorded with the feed it asked.
class Updater {
public:
    static Updater& of(World& world);
    explicit Updater(World& world) : world_(world) {}
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    struct State {
        std::optional<std::string> feedURL;
        bool automaticallyChecksForUpdates = false;
        double updateCheckInterval = 86400;
        friend bool operator==(const State&, const State&) = default;
    };
    // None: there is no updater.
    std::optional<State> state() const;
    void setState(std::optional<State> state);
    // Edits the state when there is an updater.
    template <class Edit>
    void edit(Edit&& edit) {
        bool scheduleChanged = false;
        {
            const platform::MutexLock lock(mutex_);
            if (!state_)
                return;
            const State before = *state_;
            edit(*state_);
            scheduleChanged =
                before.automaticallyChecksForUpdates != state_->automaticallyChecksForUpdates ||
                before.updateCheckInterval != state_->updateCheckInterval;
        }
        if (scheduleChanged)
            scheduleAutomaticCheck();
    }

    struct Check {
        // Uptime seconds.
        double time = 0;
        std::optional<std::string> feedURL;
        bool userInitiated = false;
        friend bool operator==(const Check&, const Check&) = default;
    };
    // The user asks for a check; nothing when there is no updater.
    void checkForUpdates();
    // Every check made, oldest first.
    std::vector<Check> checks() const;

private:
    void check(bool userInitiated);
    // Replaces the pending automatic check by one at the time the state calls for, if any.
    void scheduleAutomaticCheck();

    World& world_;
    mutable platform::Mutex mutex_;
    std::optional<State> state_ ZORAL_GUARDED_BY(mutex_);
    std::vector<Check> checks_ ZORAL_GUARDED_BY(mutex_);
    // The schedule the pending automatic check belongs to; a newer one makes it stale.
    std::uint64_t schedule_ ZORAL_GUARDED_BY(mutex_) = 0;
};

// Answers the system's commands above against the current world while it lives.
class ScopedSystemCommands {
public:
    ScopedSystemCommands();
    ~ScopedSystemCommands();
    ScopedSystemCommands(const ScopedSystemCommands&) = delete;
    ScopedSystemCommands& operator=(const ScopedSystemCommands&) = delete;

private:
    platform::shell::Runner previous_;
};

}  // namespace zoral::sim
