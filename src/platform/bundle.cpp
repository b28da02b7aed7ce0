#include "platform/bundle.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/identity.h"
#include "platform/process_state.h"
#include "platform/thread_safety.h"

namespace zoral::platform {
namespace {

struct MainPathOverride {
    Mutex mutex;
    std::optional<std::string> path ZORAL_GUARDED_BY(mutex);
};

MainPathOverride& mainPathOverride() {
    return processPart<MainPathOverride>();
}

}  // namespace

Bundle::Bundle(std::string bundlePath) : bundlePath_(std::move(bundlePath)) {}

Bundle Bundle::main() {
    {
        auto& override = mainPathOverride();
        const MutexLock lock(override.mutex);
        if (override.path) {
            return Bundle(*override.path);
        }
    }
    static const std::string directory = executableDirectory();
    return Bundle(directory);
}

std::optional<std::string> Bundle::setMainBundlePath(std::optional<std::string> path) {
    auto& override = mainPathOverride();
    const MutexLock lock(override.mutex);
    return std::exchange(override.path, std::move(path));
}

std::string_view Bundle::name() const {
    return identity::appName;
}

std::string_view Bundle::bundleIdentifier() const {
    return identity::bundleIdentifier;
}

std::string_view Bundle::shortVersion() const {
    return identity::shortVersion;
}

int Bundle::buildVersion() const {
    return identity::buildVersion;
}

bool Bundle::isInApplicationsFolder() const {
    return platform::isInApplicationsFolder(bundlePath_);
}

bool isInApplicationsFolder(std::string_view path) {
    for (const auto directory : applicationDirectories) {
        if (path.starts_with(directory)) {
            return true;
        }
    }
    while (!path.empty()) {
        const auto slash = path.find('/');
        const auto component = path.substr(0, slash);
        if (component == "Applications") {
            return true;
        }
        if (slash == std::string_view::npos) {
            break;
        }
        path.remove_prefix(slash + 1);
    }
    return false;
}

std::string executablePath() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return executable.string();
}

std::string executableDirectory() {
    return std::filesystem::path(executablePath()).parent_path().string();
}

}  // namespace zoral::platform
