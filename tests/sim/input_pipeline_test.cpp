#include "sim/input_pipeline.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/hot_keys.h"
#include "platform/key_codes.h"
#include "platform/scheduler.h"
#include "platform/workspace.h"
#include "sim/displays.h"
#include "sim/hands.h"
#include "sim/hot_keys.h"
#include "sim/input_devices.h"
#include "sim/journal.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
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

// A tap that remembers what passed it, and may swallow or replace events of one type.
class RecordingTap : public EventTap {
public:
    std::optional<CGEvent> filter(const CGEvent& event) override {
        seen.push_back(event);
        if (event.type == swallowed)
            return std::nullopt;
        if (event.type == replaced) {
            CGEvent other = event;
            other.keyCode = replacementKey;
            return other;
        }
        return event;
    }

    std::vector<CGEvent> seen;
    CGEventType swallowed = CGEventType::null;
    CGEventType replaced = CGEventType::null;
    platform::CGKeyCode replacementKey = 0;
};

class InputPipelineTest : public zoral::testing::VirtualClockTest {
protected:
    InputPipelineTest() {
        Displays::of(*world).setDisplays({Display{.number = 1, .frame = {0, 0, 1440, 900}}});
        world->addProcess(7, "org.example.editor", "Editor");
    }

    InputDevices& devices() { return InputDevices::of(*world); }
    InputPipeline& pipeline() { return InputPipeline::of(*world); }

    static void post(CGEventType type, CGPoint location, CGEventFlags flags = {},
                     CGEventTapLocation tap = CGEventTapLocation::hid) {
        auto event = *platform::eventCreateMouseEvent(type, location, CGMouseButton::left);
        event.flags = flags;
        platform::eventPost(tap, event);
    }
    static void postKey(platform::CGKeyCode code, bool down, CGEventFlags flags,
                        CGEventType type = CGEventType::null) {
        auto event = *platform::eventCreateKeyboardEvent(code, down);
        if (type != CGEventType::null)
            event.type = type;
        event.flags = flags;
        platform::eventPost(CGEventTapLocation::hid, event);
    }

    ScopedWorld world;
};

TEST_F(InputPipelineTest, APostedDragMovesThePointerAndHoldsTheButtonUntilItsRelease) {
    struct Step {
        CGEventType type;
        CGPoint location;
        std::uint64_t buttons;
    };
    const Step steps[] = {
        {CGEventType::mouseMoved, {10, 20}, 0},
        {CGEventType::leftMouseDown, {100, 200}, 1},
        {CGEventType::leftMouseDragged, {110, 230}, 1},
        {CGEventType::leftMouseDragged, {160, 260}, 1},
        {CGEventType::leftMouseUp, {170, 270}, 0},
    };
    for (const Step& step : steps) {
        post(step.type, step.location);
        EXPECT_EQ(devices().pointer(), step.location) << static_cast<int>(step.type);
        EXPECT_EQ(platform::pressedMouseButtons(), step.buttons) << static_cast<int>(step.type);
        // Both coordinate systems follow: the display is 900 points high.
        EXPECT_EQ(platform::mouseLocation(), (CGPoint{step.location.x, 900 - step.location.y}));
    }
    // Other buttons count apart; an event posted to one process moves nothing.
    auto middle = *platform::eventCreateMouseEvent(CGEventType::otherMouseDown, {5, 5},
                                                   CGMouseButton::center);
    platform::eventPost(CGEventTapLocation::hid, middle);
    EXPECT_EQ(platform::pressedMouseButtons(), 0b100u);
    platform::eventPostToPid(7, *platform::eventCreateMouseEvent(CGEventType::leftMouseDown,
                                                                 {600, 600}, CGMouseButton::left));
    EXPECT_EQ(platform::pressedMouseButtons(), 0b100u);
    EXPECT_EQ(devices().pointer(), (CGPoint{5, 5}));
}

