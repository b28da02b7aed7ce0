#include "platform/shell.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process_state.h"
#include "platform/thread_safety.h"
#include "platform/utf8.h"

extern char** environ;

namespace zoral::platform {
namespace shell {
namespace {

struct CurrentRunner {
    Mutex mutex;
    Runner runner ZORAL_GUARDED_BY(mutex) = runWithBash;
};

CurrentRunner& current() {
    return processPart<CurrentRunner>();
}

std::string readToEnd(int fd) {
    std::string bytes;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) {
            bytes.append(buffer.data(), static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            return bytes;
        }
    }
}

int waitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

}  // namespace

Result run(std::string_view command) {
    Runner runner;
    {
        auto& state = current();
        const MutexLock lock(state.mutex);
        runner = state.runner;
    }
    return runner(command);
}

Result runWithBash(std::string_view command) {
    // Close-on-exec on both ends, so that a child started by another thread at the same time does
    // not inherit the write end and keep our read from ever seeing its end.
    std::array<int, 2> pipeFds{};
    if (::pipe2(pipeFds.data(), O_CLOEXEC) != 0) {
        return {"", -1};
    }
    const int readEnd = pipeFds[0];
    const int writeEnd = pipeFds[1];

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the child's standard output; the originals close at exec.
    posix_spawn_file_actions_adddup2(&actions, writeEnd, STDOUT_FILENO);

    // The command starts with no blocked signals and with SIGPIPE at its default action, whatever
    // this thread blocks or the program ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes,
                             static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));

    char bash[] = "/bin/bash";
    char dashC[] = "-c";
    std::string commandText(command);
    std::array<char*, 4> argv{bash, dashC, commandText.data(), nullptr};
    pid_t pid = 0;
    const int spawnError = ::posix_spawn(&pid, bash, &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // On Linux a close interrupted by a signal has still closed the descriptor: none is retried.
    ::close(writeEnd);
    if (spawnError != 0) {
        ::close(readEnd);
        return {"", -1};
    }

    std::string bytes = readToEnd(readEnd);
    ::close(readEnd);
    const int status = waitForExit(pid);
    if (!utf8::isValid(bytes)) {
        bytes.clear();
    }
    return {std::move(bytes), status};
}

Runner setRunner(Runner runner) {
    if (!runner) {
        runner = runWithBash;
    }
    auto& state = current();
    const MutexLock lock(state.mutex);
    return std::exchange(state.runner, std::move(runner));
}

ScopedRecorder::ScopedRecorder(Result answer) : answer_(std::move(answer)) {
    previous_ = setRunner([this](std::string_view command) {
        const MutexLock lock(mutex_);
        commands_.emplace_back(command);
        return answer_;
    });
}

ScopedRecorder::~ScopedRecorder() {
    setRunner(std::move(previous_));
}

std::vector<std::string> ScopedRecorder::commands() const {
    const MutexLock lock(mutex_);
    return commands_;
}

void ScopedRecorder::setAnswer(Result answer) {
    const MutexLock lock(mutex_);
    answer_ = std::move(answer);
}

}  // namespace shell

}  // namespace zoral::platform
