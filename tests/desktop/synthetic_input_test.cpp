#include "desktop/synthetic_input.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/key.h"
#include "platform/scheduler.h"
#include "sim/input_devices.h"
#include "sim/journal.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::CGEventFlags;
using platform::CGEventTapLocation;
using platform::CGEventType;
using platform::CGPoint;
using sim::PostedEvent;

constexpr CGEventFlags shift = CGEventFlags::maskShift;
constexpr CGEventFlags command = CGEventFlags::maskCommand;
constexpr CGEventFlags capsLock = CGEventFlags::maskAlphaShift;
constexpr CGEventFlags nonCoalesced = CGEventFlags::maskNonCoalesced;

TEST(Key, CodesAndNamesFollowTheTable) {
    EXPECT_EQ(keyFromCode(116), Key::pageUp);
    EXPECT_EQ(keyFromCode(76), Key::enter);
    EXPECT_EQ(keyFromCode(36), Key::return_);
    EXPECT_EQ(keyFromCode(18), std::nullopt);
    EXPECT_EQ(platform::caseName(Key::return_), "return");
    EXPECT_EQ(platform::caseName(Key::delete_), "delete");
    // Every key's own code leads back to it, and no two keys share a code.
    for (const Key key : platform::allCases<Key>()) {
        EXPECT_EQ(keyFromCode(keyCode(key)), key) << key;
        EXPECT_TRUE(keyCodes(key).contains(keyCode(key))) << key;
    }
}

TEST(Key, RecognisedCodesIncludeTheFnVariants) {
    using Codes = std::set<platform::CGKeyCode>;
    struct Case {
        Key key;
        Codes codes;
    };
    const Case cases[] = {
        {Key::return_, {36, 76}},     {Key::delete_, {51, 117}},    {Key::arrowUp, {126, 116}},
        {Key::arrowDown, {125, 121}}, {Key::arrowLeft, {123, 115}}, {Key::arrowRight, {124, 119}},
        {Key::enter, {76}},           {Key::pageUp, {116}},         {Key::escape, {53}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyCodes(c.key), c.codes) << c.key;
}

TEST(ModifierFlagRule, ClearsHeldModifiersKeepsTheRestAndMarksNonCoalesced) {
    struct Case {
        const char* what;
        CGEventFlags carried;
        CGEventFlags requested;
        CGEventFlags expected;
    };
    const Case cases[] = {
        {"nothing held", {}, {}, nonCoalesced},
        {"a held shift is stripped", shift, command, command | nonCoalesced},
        {"a requested shift stays", shift, shift | command, shift | command | nonCoalesced},
        {"caps lock stays", capsLock | shift, {}, capsLock | nonCoalesced},
        {"every owned modifier goes", CGEventFlags(0x9E0000), {}, nonCoalesced},
        {"numeric pad and help stay",
         CGEventFlags(0x600000) | command,
         {},
         CGEventFlags(0x600000) | nonCoalesced},
    };
    for (const Case& c : cases) {
        platform::CGEvent event;
        event.flags = c.carried;
        applyModifierFlags(event, c.requested);
        EXPECT_EQ(event.flags, c.expected) << c.what;
    }
}

class SyntheticInputTest : public zoral::testing::VirtualClockTest {
protected:
    std::vector<PostedEvent> posted() const { return sim::InputDevices::of(*world).postedEvents(); }
    sim::InputDevices& devices() { return sim::InputDevices::of(*world); }
    double now() const { return platform::uptimeSeconds(); }

    // (type, key code) of each posted keyboard event.
    std::vector<std::pair<CGEventType, platform::CGKeyCode>> keyOrder() const {
        std::vector<std::pair<CGEventType, platform::CGKeyCode>> order;
        for (const auto& p : posted())
            order.emplace_back(p.event.type, p.event.keyCode);
        return order;
    }

    sim::ScopedWorld world;
};

using States = std::vector<PressState>;
using Keys = std::vector<Key>;

TEST_F(SyntheticInputTest, ACombinationGoesDownInOrderAndUpInReverse) {
    // The user holds shift and has caps lock on.
    devices().setHeldModifierFlags(shift | capsLock);
    const double start = now();
    postKeyCombination(Keys{Key::command, Key::tab}, States{PressState::down, PressState::up},
                       command);

    using Order = std::vector<std::pair<CGEventType, platform::CGKeyCode>>;
    EXPECT_EQ(keyOrder(), (Order{{CGEventType::keyDown, 55},
                                 {CGEventType::keyDown, 48},
                                 {CGEventType::keyUp, 48},
                                 {CGEventType::keyUp, 55}}));
    const auto events = posted();
    for (std::size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].event.flags, command | capsLock | nonCoalesced);
        EXPECT_EQ(events[i].tap, CGEventTapLocation::hid);
        // Each event is followed by its pause, so they are 0.01 s apart.
        EXPECT_NEAR(events[i].time - start, 0.01 * static_cast<double>(i), 1e-9);
    }
    EXPECT_NEAR(now() - start, 0.04, 1e-9);
}

