// Gestures over an application that stops answering, and snaps whose window cannot be read: the
// engine waits on such an application at most once a gesture, its event tap keeps up with the
// user's input, and a window is never recorded, moved or restored from a frame nobody read.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "platform/key_codes.h"
#include "sim/cursor.h"
#include "sim/dock.h"
#include "sim/event_taps.h"
#include "sim/program_windows.h"

namespace zoral::engine::testing {
namespace {

using sim::KeyStroke;
using sim::ScrollStroke;
using T = EndToEndWorld;
namespace vk = platform::virtualKey;

ScrollStroke scrollLeft() {
    return ScrollStroke{.moves = {{.travel = {-200, 0}, .events = 8, .holdAfter = 0.05}}};
}

class UnresponsiveApplicationTest : public EndToEndWorld {
public:
    UnresponsiveApplicationTest() { startEngine(); }

    // The calls made to the editor since the round trips were last reset.
    std::int64_t editorCalls() const {
        std::int64_t calls = 0;
        for (const auto& [key, count] : world->roundTrips()) {
            if (key.pid == editorPid)
                calls += count;
        }
        return calls;
    }

    std::vector<sim::TapRecord> tapRecords() const {
        return sim::EventTaps::of(*world).records(engine->core()->eventTap()->port());
    }

    // Every event reached the tap while it was enabled and was answered before the window server
    // stopped waiting; the longest wait.
    double expectTapKeptUp() const {
        double longest = 0;
        for (const sim::TapRecord& record : tapRecords()) {
            EXPECT_TRUE(record.outcome == sim::TapOutcome::delivered ||
                        record.outcome == sim::TapOutcome::swallowed)
                << sim::tapOutcomeName(record.outcome) << " at " << record.time;
            longest = std::max(longest, record.seconds);
        }
        EXPECT_LT(longest, sim::EventTaps::of(*world).timeout());
        EXPECT_TRUE(linesStarting({"CGEventTap: interrupted"}).empty());
        return longest;
    }

    // Plays the scroll on the front window's title bar, breaking the desktop just before the
    // fingers lift, while the user goes on typing; then lets everything finish.
    void scrollAndBreakAtTheLift(const std::function<void(T&)>& breakIt) {
        input().movePointer(titleBarOf(front));
        const double lift = hardware().play(scrollLeft());
        hardware().play({KeyStroke{.keyCode = vk::ansiA}, KeyStroke{.keyCode = vk::ansiB}});
        scheduler().runFor(lift - 0.005);
        breakIt(*this);
        world->resetRoundTrips();
        sim::EventTaps::of(*world).clearRecords();
        scheduler().runFor(60);
    }

