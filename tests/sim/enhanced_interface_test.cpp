#include "sim/enhanced_interface.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;

class EnhancedInterfaceTest : public zoral::testing::VirtualClockTest {
protected:
    EnhancedInterfaceTest() {
        world->addProcess(12, "org.example.editor", "Editor");
        application = world->process(12)->application->element();
    }

    EnhancedInterface& enhanced() { return world->component<EnhancedInterface>(); }

    ScopedWorld world;
    ax::Element application;
};

TEST_F(EnhancedInterfaceTest, ApplicationsKeepTheirValueAndEveryWriteIsRecorded) {
    EXPECT_EQ(ax::copyAttributeValue(application, "AXEnhancedUserInterface").error(), ax::noValue)
        << "an application that never had the interface reports no value";
    EXPECT_EQ(ax::isAttributeSettable(application, "AXEnhancedUserInterface").value(), true);
    const auto names = ax::copyAttributeNames(application).value();
    EXPECT_NE(std::find(names.begin(), names.end(), "AXEnhancedUserInterface"), names.end());

    enhanced().setValue(12, true);
    EXPECT_EQ(ax::copyAttributeValue(application, "AXEnhancedUserInterface").value(),
              ax::Value(true));
    EXPECT_TRUE(enhanced().writes().empty()) << "the starting state is no write";

    scheduler().advance(1.5);
    ASSERT_EQ(ax::setAttributeValue(application, "AXEnhancedUserInterface", false), ax::success);
    ASSERT_EQ(ax::setAttributeValue(application, "AXEnhancedUserInterface", false), ax::success);
    EXPECT_EQ(ax::setAttributeValue(application, "AXEnhancedUserInterface", "on"),
              ax::illegalArgument);
    EXPECT_EQ(ax::copyAttributeValue(application, "AXEnhancedUserInterface").value(),
              ax::Value(false));
    const std::vector<EnhancedInterfaceWrite> expected = {{12, false, 1.5}, {12, false, 1.5}};
    EXPECT_EQ(enhanced().writes(), expected) << "a write of the same value still counts";
}

}  // namespace
}  // namespace zoral::sim
