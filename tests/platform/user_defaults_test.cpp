#include "platform/user_defaults.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/identity.h"
#include "platform/plist_serialization.h"
#include "platform/regular_file.h"
#include "plist_builders.h"
#include "support/captured_output.h"
#include "support/file_permissions.h"
#include "support/temporary_home.h"

namespace zoral::platform {
namespace {

using plist_builders::readBytes;
using plist_builders::str;

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Options = KeyValueObservingOptions;

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// The change after a write, and the one before it.
KeyValueChange after(std::optional<PlistObject> newValue, std::optional<PlistObject> oldValue) {
    return {KeyValueChangeKind::setting, std::move(newValue), std::move(oldValue), false};
}
KeyValueChange before(std::optional<PlistObject> oldValue) {
    return {KeyValueChangeKind::setting, std::nullopt, std::move(oldValue), true};
}

// Every test gets a home directory of its own and fresh process-wide defaults. These tests look at
// the files right after each write, so the saves come in the writes; user_defaults_saves_test.cpp
// has them behind the writes, as the program does.
class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::setSavesAtOnceForTesting(true); }
    void TearDown() override {
        UserDefaults::setSavesAtOnceForTesting(false);
        setAtomicWriteFailureForTesting(std::nullopt);
    }

    fs::path preferences() const { return home_.preferences(); }
    fs::path fileOf(std::string_view domain) const {
        return preferences() / (std::string(domain) + ".plist");
    }
    fs::path standardFile() const { return fileOf(identity::bundleIdentifier); }

    // The domain as its file holds it.
    PlistDictionary onDisk(std::string_view domain) const {
        const auto read = readPlist(readBytes(fileOf(domain)));
        const auto* values = read.object.getIf<PlistDictionary>();
        EXPECT_NE(values, nullptr) << "the root of " << domain << " is no dictionary";
        return values != nullptr ? *values : PlistDictionary{};
    }

    void writeDomainFile(std::string_view domain, const PlistDictionary& values) const {
        writeBytes(fileOf(domain), writePlist(PlistObject::dictionary(values), PlistFormat::xml));
    }

    UserDefaults& defaults() { return UserDefaults::standard(); }

    zoral::testing::ScopedOutputCapture output_;
    zoral::testing::TemporaryHome home_;
};

TEST_F(UserDefaultsTest, ReadsSearchTheDomainThenTheGlobalDomainThenTheRegistrations) {
    auto dock = UserDefaults::suite("org.example.dock");
    defaults().registerDefaults(
        {{"k1", str("registered")}, {"k2", str("registered")}, {"k3", str("registered")}});
    defaults().setPersistentDomain(
        {{"k1", str("global")}, {"k2", str("global")}, {"InterfaceStyle", str("Dark")}},
        UserDefaults::globalDomainName);
    defaults().setObject(str("domain"), "k1");
    dock->setObject(str("left"), "orientation");

    struct Case {
        UserDefaults* instance;
        std::string key;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {&defaults(), "k1", "domain"},
        {&defaults(), "k2", "global"},
        {&defaults(), "k3", "registered"},
        {&defaults(), "missing", std::nullopt},
        {&defaults(), "InterfaceStyle", "Dark"},
        {&defaults(), "orientation", std::nullopt},
        // A suite shares the global domain, but neither the program's domain nor its registrations.
        {dock.get(), "InterfaceStyle", "Dark"},
        {dock.get(), "orientation", "left"},
        {dock.get(), "k1", "global"},
        {dock.get(), "k3", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.instance->stringForKey(c.key), c.expected)
            << c.instance->domainName() << " " << c.key;
    }

    const PlistDictionary everything = {{"k1", str("domain")},
                                        {"k2", str("global")},
                                        {"k3", str("registered")},
                                        {"InterfaceStyle", str("Dark")}};
    EXPECT_EQ(defaults().dictionaryRepresentation(), everything);
}

