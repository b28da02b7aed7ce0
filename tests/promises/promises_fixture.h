#pragma once

// The promise tests' fixture: a virtual-clock scheduler, the output captured, and the shared
// promise configuration restored afterwards. The scheduler is torn down first, so that warnings
// printed while its pending work is destroyed are captured too.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/scheduler.h"
#include "promises/configuration.h"
#include "support/captured_output.h"

namespace zoral::promises::testing {

class ConfigurationRestore {
public:
    ConfigurationRestore() : saved_(promiseConfiguration()) {}
    ~ConfigurationRestore() { setPromiseConfiguration(saved_); }
    ConfigurationRestore(const ConfigurationRestore&) = delete;
    ConfigurationRestore& operator=(const ConfigurationRestore&) = delete;

private:
    PromisesConfiguration saved_;
};

class PromisesTest : public ::testing::Test {
protected:
    platform::Scheduler& scheduler() { return *scheduler_; }
    std::vector<std::string> lines() const { return output_.lines(); }
    void clearOutput() { output_.clear(); }

    static ErrorRef failure(std::int64_t code = 1) {
        return platform::makeError("Test", code, "failure " + std::to_string(code));
    }

private:
    zoral::testing::ScopedOutputCapture output_;
    ConfigurationRestore configuration_;
    platform::ScopedScheduler scheduler_;
};

inline const std::string pendingPromiseLine = "Promises: warning: pending promise deallocated";
inline const std::string pendingGuaranteeLine = "Promises: warning: pending guarantee deallocated";
inline const std::string waitLine = "Promises: warning: `wait()` called on main thread!";

}  // namespace zoral::promises::testing
