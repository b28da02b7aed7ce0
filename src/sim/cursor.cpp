// The platform's cursor calls, answered by the simulated cursor.

#include "sim/cursor.h"

#include "platform/cursor.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

Cursor& Cursor::of(World& world) {
    return world.component<Cursor>();
}

Cursor& Cursor::current() {
    return of(World::current());
}

bool Cursor::isVisible() const {
    const platform::MutexLock lock(mutex_);
    return hideCount_ == 0;
}

std::int64_t Cursor::hideCount() const {
    const platform::MutexLock lock(mutex_);
    return hideCount_;
}

std::int64_t Cursor::hideCalls() const {
    const platform::MutexLock lock(mutex_);
    return hideCalls_;
}

std::int64_t Cursor::unhideCalls() const {
    const platform::MutexLock lock(mutex_);
    return unhideCalls_;
}

bool Cursor::setsCursorInBackground() const {
    const platform::MutexLock lock(mutex_);
    return setsCursorInBackground_;
}

bool Cursor::mayChange(World& world) const {
    return setsCursorInBackground() || workspace(world).frontmost(world) == world.programPid();
}

void Cursor::hide(World& world) {
    const bool allowed = mayChange(world);
    const platform::MutexLock lock(mutex_);
    ++hideCalls_;
    if (allowed)
        ++hideCount_;
}

void Cursor::unhide(World& world) {
    const bool allowed = mayChange(world);
    const platform::MutexLock lock(mutex_);
    ++unhideCalls_;
    if (allowed && hideCount_ > 0)
        --hideCount_;
}

void Cursor::setHideCount(std::int64_t count) {
    const platform::MutexLock lock(mutex_);
    hideCount_ = count;
}

void Cursor::setSetsCursorInBackground(bool enabled) {
    const platform::MutexLock lock(mutex_);
    setsCursorInBackground_ = enabled;
}

}  // namespace zoral::sim

namespace zoral::platform {

void cursorHide() {
    sim::World& world = sim::World::current();
    sim::Cursor::of(world).hide(world);
}

void cursorUnhide() {
    sim::World& world = sim::World::current();
    sim::Cursor::of(world).unhide(world);
}

void setSetsCursorInBackground(bool enabled) {
    sim::Cursor::current().setSetsCursorInBackground(enabled);
}

}  // namespace zoral::platform
