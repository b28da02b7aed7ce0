#include "sim/event_taps.h"

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/event_tap.h"
#include "platform/events.h"
#include "platform/key_codes.h"
#include "platform/run_loop.h"
#include "platform/scheduler.h"
#include "sim/hardware_input.h"
#include "sim/input_pipeline.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CFMachPortRef;
using platform::CGEvent;
using platform::CGEventTapOptions;
using platform::CGEventTapPlacement;
using platform::CGEventType;

}  // namespace

void PrintTo(TapOutcome outcome, std::ostream* stream) {
    *stream << tapOutcomeName(outcome);
}

namespace {

constexpr platform::CGEventMask keyMask =
    platform::eventMaskBit(CGEventType::keyDown) | platform::eventMaskBit(CGEventType::keyUp);

// A world whose system key handler notes every key event that gets past the taps.
class EventTapsTest : public zoral::testing::VirtualClockTest {
protected:
    EventTapsTest() {
        world->addProcess(5, "org.example.editor", "Editor");
        InputPipeline::of(*world).addSystemKeyHandler([this](World&, const CGEvent& event) {
            arrived.push_back(event);
            return false;
        });
    }
    ~EventTapsTest() override {
        for (const CFMachPortRef tap : EventTaps::of(*world).liveTaps())
            platform::machPortInvalidate(tap);
    }

    // A tap served on the main run loop, as the program makes one.
    CFMachPortRef makeTap(platform::CGEventTapCallBack callback,
                          CGEventTapOptions options = CGEventTapOptions::defaultTap,
                          CGEventTapPlacement placement = CGEventTapPlacement::headInsertEventTap,
                          platform::CGEventMask mask = keyMask) {
        const CFMachPortRef tap = platform::eventTapCreate(
            platform::CGEventTapLocation::session, placement, options, mask, std::move(callback));
        if (tap) {
            sources.push_back(platform::machPortCreateRunLoopSource(tap, 0));
            platform::RunLoop::main().addSource(sources.back(), platform::RunLoopMode::commonModes);
        }
        return tap;
    }

    void press(platform::CGKeyCode code) {
        HardwareInput::of(*world).play(KeyStroke{.keyCode = code});
        scheduler().runFor(0.2);
    }

    std::vector<TapOutcome> outcomes(CFMachPortRef tap) const {
        std::vector<TapOutcome> found;
        for (const TapRecord& record : EventTaps::of(*world).records(tap))
            found.push_back(record.outcome);
        return found;
    }

