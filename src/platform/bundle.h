#pragma once

// Bundle information: the program's identity, where it runs from, and whether that place is an
// applications folder.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zoral::platform {

class Bundle {
public:
    explicit Bundle(std::string bundlePath);

    // The running program's bundle. Its path is the directory of the running executable, or the
    // path set with setMainBundlePath.
    static Bundle main();
    // Lets tests place the main bundle anywhere; nullopt goes back to the executable's directory.
    // Returns the setting it replaces.
    static std::optional<std::string> setMainBundlePath(std::optional<std::string> path);

    const std::string& bundlePath() const { return bundlePath_; }
    std::string_view name() const;
    std::string_view bundleIdentifier() const;
    std::string_view shortVersion() const;
    int buildVersion() const;

    // See isInApplicationsFolder(std::string_view).
    bool isInApplicationsFolder() const;

private:
    std::string bundlePath_;
};

// The system's applications directories, as a path prefix may name them.
inline constexpr std::array<std::string_view, 3> applicationDirectories = {
    "/Applications", "/System/Applications", "/Network/Applications"};

// True when the path starts with one of applicationDirectories (as text, the way the system
// compares them), or when one of its components, split at "/" with empty components dropped, is
// "Applications" (which takes in the user's own ~/Applications).
bool isInApplicationsFolder(std::string_view path);

// The directory of the running executable, from /proc/self/exe; empty when it cannot be read.
std::string executableDirectory();
// The running executable itself, the same way.
std::string executablePath();

}  // namespace zoral::platform
