// The platform's haptic feedback, answered by the simulated trackpad.

#include "sim/haptics.h"

#include <algorithm>

#include "platform/dispatch_time.h"
#include "sim/world.h"

namespace zoral::sim {

Haptics& Haptics::of(World& world) {
    return world.component<Haptics>();
}

Haptics& Haptics::current() {
    return of(World::current());
}

bool Haptics::hasHapticTrackpad() const {
    const platform::MutexLock lock(mutex_);
    return hasHapticTrackpad_;
}

void Haptics::setHasHapticTrackpad(bool present) {
    const platform::MutexLock lock(mutex_);
    hasHapticTrackpad_ = present;
}

std::vector<HapticRequest> Haptics::requests() const {
    const platform::MutexLock lock(mutex_);
    return requests_;
}

std::size_t Haptics::playedCount() const {
    const platform::MutexLock lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(requests_.begin(), requests_.end(),
                      [](const HapticRequest& request) { return request.played; }));
}

void Haptics::reset() {
    const platform::MutexLock lock(mutex_);
    requests_.clear();
}

void Haptics::perform(platform::NSHapticFeedbackPattern pattern,
                      platform::NSHapticFeedbackPerformanceTime time) {
    const double now = platform::DispatchTime::now().uptimeSeconds();
    const platform::MutexLock lock(mutex_);
    requests_.push_back(
        {.time = now, .pattern = pattern, .performanceTime = time, .played = hasHapticTrackpad_});
}

}  // namespace zoral::sim

namespace zoral::platform {

void hapticPerform(NSHapticFeedbackPattern pattern, NSHapticFeedbackPerformanceTime time) {
    sim::Haptics::current().perform(pattern, time);
}

}  // namespace zoral::platform