TEST_F(UserDefaultsTest, RegistrationsReplaceEarlierOnesAndStayOffTheDisk) {
    defaults().registerDefaults({{"enabled", PlistObject::boolean(true)}, {"tab", str("a")}});
    defaults().registerDefaults({{"tab", str("b")}});
    EXPECT_TRUE(defaults().boolForKey("enabled"));
    EXPECT_EQ(defaults().stringForKey("tab"), "b");

    defaults().setBool(false, "enabled");
    EXPECT_FALSE(defaults().boolForKey("enabled"));
    EXPECT_EQ(onDisk(identity::bundleIdentifier),
              (PlistDictionary{{"enabled", PlistObject::boolean(false)}}));

    defaults().removeObjectForKey("enabled");
    EXPECT_TRUE(defaults().boolForKey("enabled"));
    EXPECT_EQ(onDisk(identity::bundleIdentifier), PlistDictionary{});

    // Registrations are volatile: a relaunch has none.
    UserDefaults::resetForTesting();
    EXPECT_FALSE(defaults().objectForKey("tab"));
}

TEST_F(UserDefaultsTest, TypedReadsConvertAsTheSystemDoes) {
    const auto huge = std::numeric_limits<std::uint64_t>::max();
    defaults().setPersistentDomain(
        {
            {"int", PlistObject::integer(-42)},
            {"huge", PlistObject::unsignedInteger(huge)},
            {"real", PlistObject::real(2.5)},
            {"whole", PlistObject::real(3.0)},
            {"true", PlistObject::boolean(true)},
            {"yes", str("YES")},
            {"text", str(" 12abc")},
            {"word", str("maybe")},
            {"data", PlistObject::data({1, 2, 3})},
            {"date", PlistObject::date(Date{1.5})},
            {"array", PlistObject::array({str("x")})},
        },
        identity::bundleIdentifier);

    struct Case {
        std::string key;
        std::optional<std::string> string;
        bool boolean;
        std::int64_t integer;
        double real;
    };
    const std::vector<Case> cases = {
        {"int", "-42", true, -42, -42.0},
        {"huge", "18446744073709551615", true, std::numeric_limits<std::int64_t>::max(),
         static_cast<double>(huge)},
        {"real", "2.5", true, 2, 2.5},
        {"whole", "3", true, 3, 3.0},
        {"true", "1", true, 1, 1.0},
        {"yes", "YES", true, 0, 0.0},
        {"text", " 12abc", true, 12, 12.0},
        {"word", "maybe", false, 0, 0.0},
        {"data", std::nullopt, false, 0, 0.0},
        {"date", std::nullopt, false, 0, 0.0},
        {"array", std::nullopt, false, 0, 0.0},
        {"missing", std::nullopt, false, 0, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(defaults().stringForKey(c.key), c.string) << c.key;
        EXPECT_EQ(defaults().boolForKey(c.key), c.boolean) << c.key;
        EXPECT_EQ(defaults().integerForKey(c.key), c.integer) << c.key;
        EXPECT_EQ(defaults().doubleForKey(c.key), c.real) << c.key;
    }
    EXPECT_EQ(defaults().dataForKey("data"), (PlistData{1, 2, 3}));
    EXPECT_FALSE(defaults().dataForKey("text"));
}

TEST_F(UserDefaultsTest, SettersStoreAndRemove) {
    defaults().setURL("file:///Applications/Zoral.app/", "url");
    EXPECT_EQ(defaults().stringForKey("url"), "file:///Applications/Zoral.app/");
    defaults().setURL(std::nullopt, "url");
    EXPECT_FALSE(defaults().objectForKey("url"));

    defaults().setObject(PlistObject::integer(3), "n");
    defaults().setObject(std::nullopt, "n");
    EXPECT_FALSE(defaults().objectForKey("n"));

    defaults().setBool(false, "GlobalShortcuts_fixPinchAndSwipe");
    EXPECT_EQ(defaults().objectForKey("GlobalShortcuts_fixPinchAndSwipe"),
              PlistObject::boolean(false));
}

TEST_F(UserDefaultsTest, ValuesOfEveryKindSurviveARelaunch) {
    const PlistDictionary values = {
        {"string", str("caf\xC3\xA9 \xF0\x9F\x98\x80")},
        {"control", str("tab\there, bell\x07")},  // XML cannot hold the bell
        {"min", PlistObject::integer(std::numeric_limits<std::int64_t>::min())},
        {"max", PlistObject::unsignedInteger(std::numeric_limits<std::uint64_t>::max())},
        {"real", PlistObject::real(0.1)},
        {"whole", PlistObject::real(3.0)},
        {"bool", PlistObject::boolean(true)},
        {"date", PlistObject::date(Date{-63114076800.0})},
        {"data", PlistObject::data({0, 255})},
        {"nested", PlistObject::dictionary({{"a", PlistObject::array({PlistObject::integer(1)})}})},
    };
    for (const auto& [key, value] : values)
        defaults().setObject(value, key);
    auto dock = UserDefaults::suite("org.example.dock");
    dock->setObject(str("left"), "orientation");

    UserDefaults::resetForTesting();

    EXPECT_EQ(defaults().dictionaryRepresentation(), values);
    EXPECT_EQ(UserDefaults::suite("org.example.dock")->stringForKey("orientation"), "left");
    EXPECT_EQ(onDisk("org.example.dock"), (PlistDictionary{{"orientation", str("left")}}));
    EXPECT_EQ(readPlist(readBytes(fileOf("org.example.dock"))).format, PlistFormat::xml);
    // XML cannot carry the bell: that domain went to the binary format rather than unsaved.
    EXPECT_EQ(readPlist(readBytes(standardFile())).format, PlistFormat::binary);
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
}

TEST_F(UserDefaultsTest, ReloadReadsChangedFilesAndTellsObservers) {
    defaults().setObject(str("light"), "theme");
    std::vector<KeyValueChange> changes;
    defaults().addObserver("theme", Options::new_ | Options::old,
                           [&](const KeyValueChange& change) { changes.push_back(change); });
    defaults().addObserver("InterfaceStyle", Options::new_,
                           [&](const KeyValueChange& change) { changes.push_back(change); });

    writeDomainFile(identity::bundleIdentifier, {{"theme", str("dark")}});
    writeDomainFile(UserDefaults::globalDomainName, {{"InterfaceStyle", str("Dark")}});
    defaults().reload();

    EXPECT_EQ(defaults().stringForKey("theme"), "dark");
    EXPECT_EQ(defaults().stringForKey("InterfaceStyle"), "Dark");
    ASSERT_EQ(changes.size(), 2U);
    EXPECT_EQ(changes[0], after(str("dark"), str("light")));
    EXPECT_EQ(changes[1], after(str("Dark"), std::nullopt));
}

TEST_F(UserDefaultsTest, AFailedWriteLeavesTheOldFileWhole) {
    defaults().setObject(str("old"), "key");
    const auto before = readBytes(standardFile());
    ASSERT_FALSE(before.empty());

    setAtomicWriteFailureForTesting(before.size() / 2);
    defaults().setObject(str("new, and longer than the old value"), "key");

    EXPECT_EQ(readBytes(standardFile()), before);
    // Nothing half-written lies about either.
    for (const auto& entry : fs::directory_iterator(preferences())) {
        EXPECT_EQ(entry.path().filename(), standardFile().filename());
    }
    ASSERT_EQ(output_.lines().size(), 1U);
    EXPECT_THAT(output_.lines()[0],
                HasSubstr("cannot save " + std::string(identity::bundleIdentifier)));
    // The running program keeps the value, and says the disk does not have it yet.
    EXPECT_EQ(defaults().stringForKey("key"), "new, and longer than the old value");
    EXPECT_FALSE(defaults().synchronize());

    setAtomicWriteFailureForTesting(std::nullopt);
    EXPECT_TRUE(defaults().synchronize());
    EXPECT_EQ(onDisk(identity::bundleIdentifier),
              (PlistDictionary{{"key", str("new, and longer than the old value")}}));
}

TEST_F(UserDefaultsTest, WritesThatChangeNothingLeaveTheFileAlone) {
    defaults().setObject(str("value"), "key");
    defaults().setPersistentDomain({{"global", str("g")}}, UserDefaults::globalDomainName);
    // Any save from here on would fail and say so.
    setAtomicWriteFailureForTesting(0);
    defaults().setObject(str("value"), "key");
    defaults().removeObjectForKey("global");  // only in the global domain
    defaults().removeObjectForKey("never stored");
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
    EXPECT_EQ(defaults().stringForKey("global"), "g");
}

// Larger than any property-list file that is read back, without taking the room: a sparse file.
void makeOversizedFile(const fs::path& path) {
    fs::create_directories(path.parent_path());
    { std::ofstream create(path); }
    fs::resize_file(path, maxPropertyListFileSize + 1);
}

TEST_F(UserDefaultsTest, AFileWhoseContentCannotBeUsedIsSetAsideAndTheDomainStartsEmpty) {
    struct Case {
        std::string name;
        std::function<void(const fs::path&)> make;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"garbage", [](const fs::path& path) { writeBytes(path, bytesOf("<?xml nonsense")); }, ""},
        {"truncated binary",
         [](const fs::path& path) { writeBytes(path, bytesOf("bplist00\xD1\x01")); }, ""},
        {"root is no dictionary",
         [](const fs::path& path) {
             writeBytes(path, writePlist(PlistObject::array(), PlistFormat::xml));
         },
         "an array, not a dictionary"},
        {"a directory", [](const fs::path& path) { fs::create_directories(path / "inside"); },
         "a directory"},
        // Opening a pipe to read waits for a writer: none ever comes.
        {"a named pipe",
         [](const fs::path& path) {
             fs::create_directories(path.parent_path());
             ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
         },
         "a named pipe"},
        {"a link to a named pipe",
         [this](const fs::path& path) {
             fs::create_directories(path.parent_path());
             ASSERT_EQ(::mkfifo((home_.path() / "pipe").c_str(), 0600), 0);
             fs::create_symlink(home_.path() / "pipe", path);
         },
         "a named pipe"},
        {"too large to read back", makeOversizedFile, "larger than"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        output_.clear();
        fs::remove_all(preferences());
        fs::remove(home_.path() / "pipe");
        c.make(standardFile());
        const bool isRegular = fs::is_regular_file(standardFile()) &&
                               fs::file_size(standardFile()) <= maxPropertyListFileSize;
        const auto original = isRegular ? readBytes(standardFile()) : std::vector<std::uint8_t>();

        UserDefaults::resetForTesting();

        EXPECT_EQ(defaults().dictionaryRepresentation(), PlistDictionary{});
        const fs::path corrupt = standardFile().string() + ".corrupt";
        ASSERT_TRUE(fs::exists(fs::symlink_status(corrupt)));
        if (isRegular) {
            EXPECT_EQ(readBytes(corrupt), original);
        }
        ASSERT_EQ(output_.lines().size(), 1U);
        EXPECT_THAT(output_.lines()[0], HasSubstr(standardFile().string()));
        EXPECT_THAT(output_.lines()[0], HasSubstr(c.reason));

        defaults().setObject(str("fresh"), "key");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(standardFile())));
        EXPECT_EQ(onDisk(identity::bundleIdentifier), (PlistDictionary{{"key", str("fresh")}}));
    }
}

