#include "platform/home.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include <signal.h>
#include <unistd.h>

#include "platform/process_state.h"
#include "platform/thread_safety.h"

namespace zoral::platform {
namespace {

struct Placed {
    platform::Mutex mutex;
    // Nothing: the default; otherwise the directory, or no home at all.
    std::optional<std::optional<std::filesystem::path>> home ZORAL_GUARDED_BY(mutex);
};

Placed& placed() {
    return processPart<Placed>();
}

std::optional<std::filesystem::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    std::filesystem::path path(value);
    if (!path.is_absolute())
        return std::nullopt;
    return path;
}

// The environment variable that hands the run's directory to the processes it starts.
constexpr const char* runDirectoryVariable = "ZORAL_RUN_DIRECTORY";
constexpr std::string_view runPrefix = "zoral-run-";

// The directory of this run's temporary homes, and the process that made it: only that process
// removes it, so that a forked child that exits does not take its parent's homes.
struct Run {
    platform::Mutex mutex;
    std::optional<std::filesystem::path> directory ZORAL_GUARDED_BY(mutex);
    pid_t owner ZORAL_GUARDED_BY(mutex) = 0;
    bool removalAtExit ZORAL_GUARDED_BY(mutex) = false;
};

Run& run() {
    // Never destroyed: the removal at exit still needs it.
    static Run* instance = new Run;
    return *instance;
}

void removeOwnRunDirectory() {
    Run& state = run();
    const MutexLock lock(state.mutex);
    if (!state.directory || state.owner != ::getpid())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(*state.directory, ignored);
    state.directory.reset();
}

// The process that made a run's directory, from its name.
std::optional<pid_t> ownerOf(const std::string& name) {
    if (!name.starts_with(runPrefix))
        return std::nullopt;
    const char* first = name.data() + runPrefix.size();
    const char* last = name.data() + name.size();
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == last || *end != '-' || pid <= 0)
        return std::nullopt;
    return pid;
}

bool isRunning(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

bool isDirectory(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// The directory for a new home: the run's, made (after sweeping those of runs that are gone) when
// neither this process nor the one that started it has one.
std::filesystem::path directoryForHomes() {
    Run& state = run();
    const MutexLock lock(state.mutex);
    if (state.directory && isDirectory(*state.directory))
        return *state.directory;
    if (const char* inherited = std::getenv(runDirectoryVariable);
        inherited != nullptr && *inherited == '/' && isDirectory(inherited) &&
        (!state.directory || *state.directory != inherited)) {
        state.directory = std::filesystem::path(inherited);
        return *state.directory;
    }
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    TemporaryHomeDirectory::sweepAbandonedRuns(temporary);
    std::string pattern =
        (temporary / (std::string(runPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a directory for temporary homes in " + pattern);
    state.directory = std::filesystem::path(pattern);
    state.owner = ::getpid();
    ::setenv(runDirectoryVariable, pattern.c_str(), 1);
    if (!state.removalAtExit) {
        state.removalAtExit = true;
        std::atexit(removeOwnRunDirectory);
    }
    return *state.directory;
}

// Removes the run's directory once its last home has gone, when this process made it.
void removeRunDirectoryIfEmpty() {
    Run& state = run();
    const MutexLock lock(state.mutex);
    if (!state.directory || state.owner != ::getpid())
        return;
    std::error_code error;
    if (std::filesystem::remove(*state.directory, error))
        state.directory.reset();
}

}  // namespace

std::optional<std::filesystem::path> defaultHomeDirectory() {
    if (auto data = absoluteVariable("XDG_DATA_HOME"))
        return *data / "zoral" / "home";
    if (auto home = absoluteVariable("HOME"))
        return *home / ".local" / "share" / "zoral" / "home";
    return std::nullopt;
}

std::optional<std::filesystem::path> homeDirectory() {
    {
        auto& state = placed();
        const MutexLock lock(state.mutex);
        if (state.home)
            return *state.home;
    }
    return defaultHomeDirectory();
}

std::optional<std::filesystem::path> preferencesFile(std::string_view domain) {
    auto home = homeDirectory();
    if (!home)
        return std::nullopt;
    return *home / "Library" / "Preferences" / (std::string(domain) + ".plist");
}

ScopedHomeDirectory::ScopedHomeDirectory(std::optional<std::filesystem::path> directory) {
    auto& state = placed();
    const MutexLock lock(state.mutex);
    previous_ = std::exchange(state.home, std::move(directory));
}

ScopedHomeDirectory::~ScopedHomeDirectory() {
    auto& state = placed();
    const MutexLock lock(state.mutex);
    state.home = std::move(previous_);
}

TemporaryHomeDirectory::TemporaryHomeDirectory() {
    std::string pattern = (directoryForHomes() / "home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary home in " + pattern);
    path_ = pattern;
    home_.emplace(path_);
}

TemporaryHomeDirectory::~TemporaryHomeDirectory() {
    home_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    removeRunDirectoryIfEmpty();
}

std::optional<std::filesystem::path> TemporaryHomeDirectory::runDirectory() {
    Run& state = run();
    const MutexLock lock(state.mutex);
    return state.directory;
}

void TemporaryHomeDirectory::sweepAbandonedRuns(const std::filesystem::path& temporaryDirectory) {
    std::error_code error;
    std::filesystem::directory_iterator entries(
        temporaryDirectory, std::filesystem::directory_options::skip_permission_denied, error);
    if (error)
        return;
    for (const auto& entry : entries) {
        const auto owner = ownerOf(entry.path().filename().string());
        if (!owner || isRunning(*owner) || !entry.is_directory(error))
            continue;
        std::filesystem::remove_all(entry.path(), error);
    }
}

}  // namespace zoral::platform
