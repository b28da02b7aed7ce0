#include "engine/input/zoral_core.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/input/core_world.h"
#include "engine/input/held_flags.h"
#include "platform/key_codes.h"
#include "sim/input_devices.h"
#include "sim/spaces.h"

namespace zoral::engine::testing {
namespace {

using platform::CGEventFlags;
using settings::Defaults::Keys;
using settings::Defaults::writeValue;
using sim::KeyStroke;
using sim::ModifierChange;
using sim::ScrollMove;
using sim::ScrollStroke;
namespace vk = platform::virtualKey;

// The lines a run of n events of one kind gives.
std::vector<std::string> times(int n, std::vector<std::string> lines) {
    std::vector<std::string> all;
    for (int i = 0; i < n; ++i)
        all.insert(all.end(), lines.begin(), lines.end());
    return all;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using CoreTest = CoreWorldTest;

TEST_F(CoreTest, ATitleBarScrollIsSwallowedAfterItsFirstEventAndItsMomentumUntilItEnds) {
    startCore();
    play(below(plain, 10),
         {ScrollStroke{.moves = {{.travel = {-200, 0}, .events = 10}}, .momentumEvents = 3}});

    const auto expected = std::vector<std::string>{"gesture: delivered", "gesture: delivered",
                                                   "scrollWheel began: delivered"} +
                          times(9, {"gesture: swallowed", "scrollWheel changed: swallowed"}) +
                          std::vector<std::string>{"gesture: swallowed",
                                                   "scrollWheel ended: swallowed",
                                                   "scrollWheel momentum began: swallowed",
                                                   "scrollWheel momentum changed: swallowed",
                                                   "scrollWheel momentum changed: swallowed",
                                                   "scrollWheel momentum ended: delivered"};
    EXPECT_EQ(transcript(), expected);
    EXPECT_EQ(linesStarting("Origin: org"),
              std::vector<std::string>{"Origin: org.example.editor titlebar"});
    EXPECT_EQ(linesStarting("Phase: "),
              (std::vector<std::string>{"Phase: scrolled", "Phase: released"}));
    ASSERT_EQ(standIns.performer->performed.size(), 1U);
    EXPECT_FALSE(core->touchEngine());
    EXPECT_FALSE(core->gestureBlock());
    EXPECT_FALSE(core->momentumBlock());
}

TEST_F(CoreTest, WithoutActiveTapTheCoreOnlyListensButGesturesStillRun) {
    writeValue(Keys::activeTap(), false);
    startCore();
    play(below(plain, 10), {ScrollStroke{.moves = {{.travel = {-200, 0}, .events = 10}}}});
    EXPECT_TRUE(sim::EventTaps::of(*world).isListenOnly(core->eventTap()->port()));
    for (const std::string& line : transcript())
        EXPECT_TRUE(line.ends_with(": observed")) << line;
    EXPECT_EQ(linesStarting("Phase: "),
              (std::vector<std::string>{"Phase: scrolled", "Phase: released"}));
}

TEST_F(CoreTest, AWheelScrollIsDeliveredInTheMiddleOfAGesture) {
    startCore();
    input().movePointer(below(plain, 10));
    hardware().play(ScrollStroke{.moves = {{.travel = {-100, 0}, .events = 5, .holdAfter = 0.5},
                                           {.travel = {-100, 0}, .events = 5}}});
    hardware().play(sim::WheelScroll{.lines = 3}, 0.2);
    scheduler().runFor(0.25);
    EXPECT_TRUE(core->gestureBlock());
    scheduler().runFor(1);
    const auto lines = transcript();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "scrollWheel none: delivered"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "scrollWheel changed: swallowed"), 9);
}

TEST_F(CoreTest, GesturesOnATabTheMenuBarOrAMissionControlSpaceNeverSwallow) {
    struct Row {
        const char* name;
        std::function<platform::CGPoint(CoreTest&)> pointer;
        const char* origin;
    };
    const std::vector<Row> rows{
        {"tab", [](CoreTest& f) { return centre(f.tabStrip.labels[0]); },
         "Origin: com.apple.Safari tab"},
        {"menu bar",
         [](CoreTest&) {
             return platform::CGPoint{700, 10};
         },
         "Origin: org.example.editor menubar"},
        {"Mission Control space",
         [](CoreTest& f) {
             auto& spaces = sim::Spaces::of(*f.world);
             spaces.setDisplaySpaces(*f.world, {{"LAPTOP", 1, {{1, false}, {2, false}}}});
             spaces.showMissionControl(*f.world);
             return centre(spaces.buttonOf(2));
         },
         "Origin: unknown mcSpace"},
    };
    startCore();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::EventTaps::of(*world).clearRecords();
        output.clear();
        play(row.pointer(*this),
             {ScrollStroke{.moves = {{.travel = {0, 100}, .events = 8}}, .momentumEvents = 2}});
        EXPECT_EQ(linesStarting("Origin: ").back(), row.origin);
        EXPECT_EQ(linesStarting("Phase: ").front(), "Phase: scrolled");
        for (const std::string& line : transcript())
            EXPECT_TRUE(line.ends_with(": delivered")) << line;
    }
}