    ScopedWorld world;
    std::vector<CGEvent> arrived;
    std::vector<std::shared_ptr<platform::RunLoopSource>> sources;
};

TEST_F(EventTapsTest, AnActiveTapDeliversSwallowsOrReplacesAndAListenOnlyTapOnlyLooks) {
    // The head tap swallows A, turns S into D and passes the rest; the listener behind it sees
    // what the head let through, and its own "swallow" changes nothing.
    const CFMachPortRef head =
        makeTap([](CGEventType, const CGEvent& event) -> std::optional<CGEvent> {
            if (event.keyCode == platform::virtualKey::ansiA)
                return std::nullopt;
            if (event.keyCode == platform::virtualKey::ansiS) {
                CGEvent replaced = event;
                replaced.keyCode = platform::virtualKey::ansiD;
                return replaced;
            }
            return event;
        });
    std::vector<platform::CGKeyCode> listened;
    const CFMachPortRef listener = makeTap(
        [&](CGEventType, const CGEvent& event) -> std::optional<CGEvent> {
            listened.push_back(event.keyCode);
            return std::nullopt;
        },
        CGEventTapOptions::listenOnly, CGEventTapPlacement::tailAppendEventTap);
    ASSERT_TRUE(head);
    ASSERT_TRUE(listener);

    press(platform::virtualKey::ansiA);
    press(platform::virtualKey::ansiS);
    press(platform::virtualKey::ansiW);

    using enum TapOutcome;
    EXPECT_EQ(outcomes(head),
              (std::vector{swallowed, swallowed, replaced, replaced, delivered, delivered}));
    EXPECT_EQ(outcomes(listener), (std::vector<TapOutcome>(4, observed)));
    EXPECT_EQ(listened, (std::vector<platform::CGKeyCode>{2, 2, 13, 13}));
    ASSERT_EQ(arrived.size(), 4U);
    EXPECT_EQ(arrived[0].keyCode, platform::virtualKey::ansiD);
    EXPECT_EQ(arrived[2].keyCode, platform::virtualKey::ansiW);
}

TEST_F(EventTapsTest, OnlyMaskedEventsOfTheCommonStreamReachTheTap) {
    std::vector<CGEventType> seen;
    const CFMachPortRef tap = makeTap([&](CGEventType type, const CGEvent& event) {
        seen.push_back(type);
        return std::optional<CGEvent>(event);
    });
    HardwareInput::of(*world).play(
        {ModifierChange{platform::CGEventFlags::maskShift}, KeyStroke{.keyCode = 0}});
    scheduler().runFor(0.2);
    // Posted to one process: straight to it, past every tap.
    CGEvent posted = *platform::eventCreateKeyboardEvent(1, true);
    platform::eventPostToPid(5, posted);
    platform::eventPost(platform::CGEventTapLocation::hid, posted);
    EXPECT_EQ(seen, (std::vector{CGEventType::keyDown, CGEventType::keyUp, CGEventType::keyDown}));
    EXPECT_EQ(EventTaps::of(*world).records(tap).size(), 3U);
}

TEST_F(EventTapsTest, CreationFailsAsTheWorldSaysAndActiveTapsNeedThePermission) {
    EventTaps::of(*world).setCreationFails(true);
    EXPECT_FALSE(makeTap([](CGEventType, const CGEvent& e) { return std::optional(e); }));
    EventTaps::of(*world).setCreationFails(false);
    world->setTrusted(false);
    EXPECT_FALSE(makeTap([](CGEventType, const CGEvent& e) { return std::optional(e); }));
    EXPECT_TRUE(makeTap([](CGEventType, const CGEvent& e) { return std::optional(e); },
                        CGEventTapOptions::listenOnly));
    EXPECT_FALSE(platform::eventTapCreate(
        platform::CGEventTapLocation::hid, CGEventTapPlacement::headInsertEventTap,
        CGEventTapOptions::listenOnly, keyMask,
        [](CGEventType, const CGEvent& e) { return std::optional(e); }));
}

TEST_F(EventTapsTest, AnInvalidatedOrUnservedTapIsNeverCalled) {
    int calls = 0;
    const CFMachPortRef tap = makeTap([&](CGEventType, const CGEvent&) {
        ++calls;
        return std::optional<CGEvent>();
    });
    platform::machPortInvalidate(tap);
    EXPECT_FALSE(platform::machPortIsValid(tap));
    EXPECT_FALSE(sources.back()->isValid());
    press(platform::virtualKey::ansiA);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(arrived.size(), 2U);
    EXPECT_TRUE(EventTaps::of(*world).liveTaps().empty());

    // A tap whose source is on no run loop keeps the window server waiting in vain.
    const CFMachPortRef unserved = platform::eventTapCreate(
        platform::CGEventTapLocation::session, CGEventTapPlacement::headInsertEventTap,
        CGEventTapOptions::defaultTap, keyMask, [&](CGEventType, const CGEvent&) {
            ++calls;
            return std::optional<CGEvent>();
        });
    press(platform::virtualKey::ansiA);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(outcomes(unserved), (std::vector{TapOutcome::timedOut, TapOutcome::missed}));
    EXPECT_FALSE(platform::eventTapIsEnabled(unserved));
    platform::machPortInvalidate(unserved);
}

// A callback that reads the application's role once per event, each read taking the world's
// latency; it re-enables the tap when told that it was disabled.
struct SlowCallback {
    std::vector<CGEventType> types;
    CFMachPortRef tap;
    std::optional<CGEvent> operator()(CGEventType type, const CGEvent& event) {
        types.push_back(type);
        if (type == CGEventType::tapDisabledByTimeout ||
            type == CGEventType::tapDisabledByUserInput) {
            platform::eventTapEnable(tap, true);
            return event;
        }
        (void)ax::copyAttributeValue(ax::createApplication(5), "AXRole");
        return std::nullopt;
    }
};

TEST_F(EventTapsTest, ACallbackSlowerThanTheTimeOutDisablesTheTapUntilTheProgramEnablesIt) {
    auto callback = std::make_shared<SlowCallback>();
    const CFMachPortRef tap = makeTap(
        [callback](CGEventType type, const CGEvent& event) { return (*callback)(type, event); });
    callback->tap = tap;
    EventTaps::of(*world).setTimeout(0.05);
    world->setLatency(0.04);

    // Within the limit: swallowed, one round trip counted.
    press(platform::virtualKey::ansiA);
    world->setLatency(0.06);
    // Beyond it: the window server gives up and passes the key on; the notice that follows on
    // the main queue re-enables the tap, each time.
    HardwareInput::of(*world).play(KeyStroke{.keyCode = platform::virtualKey::ansiS});
    scheduler().runFor(0.3);
    world->setLatency(0);
    press(platform::virtualKey::ansiW);

    const auto records = EventTaps::of(*world).records(tap);
    using enum TapOutcome;
    std::vector<TapOutcome> expected{swallowed, swallowed, timedOut,  notice,
                                     timedOut,  notice,    swallowed, swallowed};
    EXPECT_EQ(outcomes(tap), expected);
    EXPECT_EQ(records[0].roundTrips, 1);
    EXPECT_NEAR(records[2].seconds, 0.05, 1e-9);
    EXPECT_EQ(records[3].type, CGEventType::tapDisabledByTimeout);
    ASSERT_EQ(arrived.size(), 2U);
    EXPECT_EQ(arrived[0].keyCode, platform::virtualKey::ansiS);
}

TEST_F(EventTapsTest, EventsMissedWhileDisabledByUserInputGoOnUntouched) {
    auto callback = std::make_shared<SlowCallback>();
    const CFMachPortRef tap = makeTap(
        [callback](CGEventType type, const CGEvent& event) { return (*callback)(type, event); });
    callback->tap = tap;
    EventTaps::of(*world).disableByUserInput();
    // Before the notice reaches the main queue, the hardware's events pass by.
    CGEvent key = *platform::eventCreateKeyboardEvent(0, true);
    InputPipeline::of(*world).enter({.event = key});
    scheduler().runUntilIdle();
    press(platform::virtualKey::ansiA);
    using enum TapOutcome;
    EXPECT_EQ(outcomes(tap), (std::vector{missed, notice, swallowed, swallowed}));
    EXPECT_EQ(callback->types.front(), CGEventType::tapDisabledByUserInput);
    EXPECT_EQ(arrived.size(), 1U);
}

TEST_F(EventTapsTest, EventsPostedFromInsideTheCallbackWaitForTheOneOnItsWay) {
    std::vector<platform::CGKeyCode> order;
    const CFMachPortRef tap = makeTap([&](CGEventType, const CGEvent& event) {
        order.push_back(event.keyCode);
        if (event.keyCode == platform::virtualKey::ansiA && event.type == CGEventType::keyDown) {
            platform::eventPost(
                platform::CGEventTapLocation::hid,
                *platform::eventCreateKeyboardEvent(platform::virtualKey::ansiQ, true));
            order.push_back(0xFF);
        }
        return std::optional<CGEvent>(event);
    });
    ASSERT_TRUE(tap);
    CGEvent key = *platform::eventCreateKeyboardEvent(platform::virtualKey::ansiA, true);
    InputPipeline::of(*world).enter({.event = key});
    EXPECT_EQ(order, (std::vector<platform::CGKeyCode>{platform::virtualKey::ansiA, 0xFF,
                                                       platform::virtualKey::ansiQ}));
    ASSERT_EQ(arrived.size(), 2U);
    EXPECT_EQ(arrived[0].keyCode, platform::virtualKey::ansiA);
}

TEST_F(EventTapsTest, ALongRunCountsEveryEventAndKeepsTheLatestDetails) {
    const CFMachPortRef tap = makeTap([](CGEventType, const CGEvent& event) { return event; },
                                      CGEventTapOptions::listenOnly);
    ASSERT_TRUE(tap);
    // Key down and up for each stroke: past the records kept, by a few strokes.
    constexpr std::size_t strokes = EventTaps::keptRecords / 2 + 3;
    std::vector<HardwareStep> steps;
    for (std::size_t index = 0; index < strokes; ++index)
        steps.push_back(KeyStroke{.keyCode = index + 1 == strokes ? platform::virtualKey::ansiW
                                                                  : platform::virtualKey::ansiA});
    scheduler().runFor(HardwareInput::of(*world).play(steps) + 0.2);

    EventTaps& taps = EventTaps::of(*world);
    EXPECT_EQ(taps.outcomeCount(TapOutcome::observed), static_cast<std::int64_t>(strokes * 2));
    const auto records = taps.records(tap);
    ASSERT_EQ(records.size(), EventTaps::keptRecords);
    EXPECT_EQ(records.back().event.keyCode, platform::virtualKey::ansiW);
    EXPECT_LT(records.front().time, records.back().time);
    taps.clearRecords();
    EXPECT_EQ(taps.outcomeCount(TapOutcome::observed), 0);
    EXPECT_TRUE(taps.records().empty());
}

}  // namespace
}  // namespace zoral::sim
