#pragma once

// The home directory that the program sees: the user defaults keep their files under its
// Library/Preferences, the system's own files (the symbolic hot keys) are read from there, and
// nothing the program reads or writes lies outside it. This is the one place that chooses it:
// $XDG_DATA_HOME/zoral/home, or ~/.local/share/zoral/home without that variable, so the program
// never writes into the top of the user's real home. Without either variable there is no home,
// and the user defaults live in memory only. Tests and the world runner put a home of their own
// in place with ScopedHomeDirectory.
//
// Every call is safe from any thread.

#include <filesystem>
#include <optional>
#include <string_view>

namespace zoral::platform {

// The home in place now.
std::optional<std::filesystem::path> homeDirectory();

// Where the home lies when nothing else is put in place, from the environment as it is now. Only
// absolute paths count: a relative one would depend on the directory the program starts in.
std::optional<std::filesystem::path> defaultHomeDirectory();

// The file of a preferences domain: <home>/Library/Preferences/<domain>.plist; none without a
// home.
std::optional<std::filesystem::path> preferencesFile(std::string_view domain);

// Puts the directory (or no home at all) in place for the life of the object; the one in place
// before comes back afterwards. Made and destroyed in nested order.
class ScopedHomeDirectory {
public:
    explicit ScopedHomeDirectory(std::optional<std::filesystem::path> directory);
    ~ScopedHomeDirectory();
    ScopedHomeDirectory(const ScopedHomeDirectory&) = delete;
    ScopedHomeDirectory& operator=(const ScopedHomeDirectory&) = delete;

private:
    // What was in place before: nothing (the default), or a directory or no home.
    std::optional<std::optional<std::filesystem::path>> previous_;
};

// A new, empty directory in the system's temporary directory, put in place as the home for the
// life of the object and then removed with all it holds: for runs that must neither read what an
// earlier run left nor leave anything behind. Throws std::runtime_error when it cannot be made.
//
// A run that is killed cannot remove its homes, so they live in one directory of the run's,
// "zoral-run-<pid>-XXXXXX", which goes when its last home goes or the process exits, and which
// the next run removes once that process is gone. Processes the run starts (a death test's child)
// put their homes in the run's directory, named in $ZORAL_RUN_DIRECTORY, and leave with it.
class TemporaryHomeDirectory {
public:
    TemporaryHomeDirectory();
    ~TemporaryHomeDirectory();
    TemporaryHomeDirectory(const TemporaryHomeDirectory&) = delete;
    TemporaryHomeDirectory& operator=(const TemporaryHomeDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // The directory that holds this process's temporary homes now, if it has one.
    static std::optional<std::filesystem::path> runDirectory();
    // Removes the directories of runs whose process is gone from the temporary directory.
    static void sweepAbandonedRuns(const std::filesystem::path& temporaryDirectory);

private:
    std::filesystem::path path_;
    std::optional<ScopedHomeDirectory> home_;
};

}  // namespace zoral::platform