TEST_F(CoreTest, WithoutTapMagicMouseAScrollCountsAsTheTrackpadsFor0Point2SecondsAfterAContact) {
    writeValue(Keys::tapMagicMouse(), false);
    for (const double after : {0.19, 0.2}) {
        SCOPED_TRACE(after);
        if (core)
            core->eventTap()->invalidate();
        startCore();
        // Fingers touch and lift again over the menu bar, where a gesture never swallows.
        input().movePointer({700, 10});
        hardware().play(ScrollStroke{.restBefore = 0.05});
        scheduler().runFor(after);
        // Then a touch mouse over the title bar.
        input().movePointer(below(plain, 10));
        sim::EventTaps::of(*world).clearRecords();
        hardware().play(
            ScrollStroke{.moves = {{.travel = {-10, 0}, .events = 1}}, .fromMouse = true});
        scheduler().runFor(1);
        const auto origins = linesStarting("Origin: ");
        const bool handled =
            std::count(origins.begin(), origins.end(), "Origin: org.example.editor titlebar") == 1;
        EXPECT_EQ(handled, after < 0.2);
    }
}

TEST_F(CoreTest, RequireSuperModLetsEverythingButModifierChangesPassWithoutTheSuperModifier) {
    writeValue(Keys::requireSuperMod(), true);
    startCore();
    const ScrollStroke stroke{.moves = {{.travel = {-100, 0}, .events = 8}}};
    play(below(plain, 10), {stroke});
    EXPECT_TRUE(linesStarting("Origin: ").empty());
    for (const std::string& line : transcript())
        EXPECT_TRUE(line.ends_with(": delivered")) << line;

    sim::EventTaps::of(*world).clearRecords();
    play(below(plain, 10), {ModifierChange{fn}, stroke, ModifierChange{}});
    EXPECT_EQ(linesStarting("Origin: "),
              std::vector<std::string>{"Origin: org.example.editor window"});
    const auto lines = transcript();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "scrollWheel changed: swallowed"), 7);
}

TEST_F(CoreTest, ACancelledScrollEndsTheGesture0Point1SecondsLaterUnlessAPinchComesFirst) {
    startCore();
    input().movePointer(below(plain, 10));
    hardware().play(ScrollStroke{.restBefore = 0.05});
    scheduler().runFor(0.149);
    ASSERT_TRUE(core->touchEngine());
    const auto gesture = core->touchEngine()->sharedGesture();
    scheduler().runFor(0.001);
    EXPECT_FALSE(core->touchEngine());
    EXPECT_EQ(gesture->phases(), (std::vector{Phase::rested, Phase::released}));

    output.clear();
    play(below(plain, 10), {sim::PinchStroke{.magnifications = std::vector<double>(10, 0.02)}});
    EXPECT_EQ(linesStarting("Phase: "),
              (std::vector<std::string>{"Phase: zoomed", "Phase: released"}));
    EXPECT_FALSE(core->touchEngine());
}

