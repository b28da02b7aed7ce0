#include "platform/home.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zoral::platform
