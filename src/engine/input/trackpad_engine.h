#pragma once

// The trackpad engine: turns the scroll, pinch (magnify) and double-tap (smart magnify) events of
// one trackpad gesture into the gesture's directions and phases. The core makes one per touch
// sequence on a usable origin, feeds it every event of the sequence with its phase, and drops it
// when the sequence ends or the gesture is cancelled. Movement is cut into strokes: a stroke
// collects events, may add directions (never the same twice in a row) and ends with a pause. Two
// timers: the gesture timer notices fingers at rest or a pause, the cancel timer abandons a gesture
// whose action was held too long without movement. Main thread only.

#include <cstdint>
#include <memory>
#include <vector>

#include "desktop/direction.h"
#include "desktop/dispatch_control_item.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/input/input_settings.h"
#include "engine/input/sensitivity.h"
#include "platform/events.h"

namespace zoral::engine {

class MultitouchEngine : public std::enable_shared_from_this<MultitouchEngine> {
protected:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // The largest accepted deviation of a scroll from its main axis, in degrees.
    static constexpr int scrollAngleMax = 40;
    // Pinches smaller than this, either way, are not movement.
    static constexpr double magnificationThreshold = 0.002;

    // Reads the sensitivity and the cancel time-out once; the resolver runs the gesture's action
    // resolution again when the modifiers change.
    template <class E = MultitouchEngine>
    static std::shared_ptr<E> make(std::shared_ptr<Gesture> gesture,
                                   std::shared_ptr<ActionResolver> resolver,
                                   std::shared_ptr<const InputSettings> settings) {
        return std::make_shared<E>(Passkey{}, std::move(gesture), std::move(resolver),
                                   std::move(settings));
    }

    MultitouchEngine(Passkey, std::shared_ptr<Gesture> gesture,
                     std::shared_ptr<ActionResolver> resolver,
                     std::shared_ptr<const InputSettings> settings);
    virtual ~MultitouchEngine();
    MultitouchEngine(const MultitouchEngine&) = delete;
    MultitouchEngine& operator=(const MultitouchEngine&) = delete;

    Gesture& gesture() const { return *gesture_; }
    const std::shared_ptr<Gesture>& sharedGesture() const { return gesture_; }
    double cancelTimeout() const { return cancelTimeout_; }
    const SensitivityParameters& parameters() const { return parameters_; }
    // The directions recognised since the last reset.
    const std::vector<desktop::Direction>& directions() const { return directions_; }
    int eventCounter() const { return eventCounter_; }

    // One event with the phase the core determined: began or changed (movement), ended, mayBegin
    // (fingers down, not yet moving); other phases are ignored.
    virtual void handleEvent(const platform::CGEvent& event, platform::NSEventPhase phase);
    // The roles held, from the event's flags; resolves the action again unless the gesture is
    // cancelled, chaining or cmd-tabbing, and re-arms the cancel timer.
    virtual void updateModifiers(const platform::CGEvent& event);
    // Ends a stroke: forgets its events and directions (the gesture keeps its own).
    virtual void reset();
    virtual void analyzeScroll();
    virtual void analyzeZoom();

    // The timers' bodies.
    void onRestTimeout();
    void onScrollPause();
    void onZoomPause();
    void onCancelTimeout();

private:
    // Schedules the timer with the body, the engine held weakly.
    void arm(desktop::DispatchControlItem& item, double delay, void (MultitouchEngine::*body)());
    void appendDirection(desktop::Direction direction, Phase phase);

    std::shared_ptr<Gesture> gesture_;
    std::shared_ptr<ActionResolver> resolver_;
    std::shared_ptr<const InputSettings> settings_;
    SensitivityParameters parameters_;
    double cancelTimeout_;
    int eventCounter_ = 0;
    std::vector<std::int64_t> scrollDataX_;
    std::vector<std::int64_t> scrollDataY_;
    std::vector<double> zoomData_;
    std::vector<desktop::Direction> directions_;
    desktop::DispatchControlItem gestureDispatchItem_;
    desktop::DispatchControlItem cancelDispatchItem_;
};

// The direction of a summed scroll (x to the right, y downwards) and its deviation from its main
// axis in whole degrees (0 to 45); none when both sums are 0. Ties are vertical.
struct ScrollDirection {
    desktop::Direction direction;
    int angle;
};
std::optional<ScrollDirection> scrollDirection(std::int64_t x, std::int64_t y);

}  // namespace zoral::engine