TEST_F(CoreTest, ASmartMagnifyBeginsAndEnds0Point01SecondsApart) {
    startCore();
    input().movePointer(below(plain, 10));
    hardware().play(sim::SmartMagnifyTap{});
    scheduler().runFor(0.009);
    ASSERT_TRUE(core->touchEngine());
    const auto gesture = core->touchEngine()->sharedGesture();
    EXPECT_EQ(gesture->phases(), std::vector{Phase::tapped});
    scheduler().runFor(0.001);
    EXPECT_FALSE(core->touchEngine());
    EXPECT_EQ(gesture->phases(), (std::vector{Phase::tapped, Phase::released}));
    // Handled before the decision: the gesture on the title bar swallows its own first event.
    EXPECT_EQ(transcript(), std::vector<std::string>{"smartMagnify: swallowed"});
}

TEST_F(CoreTest, EscapeCancelsTheGesturesInFlightUnlessItIsAHotkeyKey) {
    for (const bool escapeIsHotkey : {false, true}) {
        SCOPED_TRACE(escapeIsHotkey);
        writeValue(Keys::hotkeys(), escapeIsHotkey);
        startCore();
        input().movePointer(below(plain, 10));
        hardware().play(
            ScrollStroke{.moves = {{.travel = {-100, 0}, .events = 5, .holdAfter = 0.5}}});
        hardware().play(KeyStroke{.keyCode = vk::escape}, 0.2);
        scheduler().runFor(1);
        EXPECT_EQ(linesStarting("Gesture: cancelled").size(), escapeIsHotkey ? 0U : 1U);
        // Swallowed all the same: the gesture was in flight.
        EXPECT_EQ(transcript()[transcript().size() - 3], "keyDown 53: swallowed");
        core->eventTap()->invalidate();
    }
}

TEST_F(CoreTest, TheFnShiftedKeysActAsArrowsReturnAndDeleteWithAModifierHeld) {
    struct Row {
        platform::CGKeyCode pressed;  // with fn held: the keyboard sends its twin
        settings::HotkeysCenterLayout undo;
        std::vector<desktop::Direction> directions;
        std::vector<Phase> phases;
    };
    using enum desktop::Direction;
    const std::vector<Row> rows{
        {vk::leftArrow, settings::HotkeysCenterLayout::escape, {left}, {Phase::scrolled}},
        {vk::rightArrow, settings::HotkeysCenterLayout::escape, {right}, {Phase::scrolled}},
        {vk::upArrow, settings::HotkeysCenterLayout::escape, {up}, {Phase::scrolled}},
        {vk::downArrow, settings::HotkeysCenterLayout::escape, {down}, {Phase::scrolled}},
        {vk::return_, settings::HotkeysCenterLayout::return_, {}, {Phase::tapped}},
        {vk::delete_, settings::HotkeysCenterLayout::backspace, {}, {Phase::tapped}},
    };
    writeValue(Keys::hotkeys(), true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pressed);
        writeValue(Keys::hotkeyUndo(), row.undo);
        if (core)
            core->eventTap()->invalidate();
        startCore();
        std::shared_ptr<Gesture> gesture;
        input().movePointer({700, 450});
        hardware().play({ModifierChange{fn}, KeyStroke{.keyCode = row.pressed}});
        scheduler().runFor(0.05);
        ASSERT_TRUE(core->keyEngine());
        gesture = core->keyEngine()->sharedGesture();
        EXPECT_EQ(gesture->origin().type, OriginType::hotkey);
        EXPECT_EQ(gesture->directions(), row.directions);
        EXPECT_EQ(gesture->phases(), row.phases);
        EXPECT_TRUE(transcript().back().ends_with(": swallowed"));
        play({700, 450}, {ModifierChange{}});
        EXPECT_FALSE(core->keyEngine());
        EXPECT_EQ(gesture->phases().back(), Phase::released);
    }
}

