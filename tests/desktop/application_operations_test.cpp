#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/app_cycle_state.h"
#include "desktop/application.h"
#include "desktop/pid_timestamps.h"
#include "desktop/promise_error.h"
#include "desktop/window.h"
#include "fake_snapped_window_registry.h"
#include "platform/workspace.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using promises::Promise;
using WindowRef = std::shared_ptr<Window>;

constexpr platform::ProcessId editorPid = 12;
constexpr platform::ProcessId otherPid = 20;
constexpr const char* editorURL = "file:///Applications/Editor.app/";

class ApplicationOperationsTest : public zoral::testing::VirtualClockTest {
protected:
    ApplicationOperationsTest() {
        world->addProcess(otherPid, "org.example.other", "Other");
        world->addProcess(editorPid, "org.example.editor", "Editor");
        sim::workspace(*world).info(editorPid).bundleURL = editorURL;
        // Another application is in front, so that activations have something to do.
        sim::workspace(*world).activateNow(*world, otherPid);
        for (const char* title : {"A", "B", "C"})
            nodes.push_back(addWindow(title));
    }
    std::shared_ptr<sim::WindowNode> addWindow(const std::string& title) {
        auto made = world->makeNode<sim::WindowNode>(editorPid, nextNumber++);
        made->set("AXTitle", title);
        made->set("AXMinimized", false);
        made->set("AXFullScreen", false);
        for (const char* attribute : {"AXMinimized", "AXFullScreen", "AXMain"})
            made->setSettable(attribute);
        made->moveTo(*world, {100, 100});
        made->resizeTo(*world, {400, 300});
        world->process(editorPid)->application->appendChild(made);
        return made;
    }

    std::shared_ptr<Application> editor() const {
        return Application::applicationForPID(editorPid);
    }
    WindowRef windowOf(const std::shared_ptr<sim::WindowNode>& node) const {
        return Window::make(UIElement(node->element()));
    }
    static std::string titleOf(const WindowRef& window) {
        return window ? window->title().value_or("?") : "none";
    }
    std::vector<std::string> visibleTitles() const {
        std::vector<std::string> titles;
        for (const auto& window : editor()->windowsMinimized(false))
            titles.push_back(titleOf(window));
        return titles;
    }
    bool editorActive() const {
        const auto record = platform::runningApplicationWithProcessIdentifier(editorPid);
        return record && record->active;
    }
    std::vector<sim::WorkspaceRequest> requestsOf(sim::WorkspaceRequest::Kind kind) {
        std::vector<sim::WorkspaceRequest> found;
        for (const auto& request : sim::workspace(*world).requests()) {
            if (request.kind == kind)
                found.push_back(request);
        }
        return found;
    }

    template <class T>
    std::optional<promises::Result<T>> settle(const Promise<T>& promise, double limit = 10) {
        scheduler().runUntil([&] { return promise.currentResult().has_value(); }, limit);
        return promise.currentResult();
    }
    // The window a settled promise gave; fails the test when it failed or never settled.
    WindowRef valueOf(const Promise<WindowRef>& promise) {
        const auto result = settle(promise);
        if (!result || !result->holdsValue()) {
            ADD_FAILURE() << "the promise did not give a window";
            return nullptr;
        }
        return result->value();
    }
    bool failedWithDefault(const Promise<WindowRef>& promise) {
        const auto result = settle(promise);
        if (!result || result->holdsValue())
            return false;
        const PromiseError* error = promiseErrorOf(result->error());
        return error != nullptr && error->kind() == PromiseError::Kind::default_;
    }
    double now() const { return platform::DispatchTime::now().uptimeSeconds(); }
    // Lets the delayed writes and the activation requests land.
    void settleEffects() { scheduler().advance(1); }
    std::vector<std::string> linesWith(const std::string& text) const {
        std::vector<std::string> found;
        for (const auto& line : output.lines()) {
            if (line.find(text) != std::string::npos)
                found.push_back(line);
        }
        return found;
    }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    testing::FakeSnappedWindowRegistry registry;
    std::int64_t nextNumber = 30;
    std::vector<std::shared_ptr<sim::WindowNode>> nodes;
};

// --- cycleWindows

