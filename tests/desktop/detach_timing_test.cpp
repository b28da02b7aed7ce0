// The synthetic drags of a tab detach and of a Mission Control space run on AXQueue and sleep
// there: the main queue's work keeps its own times meanwhile, on the virtual clock.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/direction.h"
#include "desktop/mission_control_space.h"
#include "desktop/promise_error.h"
#include "desktop/screen.h"
#include "desktop/tab.h"
#include "desktop/window.h"
#include "platform/dispatch.h"
#include "platform/scheduler.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "sim/spaces.h"
#include "sim/tabs.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::CGPoint;
using platform::DispatchQueue;
using platform::DispatchTime;
using WindowPromise = promises::Promise<std::shared_ptr<Window>>;

constexpr platform::ProcessId browserPid = 13;
// The drag: a press, 61 steps 6 ms apart, the release, a settle and a move back; 0.446 s.
constexpr double dragEnd = 0.446;

double now() {
    return platform::uptimeSeconds();
}

class DetachTiming : public zoral::testing::VirtualClockTest {
protected:
    DetachTiming() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        world->addProcess(browserPid, "com.google.Chrome", "Chrome");
        sim::Tabs::install(*world).setDetachLatency(0.2);
    }

    // A tab of a window of the given titles, with the pointer on it.
    std::shared_ptr<Tab> tabOfWindow(const std::vector<std::string>& titles) {
        auto window = world->makeNode<sim::WindowNode>(browserPid, 40);
        window->set("AXMinimized", false);
        window->moveTo(*world, {100, 100});
        window->resizeTo(*world, {800, 600});
        world->process(browserPid)->application->appendChild(window);
        const auto strip =
            sim::Tabs::install(*world).addTabs(*world, window, sim::TabTreeShape::browser, titles);
        const auto label = strip.labels.back();
        const CGPoint location{label->frame()->midX(), label->frame()->midY()};
        sim::InputDevices::of(*world).movePointer(location);
        auto element = std::make_shared<UIElement>(label->element());
        return Tab::make(element, Window::make(*std::make_shared<UIElement>(window->element())),
                         location);
    }

    // The checks made so far: each reads the application's window list once, after the count
    // taken before the drag.
    std::int64_t checks() const {
        const auto& counts = world->roundTrips();
        const auto found =
            counts.find({sim::RoundTrip::copyAttributeValue, "AXWindows", browserPid});
        return found == counts.end() ? -1 : found->second - 1;
    }

    std::size_t postedCount() const { return sim::InputDevices::of(*world).postedEvents().size(); }

    // The detach's own lines; the element model logs its walks too.
    std::vector<std::string> windowLines() const {
        auto lines = output.lines();
        std::erase_if(lines, [](const std::string& line) { return !line.starts_with("Window: "); });
        return lines;
    }

    static std::optional<PromiseError::Kind> failure(const WindowPromise& promise) {
        const auto result = promise.currentResult();
        if (!result || result->holdsValue())
            return std::nullopt;
        const PromiseError* error = promiseErrorOf(result->error());
        return error != nullptr ? std::optional(error->kind()) : std::nullopt;
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
};

TEST_F(DetachTiming, TheCallReturnsAtOnceAndTheChecksPollEveryFiftyMillisecondsDuringTheDrag) {
    const auto tab = tabOfWindow({"One", "Two"});
    ASSERT_TRUE(tab);
    const WindowPromise promise = tab->detach();
    EXPECT_EQ(now(), 0.0) << "the detach returned after its drag";
    EXPECT_EQ(postedCount(), 0U) << "the drag ran inside the call";
    EXPECT_EQ(checks(), 1);

    // Half-way between checks, throughout the drag: one more check each time, and the drag goes on.
    std::size_t posted = 0;
    for (int step = 0; 0.05 * step + 0.025 < dragEnd; ++step) {
        scheduler().advance(0.025 + 0.05 * step - now());
        SCOPED_TRACE(now());
        EXPECT_EQ(checks(), step + 1);
        EXPECT_GT(postedCount(), posted);
        posted = postedCount();
    }
    EXPECT_LT(posted, 64U);
    EXPECT_TRUE(promise.isStillPending());

    // The release at 0.376 s lets the tab go; its window comes 0.2 s later, at the next check.
    scheduler().runUntil([&] { return !promise.isStillPending(); }, 2);
    ASSERT_TRUE(promise.currentResult()->holdsValue());
    EXPECT_DOUBLE_EQ(now(), 0.6);
    EXPECT_EQ(checks(), 13);
    EXPECT_EQ(postedCount(), 64U);
    EXPECT_EQ(windowLines(), (std::vector<std::string>{"Window: Detached Tab in 600ms"}));
}

