#pragma once

// The simulated trackpad's haptic engine: every pattern the program asked the default performer to
// play, with the virtual time of the request and whether it was felt. A machine whose trackpad has
// no haptic engine (a world can say so) takes the request and plays nothing, as the real one does.
//
// A component of the world: Haptics::of(world).

#include <vector>

#include "platform/haptics.h"
#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

struct HapticRequest {
    // Virtual seconds of the scheduler's clock when it was asked for.
    double time = 0;
    platform::NSHapticFeedbackPattern pattern = platform::NSHapticFeedbackPattern::generic;
    platform::NSHapticFeedbackPerformanceTime performanceTime =
        platform::NSHapticFeedbackPerformanceTime::default_;
    bool played = false;

    friend bool operator==(const HapticRequest&, const HapticRequest&) = default;
};

class Haptics {
public:
    static Haptics& of(World& world);
    static Haptics& current();

    bool hasHapticTrackpad() const;
    void setHasHapticTrackpad(bool present);

    std::vector<HapticRequest> requests() const;
    // How many patterns were felt.
    std::size_t playedCount() const;
    void reset();

    void perform(platform::NSHapticFeedbackPattern pattern,
                 platform::NSHapticFeedbackPerformanceTime time);

private:
    mutable platform::Mutex mutex_;
    bool hasHapticTrackpad_ ZORAL_GUARDED_BY(mutex_) = true;
    std::vector<HapticRequest> requests_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::sim