TEST_F(ApplicationOperationsTest, CyclingVisitsPositionsOneTwoTwoTwoAndAReversalStartsAtOne) {
    struct Step {
        Direction direction;
        std::size_t position;
    };
    const std::vector<Step> steps{
        {Direction::right, 1}, {Direction::right, 2}, {Direction::right, 2},
        {Direction::right, 2}, {Direction::left, 1},  {Direction::right, 1},
    };
    const auto app = editor();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto before = app->windowsMinimized(false);
        ASSERT_EQ(before.size(), 3U);
        const WindowRef raised = app->cycleWindows(steps[i].direction);
        ASSERT_NE(raised, nullptr) << "step " << i;
        EXPECT_EQ(*raised, *before[steps[i].position]) << "step " << i;
        settleEffects();
        EXPECT_EQ(visibleTitles().front(), titleOf(raised)) << "raised to the front, step " << i;
    }
    EXPECT_TRUE(editorActive());
    // Repeated right cycles go round every window in turn.
    AppCycleState::shared() = {};
    std::vector<std::string> visited;
    for (int i = 0; i < 4; ++i) {
        visited.push_back(titleOf(app->cycleWindows(Direction::right)));
        settleEffects();
    }
    EXPECT_EQ(visited.size(), 4U);
    EXPECT_NE(visited[0], visited[1]);
    EXPECT_NE(visited[1], visited[2]);
    EXPECT_NE(visited[0], visited[2]);
    EXPECT_EQ(visited[3], visited[0]);
}

TEST_F(ApplicationOperationsTest, CyclingOtherDirectionsOrNoVisibleWindowDoesNothing) {
    const auto app = editor();
    for (Direction direction :
         {Direction::up, Direction::down, Direction::inwards, Direction::outwards}) {
        EXPECT_EQ(app->cycleWindows(direction), nullptr) << direction;
    }
    for (const auto& node : nodes)
        node->setMinimized(*world, true);
    EXPECT_EQ(app->cycleWindows(Direction::right), nullptr);
    settleEffects();
    EXPECT_TRUE(requestsOf(sim::WorkspaceRequest::Kind::activate).empty());
    EXPECT_FALSE(editorActive());
}

TEST_F(ApplicationOperationsTest, CyclingASingleWindowRaisesItAndKeepsTheCycleState) {
    nodes[0]->setMinimized(*world, true);
    nodes[1]->setMinimized(*world, true);
    AppCycleState::shared() = {.pid = 77, .pidUnknown = false, .count = 5, .rightIndex = 3};
    const WindowRef raised = editor()->cycleWindows(Direction::left);
    EXPECT_EQ(titleOf(raised), "C");
    settleEffects();
    EXPECT_TRUE(editorActive());
    const auto requests = requestsOf(sim::WorkspaceRequest::Kind::activate);
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].options, platform::activateIgnoringOtherApps);
    const AppCycleState& state = AppCycleState::shared();
    EXPECT_EQ(state.pid, 77);
    EXPECT_EQ(state.count, 5U);
    EXPECT_EQ(state.rightIndex, 3U);
}

TEST_F(ApplicationOperationsTest, ANewWindowCountOrAnotherProcessRestartsAtPositionOne) {
    const auto app = editor();
    app->cycleWindows(Direction::right);
    settleEffects();
    app->cycleWindows(Direction::right);
    settleEffects();
    EXPECT_EQ(AppCycleState::shared().rightIndex, 2U);

    nodes.push_back(addWindow("D"));
    auto before = app->windowsMinimized(false);
    EXPECT_EQ(*app->cycleWindows(Direction::right), *before[1]);
    settleEffects();
    EXPECT_EQ(AppCycleState::shared().count, 4U);
    EXPECT_EQ(AppCycleState::shared().pid, editorPid);
    EXPECT_FALSE(AppCycleState::shared().pidUnknown);

    // The same count for another process is another cycle.
    AppCycleState::shared().pid = otherPid;
    AppCycleState::shared().rightIndex = 3;
    before = app->windowsMinimized(false);
    EXPECT_EQ(*app->cycleWindows(Direction::right), *before[1]);
}

// --- unminimizeLast

TEST_F(ApplicationOperationsTest, UnminimizeLastTakesTheLatestStampAndRemovesOnlyIt) {
    const auto app = editor();
    nodes[0]->setMinimized(*world, true);
    nodes[1]->setMinimized(*world, true);
    PidTimestamps::shared().record(editorPid, windowOf(nodes[0])->id(), 20);
    PidTimestamps::shared().record(editorPid, windowOf(nodes[1])->id(), 10);

    EXPECT_EQ(titleOf(valueOf(app->unminimizeLast())), "A");
    settleEffects();  // the Dock's animation
    EXPECT_FALSE(nodes[0]->isMinimized());
    EXPECT_TRUE(nodes[1]->isMinimized());
    EXPECT_TRUE(editorActive());
    const auto stamps = PidTimestamps::shared().stamps(editorPid);
    ASSERT_TRUE(stamps);
    EXPECT_EQ(*stamps, (PidTimestamps::Stamps{{windowOf(nodes[1])->id(), 10}}));

    EXPECT_EQ(titleOf(valueOf(app->unminimizeLast())), "B");
    settleEffects();
    EXPECT_FALSE(nodes[1]->isMinimized());
    EXPECT_TRUE(PidTimestamps::shared().stamps(editorPid)->empty());
}

