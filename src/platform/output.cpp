#include "platform/output.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace zoral::platform::output {
namespace {

// The sink is called while this lock is held: that keeps lines whole, and lets setSink promise
// that the replaced sink is no longer in use when it returns.
std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

Sink& currentSink() {
    static Sink sink = writeToStandardOutput;
    return sink;
}

}  // namespace

void writeToStandardOutput(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printLine(std::string_view line) {
    std::lock_guard lock(sinkMutex());
    currentSink()(line);
}

Sink setSink(Sink sink) {
    if (!sink) {
        sink = writeToStandardOutput;
    }
    std::lock_guard lock(sinkMutex());
    return std::exchange(currentSink(), std::move(sink));
}

}  // namespace zoral::platform::output
