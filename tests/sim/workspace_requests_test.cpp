#include <gtest/gtest.h>

#include "platform/accessibility.h"
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

}  // namespace
}  // namespace zoral::sim
