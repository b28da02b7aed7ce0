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

#include <optional>
#include <string>

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
// program's set-up installs it.
class Updater {
public:
    static Updater& of(World& world);

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
        const platform::MutexLock lock(mutex_);
        if (state_)
            edit(*state_);
    }

private:
    mutable platform::Mutex mutex_;
    std::optional<State> state_ ZORAL_GUARDED_BY(mutex_);
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
