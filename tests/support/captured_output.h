#pragma once

// Captures the program's output sink for the life of a scope, so that a test can read the lines
// the code under test printed.

#include <mutex>
#include <string>
#include <vector>

#include "platform/output.h"

namespace zoral::testing {

class ScopedOutputCapture {
public:
    ScopedOutputCapture();
    // Puts back the sink that was installed before.
    ~ScopedOutputCapture();

    ScopedOutputCapture(const ScopedOutputCapture&) = delete;
    ScopedOutputCapture& operator=(const ScopedOutputCapture&) = delete;

    // The lines printed so far, in order, without line feeds.
    std::vector<std::string> lines() const;
    // The lines joined with line feeds, each line ended by one.
    std::string text() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    platform::output::Sink previous_;
};

}  // namespace zoral::testing
