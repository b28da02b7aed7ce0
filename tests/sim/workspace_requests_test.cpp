#include <any>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/notification_center.h"
#include "platform/run_loop.h"
#include "platform/workspace.h"
#include "sim/timing.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using Kind = WorkspaceRequest::Kind;

class WorkspaceRequestsTest : public zoral::testing::VirtualClockTest {
protected:
    WorkspaceRequestsTest() {
        world->addProcess(1, "org.example.editor", "Editor");
        world->addProcess(2, "org.example.viewer", "Viewer");  // in front
        world->component<Timing>() = Timing{.activation = 0.06, .termination = 0.2};
    }

    platform::RunningApplication record(platform::ProcessId pid) {
        return *platform::runningApplicationWithProcessIdentifier(pid);
    }
    std::optional<platform::ProcessId> frontmost() {
        const auto front = platform::frontmostApplication();
        return front ? std::optional(front->processIdentifier) : std::nullopt;
    }

    ScopedWorld world;
};

TEST_F(WorkspaceRequestsTest, ActivationHappensAfterItsLatency) {
    const auto editor = record(1);
    ASSERT_TRUE(platform::activate(editor, platform::activateIgnoringOtherApps));
    EXPECT_EQ(frontmost(), 2) << "not yet";
    scheduler().advance(0.059);
    EXPECT_EQ(frontmost(), 2);
    scheduler().advance(0.001);
    EXPECT_EQ(frontmost(), 1);
    EXPECT_EQ(workspace(*world).requests(),
              (std::vector<WorkspaceRequest>{
                  {Kind::activate, 1, platform::activateIgnoringOtherApps, 0.0}}));
}

TEST_F(WorkspaceRequestsTest, HidingAndUnhidingTakeTheirLatencyAndChangeWhoIsInFront) {
    world->component<Timing>().hide = 0.04;
    ASSERT_TRUE(platform::hide(record(2)));
    scheduler().advance(0.039);
    EXPECT_FALSE(record(2).hidden);
    scheduler().advance(0.001);
    EXPECT_TRUE(record(2).hidden);
    EXPECT_EQ(frontmost(), 1);
    EXPECT_EQ(ax::copyAttributeValue(ax::createApplication(2), "AXHidden").value(),
              ax::Value(true));
    ASSERT_TRUE(platform::unhide(record(2)));
    scheduler().advance(0.04);
    EXPECT_EQ(frontmost(), 2);
    // Activating through the accessibility attribute acts at once; hiding through it takes the
    // same time as a request.
    ASSERT_EQ(ax::setAttributeValue(ax::createApplication(1), "AXFrontmost", true), ax::success);
    EXPECT_EQ(frontmost(), 1);
    EXPECT_EQ(ax::copyAttributeValue(ax::createApplication(1), "AXFrontmost").value(),
              ax::Value(true));
    ASSERT_EQ(ax::setAttributeValue(ax::createApplication(1), "AXHidden", true), ax::success);
    EXPECT_EQ(frontmost(), 1);
    scheduler().advance(0.04);
    EXPECT_EQ(frontmost(), 2);
}

TEST_F(WorkspaceRequestsTest, TerminationTakesTimeAndMayBeRefused) {
    workspace(*world).info(2).refusesTermination = true;
    const auto editor = record(1);
    ASSERT_TRUE(platform::terminate(editor));
    ASSERT_TRUE(platform::terminate(record(2)));
    scheduler().advance(0.1);
    EXPECT_FALSE(platform::isTerminated(editor));
    scheduler().advance(0.1);
    EXPECT_TRUE(platform::isTerminated(editor));
    EXPECT_FALSE(platform::isTerminated(record(2)));
    // A request to a process that is gone is refused and still recorded.
    EXPECT_FALSE(platform::activate(editor, {}));
    EXPECT_EQ(workspace(*world).requests().size(), 3u);
}

// However a process ends, its windows post nothing as they go (the system sends no
// element-destroyed notification for them); the workspace announces the end, on the main queue a
// turn later, once, with the application's record. A process that refuses to quit is not announced.
TEST_F(WorkspaceRequestsTest, AProcessThatEndsIsAnnouncedByTheWorkspaceAloneOnce) {
    struct Row {
        const char* name;
        platform::ProcessId pid;
        std::function<void(platform::ProcessId)> end;
        // When it is gone, from now.
        double after;
        bool refuses = false;
    };
    const auto request = [this](platform::ProcessId pid) {
        ASSERT_TRUE(platform::terminate(record(pid)));
    };
    const Row rows[] = {
        {"quit on request", 3, request, 0.2},
        {"crashed", 4, [this](platform::ProcessId pid) { world->removeProcess(pid); }, 0},
        {"refuses to quit", 5, request, 0.2, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const platform::ProcessId pid = row.pid;
        world->addProcess(pid, "org.example.notes", "Notes");
        workspace(*world).info(pid).refusesTermination = row.refuses;
        const auto window = world->makeNode(pid, "AXWindow");
        world->process(pid)->application->appendChild(window);

        std::vector<platform::RunningApplication> announced;
        const auto token = platform::workspaceNotificationCenter().addObserver(
            std::string(platform::workspaceDidTerminateApplicationNotification), nullptr,
            [&](const platform::Notification& notification) {
                const auto& info =
                    notification.userInfo.at(std::string(platform::workspaceApplicationKey));
                announced.push_back(std::any_cast<platform::RunningApplication>(info));
            });
        int told = 0;
        auto observer =
            ax::observerCreateWithInfoCallback(pid, [&](const ax::ObserverRef&, ax::Element,
                                                        const std::string&, const ax::Info&,
                                                        const ax::ObserverUserData&) {
                ++told;
            }).value();
        platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                            platform::RunLoopMode::defaultMode);
        for (const auto& element :
             {window->element(), world->process(pid)->application->element()}) {
            ASSERT_EQ(ax::observerAddNotification(observer, element, "AXUIElementDestroyed", {}),
                      ax::success);
        }

        row.end(pid);
        EXPECT_TRUE(announced.empty()) << "never in the call that ends the process";
        scheduler().advance(row.after);
        scheduler().runUntilIdle();
        if (row.refuses) {
            EXPECT_NE(world->process(pid), nullptr);
            EXPECT_TRUE(announced.empty());
        } else {
            EXPECT_EQ(world->process(pid), nullptr);
            ASSERT_EQ(announced.size(), 1U);
            EXPECT_EQ(announced[0].processIdentifier, pid);
            EXPECT_EQ(announced[0].bundleIdentifier, "org.example.notes");
        }
        scheduler().runFor(1);
        EXPECT_EQ(announced.size(), row.refuses ? 0U : 1U);
        EXPECT_EQ(told, 0);

        platform::RunLoop::main().removeSource(ax::observerGetRunLoopSource(observer),
                                               platform::RunLoopMode::defaultMode);
        platform::workspaceNotificationCenter().removeObserver(token);
    }
}

}  // namespace
}  // namespace zoral::sim