    void putBack(const CGRect& frame) {
        front->moveTo(*world, frame.origin);
        front->resizeTo(*world, frame.size);
        settle();
    }
};

TEST_F(UnresponsiveApplicationTest, AScrollOverAnApplicationThatDoesNotAnswerWaitsOnItOnce) {
    struct Row {
        const char* name;
        std::function<void(T&)> silence;
        std::function<void(T&)> revive;
    };
    const std::vector<Row> rows{
        {"hung", [](T& t) { t.world->process(T::editorPid)->hung = true; },
         [](T& t) { t.world->process(T::editorPid)->hung = false; }},
        // The window server finds its window; the application answers nothing in time.
        {"slower than any time-out",
         [](T& t) { t.world->addLatencyRule({.pid = T::editorPid, .seconds = 30}); },
         [](T& t) { t.world->addLatencyRule({.pid = T::editorPid, .seconds = 0}); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CGRect before = frameOf(front);
        row.silence(*this);
        world->resetRoundTrips();
        sim::EventTaps::of(*world).clearRecords();
        output.clear();
        play(titleBarOf(front), {scrollLeft()}, 10);

        EXPECT_LE(editorCalls(), 1);
        expectTapKeptUp();
        EXPECT_TRUE(linesStarting({"Gesture "}).empty()) << "no gesture over it";
        EXPECT_EQ(frameOf(front), before);

        // Answering again, it is asked again.
        row.revive(*this);
        play(titleBarOf(front), {scrollLeft()});
        EXPECT_EQ(frameOf(front), (CGRect{0, 25, 720, 810}));
        SnappedWindows::shared().removeAll();
        putBack(before);
    }
}

TEST_F(UnresponsiveApplicationTest, ASnapWhoseApplicationStopsAnsweringAsTheFingersLiftWaitsOnce) {
    const CGRect before = frameOf(front);
    output.clear();
    scrollAndBreakAtTheLift([](T& t) { t.world->process(T::editorPid)->hung = true; });

    EXPECT_EQ(linesStarting({"Action: snap"}).size(), 1U) << "the snap was proposed";
    EXPECT_LE(editorCalls(), 1);
    expectTapKeptUp();
    // The typing went on to the editor as the user typed it.
    std::vector<platform::CGKeyCode> typed;
    for (const sim::TapRecord& record : tapRecords()) {
        if (record.type == platform::CGEventType::keyDown)
            typed.push_back(record.event.keyCode);
    }
    EXPECT_EQ(typed, (std::vector<platform::CGKeyCode>{vk::ansiA, vk::ansiB}));
    world->process(editorPid)->hung = false;
    EXPECT_EQ(frameOf(front), before);
    EXPECT_FALSE(SnappedWindows::shared().isSnapped(*windowOf(front)));
}

TEST_F(UnresponsiveApplicationTest, ASnapThatCannotReadTheFrameLeavesNothingToRestore) {
    struct Row {
        const char* name;
        std::function<void(T&)> breakIt;
        std::function<void(T&)> mend;
    };
    const std::vector<Row> rows{
        {"the application stops answering",
         [](T& t) { t.world->process(T::editorPid)->hung = true; },
         [](T& t) { t.world->process(T::editorPid)->hung = false; }},
        {"the permission is revoked", [](T& t) { t.world->setTrusted(false); },
         [](T& t) { t.world->setTrusted(true); }},
        {"the frame cannot be read",
         [](T& t) {
             t.world->injectError(t.front->element(), "AXFrame", platform::ax::cannotComplete);
         },
         [](T& t) { t.world->clearInjectedErrors(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CGRect before = frameOf(front);
        scrollAndBreakAtTheLift(row.breakIt);
        row.mend(*this);
        EXPECT_EQ(frameOf(front), before) << "nothing written";
        EXPECT_EQ(SnappedWindows::shared().count(), 0U) << "nothing recorded";

        // A two-finger double tap centres the window (and would restore a snapped one's size).
        play(titleBarOf(front), {sim::SmartMagnifyTap{}});
        EXPECT_EQ(frameOf(front).size, before.size);
        EXPECT_EQ(frameOf(front).origin, (CGPoint{420, 230}));
        putBack(before);
    }
}

TEST_F(UnresponsiveApplicationTest,
       ARestoreFromADockTileWhileTheFocusedApplicationHangsEndsItsPreview) {
    // The restore reads the focused window before and after its press; the focused editor answers
    // nothing, and the tooltip and the hidden cursor must still go as the gesture ends.
    back->setMinimized(*world, true);
    settle(1);
    world->process(editorPid)->hung = true;
    world->resetRoundTrips();
    sim::EventTaps::of(*world).clearRecords();
    output.clear();
    const ScrollStroke up{.moves = {{.travel = {0, -200}, .events = 8, .holdAfter = 0.05}}};
    play(centreOf(sim::Dock::of(*world)->tileOf(*back)), {up}, 1);

    EXPECT_EQ(linesStarting({"Action: unminimizeFromPreview"}).size(), 1U) << "it was proposed";
    EXPECT_EQ(sim::Cursor::of(*world).hideCount(), 0);
    EXPECT_TRUE(sim::ProgramWindows::of(*world).visible(*world).empty());
    EXPECT_LE(editorCalls(), 1);
    expectTapKeptUp();
    world->process(editorPid)->hung = false;
}

TEST_F(UnresponsiveApplicationTest, ASnapOfAWindowThatClosesAsTheFingersLiftRecordsNothing) {
    scrollAndBreakAtTheLift([](T& t) { t.front->close(*t.world); });
    EXPECT_EQ(SnappedWindows::shared().count(), 0U);
}

}  // namespace
}  // namespace zoral::engine::testing