TEST_F(UserDefaultsTest, EveryCorruptFileIsKeptInACopyOfItsOwn) {
    const std::vector<std::string> contents = {"first garbage", "second garbage", "third"};
    for (const auto& content : contents) {
        writeBytes(standardFile(), bytesOf(content));
        UserDefaults::resetForTesting();
    }
    const std::string corrupt = standardFile().string() + ".corrupt";
    EXPECT_EQ(readBytes(corrupt), bytesOf(contents[0]));
    EXPECT_EQ(readBytes(corrupt + ".1"), bytesOf(contents[1]));
    EXPECT_EQ(readBytes(corrupt + ".2"), bytesOf(contents[2]));
    ASSERT_EQ(output_.lines().size(), 3U);
    EXPECT_THAT(output_.lines()[2], HasSubstr("moved it to " + corrupt + ".2"));
}

// Gives a directory back its permissions at the end of a test that took them away.
class PermissionsRestore {
public:
    PermissionsRestore(fs::path path, fs::perms perms) : path_(std::move(path)), perms_(perms) {}
    ~PermissionsRestore() {
        std::error_code error;
        fs::permissions(path_, perms_, error);
    }
    PermissionsRestore(const PermissionsRestore&) = delete;
    PermissionsRestore& operator=(const PermissionsRestore&) = delete;

private:
    fs::path path_;
    fs::perms perms_;
};

