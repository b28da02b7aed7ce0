#include "platform/home.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

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
    std::string pattern = (std::filesystem::temp_directory_path() / "zoral-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary home in " + pattern);
    path_ = pattern;
    home_.emplace(path_);
}

TemporaryHomeDirectory::~TemporaryHomeDirectory() {
    home_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace zoral::platform
