#include "desktop/symbolic_hot_key.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/plist_object.h"
#include "platform/user_defaults.h"
#include "support/temporary_home.h"

namespace zoral::desktop {
namespace {

namespace fs = std::filesystem;
using platform::CGEventFlags;
using platform::PlistObject;

class SymbolicHotKeyTest : public ::testing::Test {
protected:
    fs::path file() const { return home.preferences() / "com.apple.symbolichotkeys.plist"; }

    void installFixture(const char* name) {
        fs::create_directories(home.preferences());
        fs::copy_file(fs::path(ZORAL_FIXTURES_DIR) / "plist" / name, file(),
                      fs::copy_options::overwrite_existing);
    }

    void writeText(const std::string& text) {
        fs::create_directories(home.preferences());
        std::ofstream(file()) << text;
    }

    zoral::testing::TemporaryHome home;
};

TEST_F(SymbolicHotKeyTest, ReadsTheSystemsEntriesInEitherFileFormat) {
    struct Case {
        const char* identifier;
        std::optional<SymbolicHotKey> expected;
    };
    const Case cases[] = {
        // Control with the secondary function flag and the left arrow.
        {"79", SymbolicHotKey{true, 123, CGEventFlags(0x840000)}},
        {"81", SymbolicHotKey{true, 124, CGEventFlags(0x840000)}},
        // A disabled entry is still read; what to do with it is the caller's business.
        {"119", SymbolicHotKey{false, 19, CGEventFlags(262144)}},
        {"121", std::nullopt},  // "enabled" stored as a number, not a Bool
        {"164", std::nullopt},  // no "value"
        {"999", std::nullopt},  // no such entry
    };
    for (const char* fixture : {"symbolic_hot_keys.xml.plist", "symbolic_hot_keys.binary.plist"}) {
        installFixture(fixture);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(fixture) + " " + c.identifier);
            EXPECT_EQ(symbolicHotKey(c.identifier), c.expected);
        }
    }
}

TEST_F(SymbolicHotKeyTest, MalformedEntriesReadAsNone) {
    const auto entry = [](PlistObject enabled, std::optional<PlistObject> value) {
        platform::PlistDictionary dictionary{{"enabled", std::move(enabled)}};
        if (value)
            dictionary.emplace("value", std::move(*value));
        return PlistObject::dictionary(std::move(dictionary));
    };
    const auto parameters = [&](platform::PlistArray values) {
        return entry(PlistObject::boolean(true),
                     PlistObject::dictionary({{"parameters", PlistObject::array(values)}}));
    };
    const auto integer = [](std::int64_t v) { return PlistObject::integer(v); };
    const PlistObject none = integer(65535);

    struct Case {
        const char* identifier;
        PlistObject stored;
        std::optional<SymbolicHotKey> expected;
    };
    const Case cases[] = {
        {"1", parameters({none, integer(123)}), std::nullopt},
        {"2", parameters({none, PlistObject::string("123"), integer(0)}), std::nullopt},
        {"3", parameters({none, PlistObject::real(123.5), integer(0)}), std::nullopt},
        {"4", parameters({none, PlistObject::boolean(true), integer(0)}), std::nullopt},
        {"5", parameters({none, integer(65536), integer(0)}), std::nullopt},
        {"6", parameters({none, integer(-1), integer(0)}), std::nullopt},
        {"7", parameters({none, integer(123), integer(-1)}), std::nullopt},
        {"8", entry(PlistObject::boolean(true), PlistObject::string("parameters")), std::nullopt},
        {"9", entry(PlistObject::string("YES"), PlistObject::dictionary()), std::nullopt},
        // The extremes that do fit, and extra parameters, are fine.
        {"10", parameters({none, integer(0), integer(0), integer(7)}),
         SymbolicHotKey{true, 0, CGEventFlags()}},
        {"11", parameters({none, integer(65535), integer(0x7FFFFFFFFFFFFFFF)}),
         SymbolicHotKey{true, 65535, CGEventFlags(0x7FFFFFFFFFFFFFFF)}},
    };
    platform::PlistDictionary hotKeys;
    for (const Case& c : cases)
        hotKeys.emplace(c.identifier, c.stored);
    // The system's own files in the home are domains of the user defaults.
    platform::UserDefaults::standard().setPersistentDomain(
        {{"AppleSymbolicHotKeys", PlistObject::dictionary(hotKeys)}}, "com.apple.symbolichotkeys");
    ASSERT_TRUE(fs::exists(file()));

    for (const Case& c : cases)
        EXPECT_EQ(symbolicHotKey(c.identifier), c.expected) << c.identifier;
}

TEST_F(SymbolicHotKeyTest, FilesThatCannotBeLoadedReadAsNone) {
    EXPECT_EQ(symbolicHotKey("79"), std::nullopt) << "no file";

    for (const char* text : {"not a property list", "<plist><array/></plist>", ""}) {
        writeText(text);
        EXPECT_EQ(symbolicHotKey("79"), std::nullopt) << text;
    }

    fs::remove(file());
    fs::create_directories(file());
    EXPECT_EQ(symbolicHotKey("79"), std::nullopt) << "a directory in the file's place";
}

TEST_F(SymbolicHotKeyTest, WithoutAHomeThereIsNoFile) {
    installFixture("symbolic_hot_keys.xml.plist");
    {
        const zoral::testing::TemporaryHome::Without noHome;
        EXPECT_EQ(symbolicHotKeysPath(), std::nullopt);
        EXPECT_EQ(symbolicHotKey("79"), std::nullopt);
    }
    EXPECT_EQ(symbolicHotKeysPath(), file().string());
}

}  // namespace
}  // namespace zoral::desktop
