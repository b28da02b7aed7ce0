#pragma once

// The shell runner: runs a command through "/bin/bash -c", waits for it, and gives back what it
// wrote to standard output. Standard input and standard error are the program's own. Tests put a
// recorder in place of the real runner.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::platform {

namespace shell {

struct Result {
    // Standard output, read to its end; empty when it is not valid UTF-8.
    std::string output;
    // The exit code; 128 + the signal number when a signal ended the command; -1 when it could
    // not be started.
    int exitStatus = 0;
};

using Runner = std::function<Result(std::string_view command)>;

// Runs the command through the current runner.
Result run(std::string_view command);

// The real runner: starts "/bin/bash" with "-c" and the command, reads its output to the end and
// reaps it. Never throws; a command that cannot run gives what it printed, usually nothing.
Result runWithBash(std::string_view command);

// Installs a runner and returns the one it replaces; an empty function restores runWithBash.
Runner setRunner(Runner runner);

// Records the commands run while it lives, instead of running them, and answers each with the
// result given to it. Puts back the previous runner when it ends. Commands may come from any
// thread, but none may still be running when the recorder ends.
class ScopedRecorder {
public:
    explicit ScopedRecorder(Result answer = {});
    ~ScopedRecorder();
    ScopedRecorder(const ScopedRecorder&) = delete;
    ScopedRecorder& operator=(const ScopedRecorder&) = delete;

    std::vector<std::string> commands() const;
    void setAnswer(Result answer);

private:
    mutable Mutex mutex_;
    std::vector<std::string> commands_ ZORAL_GUARDED_BY(mutex_);
    Result answer_ ZORAL_GUARDED_BY(mutex_);
    Runner previous_;
};

}  // namespace shell

}  // namespace zoral::platform