// The gesture's cancel, as an Escape during the drag makes it, ends the detach at the next check.
TEST_F(DetachTiming, AnEscapeDuringTheDragIsSeenAtTheNextCheck) {
    const auto tab = tabOfWindow({"One", "Two"});
    const WindowPromise promise = tab->detach();
    DispatchQueue::main().asyncAfter(DispatchTime::now() + 0.12,
                                     [tab] { tab->setShouldCancelDetach(true); });
    scheduler().advance(0.149);
    EXPECT_TRUE(promise.isStillPending());
    scheduler().advance(0.002);
    EXPECT_EQ(failure(promise), PromiseError::Kind::cancel);
    // The checks at 0, 0.05 and 0.1 s read the windows; the one at 0.15 s stops first.
    EXPECT_EQ(checks(), 3);
    EXPECT_EQ(windowLines(), (std::vector<std::string>{"Window: Detach Tab cancelled"}));
    EXPECT_LT(postedCount(), 64U) << "the drag had ended";
}

TEST_F(DetachTiming, WithoutANewWindowTheFortyOneChecksTakeTwoSeconds) {
    // The only tab of a window does not come loose.
    const WindowPromise promise = tabOfWindow({"Only"})->detach();
    scheduler().runUntil([&] { return !promise.isStillPending(); }, 10);
    EXPECT_EQ(failure(promise), PromiseError::Kind::default_);
    EXPECT_EQ(checks(), 41);
    EXPECT_NEAR(now(), 2.0, 1e-9);
}

// Two displays side by side, each with a spaces bar in Mission Control; desktop 2 of the left one
// is dragged to the right one, where an editor window lies under the middle.
class SpaceDragTiming : public zoral::testing::VirtualClockTest {
protected:
    SpaceDragTiming() {
        sim::Dock::install(*world);
        sim::Displays::of(*world).setDisplays(
            {sim::Display{.number = 1, .uuid = "LEFT", .frame = {0, 0, 1440, 900}},
             sim::Display{.number = 2, .uuid = "RIGHT", .frame = {1440, 0, 1920, 1080}}});
        // Each display whole, as the screen rebuild would give it with nothing reserved.
        const auto whole = [](const sim::Display& display) {
            const platform::CGRect flipped = flip(display.frame);
            return Screen{display.screen(), display.frame, flipped, flipped};
        };
        const auto& displays = sim::Displays::of(*world).displays();
        screens = {whole(displays[0]), whole(displays[1])};
        Screen::setScreens(screens);
        spaces().setDisplaySpaces(*world, {{"LEFT", 1, {{1}, {2}}}, {"RIGHT", 10, {{10}}}});
        auto& editor = world->addProcess(5, "org.example.editor", "Editor");
        auto window = world->makeNode<sim::WindowNode>(5, 50);
        window->moveTo(*world, {2000, 100});
        window->resizeTo(*world, {800, 600});
        editor.application->appendChild(window);
        spaces().showMissionControl(*world);
    }
    ~SpaceDragTiming() override { Screen::setScreens({}); }

    sim::Spaces& spaces() { return sim::Spaces::of(*world); }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::vector<Screen> screens;
};

TEST_F(SpaceDragTiming, TheActionReturnsAtOnceAndTheMainQueueKeepsItsTimesDuringTheDrag) {
    const auto space =
        MissionControlSpace::make(std::make_shared<UIElement>(spaces().buttonOf(2)->element()));
    ASSERT_TRUE(space);
    std::optional<double> returnedAt;
    std::size_t postedOnReturn = 1;
    DispatchQueue::main().async([&] {
        EXPECT_TRUE(space->missionControlSpaceAction(Direction::right, screens[0]));
        // What the gesture does next asks the desktop again.
        EXPECT_TRUE(isMissionControlShowing());
        returnedAt = now();
        postedOnReturn = sim::InputDevices::of(*world).postedEvents().size();
    });
    struct Poll {
        double time;
        std::size_t posted;
        std::size_t blocked;
    };
    std::vector<Poll> polls;
    for (int step = 1; step <= 12; ++step) {
        DispatchQueue::main().asyncAfter(DispatchTime::now() + 0.05 * step, [&] {
            isMissionControlShowing();
            polls.push_back({now(), sim::InputDevices::of(*world).postedEvents().size(),
                             scheduler().blockedCount()});
        });
    }
    scheduler().advance(2);

    EXPECT_EQ(returnedAt, 0.0);
    EXPECT_EQ(postedOnReturn, 0U);
    // The drag posts its events for 0.24 s, then waits 0.4 s for the space to settle before it
    // activates what lies there: every poll comes while it is under way.
    const auto events = sim::InputDevices::of(*world).postedEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_GT(events.back().time, 0.2);
    EXPECT_LT(events.back().time, 0.25);
    ASSERT_EQ(polls.size(), 12U);
    for (std::size_t i = 0; i < polls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(polls[i].time, 0.05 * static_cast<double>(i + 1), 1e-9);
        EXPECT_EQ(polls[i].blocked, 1U) << "the drag was not under way";
        if (polls[i].time < events.back().time) {
            EXPECT_GT(polls[i].posted, 0U);
            EXPECT_LT(polls[i].posted, events.size());
        }
    }
    EXPECT_EQ(spaces().displaySpaces("RIGHT")->spaces, (std::vector<sim::SimSpace>{{10}, {2}}));
}

}  // namespace
}  // namespace zoral::desktop