// Whether the calling thread is held to the file's permissions (see ScopedFilePermissions).
bool cannotRead(const fs::path& path) {
    return !std::ifstream(path).is_open();
}

TEST_F(UserDefaultsTest, AnUnreadableFileThatCannotBeMovedIsNeverOverwritten) {
    writeBytes(standardFile(), bytesOf("not a property list"));
    const PermissionsRestore restore(preferences(), fs::perms::owner_all);
    fs::permissions(preferences(), fs::perms::owner_read | fs::perms::owner_exec);
    const zoral::testing::ScopedFilePermissions asAUser;
    if (fs::exists(preferences() / "probe") || std::ofstream(preferences() / "probe").is_open())
        GTEST_SKIP() << "the directory stays writable for this user";

    UserDefaults::resetForTesting();
    ASSERT_EQ(output_.lines().size(), 1U);
    EXPECT_THAT(output_.lines()[0], HasSubstr("nor move it aside (Permission denied)"));
    EXPECT_THAT(output_.lines()[0], HasSubstr("will not be saved"));

    defaults().setObject(str("value"), "key");
    EXPECT_EQ(defaults().stringForKey("key"), "value");
    EXPECT_EQ(readBytes(standardFile()), bytesOf("not a property list"));
    EXPECT_EQ(output_.lines().size(), 2U);
    EXPECT_FALSE(defaults().synchronize());
}

