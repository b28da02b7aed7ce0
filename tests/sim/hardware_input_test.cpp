#include "sim/hardware_input.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/event_tap.h"
#include "platform/events.h"
#include "platform/key_codes.h"
#include "platform/run_loop.h"
#include "sim/event_taps.h"
#include "sim/hands.h"
#include "sim/input_devices.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::CGEvent;
using platform::CGEventFlags;
using platform::CGEventType;
using platform::NSEventPhase;
using platform::NSEventType;
namespace vk = platform::virtualKey;

// Every event of the common stream, as a listen-only tap sees it.
class HardwareInputTest : public zoral::testing::VirtualClockTest {
protected:
    HardwareInputTest() {
        tap = platform::eventTapCreate(platform::CGEventTapLocation::session,
                                       platform::CGEventTapPlacement::headInsertEventTap,
                                       platform::CGEventTapOptions::listenOnly,
                                       ~platform::CGEventMask{0},
                                       [this](CGEventType, const CGEvent& event) {
                                           seen.push_back(event);
                                           return std::optional(event);
                                       });
        source = platform::machPortCreateRunLoopSource(tap, 0);
        platform::RunLoop::main().addSource(source, platform::RunLoopMode::commonModes);
    }
    ~HardwareInputTest() override { platform::machPortInvalidate(tap); }

    void play(const std::vector<HardwareStep>& steps) {
        HardwareInput::of(*world).play(steps);
        scheduler().runFor(5);
        EXPECT_FALSE(HardwareInput::of(*world).isBusy());
    }

    // The stream in short: the toolkit type, then the scroll and momentum phases or the touch
    // phase, as in "scrollWheel 4/0".
    std::vector<std::string> shortly() const {
        std::vector<std::string> lines;
        for (const CGEvent& event : seen) {
            const NSEventType type = platform::toolkitType(event);
            std::string line = std::to_string(static_cast<int>(type));
            if (type == NSEventType::scrollWheel || type == NSEventType::magnify) {
                line += " " + std::to_string(static_cast<int>(event.phase)) + "/" +
                        std::to_string(static_cast<int>(event.momentumPhase));
            } else if (type == NSEventType::gesture) {
                line += " t" + std::to_string(static_cast<int>(event.touches.at(0).phase));
            }
            lines.push_back(line);
        }
        return lines;
    }

    ScopedWorld world;
    platform::CFMachPortRef tap;
    std::shared_ptr<platform::RunLoopSource> source;
    std::vector<CGEvent> seen;
};

