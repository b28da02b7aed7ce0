#include "platform/output.h"

#include <cstdio>
#include <utility>

#include "platform/process_state.h"
#include "platform/thread_safety.h"

namespace zoral::platform::output {
namespace {

// The sink is called while this lock is held: that keeps lines whole, and lets setSink promise
// that the replaced sink is no longer in use when it returns.
struct CurrentSink {
    Mutex mutex;
    Sink sink ZORAL_GUARDED_BY(mutex) = writeToStandardOutput;
};

CurrentSink& current() {
    return processPart<CurrentSink>();
}

}  // namespace

void writeToStandardOutput(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printLine(std::string_view line) {
    auto& state = current();
    const MutexLock lock(state.mutex);
    state.sink(line);
}

Sink setSink(Sink sink) {
    if (!sink) {
        sink = writeToStandardOutput;
    }
    auto& state = current();
    const MutexLock lock(state.mutex);
    return std::exchange(state.sink, std::move(sink));
}

}  // namespace zoral::platform::output
