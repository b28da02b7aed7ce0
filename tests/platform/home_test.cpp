#include "platform/home.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/environment.h"

namespace zoral::platform {
namespace {

using zoral::testing::ScopedEnvironmentVariable;

TEST(HomeDirectory, DefaultLiesUnderTheDataDirectoryNeverAtTheTopOfTheRealHome) {
    struct Case {
        std::optional<std::string> dataHome;
        std::optional<std::string> home;
        std::optional<std::filesystem::path> expected;
    };
    const std::vector<Case> cases = {
        {"/data", "/users/ann", "/data/zoral/home"},
        {std::nullopt, "/users/ann", "/users/ann/.local/share/zoral/home"},
        // Relative or empty values are no location at all.
        {"relative/data", "/users/ann", "/users/ann/.local/share/zoral/home"},
        {"", "/users/ann", "/users/ann/.local/share/zoral/home"},
        {std::nullopt, "relative", std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        const ScopedEnvironmentVariable dataHome("XDG_DATA_HOME", c.dataHome);
        const ScopedEnvironmentVariable home("HOME", c.home);
        EXPECT_EQ(defaultHomeDirectory(), c.expected)
            << c.dataHome.value_or("(none)") << " " << c.home.value_or("(none)");
    }
}

TEST(HomeDirectory, ScopedHomesNestAndGiveThePreferencesFiles) {
    const auto before = homeDirectory();
    {
        const ScopedHomeDirectory outer(std::filesystem::path("/outer"));
        EXPECT_EQ(homeDirectory(), std::filesystem::path("/outer"));
        EXPECT_EQ(preferencesFile("com.example.app"),
                  std::filesystem::path("/outer/Library/Preferences/com.example.app.plist"));
        {
            const ScopedHomeDirectory none(std::nullopt);
            EXPECT_EQ(homeDirectory(), std::nullopt);
            EXPECT_EQ(preferencesFile("com.example.app"), std::nullopt);
        }
        EXPECT_EQ(homeDirectory(), std::filesystem::path("/outer"));
    }
    EXPECT_EQ(homeDirectory(), before);
}

TEST(HomeDirectory, ATemporaryHomeIsNewAndGoesWithAllItHolds) {
    std::filesystem::path made;
    {
        const TemporaryHomeDirectory home;
        made = home.path();
        EXPECT_EQ(homeDirectory(), made);
        EXPECT_TRUE(std::filesystem::is_empty(made));
        std::filesystem::create_directories(made / "Library" / "Preferences");
        const TemporaryHomeDirectory another;
        EXPECT_NE(another.path(), made);
    }
    EXPECT_FALSE(std::filesystem::exists(made));
}

// The run's directory itself goes with its last home: the command-line test of the world runner
// sees that, as a test binary keeps a home of its own for its whole run.
TEST(TemporaryHomes, LieInTheRunsDirectory) {
    std::filesystem::path first;
    std::filesystem::path second;
    {
        const TemporaryHomeDirectory outer;
        const TemporaryHomeDirectory inner;
        first = outer.path();
        second = inner.path();
        const auto run = TemporaryHomeDirectory::runDirectory();
        ASSERT_TRUE(run);
        EXPECT_EQ(first.parent_path(), *run);
        EXPECT_EQ(second.parent_path(), *run);
        EXPECT_TRUE(run->filename().string().starts_with("zoral-run-" + std::to_string(::getpid())))
            << *run;
    }
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(second));
}

// A process identifier that no running process has: a child's that has ended.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(TemporaryHomes, OnlyTheDirectoriesOfRunsThatAreGoneAreSwept) {
    const TemporaryHomeDirectory scratch;
    const std::filesystem::path temporary = scratch.path();
    const auto run = [](pid_t pid) { return "zoral-run-" + std::to_string(pid) + "-Ab12Cd"; };
    struct Case {
        std::string name;
        bool swept;
    };
    const std::vector<Case> cases = {
        {run(endedProcess()), true},
        // A killed run's homes, and what it had written into them.
        {run(endedProcess()) + "/home-x1/Library/Preferences", true},
        {run(::getpid()), false},
        {run(::getppid()), false},
        {"zoral-run-abc-Ab12Cd", false},
        {"zoral-run-" + std::to_string(endedProcess()), false},
        {"zoral-home-Ab12Cd", false},
        {"elsewhere", false},
    };
    for (const Case& c : cases)
        std::filesystem::create_directories(temporary / c.name);
    TemporaryHomeDirectory::sweepAbandonedRuns(temporary);
    for (const Case& c : cases) {
        const std::filesystem::path top =
            temporary / std::filesystem::path(c.name).begin()->string();
        EXPECT_EQ(std::filesystem::exists(top), !c.swept) << c.name;
    }
}

TEST(TemporaryHomesDeathTest, AChildsHomesGoWithTheRun) {
    const TemporaryHomeDirectory parents;
    const std::filesystem::path run = parents.path().parent_path();
    // The child dies without removing its home; the home lies in the run's directory, which the
    // run removes at its end.
    EXPECT_DEATH(
        {
            const TemporaryHomeDirectory childs;
            std::fprintf(stderr, "home %s\n", childs.path().c_str());
            std::abort();
        },
        "home " + run.string() + "/home-");
}

}  // namespace
}  // namespace zoral::platform