TEST_F(InputPipelineTest, APostedModifierSetsTheFlagsThatNewEventsCarry) {
    postKey(platform::virtualKey::shift, true, CGEventFlags::maskShift | CGEventFlags(0x102),
            CGEventType::flagsChanged);
    // The flags as the key event carried them, the non-coalesced mark aside.
    EXPECT_EQ(platform::eventSourceFlagsState(), CGEventFlags::maskShift | CGEventFlags(0x2));
    EXPECT_EQ(platform::eventCreate()->flags, CGEventFlags::maskShift | CGEventFlags(0x2));
    // A mouse event's flags hold no key.
    post(CGEventType::mouseMoved, {1, 1}, CGEventFlags::maskCommand);
    EXPECT_EQ(platform::eventSourceFlagsState(), CGEventFlags::maskShift | CGEventFlags(0x2));
    postKey(platform::virtualKey::shift, false, {}, CGEventType::flagsChanged);
    EXPECT_TRUE(platform::eventSourceFlagsState().isEmpty());
}

// Only modifier keys hold modifiers: the flags a posted key carries are what the program chose to
// send with it, and a modifier key the program posts has no hand that a hand's key could outlast.
TEST_F(InputPipelineTest, PostedKeysHoldOnlyTheModifierKeysTheyPress) {
    namespace vk = platform::virtualKey;
    const CGEventFlags control = CGEventFlags::maskControl;
    const CGEventFlags command = CGEventFlags::maskCommand;
    const CGEventFlags fn = CGEventFlags::maskSecondaryFn;
    struct Key {
        platform::CGKeyCode code;
        bool down;
        CGEventFlags flags;
    };
    struct Row {
        const char* name;
        CGEventFlags hand;
        std::vector<Key> posted;
        CGEventFlags held;
    };
    const std::vector<Row> rows{
        {"a space move's Control-arrow",
         {},
         {{vk::leftArrow, true, control | fn}, {vk::leftArrow, false, control | fn}},
         {}},
        {"a key without flags while the hand holds shift",
         CGEventFlags::maskShift,
         {{vk::home, true, {}}, {vk::home, false, {}}},
         CGEventFlags::maskShift},
        {"Command posted down", {}, {{vk::command, true, {}}}, command},
        {"Command posted down, then Tab with it",
         {},
         {{vk::command, true, {}}, {vk::tab, true, command}, {vk::tab, false, command}},
         command},
        {"Command posted down and up", {}, {{vk::command, true, {}}, {vk::command, false, {}}}, {}},
        {"Command posted down and up while the hand holds Command",
         command,
         {{vk::command, true, {}}, {vk::command, false, {}}},
         command},
        {"the right Command posted down and up while the hand holds fn",
         fn,
         {{vk::rightCommand, true, {}}, {vk::rightCommand, false, {}}},
         fn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Hands::of(*world).holdModifiers(row.hand);
        for (const Key& key : row.posted)
            postKey(key.code, key.down, key.flags | CGEventFlags::maskNonCoalesced);
        EXPECT_EQ(platform::eventSourceFlagsState() & CGEventFlags::maskDeviceIndependent,
                  row.held);
        devices().setHeldModifierFlags({});
    }
}

TEST_F(InputPipelineTest, HardwareAndPostedEventsPassTheTapsInOneOrder) {
    auto tap = std::make_shared<RecordingTap>();
    pipeline().addTap(tap);
    Hands& hands = Hands::of(*world);
    hands.movePointer({1, 1});
    post(CGEventType::mouseMoved, {2, 2});
    hands.pressKey(platform::virtualKey::ansiA);
    postKey(platform::virtualKey::ansiB, true, {});
    // A tap that posts while an event passes: the new event waits for the one on its way.
    struct PostingTap : EventTap {
        bool posted = false;
        std::optional<CGEvent> filter(const CGEvent& event) override {
            if (!posted && event.type == CGEventType::keyUp) {
                posted = true;
                InputPipelineTest::post(CGEventType::mouseMoved, {3, 3});
            }
            return event;
        }
    };
    auto poster = std::make_shared<PostingTap>();
    pipeline().addTap(poster, true);
    hands.scroll({0, -4}, platform::NSEventPhase::began);
    postKey(platform::virtualKey::ansiB, false, {});

    std::vector<CGEventType> types;
    for (const CGEvent& event : tap->seen)
        types.push_back(event.type);
    EXPECT_EQ(types, (std::vector<CGEventType>{CGEventType::mouseMoved, CGEventType::mouseMoved,
                                               CGEventType::keyDown, CGEventType::keyUp,
                                               CGEventType::keyDown, CGEventType::scrollWheel,
                                               CGEventType::keyUp, CGEventType::mouseMoved}));
    EXPECT_EQ(tap->seen[0].location, (CGPoint{1, 1}));
    EXPECT_EQ(tap->seen[1].location, (CGPoint{2, 2}));
    EXPECT_EQ(tap->seen[2].keyCode, platform::virtualKey::ansiA);
    EXPECT_EQ(tap->seen[5].scrollingDeltaY, -4);
    EXPECT_EQ(tap->seen[5].phase, platform::NSEventPhase::began);
    // Only what the program posted is in the journal.
    EXPECT_EQ(devices().postedEvents().size(), 4u);
    pipeline().removeTap(*poster);
}

TEST_F(InputPipelineTest, TapsPassSwallowOrReplaceAndProcessEventsSkipThem) {
    auto first = std::make_shared<RecordingTap>();
    auto second = std::make_shared<RecordingTap>();
    pipeline().addTap(second);
    pipeline().addTap(first, true);
    first->replaced = CGEventType::keyDown;
    first->replacementKey = platform::virtualKey::ansiN;
    second->swallowed = CGEventType::keyUp;
    // Command-W would close a window; the first tap makes it Command-N, which opens one.
    auto application = world->process(7)->application;
    postKey(platform::virtualKey::ansiW, true, CGEventFlags::maskCommand);
    postKey(platform::virtualKey::ansiW, false, CGEventFlags::maskCommand);
    ASSERT_EQ(second->seen.size(), 2u);
    EXPECT_EQ(second->seen[0].keyCode, platform::virtualKey::ansiN) << "the first tap comes first";
    EXPECT_EQ(first->seen.size(), 2u);
    EXPECT_EQ(WindowServer::of(*world).windowsOf(7).size(), 1u);

    // Posted to the process, after the session's annotations, or with the tap removed: unseen.
    platform::eventPostToPid(7, *platform::eventCreateKeyboardEvent(13, true));
    post(CGEventType::mouseMoved, {9, 9}, {}, CGEventTapLocation::annotatedSession);
    pipeline().removeTap(*first);
    post(CGEventType::mouseMoved, {8, 8});
    EXPECT_EQ(first->seen.size(), 2u);
    EXPECT_EQ(second->seen.size(), 3u);
    EXPECT_EQ(devices().pointer(), (CGPoint{8, 8}));
}

// A registered hot key takes its keys after the taps and before the front application, from the
// user's keyboard and from the program's posted events alike; keys posted to a process, and keys a
// tap swallowed, never reach it.
TEST_F(InputPipelineTest, AHotKeyTakesItsKeysAfterTheTapsAndBeforeTheFrontApplication) {
    namespace carbon = platform::carbon;
    constexpr carbon::EventHotKeyID commandN{platform::fourCharCode("TEST"), 1};
    carbon::EventHotKeyRef ref;
    ASSERT_EQ(carbon::registerEventHotKey(platform::virtualKey::ansiN, carbon::cmdKey, commandN,
                                          carbon::getEventDispatcherTarget(), 0, &ref),
              carbon::noErr);
    const auto tap = std::make_shared<RecordingTap>();
    pipeline().addTap(tap);
    const auto windows = [&] { return WindowServer::of(*world).windowsOf(7).size(); };
    const auto delivered = [&] {
        scheduler().runUntilIdle();
        return HotKeys::of(*world).deliveries().size();
    };

    // The user's Command-N: the tap sees it, the hot key takes it, and Command-N opens nothing.
    Hands& hands = Hands::of(*world);
    hands.holdModifiers(CGEventFlags::maskCommand);
    hands.pressKey(platform::virtualKey::ansiN);
    hands.holdModifiers({});
    EXPECT_EQ(windows(), 0u) << "taken before the front application";
    EXPECT_EQ(delivered(), 2u) << "pressed and released";
    ASSERT_EQ(tap->seen.size(), 4u) << "Command down, N down, N up, Command up";
    EXPECT_EQ(tap->seen[1].keyCode, platform::virtualKey::ansiN);

    // Posted to the event stream: the same.
    postKey(platform::virtualKey::ansiN, true, CGEventFlags::maskCommand);
    postKey(platform::virtualKey::ansiN, false, CGEventFlags::maskCommand);
    EXPECT_EQ(windows(), 0u);
    EXPECT_EQ(delivered(), 4u);

    // A tap that swallows key downs keeps them from the hot key (and from everyone else).
    tap->swallowed = CGEventType::keyDown;
    postKey(platform::virtualKey::ansiN, true, CGEventFlags::maskCommand);
    postKey(platform::virtualKey::ansiN, false, CGEventFlags::maskCommand);
    EXPECT_EQ(delivered(), 4u);
    tap->swallowed = CGEventType::null;

    // Posted to the process: it alone sees it, and opens a window.
    auto event = *platform::eventCreateKeyboardEvent(platform::virtualKey::ansiN, true);
    event.flags = CGEventFlags::maskCommand;
    platform::eventPostToPid(7, event);
    EXPECT_EQ(windows(), 1u);
    EXPECT_EQ(delivered(), 4u);

    // Unregistered, Command-N is the front application's again.
    ASSERT_EQ(carbon::unregisterEventHotKey(ref), carbon::noErr);
    postKey(platform::virtualKey::ansiN, true, CGEventFlags::maskCommand);
    EXPECT_EQ(windows(), 2u);
    EXPECT_EQ(delivered(), 4u);
}

TEST_F(InputPipelineTest, ALeftPressActivatesTheApplicationAndRaisesOnlyItsWindow) {
    world->addProcess(8, "org.example.viewer", "Viewer");
    const auto add = [&](platform::ProcessId pid, std::int64_t number, platform::CGRect frame) {
        auto window = world->makeNode<WindowNode>(pid, number);
        window->moveTo(*world, frame.origin);
        window->resizeTo(*world, frame.size);
        world->process(pid)->application->appendChild(window);
        return window;
    };
    const auto editorBack = add(7, 70, {0, 100, 300, 300});
    const auto editorFront = add(7, 71, {600, 100, 300, 300});
    add(8, 80, {0, 100, 300, 300});
    ASSERT_EQ(workspace(*world).frontmost(*world), 8);

    // With Command held the window is not brought forward.
    post(CGEventType::leftMouseDown, {100, 300}, CGEventFlags::maskCommand);
    post(CGEventType::leftMouseUp, {100, 300});
    EXPECT_EQ(workspace(*world).frontmost(*world), 8);
    post(CGEventType::leftMouseDown, {700, 300});
    post(CGEventType::leftMouseUp, {700, 300});
    EXPECT_EQ(workspace(*world).frontmost(*world), 7);
    const auto order = WindowServer::of(*world).windows();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0].number, 71);
    EXPECT_EQ(order[1].number, 80) << "the editor's other window stays behind";
    EXPECT_EQ(order[2].number, editorBack->windowNumber());
    (void)editorFront;
}