TEST_F(HardwareInputTest, TrackpadStrokesGiveTheirTouchesPhasesAndMomentum) {
    struct Case {
        const char* name;
        HardwareStep step;
        std::vector<std::string> stream;
    };
    // 29 gesture (t1 began, t2 moved, t8 ended), 22 scrollWheel phase/momentum, 30 magnify,
    // 32 smart magnify.
    const std::vector<Case> cases{
        {"scroll with momentum",
         ScrollStroke{.moves = {{.travel = {-30, 0}, .events = 2}}, .momentumEvents = 2},
         {"29 t1", "29 t2", "22 1/0", "29 t2", "22 4/0", "29 t8", "22 8/0", "22 0/1", "22 0/4",
          "22 0/8"}},
        {"rest, then scroll",
         ScrollStroke{.moves = {{.travel = {0, 10}, .events = 1}}, .restBefore = 0.1},
         {"29 t1", "22 32/0", "29 t2", "22 1/0", "29 t8", "22 8/0"}},
        {"lift without motion",
         ScrollStroke{.restBefore = 0.1},
         {"29 t1", "22 32/0", "29 t8", "22 16/0"}},
        {"touch mouse",
         ScrollStroke{.moves = {{.travel = {0, 10}, .events = 1}}, .fromMouse = true},
         {"22 1/0", "22 8/0"}},
        {"scroll turning into a pinch",
         PinchStroke{.magnifications = {0.1, 0.1}},
         {"29 t1", "22 32/0", "22 16/0", "30 1/0", "30 4/0", "30 8/0"}},
        {"smart magnify", SmartMagnifyTap{}, {"32"}},
        {"wheel", WheelScroll{.lines = 2}, {"22 0/0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        play({c.step});
        EXPECT_EQ(shortly(), c.stream);
    }
}

TEST_F(HardwareInputTest, ScrollDeltasFollowTheFingersAndNaturalScrollingAndTheClock) {
    play({ScrollStroke{.moves = {{.travel = {-3, 1}, .events = 4}}}});
    std::vector<double> scrollTimes;
    for (const CGEvent& event : seen) {
        if (event.type != CGEventType::scrollWheel || event.phase == NSEventPhase::ended)
            continue;
        EXPECT_DOUBLE_EQ(event.scrollingDeltaX, -0.75);
        EXPECT_DOUBLE_EQ(event.scrollingDeltaY, 0.25);
        EXPECT_TRUE(event.isDirectionInvertedFromDevice);
        scrollTimes.push_back(event.timestamp);
    }
    ASSERT_EQ(scrollTimes.size(), 4U);
    for (std::size_t i = 1; i < scrollTimes.size(); ++i) {
        EXPECT_GE(scrollTimes[i] - scrollTimes[i - 1], 0.008 - 1e-9);
        EXPECT_LE(scrollTimes[i] - scrollTimes[i - 1], 0.016 + 1e-9);
    }

    seen.clear();
    HardwareInput::of(*world).setNaturalScrolling(false);
    play({ScrollStroke{.moves = {{.travel = {-3, 1}, .events = 1}}}, WheelScroll{.lines = 1}});
    EXPECT_DOUBLE_EQ(seen[2].scrollingDeltaX, 3);
    EXPECT_DOUBLE_EQ(seen[2].scrollingDeltaY, -1);
    EXPECT_FALSE(seen[2].isDirectionInvertedFromDevice);
    EXPECT_EQ(seen.back().scrollDeltaAxis1, -1);
    EXPECT_EQ(seen.back().scrollUnit, platform::CGScrollEventUnit::line);
}

// A description that gives its events' deltas and gaps gets exactly those; the gaps it leaves
// out follow the trackpad's cycle.
TEST_F(HardwareInputTest, GivenDeltasAndGapsAreTheEventsOwn) {
    play({ScrollStroke{
              .moves = {{.deltas = {{0, 4}, {0, 6}, {1, 2}}, .gaps = {0.05, 0.1}}},
              .liftAfter = 0.2,
              .momentumDeltas = {{0, 3}, {0, 1}},
              .momentumGaps = {0.03},
          },
          PinchStroke{.magnifications = {0.1, 0.2},
                      .restBefore = 0,
                      .gaps = {0.04, 0.06},
                      .liftAfter = 0.07}});
    struct Seen {
        double at;
        double dx;
        double dy;
        double magnification;
    };
    std::vector<Seen> events;
    for (const CGEvent& event : seen) {
        const NSEventType type = platform::toolkitType(event);
        if (type == NSEventType::scrollWheel || type == NSEventType::magnify) {
            events.push_back({event.timestamp, event.scrollingDeltaX, event.scrollingDeltaY,
                              event.magnification});
        }
    }
    // began, changed, changed, ended, momentum began, changed, ended; mayBegin, cancelled,
    // magnify began, changed, ended.
    ASSERT_EQ(events.size(), 12u);
    const double start = events[0].at;
    const std::vector<double> times{0,     0.1,   0.1 + 0.008, 0.308, 0.338, 0.338 + 0.012,
                                    0.366, 0.366, 0.366,       0.406, 0.466, 0.536};
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_NEAR(events[i].at - start, times[i], 1e-6) << i;
    EXPECT_EQ(events[1].dy, 6);
    EXPECT_EQ(events[2].dx, 1);
    EXPECT_EQ(events[4].dy, 3);
    EXPECT_EQ(events[5].dy, 1);
    EXPECT_EQ(events[9].magnification, 0.1);
    EXPECT_EQ(events[10].magnification, 0.2);
}

// The same description plays with the same timing however many plays came before it; a default
// pinch's rest with its first gap stays short of the shortest pause that counts as a rest.
TEST_F(HardwareInputTest, EachPlayStartsItsOwnTiming) {
    const auto gapsOf = [&](const HardwareStep& step) {
        seen.clear();
        play({step});
        std::vector<double> gaps;
        for (std::size_t i = 1; i < seen.size(); ++i)
            gaps.push_back(seen[i].timestamp - seen[i - 1].timestamp);
        return gaps;
    };
    const HardwareStep scroll = ScrollStroke{.moves = {{.travel = {0, 10}, .events = 2}}};
    const auto first = gapsOf(scroll);
    (void)gapsOf(PinchStroke{.magnifications = {0.1}});
    const auto again = gapsOf(scroll);
    ASSERT_EQ(again.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_NEAR(again[i], first[i], 1e-6) << i;

    (void)gapsOf(PinchStroke{.magnifications = {0.1, 0.1}});
    ASSERT_EQ(seen.size(), 6u);
    // From the fingers' touch to the first magnification.
    EXPECT_LT(seen[3].timestamp - seen[0].timestamp, 0.04);
}

// One finger touches and lifts: one touch each time, and nothing scrolls.
TEST_F(HardwareInputTest, OneFingerContactsTouchWithOneFinger) {
    play({OneFingerContact{.holdFor = 0.3}});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(shortly(), (std::vector<std::string>{"29 t1", "29 t8"}));
    for (const CGEvent& event : seen)
        EXPECT_EQ(event.touches.size(), 1u);
    EXPECT_NEAR(seen[1].timestamp - seen[0].timestamp, 0.3, 1e-6);
}

// The hands that play the hardware's streams are the hands that scroll and drag: one scrolling
// direction (the one a world file sets) for both, and one queue that is busy while either has
// events to come.
TEST_F(HardwareInputTest, StreamsAndStrokesAreTheSameHands) {
    Hands& hands = Hands::of(*world);
    hands.setNaturalScrolling(false);
    HardwareInput::of(*world).play(ScrollStroke{.moves = {{.travel = {0, 10}, .events = 1}}});
    EXPECT_TRUE(hands.isBusy());
    scheduler().runFor(1);
    EXPECT_FALSE(hands.isBusy());
    // The stroke's first step is at once, its lift to come.
    hands.scrollStroke({0, 5}, 1);
    EXPECT_TRUE(hands.isBusy());
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[2].scrollingDeltaY, -10);
    EXPECT_FALSE(seen[2].isDirectionInvertedFromDevice);
    EXPECT_FALSE(seen[6].isDirectionInvertedFromDevice);
}

TEST_F(HardwareInputTest, KeysCarryTheKeyboardsBitsAndFnShiftsTheNavigationKeys) {
    const CGEventFlags keypad = CGEventFlags::maskNumericPad;
    const CGEventFlags fn = CGEventFlags::maskSecondaryFn;
    struct Case {
        CGEventFlags held;
        platform::CGKeyCode pressed;
        platform::CGKeyCode sent;
        CGEventFlags bits;
    };
    const std::vector<Case> cases{
        {{}, vk::leftArrow, vk::leftArrow, keypad | fn},
        {{}, vk::ansiW, vk::ansiW, {}},
        {fn, vk::leftArrow, vk::home, fn},
        {fn, vk::rightArrow, vk::end, fn},
        {fn, vk::upArrow, vk::pageUp, fn},
        {fn, vk::downArrow, vk::pageDown, fn},
        {fn, vk::delete_, vk::forwardDelete, fn},
        {fn, vk::return_, vk::keypadEnter, keypad | fn},
        {CGEventFlags::maskControl, vk::leftArrow, vk::leftArrow,
         keypad | fn | CGEventFlags::maskControl},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressed);
        play({ModifierChange{c.held}});
        seen.clear();
        play({KeyStroke{.keyCode = c.pressed, .repeats = 2}});
        ASSERT_EQ(seen.size(), 4U);
        EXPECT_EQ(seen[0].keyCode, c.sent);
        EXPECT_EQ(seen[0].flags & CGEventFlags::maskDeviceIndependent, c.bits);
        EXPECT_FALSE(seen[0].autorepeat);
        EXPECT_TRUE(seen[1].autorepeat);
        EXPECT_NEAR(seen[1].timestamp - seen[0].timestamp, HardwareInput::keyRepeatDelay, 1e-9);
        EXPECT_EQ(seen[3].type, CGEventType::keyUp);
        // The key's own bits stay with the key: the held flags are the modifiers'.
        EXPECT_EQ(
            InputDevices::of(*world).heldModifierFlags() & CGEventFlags::maskDeviceIndependent,
            c.held);
    }
}

TEST_F(HardwareInputTest, ModifierChangesSendOneEventPerKeyWithItsCodeAndDeviceBit) {
    play({ModifierChange{CGEventFlags::maskCommand | CGEventFlags::maskShift, true},
          ModifierChange{CGEventFlags::maskCommand, true}, ModifierChange{{}}});
    ASSERT_EQ(seen.size(), 4U);
    EXPECT_EQ(seen[0].keyCode, vk::rightShift);
    EXPECT_EQ(seen[0].flags, CGEventFlags::maskShift | CGEventFlags::maskDeviceRightShift |
                                 CGEventFlags::maskNonCoalesced);
    EXPECT_EQ(seen[1].keyCode, vk::rightCommand);
    EXPECT_TRUE(seen[1].flags.contains(CGEventFlags::maskCommand | CGEventFlags::maskShift |
                                       CGEventFlags::maskDeviceRightCommand));
    EXPECT_EQ(seen[2].keyCode, vk::rightShift);
    EXPECT_EQ(seen[2].flags, CGEventFlags::maskCommand | CGEventFlags::maskDeviceRightCommand |
                                 CGEventFlags::maskNonCoalesced);
    EXPECT_EQ(seen[3].flags, CGEventFlags::maskNonCoalesced);
    EXPECT_TRUE(InputDevices::of(*world).heldModifierFlags().isEmpty());
}

}  // namespace
}  // namespace zoral::sim
