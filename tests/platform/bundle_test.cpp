#include "platform/bundle.h"

#include <filesystem>
#include <string>

#include <errno.h>
#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

TEST(Bundle, CarriesTheProgramsIdentity) {
    const Bundle bundle = Bundle::main();
    EXPECT_EQ(bundle.name(), "Zoral");
    EXPECT_EQ(bundle.bundleIdentifier(), "io.zoral.Zoral");
    EXPECT_EQ(bundle.shortVersion(), "1.0");
    EXPECT_GT(bundle.buildVersion(), 0);
}

TEST(Bundle, MainBundlePathIsTheDirectoryOfTheRunningExecutable) {
    const std::filesystem::path path = Bundle::main().bundlePath();
    ASSERT_TRUE(path.is_absolute()) << path;
    ASSERT_TRUE(std::filesystem::is_directory(path)) << path;
    // The program's own name, as it was started, lies in that directory.
    EXPECT_TRUE(std::filesystem::exists(path / program_invocation_short_name)) << path;
}

TEST(Bundle, MainBundlePathCanBeSetAndRestored) {
    const auto original = Bundle::main().bundlePath();
    EXPECT_EQ(Bundle::setMainBundlePath("/Applications/Zoral.app"), std::nullopt);
    EXPECT_EQ(Bundle::main().bundlePath(), "/Applications/Zoral.app");
    EXPECT_TRUE(Bundle::main().isInApplicationsFolder());
    Bundle::setMainBundlePath("/Users/me/Developer/Xcode/DerivedData/Zoral.app");
    EXPECT_FALSE(Bundle::main().isInApplicationsFolder());
    EXPECT_EQ(Bundle::setMainBundlePath(std::nullopt),
              "/Users/me/Developer/Xcode/DerivedData/Zoral.app");
    EXPECT_EQ(Bundle::main().bundlePath(), original);
}

TEST(Bundle, ApplicationsFolderRule) {
    struct Case {
        std::string_view path;
        bool inApplications;
    };
    const Case cases[] = {
        {"/Applications/Zoral.app", true},
        {"/System/Applications/Zoral.app", true},
        {"/Network/Applications/Zoral.app", true},
        {"/Users/me/Applications/Zoral.app", true},
        {"/Volumes/Disk/Applications/Tools/Zoral.app", true},
        {"//home//me//Applications//Zoral.app", true},
        {"Applications/Zoral.app", true},
        // A prefix is compared as text, as the system does.
        {"/ApplicationsOld/Zoral.app", true},
        {"/home/me/MyApplications/Zoral.app", false},
        {"/home/me/applications/Zoral.app", false},
        {"/home/me/Downloads/Zoral.app", false},
        {"/opt/zoral", false},
        {"/usr/bin", false},
        {"/", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isInApplicationsFolder(c.path), c.inApplications) << c.path;
        EXPECT_EQ(Bundle(std::string(c.path)).isInApplicationsFolder(), c.inApplications) << c.path;
    }
}

}  // namespace
}  // namespace zoral::platform