TEST_F(InputPipelineTest, NewEventsCarryThePointerTheHeldFlagsAndTheTime) {
    devices().movePointer({300, 40});
    devices().setHeldModifierFlags(CGEventFlags::maskShift | CGEventFlags::maskAlphaShift);
    scheduler().advance(2.5);

    const auto empty = platform::eventCreate();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->type, CGEventType::null);
    EXPECT_EQ(empty->location, (CGPoint{300, 40}));
    EXPECT_EQ(empty->unflippedLocation, (CGPoint{300, 860}));
    EXPECT_EQ(empty->flags, CGEventFlags(0x30000));
    EXPECT_DOUBLE_EQ(empty->timestamp, platform::uptimeSeconds());

    const auto key = platform::eventCreateKeyboardEvent(13, false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->type, CGEventType::keyUp);
    EXPECT_EQ(key->keyCode, 13);

    // A mouse event is where it is told to be, not where the pointer is.
    const auto mouse =
        platform::eventCreateMouseEvent(CGEventType::otherMouseDown, {5, 6}, CGMouseButton::center);
    ASSERT_TRUE(mouse);
    EXPECT_EQ(mouse->location, (CGPoint{5, 6}));
    EXPECT_EQ(mouse->mouseButton, CGMouseButton::center);

    const auto scroll =
        platform::eventCreateScrollWheelEvent(platform::CGScrollEventUnit::line, -3, 1);
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->scrollDeltaAxis1, -3);
    EXPECT_EQ(scroll->scrollDeltaAxis2, 1);

    devices().setEventCreationFails(true);
    EXPECT_FALSE(platform::eventCreate());
    EXPECT_FALSE(platform::eventCreateKeyboardEvent(1, true));
    EXPECT_FALSE(platform::eventCreateMouseEvent(CGEventType::mouseMoved, {}, CGMouseButton::left));
    EXPECT_FALSE(platform::eventCreateScrollWheelEvent(platform::CGScrollEventUnit::pixel, 1, 0));
}

