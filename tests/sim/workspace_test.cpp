#include "sim/workspace.h"

#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/iohid.h"
#include "platform/workspace.h"
#include "sim/iohid.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::ActivationPolicy;
using platform::ProcessId;

class SimWorkspaceTest : public zoral::testing::VirtualClockTest {
protected:
    SimWorkspaceTest() {
        world->addProcess(10, "org.example.editor", "Editor");
        world->addProcess(20, "com.example.agent", "Agent");
        world->addProcess(30, "org.example.editor", "Editor");
        workspace(*world).info(10).bundleURL = "file:///Applications/Editor.app/";
        workspace(*world).info(20).activationPolicy = ActivationPolicy::accessory;
    }

    static std::vector<ProcessId> pids(const std::vector<platform::RunningApplication>& records) {
        std::vector<ProcessId> result;
        for (const auto& record : records)
            result.push_back(record.processIdentifier);
        return result;
    }

    ScopedWorld world;
};

TEST_F(SimWorkspaceTest, RecordsDescribeTheProcesses) {
    const auto editor = platform::runningApplicationWithProcessIdentifier(10);
    ASSERT_TRUE(editor.has_value());
    EXPECT_EQ(*editor, (platform::RunningApplication{
                           .processIdentifier = 10,
                           .bundleIdentifier = "org.example.editor",
                           .bundleURL = "file:///Applications/Editor.app/",
                           .localizedName = "Editor",
                           .activationPolicy = ActivationPolicy::regular,
                           .active = false,
                           .hidden = false,
                       }));
    world->addProcess(40, "", "");
    const auto bare = platform::runningApplicationWithProcessIdentifier(40);
    EXPECT_EQ(bare->bundleIdentifier, std::nullopt);
    EXPECT_EQ(bare->localizedName, std::nullopt);
    EXPECT_EQ(platform::runningApplicationWithProcessIdentifier(99), std::nullopt);
    EXPECT_EQ(platform::runningApplicationWithProcessIdentifier(World::systemWidePid),
              std::nullopt);
}

TEST_F(SimWorkspaceTest, TheActiveApplicationIsTheFrontmostRegularVisibleOne) {
    EXPECT_EQ(pids(platform::runningApplications()), (std::vector<ProcessId>{30, 20, 10}));
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 30);
    EXPECT_TRUE(platform::runningApplicationWithProcessIdentifier(30)->active);
    EXPECT_FALSE(platform::runningApplicationWithProcessIdentifier(10)->active);

    world->bringToFront(20);
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 30) << "an accessory";
    workspace(*world).info(30).hidden = true;
    EXPECT_EQ(platform::frontmostApplication()->processIdentifier, 10);
    workspace(*world).info(10).activationPolicy = ActivationPolicy::prohibited;
    EXPECT_EQ(platform::frontmostApplication(), std::nullopt);
}

TEST_F(SimWorkspaceTest, BundleIdentifierLookupsAndTermination) {
    EXPECT_EQ(pids(platform::runningApplicationsWithBundleIdentifier("org.example.editor")),
              (std::vector<ProcessId>{30, 10}));
    EXPECT_TRUE(platform::runningApplicationsWithBundleIdentifier("org.example").empty());
    const auto editor = *platform::runningApplicationWithProcessIdentifier(10);
    EXPECT_FALSE(platform::isTerminated(editor));
    world->removeProcess(10);
    EXPECT_TRUE(platform::isTerminated(editor));
}

TEST_F(SimWorkspaceTest, InputMonitoringAccessAnswersFromTheWorld) {
    using platform::iohid::AccessType;
    using platform::iohid::RequestType;
    EXPECT_EQ(platform::iohid::checkAccess(RequestType::postEvent), AccessType::granted);
    EXPECT_EQ(platform::iohid::checkAccess(RequestType::listenEvent), AccessType::granted);
    world->component<InputMonitoringAccess>().listen = AccessType::denied;
    EXPECT_EQ(platform::iohid::checkAccess(RequestType::postEvent), AccessType::granted);
    EXPECT_EQ(platform::iohid::checkAccess(RequestType::listenEvent), AccessType::denied);
}

}  // namespace
}  // namespace zoral::sim