TEST_F(CoreTest, OnlyTheLayoutsKeysWithTheSuperModifierStartAHotkeyGesture) {
    writeValue(Keys::hotkeys(), true);
    writeValue(Keys::hotkeyArrow(), settings::HotkeysArrowLayout::wasd);
    writeValue(Keys::hotkeyUndo(), settings::HotkeysCenterLayout::letterQ);
    startCore();
    // Arrows without fn carry the function bit of the keyboard: it is no super modifier.
    play({700, 450}, {KeyStroke{.keyCode = vk::leftArrow}, KeyStroke{.keyCode = vk::ansiW}});
    EXPECT_FALSE(core->keyEngine());
    play({700, 450}, {ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow},
                      KeyStroke{.keyCode = vk::ansiE}});
    EXPECT_FALSE(core->keyEngine());
    for (const auto key : {vk::ansiW, vk::ansiA, vk::ansiS, vk::ansiD, vk::ansiQ})
        play({700, 450}, {KeyStroke{.keyCode = key}}, 0.01);
    ASSERT_TRUE(core->keyEngine());
    // Each press is followed by its pause: a key stroke takes longer than the pause timer.
    using enum Phase;
    EXPECT_EQ(core->keyEngine()->gesture().phases(),
              (std::vector{scrolled, paused, scrolled, paused, scrolled, paused, scrolled, paused,
                           tapped}));
}

TEST_F(CoreTest, ReleasingEveryRoleEndsAHotkeyGestureAlsoWithARoleConfiguredEmpty) {
    writeValue(Keys::hotkeys(), true);
    for (const bool emptyRole : {false, true}) {
        SCOPED_TRACE(emptyRole);
        if (emptyRole)
            writeValue(Keys::generalModifier(), settings::ModifierFlags{});
        if (core)
            core->eventTap()->invalidate();
        startCore();
        play({700, 450},
             {ModifierChange{fn | CGEventFlags::maskShift}, KeyStroke{.keyCode = vk::leftArrow},
              ModifierChange{fn}},
             0.01);
        ASSERT_TRUE(core->keyEngine());
        ASSERT_TRUE(core->gestureBlock());
        play({700, 450}, {ModifierChange{}, KeyStroke{.keyCode = vk::ansiW}});
        EXPECT_FALSE(core->keyEngine());
        EXPECT_FALSE(core->gestureBlock());
        EXPECT_EQ(transcript().back(), "keyDown 13: delivered");
    }
}

// A full keyboard's own Home, End, Page Up and Page Down carry the function bit by themselves, and
// fn is the super modifier by default: no hand holds it, so no hotkey gesture may start, or nothing
// would end it and every later key would be swallowed.
TEST_F(CoreTest, ANavigationKeyAloneStartsNoHotkeyGestureWhileFnWithAnArrowStillDoes) {
    writeValue(Keys::hotkeys(), true);
    startCore();
    for (const auto key : {vk::home, vk::end, vk::pageUp, vk::pageDown}) {
        SCOPED_TRACE(key);
        sim::EventTaps::of(*world).clearRecords();
        play({700, 450}, {KeyStroke{.keyCode = key}, KeyStroke{.keyCode = vk::ansiW}}, 0.01);
        EXPECT_FALSE(core->keyEngine());
        EXPECT_EQ(transcript(),
                  (std::vector<std::string>{"keyDown " + std::to_string(key) + ": delivered",
                                            "keyDown 13: delivered"}));
    }
    EXPECT_TRUE(linesStarting("Origin: ").empty());

    // With fn held the laptop's left arrow sends Home too: that one is the user's hotkey.
    play({700, 450}, {ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow}}, 0.01);
    ASSERT_TRUE(core->keyEngine());
    EXPECT_EQ(core->keyEngine()->gesture().directions(), std::vector{desktop::Direction::left});
}

// However a hotkey gesture ends, the core goes idle with it and the keyboard is the user's again.
TEST_F(CoreTest, AHotkeyGestureEndsWhenTheSuperModifierGoesOrAfterTheCancelTimeOut) {
    struct Row {
        const char* name;
        CGEventFlags held;
        bool proposes;
        sim::HardwareStep then;
        bool cancelled;
    };
    const std::vector<Row> rows{
        {"every modifier released", fn, true, ModifierChange{}, false},
        {"fn released, control still held", fn | control, true, ModifierChange{control}, false},
        {"held still with an action", fn, true, sim::Pause{0.8}, true},
        {"held still without an action", fn, false, sim::Pause{0.8}, true},
    };
    writeValue(Keys::hotkeys(), true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        standIns.resolver->propose = row.proposes;
        if (core)
            core->eventTap()->invalidate();
        startCore();
        play({700, 450}, {ModifierChange{row.held}, KeyStroke{.keyCode = vk::leftArrow}}, 0.01);
        ASSERT_TRUE(core->keyEngine());
        ASSERT_TRUE(core->gestureBlock());
        const auto gesture = core->keyEngine()->sharedGesture();
        play({700, 450}, {row.then, KeyStroke{.keyCode = vk::ansiW}}, 0.01);
        EXPECT_FALSE(core->keyEngine());
        EXPECT_FALSE(core->gestureBlock());
        EXPECT_EQ(gesture->isCancelled(), row.cancelled);
        EXPECT_EQ(gesture->phases().back() == Phase::released, !row.cancelled);
        EXPECT_EQ(transcript().back(), "keyDown 13: delivered");
        play({700, 450}, {ModifierChange{}});
    }
}