TEST_F(InputPipelineTest, TheJournalRecordsPostsAndWarpsWithTheirTimesUntilReset) {
    auto down = *platform::eventCreateKeyboardEvent(55, true);
    down.flags = CGEventFlags(0x100100);
    platform::eventPost(CGEventTapLocation::hid, down);
    scheduler().advance(0.25);
    auto up = *platform::eventCreateKeyboardEvent(55, false);
    up.targetPid = 99;  // a stale target: posting to the stream names none
    platform::eventPost(CGEventTapLocation::session, up);
    scheduler().advance(0.25);
    platform::eventPostToPid(7, *platform::eventCreateKeyboardEvent(13, true));
    EXPECT_EQ(platform::warpMouseCursorPosition({640, 360}), platform::CGError::success);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(platform::warpMouseCursorPosition({nan, 1}), platform::CGError::illegalArgument);

    const auto posted = devices().postedEvents();
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_DOUBLE_EQ(posted[1].time - posted[0].time, 0.25);
    EXPECT_DOUBLE_EQ(posted[2].time - posted[1].time, 0.25);
    EXPECT_EQ(posted[0].event, down);
    EXPECT_EQ(posted[0].tap, CGEventTapLocation::hid);
    EXPECT_EQ(posted[1].tap, CGEventTapLocation::session);
    EXPECT_EQ(posted[1].event.targetPid, std::nullopt);
    EXPECT_EQ(posted[2].tap, std::nullopt);
    EXPECT_EQ(posted[2].event.targetPid, 7);
    EXPECT_EQ(devices().warps(), std::vector<CGPoint>{(CGPoint{640, 360})});
    EXPECT_EQ(platform::eventCreate()->location, (CGPoint{640, 360})) << "a warp moves the pointer";
    // One journal, in the order things happened.
    const auto entries = Journal::of(*world).entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_TRUE(std::holds_alternative<PointerWarp>(entries.back()));
    EXPECT_DOUBLE_EQ(timeOf(entries.back()), 0.5);

    devices().resetPostedEvents();
    EXPECT_TRUE(devices().postedEvents().empty());
    EXPECT_TRUE(devices().warps().empty());
}

}  // namespace
}  // namespace zoral::sim