// Not its content but the way to it is at fault: the file is the user's to mend, and is neither
// moved nor replaced. The domain's values live on in memory meanwhile.
TEST_F(UserDefaultsTest, AFileThatCannotBeOpenedStaysInPlaceAndIsNeverSavedOver) {
    struct Case {
        std::string name;
        std::function<void(const fs::path&)> block;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"no permission", [](const fs::path& path) { fs::permissions(path, fs::perms::none); },
         "Permission denied"},
        {"a link loop",
         [](const fs::path& path) {
             fs::remove(path);
             fs::create_symlink(path.filename(), path);
         },
         "Too many levels of symbolic links"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(preferences());
        UserDefaults::resetForTesting();
        defaults().setObject(str("saved before"), "kept");
        const auto saved = readBytes(standardFile());
        c.block(standardFile());
        const zoral::testing::ScopedFilePermissions asAUser;
        if (!cannotRead(standardFile()))
            GTEST_SKIP() << "files stay readable for this user";
        output_.clear();

        // Read again while running: what the domain holds stays.
        defaults().reload();
        EXPECT_EQ(defaults().stringForKey("kept"), "saved before");
        ASSERT_EQ(output_.lines().size(), 1U);
        EXPECT_THAT(output_.lines()[0], HasSubstr(standardFile().string()));
        EXPECT_THAT(output_.lines()[0], HasSubstr(c.reason));
        EXPECT_THAT(output_.lines()[0], HasSubstr("stays in place"));

        // A launch: the domain starts empty; new values are kept, and never saved over the file.
        UserDefaults::resetForTesting();
        defaults().setObject(str("new"), "key");
        EXPECT_EQ(defaults().stringForKey("key"), "new");
        EXPECT_FALSE(defaults().synchronize());
        EXPECT_TRUE(fs::exists(fs::symlink_status(standardFile())));
        EXPECT_FALSE(fs::exists(fs::symlink_status(standardFile().string() + ".corrupt")));
        if (!fs::is_symlink(standardFile())) {
            fs::permissions(standardFile(), fs::perms::owner_read | fs::perms::owner_write);
            EXPECT_EQ(readBytes(standardFile()), saved);
        }
    }
}

// Lowers the size limit of the files that are read back, for the life of a test, so that files
// past it need not be tens of megabytes.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(std::size_t limit) {
        setPropertyListFileSizeLimitForTesting(limit);
    }
    ~ScopedFileSizeLimit() { setPropertyListFileSizeLimitForTesting(std::nullopt); }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
};