TEST_F(CoreTest, ATapDisabledMidGestureIsEnabledAgainAndTheCoreStartsFromIdle) {
    writeValue(Keys::hotkeys(), true);
    for (const auto reason : {platform::CGEventType::tapDisabledByUserInput,
                              platform::CGEventType::tapDisabledByTimeout}) {
        SCOPED_TRACE(static_cast<std::uint32_t>(reason));
        if (core)
            core->eventTap()->invalidate();
        startCore();
        input().movePointer(below(plain, 10));
        hardware().play(
            ScrollStroke{.moves = {{.travel = {-100, 0}, .events = 5, .holdAfter = 0.3}}});
        hardware().play({ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow}}, 0.05);
        scheduler().runFor(0.2);
        ASSERT_TRUE(core->touchEngine() && core->keyEngine());
        if (reason == platform::CGEventType::tapDisabledByUserInput) {
            sim::EventTaps::of(*world).disableByUserInput();
        } else {
            // One press whose resolution waits on an application that answers only after the
            // messaging time-out, longer than the window server waits for the tap.
            world->process(editorPid)->hung = true;
            world->setMessagingTimeout(world->systemWide()->element(), 2);
            standIns.resolver->reads = platform::ax::createApplication(editorPid);
            hardware().play(KeyStroke{.keyCode = vk::rightArrow});
        }
        scheduler().runFor(3);
        world->process(editorPid)->hung = false;
        standIns.resolver->reads.reset();
        const auto interrupted = linesStarting("CGEventTap: interrupted by ");
        ASSERT_EQ(interrupted.size(), 1U);
        const std::string head = "CGEventTap: interrupted by " + desktop::description(reason) + " ";
        EXPECT_TRUE(interrupted[0].starts_with(head)) << interrupted[0];
        EXPECT_EQ(interrupted[0].size(), head.size() + std::string("HH:mm:ss.SS").size());
        EXPECT_FALSE(core->touchEngine());
        EXPECT_FALSE(core->keyEngine());
        EXPECT_FALSE(core->gestureBlock());
        EXPECT_FALSE(core->momentumBlock());
        EXPECT_TRUE(platform::eventTapIsEnabled(core->eventTap()->port()));
        play({700, 450}, {KeyStroke{.keyCode = vk::ansiW}});
        EXPECT_EQ(transcript().back(), "keyDown 13: delivered");
    }
}

// The modifier keys let go while the tap was off are not seen: once the tap is back, the core
// takes what the keyboard holds, and no modifier counts as down that the user let go.
TEST_F(CoreTest, ModifiersLetGoWhileTheTapWasOffDoNotStayDown) {
    writeValue(Keys::hotkeys(), true);
    startCore();
    play({700, 450}, {ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow}}, 0.01);
    ASSERT_TRUE(core->keyEngine());
    ASSERT_TRUE(ZoralCore::modifierKeyDown());
    // A press whose resolution waits on a hung application longer than the window server waits
    // for the tap; the hand lets fn go meanwhile.
    world->process(editorPid)->hung = true;
    world->setMessagingTimeout(world->systemWide()->element(), 2);
    standIns.resolver->reads = platform::ax::createApplication(editorPid);
    hardware().play(KeyStroke{.keyCode = vk::rightArrow});
    hardware().play(ModifierChange{}, 0.5);
    scheduler().runFor(3);
    world->process(editorPid)->hung = false;
    standIns.resolver->reads.reset();
    ASSERT_EQ(linesStarting("CGEventTap: interrupted by ").size(), 1U);
    EXPECT_TRUE(sim::InputDevices::of(*world).heldModifierFlags().isEmpty());
    EXPECT_FALSE(ZoralCore::modifierKeyDown());
}

