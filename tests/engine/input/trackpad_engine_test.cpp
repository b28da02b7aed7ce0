#include "engine/input/trackpad_engine.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "engine/input/engine_fixture.h"
#include "platform/events.h"

namespace zoral::engine::testing {
namespace {

using desktop::Direction;
using platform::CGEvent;
using platform::NSEventPhase;
using settings::MultitouchSensitivity;
using settings::Defaults::Keys;
using settings::Defaults::writeValue;

// Fingers moving by (dx, dy) points (y towards the user), as the trackpad reports it with natural
// scrolling on or off.
CGEvent scrollEvent(double dx, double dy, bool natural = true) {
    CGEvent event;
    event.type = platform::CGEventType::scrollWheel;
    event.scrollingDeltaX = natural ? dx : -dx;
    event.scrollingDeltaY = natural ? dy : -dy;
    event.isDirectionInvertedFromDevice = natural;
    return event;
}

CGEvent gestureEvent(platform::NSEventType type, double magnification = 0) {
    CGEvent event;
    event.type = platform::gestureEventType;
    event.gestureType = type;
    event.magnification = magnification;
    return event;
}

class TrackpadEngineTest : public EngineFixture {
protected:
    std::shared_ptr<MultitouchEngine> makeEngine() {
        gesture = makeGesture();
        return MultitouchEngine::make(gesture, standIns.resolver, settings);
    }

