#include "sim/input_devices.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/scheduler.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::CGEvent;
using platform::CGEventFlags;
using platform::CGEventTapLocation;
using platform::CGEventType;
using platform::CGMouseButton;
using platform::CGPoint;

class InputDevicesTest : public zoral::testing::VirtualClockTest {
protected:
    InputDevices& devices() { return InputDevices::of(*world); }

    ScopedWorld world;
};

TEST_F(InputDevicesTest, NewEventsCarryThePointerTheHeldFlagsAndTheTime) {
    devices().movePointer({300, 40});
    devices().setHeldModifierFlags(CGEventFlags::maskShift | CGEventFlags::maskAlphaShift);
    scheduler().advance(2.5);

    const auto empty = platform::eventCreate();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, CGEventType::null);
    EXPECT_EQ(empty->location, (CGPoint{300, 40}));
    EXPECT_EQ(empty->flags, CGEventFlags(0x30000));
    EXPECT_DOUBLE_EQ(empty->timestamp, platform::uptimeSeconds());

    const auto key = platform::eventCreateKeyboardEvent(13, false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->type, CGEventType::keyUp);
    EXPECT_EQ(key->keyCode, 13);
    EXPECT_EQ(key->location, (CGPoint{300, 40}));

    // A mouse event is where it is told to be, not where the pointer is.
    const auto mouse =
        platform::eventCreateMouseEvent(CGEventType::otherMouseDown, {5, 6}, CGMouseButton::center);
    ASSERT_TRUE(mouse);
    EXPECT_EQ(mouse->location, (CGPoint{5, 6}));
    EXPECT_EQ(mouse->mouseButton, CGMouseButton::center);

    const auto scroll =
        platform::eventCreateScrollWheelEvent(platform::CGScrollEventUnit::line, -3, 1);
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->type, CGEventType::scrollWheel);
    EXPECT_EQ(scroll->scrollDeltaAxis1, -3);
    EXPECT_EQ(scroll->scrollDeltaAxis2, 1);
}

TEST_F(InputDevicesTest, RecordsEachPostWithItsTimeAndTargetUntilReset) {
    auto down = *platform::eventCreateKeyboardEvent(55, true);
    down.flags = CGEventFlags(0x100100);
    platform::eventPost(CGEventTapLocation::hid, down);
    scheduler().advance(0.25);
    auto up = *platform::eventCreateKeyboardEvent(55, false);
    up.targetPid = 99;  // a stale target: posting to the stream names none
    platform::eventPost(CGEventTapLocation::session, up);
    scheduler().advance(0.25);
    platform::eventPostToPid(42, *platform::eventCreateKeyboardEvent(13, true));

    const auto posted = devices().postedEvents();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_DOUBLE_EQ(posted[1].time - posted[0].time, 0.25);
    EXPECT_DOUBLE_EQ(posted[2].time - posted[1].time, 0.25);
    EXPECT_EQ(posted[0].event, down);
    EXPECT_EQ(posted[0].tap, CGEventTapLocation::hid);
    EXPECT_EQ(posted[1].tap, CGEventTapLocation::session);
    EXPECT_EQ(posted[1].event.targetPid, std::nullopt);
    EXPECT_EQ(posted[2].tap, std::nullopt);
    EXPECT_EQ(posted[2].event.targetPid, 42);
    EXPECT_EQ(posted[2].event.keyCode, 13);

    devices().resetPostedEvents();
    EXPECT_TRUE(devices().postedEvents().empty());
}

TEST_F(InputDevicesTest, PostingMovesNothingYetAndTellsThePostHandlers) {
    std::vector<CGEventType> seen;
    devices().addPostHandler([&](const PostedEvent& posted) {
        // The record already holds the event when a handler runs.
        EXPECT_EQ(devices().postedEvents().back(), posted);
        seen.push_back(posted.event.type);
    });
    devices().movePointer({10, 10});
    platform::eventPost(CGEventTapLocation::hid,
                        *platform::eventCreateMouseEvent(CGEventType::leftMouseDown, {500, 500},
                                                         CGMouseButton::left));
    EXPECT_EQ(seen, std::vector<CGEventType>{CGEventType::leftMouseDown});
    EXPECT_EQ(platform::eventCreate()->location, (CGPoint{10, 10}));
    EXPECT_EQ(platform::pressedMouseButtons(), 0u);
}

TEST_F(InputDevicesTest, WarpMovesThePointerAndRefusesPointsThatAreNotFinite) {
    EXPECT_EQ(platform::warpMouseCursorPosition({640, 360}), platform::CGError::success);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(platform::warpMouseCursorPosition({nan, 1}), platform::CGError::illegalArgument);
    EXPECT_EQ(platform::warpMouseCursorPosition({1, inf}), platform::CGError::illegalArgument);

    EXPECT_EQ(platform::eventCreate()->location, (CGPoint{640, 360}));
    EXPECT_EQ(devices().warps(), std::vector<CGPoint>{(CGPoint{640, 360})});
    EXPECT_TRUE(devices().postedEvents().empty());
}

TEST_F(InputDevicesTest, HeldButtonsFlagsAndFailingCreationAreTheWorlds) {
    devices().setPressedMouseButtons(0b101);
    devices().setHeldModifierFlags(CGEventFlags::maskCommand);
    EXPECT_EQ(platform::pressedMouseButtons(), 0b101u);
    EXPECT_EQ(platform::eventSourceFlagsState(), CGEventFlags::maskCommand);

    devices().setEventCreationFails(true);
    EXPECT_FALSE(platform::eventCreate());
    EXPECT_FALSE(platform::eventCreateKeyboardEvent(1, true));
    EXPECT_FALSE(platform::eventCreateMouseEvent(CGEventType::mouseMoved, {}, CGMouseButton::left));
    EXPECT_FALSE(platform::eventCreateScrollWheelEvent(platform::CGScrollEventUnit::pixel, 1, 0));

    // Another world starts with nothing held.
    ScopedWorld other;
    EXPECT_EQ(platform::pressedMouseButtons(), 0u);
    EXPECT_TRUE(platform::eventCreate());
}

}  // namespace
}  // namespace zoral::sim