TEST_F(CoreTest, ReplacingTheCoreManyTimesLeavesOneLiveTapAndReleasesTheOldCores) {
    std::vector<std::weak_ptr<ZoralCore>> old;
    for (int i = 0; i < 12; ++i) {
        if (core) {
            core->eventTap()->invalidate();
            old.push_back(core);
        }
        core = ZoralCore::make(standIns.services());
        ASSERT_TRUE(core && core->eventTap());
    }
    auto& taps = sim::EventTaps::of(*world);
    EXPECT_EQ(taps.liveTaps(), std::vector{core->eventTap()->port()});
    EXPECT_EQ(taps.allTaps().size(), 12U);
    for (const auto& weak : old)
        EXPECT_TRUE(weak.expired());
    EXPECT_EQ(linesStarting("CGEventTap: initialized").size(), 12U);

    // A world that refuses the tap gives a core without one; without the permission, no core.
    sim::EventTaps::of(*world).setCreationFails(true);
    core->eventTap()->invalidate();
    core = ZoralCore::make(standIns.services());
    ASSERT_TRUE(core);
    EXPECT_FALSE(core->eventTap());
    desktop::AXAccess::shared().setIsTrusted(false);
    EXPECT_FALSE(ZoralCore::make(standIns.services()));
    core.reset();
}

// The accessibility round trips made while the window server waits for the callback: the origin's
// classification where a gesture's first event is handled at once (a double tap, a hotkey press),
// none for scroll events, whose handling waits for the next turn of the main queue, and none for
// events that feed a gesture already made.
TEST_F(CoreTest, TheCallbackMakesRoundTripsOnlyToClassifyAnOriginItHandlesAtOnce) {
    writeValue(Keys::hotkeys(), true);
    // What the classifications cost on their own, the title-bar height measured once already.
    const auto titleBar = below(plain, 10);
    ASSERT_TRUE(originAt(titleBar));
    world->resetRoundTrips();
    ASSERT_TRUE(originAt(titleBar));
    const std::int64_t atPointer = world->roundTripCount();
    world->resetRoundTrips();
    ASSERT_TRUE(originForHotkey());
    const std::int64_t forHotkey = world->roundTripCount();
    ASSERT_GT(atPointer, 0);
    ASSERT_GT(forHotkey, 0);

    startCore();
    play(titleBar,
         {ScrollStroke{.moves = {{.travel = {-200, 0}, .events = 12}},
                       .restBefore = 0.1,
                       .momentumEvents = 4},
          sim::PinchStroke{.magnifications = std::vector<double>(12, 0.02)}, sim::SmartMagnifyTap{},
          sim::Pause{0.1}, ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow},
          KeyStroke{.keyCode = vk::rightArrow}, ModifierChange{}});
    std::map<std::string, std::vector<std::int64_t>> byKind;
    for (const auto& record : sim::EventTaps::of(*world).records(core->eventTap()->port())) {
        std::string kind = describe(record);
        kind = kind.substr(0, kind.rfind(':'));
        byKind[kind].push_back(record.roundTrips);
    }
    const std::map<std::string, std::vector<std::int64_t>> expected{
        {"gesture", std::vector<std::int64_t>(byKind["gesture"].size(), 0)},
        {"scrollWheel mayBegin", {0, 0}},
        {"scrollWheel began", {0}},
        {"scrollWheel changed", std::vector<std::int64_t>(11, 0)},
        {"scrollWheel ended", {0}},
        {"scrollWheel cancelled", {0}},
        {"scrollWheel momentum began", {0}},
        {"scrollWheel momentum changed", {0, 0, 0}},
        {"scrollWheel momentum ended", {0}},
        {"magnify began", {0}},
        {"magnify changed", std::vector<std::int64_t>(11, 0)},
        {"magnify ended", {0}},
        {"smartMagnify", {atPointer}},
        {"flagsChanged 63", {0, 0}},
        {"keyDown 115", {forHotkey}},
        {"keyDown 119", {0}},
    };
    EXPECT_EQ(byKind, expected);
}

}  // namespace
}  // namespace zoral::engine::testing
