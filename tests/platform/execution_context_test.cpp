#include "platform/execution_context.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

// Contexts take turns on one thread, each resuming where it stopped, with its own stack.
TEST(ExecutionContext, ContextsResumeWhereTheyStopped) {
    std::vector<std::string> order;
    ExecutionContext root;
    ExecutionContext* second = nullptr;
    ExecutionContext first([&]() -> ExecutionContext& {
        const std::string own = "first";  // lives on this context's stack across switches
        order.push_back(own + " 1");
        first.switchTo(*second);
        order.push_back(own + " 2");
        return *second;
    });
    ExecutionContext other([&]() -> ExecutionContext& {
        order.push_back("second 1");
        other.switchTo(root);
        order.push_back("second 2");
        other.switchTo(first);
        order.push_back("second 3");
        return root;
    });
    second = &other;
    EXPECT_FALSE(first.hasStarted());
    root.switchTo(first);
    order.push_back("root 1");
    root.switchTo(other);
    order.push_back("root 2");
    EXPECT_TRUE(first.hasFinished());
    EXPECT_TRUE(other.hasFinished());
    EXPECT_EQ(order, (std::vector<std::string>{"first 1", "second 1", "root 1", "second 2",
                                               "first 2", "second 3", "root 2"}));
}

TEST(ExecutionContextDeathTest, DestroyingASuspendedContextStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ExecutionContext root;
            std::unique_ptr<ExecutionContext> suspended;
            suspended = std::make_unique<ExecutionContext>([&]() -> ExecutionContext& {
                suspended->switchTo(root);
                return root;
            });
            root.switchTo(*suspended);
            suspended.reset();
        },
        "destroyed while suspended");
}

}  // namespace
}  // namespace zoral::platform