TEST_F(UserDefaultsTest, AWriteThatTheFileCouldNotCarryIsRefused) {
    defaults().setObject(str("small"), "kept");
    const auto saved = readBytes(standardFile());
    const ScopedFileSizeLimit limit(saved.size() + 2000);
    output_.clear();

    // Data: no format makes it smaller than it is.
    defaults().setObject(PlistObject::data(PlistData(3000, 0x5A)), "huge");

    EXPECT_EQ(defaults().objectForKey("huge"), std::nullopt);
    ASSERT_EQ(output_.lines().size(), 1U);
    EXPECT_THAT(output_.lines()[0], HasSubstr(std::string(identity::bundleIdentifier) +
                                              " left as it was: its file would take"));
    EXPECT_EQ(readBytes(standardFile()), saved);
    // What was saved is what the next launch reads.
    UserDefaults::resetForTesting();
    EXPECT_EQ(defaults().dictionaryRepresentation(), (PlistDictionary{{"kept", str("small")}}));

    // Too large in XML only: saved in the binary format, which is read back.
    defaults().setObject(PlistObject::data(PlistData(1800, 0x5A)), "large");
    EXPECT_EQ(readPlist(readBytes(standardFile())).format, PlistFormat::binary);
    UserDefaults::resetForTesting();
    EXPECT_EQ(defaults().dataForKey("large"), PlistData(1800, 0x5A));
    EXPECT_EQ(output_.lines().size(), 1U) << output_.text();
}

