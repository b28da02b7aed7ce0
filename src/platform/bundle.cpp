#include "platform/bundle.h"

#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/identity.h"

namespace zoral::platform {
namespace {

std::mutex& mainPathMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<std::string>& mainPathOverride() {
    static std::optional<std::string> path;
    return path;
}

}  // namespace

Bundle::Bundle(std::string bundlePath) : bundlePath_(std::move(bundlePath)) {}

Bundle Bundle::main() {
    {
        std::lock_guard lock(mainPathMutex());
        if (mainPathOverride()) {
            return Bundle(*mainPathOverride());
        }
    }
    static const std::string directory = executableDirectory();
    return Bundle(directory);
}

std::optional<std::string> Bundle::setMainBundlePath(std::optional<std::string> path) {
    std::lock_guard lock(mainPathMutex());
    return std::exchange(mainPathOverride(), std::move(path));
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

std::string executableDirectory() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return executable.parent_path().string();
}

}  // namespace zoral::platform
