#pragma once

// A home directory of the test's own for the life of the object: the program's home
// (platform/home.h) is put there, the user defaults forget what they loaded and read from it, and
// afterwards the home in place before comes back and the directory is removed. So a test reads
// only files it wrote, and nothing reads or writes a real home.

#include <filesystem>
#include <optional>

#include "platform/home.h"

namespace zoral::testing {

class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::filesystem::path& path() const { return home_.path(); }
    // Where the user defaults keep their files.
    std::filesystem::path preferences() const { return path() / "Library" / "Preferences"; }

    // Takes the home away, so that the user defaults live in memory only, until the object ends;
    // the user defaults read again from the temporary home afterwards.
    class Without {
    public:
        Without();
        ~Without();
        Without(const Without&) = delete;
        Without& operator=(const Without&) = delete;

    private:
        std::optional<platform::ScopedHomeDirectory> none_;
    };

private:
    platform::TemporaryHomeDirectory home_;
};

}  // namespace zoral::testing
