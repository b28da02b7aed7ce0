#include "engine/input/trackpad_engine.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <utility>

#include "desktop/saturating_cast.h"
#include "platform/dispatch.h"

namespace zoral::engine {

namespace {

using desktop::Direction;
using platform::NSEventPhase;
using platform::NSEventType;

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    return sum;
}

// The sum of the last `count` entries (all of them when there are fewer).
template <class T, class Add>
T sumOfLast(const std::vector<T>& data, int count, Add add) {
    const std::size_t taken = std::min(data.size(), static_cast<std::size_t>(std::max(count, 0)));
    T sum{};
    for (auto entry = data.end() - static_cast<std::ptrdiff_t>(taken); entry != data.end();
         ++entry) {
        sum = add(sum, *entry);
    }
    return sum;
}

double degrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

}  // namespace

std::optional<ScrollDirection> scrollDirection(std::int64_t x, std::int64_t y) {
    if (x == 0 && y == 0)
        return std::nullopt;
    const double dx = static_cast<double>(x);
    const double dy = static_cast<double>(y);
    if (std::abs(dy) < std::abs(dx)) {
        return ScrollDirection{x > 0 ? Direction::right : Direction::left,
                               static_cast<int>(std::abs(degrees(std::atan(dy / dx))))};
    }
    return ScrollDirection{y > 0 ? Direction::down : Direction::up,
                           static_cast<int>(std::abs(degrees(std::atan(dx / dy))))};
}

MultitouchEngine::MultitouchEngine(Passkey, std::shared_ptr<Gesture> gesture,
                                   std::shared_ptr<ActionResolver> resolver,
                                   std::shared_ptr<const InputSettings> settings)
    : gesture_(std::move(gesture)),
      resolver_(std::move(resolver)),
      settings_(std::move(settings)),
      parameters_(settings_->sensitivity()),
      cancelTimeout_(settings_->cancelTimeout()),
      gestureDispatchItem_{platform::DispatchQueue::main(), {}, {}},
      cancelDispatchItem_{platform::DispatchQueue::main(), {}, {}} {}

// The items cancel their work as they go: the bodies would find the engine gone.
MultitouchEngine::~MultitouchEngine() = default;

void MultitouchEngine::arm(desktop::DispatchControlItem& item, double delay,
                           void (MultitouchEngine::*body)()) {
    item.schedule(delay, [weak = weak_from_this(), body] {
        if (const auto engine = weak.lock())
            ((*engine).*body)();
    });
}

void MultitouchEngine::handleEvent(const platform::CGEvent& event, NSEventPhase phase) {
    switch (phase) {
        case NSEventPhase::began:
        case NSEventPhase::changed:
            switch (platform::toolkitType(event)) {
                case NSEventType::scrollWheel: {
                    const double factor = event.isDirectionInvertedFromDevice ? 1.0 : -1.0;
                    ++eventCounter_;
                    scrollDataX_.push_back(
                        desktop::saturatingCast<std::int64_t>(event.scrollingDeltaX * factor));
                    scrollDataY_.push_back(
                        desktop::saturatingCast<std::int64_t>(event.scrollingDeltaY * factor));
                    analyzeScroll();
                    arm(gestureDispatchItem_, parameters_.gestureTimeout,
                        &MultitouchEngine::onScrollPause);
                    arm(cancelDispatchItem_, cancelTimeout_, &MultitouchEngine::onCancelTimeout);
                    return;
                }
                case NSEventType::magnify:
                    // NaN is no movement either.
                    if (!(std::abs(event.magnification) > magnificationThreshold))
                        return;
                    ++eventCounter_;
                    zoomData_.push_back(event.magnification);
                    analyzeZoom();
                    arm(gestureDispatchItem_, parameters_.gestureTimeout,
                        &MultitouchEngine::onZoomPause);
                    arm(cancelDispatchItem_, cancelTimeout_, &MultitouchEngine::onCancelTimeout);
                    return;
                case NSEventType::smartMagnify:
                    gesture_->appendPhase(Phase::tapped);
                    return;
                default:
                    return;
            }
        case NSEventPhase::ended:
            gesture_->appendPhase(Phase::released);
            return;
        case NSEventPhase::mayBegin:
            arm(gestureDispatchItem_, parameters_.gestureTimeout, &MultitouchEngine::onRestTimeout);
            arm(cancelDispatchItem_, cancelTimeout_, &MultitouchEngine::onCancelTimeout);
            return;
        default:
            return;
    }
}

void MultitouchEngine::updateModifiers(const platform::CGEvent& event) {
    gesture_->setModifiers(
        settings_->modifiersFromFlags(settings::ModifierFlags(event.flags.rawValue())));
    if (!gesture_->isCancelled() && !gesture_->isBusy())
        (void)resolver_->resolveAction(*gesture_);
    arm(cancelDispatchItem_, cancelTimeout_, &MultitouchEngine::onCancelTimeout);
}

void MultitouchEngine::reset() {
    gestureDispatchItem_.pendingItem.cancel();
    eventCounter_ = 0;
    scrollDataX_.clear();
    scrollDataY_.clear();
    zoomData_.clear();
    directions_.clear();
}

void MultitouchEngine::appendDirection(Direction direction, Phase phase) {
    directions_.push_back(direction);
    gesture_->appendDirection(direction, phase);
}

void MultitouchEngine::analyzeScroll() {
    if (eventCounter_ < parameters_.scrollStartEvents)
        return;
    const std::int64_t x = sumOfLast(scrollDataX_, parameters_.scrollChangeEvents, saturatingAdd);
    const std::int64_t y = sumOfLast(scrollDataY_, parameters_.scrollChangeEvents, saturatingAdd);
    const auto found = scrollDirection(x, y);
    if (!found)
        return;
    if (!directions_.empty() && directions_.back() == found->direction)
        return;
    if (found->angle > scrollAngleMax)
        return;
    appendDirection(found->direction, Phase::scrolled);
}

void MultitouchEngine::analyzeZoom() {
    if (eventCounter_ < parameters_.zoomStartEvents)
        return;
    const double sum = sumOfLast(zoomData_, parameters_.zoomChangeEvents,
                                 [](double a, double b) { return a + b; });
    const Direction direction = sum > 0 ? Direction::outwards : Direction::inwards;
    if (!directions_.empty() && directions_.back() == direction)
        return;
    appendDirection(direction, Phase::zoomed);
}

void MultitouchEngine::onRestTimeout() {
    if (!settings_->tapAndHold())
        return;
    gesture_->appendPhase(Phase::rested);
}

void MultitouchEngine::onScrollPause() {
    if (eventCounter_ <= parameters_.scrollStartEvents)
        return;
    gesture_->appendPhase(Phase::paused);
    reset();
}

void MultitouchEngine::onZoomPause() {
    if (eventCounter_ <= parameters_.zoomStartEvents)
        return;
    gesture_->appendPhase(Phase::paused);
    reset();
}

void MultitouchEngine::onCancelTimeout() {
    if (gesture_->action() && !gesture_->isCancelled() && !gesture_->isBusy())
        gesture_->cancel();
}

}  // namespace zoral::engine
