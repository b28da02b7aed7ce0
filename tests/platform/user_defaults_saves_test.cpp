// The saves behind the writes: when they come, what they carry, and what they say when they fail.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/identity.h"
#include "platform/plist_serialization.h"
#include "platform/regular_file.h"
#include "platform/user_defaults.h"
#include "platform/user_defaults_storage.h"
#include "platform/user_defaults_termination.h"
#include "plist_builders.h"
#include "support/captured_output.h"
#include "support/file_permissions.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::platform {
namespace {

using plist_builders::readBytes;
using plist_builders::str;

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Tells the saves of a file apart: each one puts a new file in place, made while the old one was
// still there, so two saves in a row never leave the same file.
class FileReplacements {
public:
    explicit FileReplacements(fs::path path) : path_(std::move(path)), seen_(identity()) {}

    // Whether a save put a new file in place since the last call.
    bool replaced() {
        const auto now = identity();
        const bool changed = now != seen_;
        seen_ = now;
        return changed;
    }

private:
    std::optional<std::pair<dev_t, ino_t>> identity() const {
        struct stat status {};
        if (::stat(path_.c_str(), &status) != 0)
            return std::nullopt;
        return std::pair{status.st_dev, status.st_ino};
    }

    fs::path path_;
    std::optional<std::pair<dev_t, ino_t>> seen_;
};

// Every test gets a home of its own and the virtual clock, and saves behind the writes.
class UserDefaultsSavesTest : public zoral::testing::VirtualClockTest {
protected:
    void TearDown() override {
        setAtomicWriteFailureForTesting(std::nullopt);
        setPropertyListFileSizeLimitForTesting(std::nullopt);
    }

    fs::path preferences() const { return home_.preferences(); }
    fs::path fileOf(std::string_view domain) const {
        return preferences() / (std::string(domain) + ".plist");
    }
    fs::path standardFile() const { return fileOf(identity::bundleIdentifier); }

    // The domain as its file holds it; empty without a file.
    PlistDictionary onDisk(std::string_view domain) const {
        if (!fs::exists(fileOf(domain)))
            return {};
        const auto read = readPlist(readBytes(fileOf(domain)));
        const auto* values = read.object.getIf<PlistDictionary>();
        EXPECT_NE(values, nullptr) << "the root of " << domain << " is no dictionary";
        return values != nullptr ? *values : PlistDictionary{};
    }
    PlistDictionary standardOnDisk() const { return onDisk(identity::bundleIdentifier); }

    UserDefaults& defaults() { return UserDefaults::standard(); }