TEST_F(ApplicationOperationsTest, UnminimizeLastKeepsAStaleStampAndTakesTheLastMinimisedWindow) {
    nodes[0]->setMinimized(*world, true);
    nodes[1]->setMinimized(*world, true);
    // C was restored some other way after its stamp.
    PidTimestamps::shared().record(editorPid, windowOf(nodes[0])->id(), 10);
    PidTimestamps::shared().record(editorPid, windowOf(nodes[2])->id(), 30);
    const auto app = editor();
    const auto minimized = app->windowsMinimized(true);
    ASSERT_EQ(minimized.size(), 2U);

    const WindowRef restored = valueOf(app->unminimizeLast());
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(*restored, *minimized.back());
    EXPECT_EQ(PidTimestamps::shared().stamps(editorPid)->size(), 2U) << "every stamp is kept";
    settleEffects();

    // Without any stamp the last minimised window is taken as well.
    PidTimestamps::shared().removeAll();
    const auto remaining = app->windowsMinimized(true);
    ASSERT_EQ(remaining.size(), 1U);
    EXPECT_EQ(*valueOf(app->unminimizeLast()), *remaining.back());
}

TEST_F(ApplicationOperationsTest, UnminimizeLastWithoutMinimisedWindowsActivatesOrFails) {
    const auto app = editor();
    const auto front = app->windowsMinimized(false).front();
    EXPECT_EQ(*valueOf(app->unminimizeLast()), *front) << "not active: only activated";
    EXPECT_TRUE(editorActive());
    EXPECT_EQ(AppCycleState::shared().count, 0U) << "no cycle while it was inactive";

    // Active: the next window of a right cycle is chosen.
    const auto visible = app->windowsMinimized(false);
    EXPECT_EQ(*valueOf(app->unminimizeLast()), *visible[1]);

    for (const auto& node : nodes)
        node->close(*world);
    sim::workspace(*world).activateNow(*world, otherPid);
    EXPECT_TRUE(failedWithDefault(app->unminimizeLast()));
}

// --- activate

TEST_F(ApplicationOperationsTest, ActivateLogsTheNominalWaitAndRaisesTheFrontWindow) {
    struct Case {
        bool activeBefore;
        const char* line;
    };
    world->component<sim::Timing>().activation = 0.05;
    for (const Case& c : {Case{true, "Application: Activated in 0ms"},
                          Case{false, "Application: Activated in 60ms"}}) {
        if (c.activeBefore) {
            sim::workspace(*world).activateNow(*world, editorPid);
        } else {
            sim::workspace(*world).activateNow(*world, otherPid);
        }
        output.clear();
        const auto app = editor();
        const auto front = app->windowsMinimized(false).front();
        EXPECT_EQ(*valueOf(app->activate()), *front) << c.line;
        EXPECT_EQ(linesWith("Application: Activated"), std::vector<std::string>{c.line});
    }
    // The raise is a delayed write of "AXMain", which does not reorder an already-front window.
    settleEffects();
    EXPECT_EQ(visibleTitles().front(), "C");
}

TEST_F(ApplicationOperationsTest, ActivateWithoutVisibleWindowsBringsBackTheLatestMinimised) {
    for (const auto& node : nodes)
        node->setMinimized(*world, true);
    PidTimestamps::shared().record(editorPid, windowOf(nodes[1])->id(), 5);
    EXPECT_EQ(titleOf(valueOf(editor()->activate())), "B");
    settleEffects();
    EXPECT_FALSE(nodes[1]->isMinimized());
    EXPECT_TRUE(nodes[0]->isMinimized());
    EXPECT_TRUE(linesWith("by click").empty());
}