// Links point to where the user keeps the file; saves replace that file and keep its mode.
TEST_F(UserDefaultsTest, SavesWriteThroughSymbolicLinksKeepingThePermissions) {
    const fs::path kept = home_.path() / "dotfiles" / "preferences.plist";
    struct Case {
        std::string name;
        std::function<void()> link;
        bool targetExists;
    };
    const std::vector<Case> cases = {
        {"an absolute link", [&] { fs::create_symlink(kept, standardFile()); }, true},
        {"a relative link",
         [&] { fs::create_symlink("../../dotfiles/preferences.plist", standardFile()); }, true},
        {"a chain of links",
         [&] {
             fs::create_symlink(kept, home_.path() / "dotfiles" / "current");
             fs::create_symlink(home_.path() / "dotfiles" / "current", standardFile());
         },
         true},
        {"a link to nothing yet", [&] { fs::create_symlink(kept, standardFile()); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(preferences());
        fs::remove_all(home_.path() / "dotfiles");
        fs::create_directories(preferences());
        fs::create_directories(kept.parent_path());
        if (c.targetExists) {
            writeBytes(kept, writePlist(PlistObject::dictionary({{"old", str("value")}}),
                                        PlistFormat::xml));
            fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write |
                                      fs::perms::group_read | fs::perms::others_read);
        }
        c.link();
        UserDefaults::resetForTesting();

        defaults().setObject(str("new"), "key");

        EXPECT_TRUE(fs::is_symlink(standardFile()));
        const auto read = readPlist(readBytes(kept));
        PlistDictionary expected{{"key", str("new")}};
        if (c.targetExists)
            expected.emplace("old", str("value"));
        EXPECT_EQ(read.object, PlistObject::dictionary(expected));
        EXPECT_EQ(fs::status(kept).permissions(),
                  c.targetExists ? fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::group_read | fs::perms::others_read
                                 : fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_TRUE(output_.lines().empty()) << output_.text();
    }
}

// A save killed between writing and renaming leaves its temporary file; the next save of the same
// domain clears it away, but not the one of a save still running, nor other files.
TEST_F(UserDefaultsTest, ASaveRemovesTheTemporaryFilesThatKilledSavesLeft) {
    defaults().setObject(str("one"), "key");
    const std::string own = "." + standardFile().filename().string() + ".";
    const fs::path stale = preferences() / (own + "k1LLed");
    const fs::path running = preferences() / (own + "Runnin");
    const std::vector<fs::path> others = {
        preferences() / ".org.example.dock.plist.k1LLed",
        preferences() / (own + "longer1"),
        preferences() / (own + "k1LL-d"),
    };
    for (const auto& path : std::vector<fs::path>{stale, running})
        writeBytes(path, bytesOf("half a file"));
    for (const auto& path : others)
        writeBytes(path, bytesOf("someone else's"));
    const int held = ::open(running.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    defaults().setObject(str("two"), "key");
    ::close(held);

    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running));
    for (const auto& path : others)
        EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(onDisk(identity::bundleIdentifier), (PlistDictionary{{"key", str("two")}}));
}

TEST_F(UserDefaultsTest, SuitesAreSharedAndOnlyForProperNames) {
    EXPECT_EQ(UserDefaults::suite("org.example.windows"),
              UserDefaults::suite("org.example.windows"));
    for (const std::string_view name :
         {std::string_view(""), identity::bundleIdentifier, UserDefaults::globalDomainName,
          std::string_view("."), std::string_view(".."), std::string_view("../../etc/passwd"),
          std::string_view("a/b"), std::string_view("a\0b", 3)}) {
        EXPECT_EQ(UserDefaults::suite(name), nullptr) << name;
    }
    EXPECT_THROW(defaults().setPersistentDomain({}, "../escape"), std::invalid_argument);
    EXPECT_THROW((void)defaults().persistentDomainForName("a/b"), std::invalid_argument);
    EXPECT_FALSE(fs::exists(home_.path() / "Library" / "escape.plist"));
}

TEST_F(UserDefaultsTest, ValuesNoFileCanHoldAreRefusedBeforeAnythingChanges) {
    defaults().setObject(str("kept"), "key");
    int calls = 0;
    defaults().addObserver("key", Options::prior | Options::new_,
                           [&](const KeyValueChange&) { ++calls; });
    EXPECT_THROW(defaults().setObject(str("\xFF\xFE"), "key"), std::invalid_argument);
    EXPECT_THROW(defaults().setObject(str("ok"), "\xC3"), std::invalid_argument);
    EXPECT_THROW(defaults().setPersistentDomain({{"key", str("\xC3")}}, "com.example.other"),
                 std::invalid_argument);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(defaults().stringForKey("key"), "kept");
    EXPECT_EQ(onDisk(identity::bundleIdentifier), (PlistDictionary{{"key", str("kept")}}));
}

TEST_F(UserDefaultsTest, WithoutAHomeDirectoryTheDomainsLiveInMemory) {
    const zoral::testing::TemporaryHome::Without noHome;
    defaults().setObject(str("value"), "key");
    EXPECT_EQ(defaults().stringForKey("key"), "value");
    EXPECT_TRUE(defaults().synchronize());
    EXPECT_FALSE(fs::exists(preferences()));
    EXPECT_TRUE(output_.lines().empty());
}

// Adds an observer to the key "key" (registered default "default"), then stores "a", stores "a"
// again, and removes the key.
std::vector<KeyValueChange> observe(UserDefaults& defaults, Options options) {
    std::vector<KeyValueChange> changes;
    defaults.registerDefaults({{"key", str("default")}});
    const auto token = defaults.addObserver(
        "key", options, [&](const KeyValueChange& change) { changes.push_back(change); });
    defaults.setObject(str("a"), "key");
    defaults.setObject(str("a"), "key");
    defaults.removeObjectForKey("key");
    defaults.removeObserver(token);
    return changes;
}

TEST_F(UserDefaultsTest, ObservationOptionsDecideWhatIsDelivered) {
    const std::optional<PlistObject> none;
    struct Case {
        Options options;
        std::vector<KeyValueChange> expected;
    };
    const std::vector<Case> cases = {
        {Options::none, {after(none, none), after(none, none)}},
        {Options::new_, {after(str("a"), none), after(str("default"), none)}},
        {Options::old, {after(none, str("default")), after(none, str("a"))}},
        {Options::new_ | Options::old,
         {after(str("a"), str("default")), after(str("default"), str("a"))}},
        {Options::initial | Options::new_ | Options::old,
         {after(str("default"), none), after(str("a"), str("default")),
          after(str("default"), str("a"))}},
        {Options::initial, {after(none, none), after(none, none), after(none, none)}},
        {Options::prior | Options::new_ | Options::old,
         {before(str("default")), after(str("a"), str("default")), before(str("a")),
          after(str("default"), str("a"))}},
        {Options::prior | Options::new_,
         {before(none), after(str("a"), none), before(none), after(str("default"), none)}},
        {Options::initial | Options::prior | Options::new_ | Options::old,
         {after(str("default"), none), before(str("default")), after(str("a"), str("default")),
          before(str("a")), after(str("default"), str("a"))}},
    };
    for (const auto& c : cases) {
        UserDefaults::resetForTesting();
        EXPECT_EQ(observe(defaults(), c.options), c.expected) << "options " << c.options.rawValue();
    }
    // The raw numbers, as callers computing options from a table pass them.
    EXPECT_EQ(Options{7}, Options::new_ | Options::old | Options::initial);
    EXPECT_EQ(Options{11}, Options::new_ | Options::old | Options::prior);
}

TEST_F(UserDefaultsTest, ObserversSeeEffectiveValuesOfEveryLayer) {
    auto windowManager = UserDefaults::suite("org.example.windows");
    std::vector<std::string> seen;
    const auto record = [&seen](std::string who) {
        return [&seen, who](const KeyValueChange& change) {
            seen.push_back(who + "=" +
                           (change.newValue ? std::string(*change.newValue->stringValue()) : "-"));
        };
    };
    defaults().addObserver("style", Options::new_, record("standard"));
    windowManager->addObserver("style", Options::new_, record("suite"));

    defaults().registerDefaults({{"style", str("registered")}});
    defaults().setPersistentDomain({{"style", str("global")}}, UserDefaults::globalDomainName);
    defaults().setObject(str("own"), "style");
    // Hidden behind the program's own value: no change for the standard instance.
    defaults().setPersistentDomain({{"style", str("global2")}}, UserDefaults::globalDomainName);
    defaults().registerDefaults({{"style", str("registered2")}});
    defaults().removeObjectForKey("style");

    EXPECT_EQ(seen,
              (std::vector<std::string>{"standard=registered", "standard=global", "suite=global",
                                        "standard=own", "suite=global2", "standard=global2"}));
}

TEST_F(UserDefaultsTest, AHandlerMayWriteAgainAndIsReentered) {
    std::vector<std::string> events;
    int depth = 0;
    defaults().addObserver("key", Options::new_, [&](const KeyValueChange& change) {
        const std::string value(*change.newValue->stringValue());
        events.push_back(std::to_string(depth) + ":" + value);
        ++depth;
        // The handler sees its value stored, and may store another.
        EXPECT_EQ(defaults().stringForKey("key"), value);
        if (value == "a")
            defaults().setObject(str("b"), "key");
        --depth;
    });
    defaults().setObject(str("a"), "key");
    EXPECT_EQ(events, (std::vector<std::string>{"0:a", "1:b"}));
    EXPECT_EQ(defaults().stringForKey("key"), "b");
}

TEST_F(UserDefaultsTest, RemovedObserversHearNothingMore) {
    int first = 0;
    int second = 0;
    KeyValueObserverToken secondToken;
    const auto firstToken =
        defaults().addObserver("key", Options::new_, [&](const KeyValueChange&) {
            ++first;
            // Removing another observer during a change keeps the change from it too.
            defaults().removeObserver(secondToken);
        });
    secondToken =
        defaults().addObserver("key", Options::new_, [&](const KeyValueChange&) { ++second; });

    defaults().setObject(str("a"), "key");
    defaults().removeObserver(firstToken);
    defaults().setObject(str("b"), "key");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);

    // Other tests leave threads behind them: run the dying code in a fresh process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEBUG_DEATH(defaults().removeObserver(firstToken), "not registered");
}

TEST_F(UserDefaultsTest, ReadsWritesAndObserversAreSafeFromManyThreads) {
    constexpr int threads = 8;
    constexpr int writes = 25;
    std::atomic<int> notified{0};
    defaults().addObserver("shared", Options::new_ | Options::prior,
                           [&](const KeyValueChange& change) {
                               if (!change.isPrior)
                                   ++notified;
                           });

    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, this] {
            const std::string own = "key" + std::to_string(t);
            for (int i = 0; i < writes; ++i) {
                defaults().setObject(PlistObject::integer(i), own);
                defaults().setObject(PlistObject::integer(t * writes + i), "shared");
                EXPECT_EQ(defaults().integerForKey(own), i);
                (void)defaults().dictionaryRepresentation();
            }
        });
    }
    for (auto& worker : workers)
        worker.join();

    // Every write gave a new value, so every write was told.
    EXPECT_EQ(notified.load(), threads * writes);
    const auto inMemory = defaults().dictionaryRepresentation();
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(defaults().integerForKey("key" + std::to_string(t)), writes - 1);
    }
    // The file holds the last state, not an older one written late.
    EXPECT_EQ(onDisk(identity::bundleIdentifier), inMemory);
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
}

}  // namespace
}  // namespace zoral::platform