TEST_F(SyntheticInputTest, DownAloneHoldsAndUpAloneReleases) {
    postKeyCombination(Keys{Key::command}, States{PressState::down});
    using Order = std::vector<std::pair<CGEventType, platform::CGKeyCode>>;
    EXPECT_EQ(keyOrder(), (Order{{CGEventType::keyDown, 55}}));
    postKeyCombination(Keys{Key::command}, States{PressState::up});
    EXPECT_EQ(keyOrder(), (Order{{CGEventType::keyDown, 55}, {CGEventType::keyUp, 55}}));
}

TEST_F(SyntheticInputTest, StatesWithoutDownOrUpPostNothingAndTakeNoTime) {
    const double start = now();
    const std::vector<platform::CGKeyCode> codes{13};
    for (const States& states : {States{}, States{PressState::move}, States{PressState::drag}})
        postKeys(codes, states, command);
    EXPECT_TRUE(posted().empty());
    EXPECT_EQ(now(), start);
}

TEST_F(SyntheticInputTest, KeysGoToTheProcessWhenOneIsGiven) {
    postKeys(std::vector<platform::CGKeyCode>{13}, States{PressState::down, PressState::up},
             command, 4242);
    const auto events = posted();
    ASSERT_EQ(events.size(), 2u);
    for (const auto& p : events) {
        EXPECT_EQ(p.tap, std::nullopt);
        EXPECT_EQ(p.event.targetPid, 4242);
    }
}

TEST_F(SyntheticInputTest, EventsThatCannotBeMadeAreSkippedWithoutTheirPause) {
    devices().setEventCreationFails(true);
    const double start = now();
    postKeyCombination(Keys{Key::command, Key::letterW}, States{PressState::down, PressState::up});
    postMouseDrag({0, 0}, {10, 0}, 0.005);
    EXPECT_TRUE(posted().empty());
    EXPECT_EQ(now(), start);
}

TEST_F(SyntheticInputTest, ADragPostsOneStepPerPointBothEndsIncluded) {
    devices().setHeldModifierFlags(shift);
    const CGPoint start{100, 200};
    const double begin = now();
    postMouseDrag(start, {30, -10}, 0.002);

    const auto events = posted();
    ASSERT_EQ(events.size(), 33u);
    EXPECT_EQ(events.front().event.type, CGEventType::leftMouseDown);
    EXPECT_EQ(events.front().event.location, start);
    for (std::size_t i = 1; i <= 31; ++i) {
        SCOPED_TRACE(i);
        const double fraction = static_cast<double>(i - 1) / 30.0;
        EXPECT_EQ(events[i].event.type, CGEventType::leftMouseDragged);
        EXPECT_DOUBLE_EQ(events[i].event.location.x, 100 + fraction * 30);
        EXPECT_DOUBLE_EQ(events[i].event.location.y, 200 - fraction * 10);
    }
    EXPECT_EQ(events[31].event.location, (CGPoint{130, 190}));
    EXPECT_EQ(events.back().event.type, CGEventType::leftMouseUp);
    EXPECT_EQ(events.back().event.location, (CGPoint{130, 190}));
    for (const auto& p : events) {
        EXPECT_EQ(p.event.flags, nonCoalesced);
        EXPECT_EQ(p.event.mouseButton, platform::CGMouseButton::left);
        EXPECT_EQ(p.tap, CGEventTapLocation::hid);
    }
    // The press's and release's pauses, and one step delay per drag event.
    EXPECT_NEAR(now() - begin, 0.02 + 31 * 0.002, 1e-9);
}

TEST_F(SyntheticInputTest, DragsShorterThanAPointOrNotFiniteOrHuge) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        CGPoint start;
        CGPoint delta;
        std::size_t dragEvents;
    };
    const Case cases[] = {
        {"shorter than a point: one step at the start", {50, 50}, {0.4, -0.9}, 1},
        {"no movement at all", {50, 50}, {0, 0}, 1},
        {"a delta that is not a number", {50, 50}, {nan, 3}, 0},
        {"an infinite delta", {50, 50}, {3, -inf}, 0},
        {"a start that is not finite", {inf, 50}, {3, 3}, 0},
        {"a huge delta, bounded", {0, 0}, {1e300, 0}, static_cast<std::size_t>(maxDragSteps) + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        devices().resetPostedEvents();
        postMouseDrag(c.start, c.delta, 0);
        const auto events = posted();
        if (c.dragEvents == 0) {
            EXPECT_TRUE(events.empty());
            continue;
        }
        // The journal counts every event and keeps the details of the latest only.
        const auto total =
            static_cast<std::size_t>(sim::Journal::of(*world).countOf<sim::PostedEvent>());
        ASSERT_EQ(total, c.dragEvents + 2);
        const std::size_t dropped = total - events.size();
        if (dropped == 0) {
            EXPECT_EQ(events[1].event.location, c.start);
        }
        const CGPoint end{c.start.x + c.delta.x, c.start.y + c.delta.y};
        EXPECT_EQ(events[c.dragEvents - dropped].event.location, c.dragEvents == 1 ? c.start : end);
        EXPECT_EQ(events.back().event.location, end);
    }
}

}  // namespace
}  // namespace zoral::desktop