TEST_F(ApplicationOperationsTest, ActivateFallsBackToTheDockTile) {
    // The workspace never brings the application in front; its Dock tile does.
    world->component<sim::Timing>().activation = 1000;
    sim::Dock::install(*world).addApplicationTile(*world, "Editor", editorURL);
    const double start = now();
    const WindowRef window = valueOf(editor()->activate());
    // The click check only asks for a visible window, which the application already shows.
    EXPECT_EQ(titleOf(window), "C");
    EXPECT_EQ(linesWith("Application: Activated by click in "),
              std::vector<std::string>{"Application: Activated by click in 0ms"});
    // 41 activation checks 0.02 s apart.
    EXPECT_NEAR(now() - start, 40 * 0.02, 1e-9);
    EXPECT_TRUE(linesWith("Application: Activated in").empty());
    settleEffects();
    EXPECT_TRUE(editorActive()) << "the press brings it in front";
}

TEST_F(ApplicationOperationsTest, ActivateFailsWithoutDockTileOrWindow) {
    world->component<sim::Timing>().activation = 1000;
    EXPECT_TRUE(failedWithDefault(editor()->activate())) << "no Dock";

    // A tile whose press fails, and the application shows no window: 21 click checks, then the
    // failure.
    const auto tile = sim::Dock::install(*world).addApplicationTile(*world, "Editor", editorURL);
    world->injectError(tile->element(), "AXPress", platform::ax::cannotComplete);
    for (const auto& node : nodes)
        node->close(*world);
    const auto app = editor();
    const double start = now();
    EXPECT_TRUE(failedWithDefault(app->activateByClick()));
    EXPECT_NEAR(now() - start, 20 * 0.02, 1e-6);
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::performAction), 1) << "pressed once";
}

// --- quit and hide

TEST_F(ApplicationOperationsTest, QuitTerminatesOnTheNextTurnWithoutSnappedWindows) {
    const auto app = editor();
    app->quit();
    EXPECT_TRUE(requestsOf(sim::WorkspaceRequest::Kind::terminate).empty()) << "not at once";
    settleEffects();
    const auto requests = requestsOf(sim::WorkspaceRequest::Kind::terminate);
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].pid, editorPid);
    EXPECT_DOUBLE_EQ(requests[0].time, 0);
    EXPECT_EQ(world->process(editorPid), nullptr);

    // A refusal leaves the application running and is no error.
    world->addProcess(editorPid, "org.example.editor", "Editor");
    sim::workspace(*world).info(editorPid).refusesTermination = true;
    editor()->quit();
    settleEffects();
    EXPECT_NE(world->process(editorPid), nullptr);
}

TEST_F(ApplicationOperationsTest, QuitUnsnapsSnappedWindowsAndTerminatesAfterThem) {
    registry.insert(windowOf(nodes[0]), {0, 0, 200, 100});
    registry.insert(windowOf(nodes[2]), {0, 0, 300, 100});
    std::vector<std::string> unsnapped;
    double unsnappedAt = -1;
    registry.onUnsnap([&](const WindowRef& window) {
        unsnapped.push_back(titleOf(window));
        unsnappedAt = now();
    });
    scheduler().advance(1);

    editor()->quit();
    EXPECT_EQ(unsnapped, (std::vector<std::string>{"C", "A"})) << "in the application's order";
    EXPECT_EQ(registry.count(), 0U);
    settleEffects();
    const auto requests = requestsOf(sim::WorkspaceRequest::Kind::terminate);
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_NEAR(requests[0].time - unsnappedAt, 0.2, 1e-9);
}

TEST_F(ApplicationOperationsTest, HideByShortcutPostsCommandHToTheProcessOrTheCommonStream) {
    sim::InputDevices& devices = sim::InputDevices::of(*world);
    const auto app = editor();
    app->hideByShortcut();
    auto posted = devices.postedEvents();
    ASSERT_EQ(posted.size(), 2U);
    for (std::size_t i = 0; i < posted.size(); ++i) {
        const platform::CGEvent& event = posted[i].event;
        EXPECT_EQ(event.keyCode, 4);
        EXPECT_EQ(event.type,
                  i == 0 ? platform::CGEventType::keyDown : platform::CGEventType::keyUp);
        EXPECT_TRUE(event.flags.contains(platform::CGEventFlags::maskCommand));
        EXPECT_EQ(event.targetPid, editorPid);
        EXPECT_FALSE(posted[i].tap.has_value());
    }

    // A process that has quit keeps its identifier: the keys still go to it, and nowhere else.
    devices.resetPostedEvents();
    world->removeProcess(editorPid);
    app->hideByShortcut();
    posted = devices.postedEvents();
    ASSERT_EQ(posted.size(), 2U);
    EXPECT_FALSE(posted[0].tap.has_value());
    EXPECT_EQ(posted[0].event.targetPid, editorPid);
}

}  // namespace
}  // namespace zoral::desktop
