#pragma once

// The simulated mouse cursor: the window server's hide count, which each hide raises and each
// unhide lowers (never below zero), and the calls the program made, counted so that tests can pin
// them. As on the real system, a process that is not the active application changes the cursor
// only after it has set the "SetsCursorInBackground" property of its connection; until then its
// hides and unhides are counted as calls and change nothing.
//
// A component of the world: Cursor::of(world).

#include <cstdint>

#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

class Cursor {
public:
    static Cursor& of(World& world);
    static Cursor& current();

    bool isVisible() const;
    std::int64_t hideCount() const;
    // Every call the program made, whether or not it took effect.
    std::int64_t hideCalls() const;
    std::int64_t unhideCalls() const;
    bool setsCursorInBackground() const;

    void hide(World& world);
    void unhide(World& world);
    void setSetsCursorInBackground(bool enabled);
    // Puts the cursor in that state as if it had always been so; no call is counted.
    void setHideCount(std::int64_t count);

private:
    bool mayChange(World& world) const;

    mutable platform::Mutex mutex_;
    std::int64_t hideCount_ ZORAL_GUARDED_BY(mutex_) = 0;
    std::int64_t hideCalls_ ZORAL_GUARDED_BY(mutex_) = 0;
    std::int64_t unhideCalls_ ZORAL_GUARDED_BY(mutex_) = 0;
    bool setsCursorInBackground_ ZORAL_GUARDED_BY(mutex_) = false;
};

}  // namespace zoral::sim
