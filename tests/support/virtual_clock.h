#pragma once

#include <gtest/gtest.h>

#include "platform/scheduler.h"

namespace zoral::testing {

// A test that runs on its own scheduler with the virtual clock; pending work
// is torn down with the test.
class VirtualClockTest : public ::testing::Test {
protected:
    platform::Scheduler& scheduler() { return *scheduler_; }

private:
    platform::ScopedScheduler scheduler_;
};

}  // namespace zoral::testing