    std::shared_ptr<Gesture> gesture;
};

struct Stroke {
    double dx;
    double dy;
    int events;
    double pauseAfter = 0;
};

struct DirectionRow {
    const char* name;
    MultitouchSensitivity sensitivity;
    bool natural;
    std::vector<Stroke> strokes;
    std::vector<Direction> directions;
    std::vector<Phase> phases;
};

TEST_F(TrackpadEngineTest, ScrollDirectionsFollowTheSensitivityTheAngleAndThePauses) {
    using enum Direction;
    using enum Phase;
    using enum MultitouchSensitivity;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<DirectionRow> rows{
        {"high: three events are not enough", high, true, {{-10, 0, 3}}, {}, {}},
        {"high: the fourth event gives a direction", high, true, {{-10, 0, 4}}, {left}, {scrolled}},
        {"low: the seventh is not enough", low, true, {{-10, 0, 7}}, {}, {}},
        {"low: the eighth", low, true, {{-10, 0, 8}}, {left}, {scrolled}},
        {"monterey: the second", monterey, true, {{0, -10, 2}}, {up}, {scrolled}},
        {"45 degrees is vertical and gives none", high, true, {{10, 10, 4}}, {}, {}},
        {"40 degrees off the axis is accepted", monterey, true, {{50, 42, 2}}, {right}, {scrolled}},
        {"41 degrees is not", monterey, true, {{50, 43, 1}, {50, 44, 1}}, {}, {}},
        {"sub-pixel deltas count as events but add nothing",
         high,
         true,
         {{-0.9, 0, 3}, {-5, 0, 1}},
         {left},
         {scrolled}},
        {"sub-pixel deltas alone give nothing", high, true, {{-0.9, -0.9, 12}}, {}, {}},
        {"three directions in one stroke",
         high,
         true,
         {{-10, 0, 4}, {20, 0, 3}, {-30, 0, 1}},
         {left, right, left},
         {scrolled, scrolled, scrolled}},
        {"a pause between two lefts",
         high,
         true,
         {{-10, 0, 5, 0.1}, {-10, 0, 4}},
         {left, left},
         {scrolled, paused, scrolled}},
        {"a pause after no more than the start events does not count",
         high,
         true,
         {{-10, 0, 4, 0.1}, {-10, 0, 1}},
         {left},
         {scrolled}},
        {"natural scrolling off: the same fingers, the same direction",
         high,
         false,
         {{-10, 0, 4}, {0, 30, 4}},
         {left, down},
         {scrolled, scrolled}},
        {"deltas beyond the integers saturate", high, true, {{-1e300, 5, 4}}, {left}, {scrolled}},
        {"NaN is no movement", high, true, {{nan, nan, 6}}, {}, {}},
    };
    for (const DirectionRow& row : rows) {
        SCOPED_TRACE(row.name);
        writeValue(Keys::scrollingSensitivity(), row.sensitivity);
        const auto engine = makeEngine();
        for (const Stroke& stroke : row.strokes) {
            for (int i = 0; i < stroke.events; ++i) {
                engine->handleEvent(scrollEvent(stroke.dx, stroke.dy, row.natural),
                                    i == 0 ? NSEventPhase::began : NSEventPhase::changed);
                scheduler().advance(0.01);
            }
            scheduler().advance(stroke.pauseAfter);
        }
        EXPECT_EQ(gesture->directions(), row.directions);
        EXPECT_EQ(gesture->phases(), row.phases);
        gesture->cancel();
    }
}

TEST_F(TrackpadEngineTest, TheDirectionArithmetic) {
    struct Row {
        std::int64_t x, y;
        std::optional<Direction> direction;
        int angle;
    };
    const std::vector<Row> rows{
        {0, 0, std::nullopt, 0},
        {10, 0, Direction::right, 0},
        {-10, 3, Direction::left, 16},
        {5, 5, Direction::down, 45},
        {-5, -5, Direction::up, 45},
        {3, -10, Direction::up, 16},
        {std::numeric_limits<std::int64_t>::min(), 0, Direction::left, 0},
    };
    for (const Row& row : rows) {
        const auto found = scrollDirection(row.x, row.y);
        ASSERT_EQ(found.has_value(), row.direction.has_value()) << row.x << ", " << row.y;
        if (found) {
            EXPECT_EQ(found->direction, *row.direction);
            EXPECT_EQ(found->angle, row.angle);
        }
    }
}

TEST_F(TrackpadEngineTest, RestingFingersAddRestedOnlyWithTapAndHold) {
    for (const bool tapAndHold : {true, false}) {
        SCOPED_TRACE(tapAndHold);
        writeValue(Keys::tapAndHold(), tapAndHold);
        const auto engine = makeEngine();
        engine->handleEvent(scrollEvent(0, 0), NSEventPhase::mayBegin);
        scheduler().advance(0.059);
        EXPECT_TRUE(gesture->phases().empty());
        scheduler().advance(0.001);
        EXPECT_EQ(gesture->phases(),
                  tapAndHold ? std::vector{Phase::rested} : std::vector<Phase>{});
    }
}

TEST_F(TrackpadEngineTest, HoldingStillCancelsOnlyAGestureWithAnAction) {
    for (const bool proposes : {true, false}) {
        SCOPED_TRACE(proposes);
        standIns.resolver->propose = proposes;
        const auto engine = makeEngine();
        for (int i = 0; i < 4; ++i)
            engine->handleEvent(scrollEvent(-10, 0), NSEventPhase::changed);
        EXPECT_EQ(gesture->action().has_value(), proposes);
        // A modifier change re-arms the timer as movement does.
        scheduler().advance(0.7);
        engine->updateModifiers(scrollEvent(0, 0));
        scheduler().advance(0.799);
        EXPECT_FALSE(gesture->isCancelled());
        scheduler().advance(0.001);
        EXPECT_EQ(gesture->isCancelled(), proposes);
    }
}

TEST_F(TrackpadEngineTest, PinchesCountAboveTheThresholdAndDoubleTapsAndLiftsAddTheirPhases) {
    const auto engine = makeEngine();
    for (int i = 0; i < 20; ++i)
        engine->handleEvent(gestureEvent(platform::NSEventType::magnify, 0.002),
                            NSEventPhase::changed);
    EXPECT_EQ(engine->eventCounter(), 0);
    scheduler().advance(1);
    EXPECT_TRUE(gesture->phases().empty());

    for (int i = 0; i < 8; ++i)
        engine->handleEvent(gestureEvent(platform::NSEventType::magnify, 0.01),
                            NSEventPhase::changed);
    for (int i = 0; i < 12; ++i)
        engine->handleEvent(gestureEvent(platform::NSEventType::magnify, -0.01),
                            NSEventPhase::changed);
    EXPECT_EQ(gesture->directions(), (std::vector{Direction::outwards, Direction::inwards}));
    scheduler().advance(0.06);
    engine->handleEvent(gestureEvent(platform::NSEventType::smartMagnify), NSEventPhase::began);
    engine->handleEvent(gestureEvent(platform::NSEventType::smartMagnify), NSEventPhase::ended);
    EXPECT_EQ(gesture->phases(), (std::vector{Phase::zoomed, Phase::zoomed, Phase::paused,
                                              Phase::tapped, Phase::released}));
}

TEST_F(TrackpadEngineTest, ModifierChangesSetTheRolesAndResolveAgainUnlessCancelled) {
    const auto engine = makeEngine();
    CGEvent flags = scrollEvent(0, 0);
    flags.flags = platform::CGEventFlags::maskSecondaryFn | platform::CGEventFlags::maskControl;
    const int before = standIns.resolver->runs;
    engine->updateModifiers(flags);
    EXPECT_EQ(gesture->modifiers(), (std::vector{Modifier::super, Modifier::general}));
    EXPECT_EQ(standIns.resolver->runs, before + 1);
    gesture->cancel();
    engine->updateModifiers(scrollEvent(0, 0));
    EXPECT_TRUE(gesture->modifiers().empty());
    EXPECT_EQ(standIns.resolver->runs, before + 1);
}

}  // namespace
}  // namespace zoral::engine::testing
