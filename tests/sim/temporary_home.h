#pragma once

// A home directory of the test's own for the life of the object: HOME points to it, the user
// defaults read from it, and afterwards both are put back and the directory removed, so nothing
// reads or writes the real home.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/user_defaults.h"

namespace zoral::testing {

class TemporaryHome {
public:
    TemporaryHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zoral-home-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary home");
        path_ = pattern;
        if (const char* previous = std::getenv("HOME"))
            previous_ = previous;
        ::setenv("HOME", path_.c_str(), 1);
        platform::UserDefaults::resetForTesting();
    }

    ~TemporaryHome() {
        // Reset while HOME is still ours, so that nothing is saved into the real home.
        platform::UserDefaults::resetForTesting();
        if (previous_) {
            ::setenv("HOME", previous_->c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path preferences() const { return path_ / "Library" / "Preferences"; }

private:
    std::filesystem::path path_;
    std::optional<std::string> previous_;
};

}  // namespace zoral::testing