    zoral::testing::ScopedOutputCapture output_;
    zoral::testing::TemporaryHome home_;
};

TEST_F(UserDefaultsSavesTest, WritesAreReadAtOnceAndSavedTogetherWithinTheDelay) {
    FileReplacements saves(standardFile());
    auto dock = UserDefaults::suite("org.example.dock");

    defaults().setObject(str("a"), "first");
    EXPECT_EQ(defaults().stringForKey("first"), "a");
    EXPECT_FALSE(fs::exists(standardFile()));

    scheduler().advance(0.5);
    defaults().setObject(str("b"), "second");
    defaults().removeObjectForKey("first");
    dock->setObject(str("left"), "orientation");
    scheduler().advance(UserDefaults::saveDelay - 0.5 - 0.001);
    EXPECT_FALSE(fs::exists(standardFile()));

    // The delay counts from the first change: the later ones ride along, in every domain.
    scheduler().advance(0.001);
    EXPECT_EQ(standardOnDisk(), (PlistDictionary{{"second", str("b")}}));
    EXPECT_EQ(onDisk("org.example.dock"), (PlistDictionary{{"orientation", str("left")}}));
    EXPECT_TRUE(saves.replaced());

    // Nothing changed, nothing saved.
    scheduler().advance(10 * UserDefaults::saveDelay);
    EXPECT_FALSE(saves.replaced());

    // A change after the save waits a delay of its own.
    defaults().setObject(str("c"), "third");
    scheduler().advance(UserDefaults::saveDelay - 0.001);
    EXPECT_FALSE(saves.replaced());
    scheduler().advance(0.001);
    EXPECT_TRUE(saves.replaced());
    EXPECT_EQ(standardOnDisk(), (PlistDictionary{{"second", str("b")}, {"third", str("c")}}));
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
}

// What waits for its save is saved at once by synchronize, by the program's termination, by a
// reload (which would otherwise read the file without it) and by a relaunch after a normal exit;
// the save behind it then finds nothing left to do.
TEST_F(UserDefaultsSavesTest, WhatWaitsForItsSaveIsSavedAtOnceWhenAsked) {
    struct Case {
        std::string name;
        std::function<void()> save;
    };
    const std::vector<Case> cases = {
        {"synchronize", [this] { EXPECT_TRUE(defaults().synchronize()); }},
        {"termination", [] { EXPECT_TRUE(UserDefaults::synchronizeAll()); }},
        {"reload", [this] { defaults().reload(); }},
        {"relaunch", [] { UserDefaults::resetForTesting(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(preferences());
        UserDefaults::resetForTesting();
        FileReplacements saves(standardFile());
        const double start = scheduler().now().uptimeSeconds();

        defaults().setObject(str("pending"), "key");
        UserDefaults::suite("org.example.dock")->setObject(str("left"), "orientation");
        c.save();

        EXPECT_EQ(scheduler().now().uptimeSeconds(), start);
        EXPECT_TRUE(saves.replaced());
        EXPECT_EQ(standardOnDisk(), (PlistDictionary{{"key", str("pending")}}));
        EXPECT_EQ(defaults().stringForKey("key"), "pending");
        if (c.name != "reload") {
            EXPECT_EQ(onDisk("org.example.dock"), (PlistDictionary{{"orientation", str("left")}}));
        }
        scheduler().advance(UserDefaults::saveDelay);
        EXPECT_FALSE(saves.replaced());
    }
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
}

// A scheduler torn down with the save still waiting drops it: the next change asks for another on
// the scheduler in place then (which may well take the place in memory of the one that went), and
// the changes before it are saved with it.
TEST_F(UserDefaultsSavesTest, ASaveDroppedWithItsSchedulerIsAskedForAgain) {
    {
        const ScopedScheduler gone;
        defaults().setObject(str("before"), "first");
    }
    {
        const ScopedScheduler next;
        defaults().setObject(str("after"), "second");
        next->advance(UserDefaults::saveDelay);
        EXPECT_EQ(standardOnDisk(),
                  (PlistDictionary{{"first", str("before")}, {"second", str("after")}}));
    }
    defaults().setObject(str("last"), "third");
    scheduler().advance(UserDefaults::saveDelay);
    EXPECT_EQ(standardOnDisk().size(), 3U);
}

// Written from many threads while the scheduler's thread saves: the file ends with the last
// values, never with an older copy written late.
TEST_F(UserDefaultsSavesTest, SavesKeepUpWithWritesFromManyThreads) {
    constexpr int threads = 8;
    constexpr int writes = 50;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &finished, this] {
            const std::string own = "key" + std::to_string(t);
            for (int i = 0; i < writes; ++i) {
                defaults().setObject(PlistObject::integer(i), own);
                defaults().setObject(PlistObject::integer(t * writes + i), "shared");
                if (i % 10 == 0)
                    (void)defaults().synchronize();
            }
            ++finished;
        });
    }
    while (finished.load() < threads)
        scheduler().advance(UserDefaults::saveDelay / 4);
    for (auto& worker : workers)
        worker.join();
    scheduler().advance(UserDefaults::saveDelay);

    const auto inMemory = defaults().dictionaryRepresentation();
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(defaults().integerForKey("key" + std::to_string(t)), writes - 1);
    EXPECT_EQ(standardOnDisk(), inMemory);
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
}

// The size of a domain's file is known without writing it: the estimate kept entry by entry is the
// size of the file that XML makes, through every kind of change.
TEST_F(UserDefaultsSavesTest, TheFileSizeKeptEntryByEntryIsTheSizeOfTheFile) {
    const auto xmlSize = [](const PlistDictionary& values) -> std::optional<std::size_t> {
        try {
            return writePlist(PlistObject::dictionary(values), PlistFormat::xml).size();
        } catch (const PlistSerializationError&) {
            return std::nullopt;
        }
    };
    const std::vector<std::pair<std::string, std::optional<PlistObject>>> steps = {
        {"text", str("plain")},
        {"markup <&> and \r", str("a < b && c > d\r\n\ttab")},
        {"caf\xC3\xA9", str("\xF0\x9F\x98\x80")},
        {"bell", str("ring\x07")},  // XML cannot hold it
        {"empty data", PlistObject::data({})},
        {"data", PlistObject::data(PlistData(58, 0xAB))},
        {"more data", PlistObject::data(PlistData(1000, 0x01))},
        {"numbers", PlistObject::array({PlistObject::integer(-7), PlistObject::real(0.1),
                                        PlistObject::real(3.0), PlistObject::boolean(false)})},
        {"nested", PlistObject::dictionary(
                       {{"empty", PlistObject::array()},
                        {"inner", PlistObject::dictionary({{"d", PlistObject::date(Date{1.5})},
                                                           {"e", PlistObject::dictionary()}})}})},
        {"text", str("replaced by a longer text")},
        {"bell", std::nullopt},  // XML can hold the domain again
        {"never stored", std::nullopt},
        {"data", PlistObject::data(PlistData(2, 0xFF))},
        {"text", std::nullopt},
        {"caf\xC3\xA9", std::nullopt},
        {"markup <&> and \r", std::nullopt},
        {"empty data", std::nullopt},
        {"more data", std::nullopt},
        {"numbers", std::nullopt},
        {"nested", std::nullopt},
        {"data", std::nullopt},  // empty again
    };
    PlistDictionary values;
    auto size = detail::DomainFileSize::of(values);
    EXPECT_EQ(size.xml(), xmlSize(values));
    for (const auto& [key, value] : steps) {
        SCOPED_TRACE(key);
        detail::EntryChange change{key, !value, std::nullopt};
        if (value) {
            change.size = detail::xmlEntrySize(key, *value);
            values.insert_or_assign(key, *value);
        } else {
            values.erase(key);
        }
        EXPECT_EQ(size.xmlAfter(change), xmlSize(values));
        size.apply(change);
        EXPECT_EQ(size.xml(), xmlSize(values));
        EXPECT_EQ(detail::DomainFileSize::of(values).xml(), xmlSize(values));
    }
}

// A change whose file could not be read back is refused when it is made, not when it is saved:
// nobody ever reads a value that the next launch would not have.
TEST_F(UserDefaultsSavesTest, AChangeTooLargeForTheFileIsRefusedWhenItIsMade) {
    defaults().setObject(str("small"), "kept");
    ASSERT_TRUE(defaults().synchronize());
    const auto saved = readBytes(standardFile());
    setPropertyListFileSizeLimitForTesting(saved.size() + 2000);
    FileReplacements saves(standardFile());

    defaults().setObject(PlistObject::data(PlistData(3000, 0x5A)), "huge");
    EXPECT_EQ(defaults().objectForKey("huge"), std::nullopt);
    ASSERT_EQ(output_.lines().size(), 1U);
    EXPECT_THAT(output_.lines()[0], HasSubstr(std::string(identity::bundleIdentifier) +
                                              " left as it was: its file would take"));
    // Refused, it asked for no save.
    scheduler().advance(UserDefaults::saveDelay);
    EXPECT_FALSE(saves.replaced());

    // Too large in XML only: taken, and saved in the binary format, which is read back; a second
    // such value would be too much in either.
    defaults().setObject(PlistObject::data(PlistData(1800, 0x5A)), "large");
    defaults().setObject(PlistObject::data(PlistData(600, 0x5A)), "more");
    EXPECT_EQ(defaults().dataForKey("large"), PlistData(1800, 0x5A));
    EXPECT_EQ(defaults().objectForKey("more"), std::nullopt);
    scheduler().advance(UserDefaults::saveDelay);
    EXPECT_EQ(readPlist(readBytes(standardFile())).format, PlistFormat::binary);
    UserDefaults::resetForTesting();
    EXPECT_EQ(defaults().dataForKey("large"), PlistData(1800, 0x5A));
    EXPECT_EQ(output_.lines().size(), 2U) << output_.text();
}

// A disk without room fails every save: that is said once, the old file stays whole, and the
// values wait in memory until a save gets through. The same fault after a save that got through
// is news again.
TEST_F(UserDefaultsSavesTest, AFullDiskIsSaidOnceAndTheNextSaveCatchesUp) {
    defaults().setObject(str("old"), "key");
    ASSERT_TRUE(defaults().synchronize());
    const auto before = readBytes(standardFile());

    setAtomicWriteFailureForTesting(0);
    for (int gesture = 0; gesture < 20; ++gesture) {
        defaults().setObject(PlistObject::integer(gesture), "count");
        scheduler().advance(UserDefaults::saveDelay);
    }
    EXPECT_FALSE(defaults().synchronize());
    EXPECT_EQ(readBytes(standardFile()), before);
    ASSERT_EQ(output_.lines().size(), 1U) << output_.text();
    EXPECT_THAT(output_.lines()[0],
                HasSubstr("cannot save " + std::string(identity::bundleIdentifier)));
    EXPECT_THAT(output_.lines()[0], HasSubstr("No space left on device"));
    EXPECT_EQ(defaults().integerForKey("count"), 19);

    setAtomicWriteFailureForTesting(std::nullopt);
    defaults().setObject(str("new"), "key");
    scheduler().advance(UserDefaults::saveDelay);
    EXPECT_EQ(standardOnDisk(),
              (PlistDictionary{{"key", str("new")}, {"count", PlistObject::integer(19)}}));

    setAtomicWriteFailureForTesting(0);
    defaults().setObject(PlistObject::integer(20), "count");
    scheduler().advance(UserDefaults::saveDelay);
    EXPECT_EQ(output_.lines().size(), 2U) << output_.text();
}

// Behind the writes as in them: a file that cannot be opened is never saved over, and says so once.
TEST_F(UserDefaultsSavesTest, AFileThatCannotBeOpenedIsNeverSavedOverBehindTheWrites) {
    defaults().setObject(str("saved before"), "kept");
    ASSERT_TRUE(defaults().synchronize());
    const auto saved = readBytes(standardFile());
    fs::permissions(standardFile(), fs::perms::none);
    const zoral::testing::ScopedFilePermissions asAUser;
    if (std::ifstream(standardFile()).is_open())
        GTEST_SKIP() << "files stay readable for this user";
    UserDefaults::resetForTesting();
    output_.clear();

    for (int change = 0; change < 5; ++change) {
        defaults().setObject(PlistObject::integer(change), "key");
        scheduler().advance(UserDefaults::saveDelay);
    }
    EXPECT_EQ(defaults().integerForKey("key"), 4);
    EXPECT_FALSE(defaults().synchronize());
    ASSERT_EQ(output_.lines().size(), 1U) << output_.text();
    EXPECT_THAT(output_.lines()[0], HasSubstr("is still in place"));
    fs::permissions(standardFile(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readBytes(standardFile()), saved);
}

// The preferences folder is there but cannot be written (a read-only home): the line says so,
// rather than that the folder cannot be made.
TEST_F(UserDefaultsSavesTest, AFolderThatCannotBeWrittenIsNamedSo) {
    fs::create_directories(preferences());
    fs::permissions(preferences(), fs::perms::owner_read | fs::perms::owner_exec);
    const zoral::testing::ScopedFilePermissions asAUser;
    const bool writable = std::ofstream(preferences() / "probe").is_open();
    if (!writable) {
        defaults().setObject(str("value"), "key");
        scheduler().advance(UserDefaults::saveDelay);
    }
    fs::permissions(preferences(), fs::perms::owner_all);
    if (writable)
        GTEST_SKIP() << "the folder stays writable for this user";
    ASSERT_EQ(output_.lines().size(), 1U) << output_.text();
    EXPECT_THAT(output_.lines()[0], HasSubstr("cannot write in the folder " +
                                              preferences().string() + ": Permission denied"));
}

// SIGTERM and SIGINT save what waits for its save before the program ends; the program is told on
// the thread that waited for the signal. Each case runs in a process of its own, which the signal
// reaches.
TEST_F(UserDefaultsSavesTest, ATerminationSignalSavesWhatWaitsAndThenEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        EXPECT_EXIT(
            {
                std::promise<int> told;
                const UserDefaultsTermination termination(
                    [&told](int number) { told.set_value(number); });
                const double start = scheduler().now().uptimeSeconds();
                defaults().setObject(str("pending"), "key");
                ::kill(::getpid(), signal);
                const int number = told.get_future().get();
                const auto stored = standardOnDisk();
                const auto found = stored.find("key");
                const std::string value =
                    found != stored.end() ? std::string(*found->second.stringValue()) : "-";
                std::fprintf(stderr, "told %d; on disk: %s; clock moved: %s\n", number,
                             value.c_str(),
                             scheduler().now().uptimeSeconds() == start ? "no" : "yes");
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(0),
            "told " + std::to_string(signal) + "; on disk: pending; clock moved: no");
    }
}

// A program whose main queue is stuck never ends itself: a second signal ends it at once.
TEST_F(UserDefaultsSavesTest, ASecondTerminationSignalEndsTheProcessAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::promise<void> told;
            const UserDefaultsTermination termination([&told](int) { told.set_value(); });
            ::kill(::getpid(), SIGTERM);
            told.get_future().wait();
            ::kill(::getpid(), SIGTERM);
            std::promise<void>().get_future().wait();  // stuck
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace zoral::platform
