#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/plist_serialization.h"
#include "platform/regular_file.h"
#include "plist/plist.h"
#include "plist/value_conversion.h"
#include "support/file_permissions.h"
#include "temporary_directory.h"

namespace zoral::plist {
namespace {

using platform::PlistFormat;
using platform::PlistObject;
using testing::bytesOf;
using ::testing::ElementsAre;
using testing::readBytes;
using testing::TemporaryDirectory;
using testing::writeBytes;
using testing::writeText;

const PListDictionary sample{{"name", "zoral"}, {"count", std::int64_t{2}}, {"on", true}};

std::vector<std::uint8_t> encoded(PlistFormat format) {
    return platform::writePlist(toPlistObject(sample), format);
}

bool startsWith(const std::vector<std::uint8_t>& bytes, const std::string& prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// A binary property list {5: "x"}: a dictionary whose key is an integer.
std::vector<std::uint8_t> binaryWithIntegerKey() {
    std::vector<std::uint8_t> bytes = bytesOf("bplist00");
    const std::vector<std::uint8_t> objects = {
        0xD1, 0x01, 0x02,  // object 0 at 8: dictionary, key object 1, value object 2
        0x10, 0x05,        // object 1 at 11: integer 5
        0x51, 'x',         // object 2 at 13: string "x"
        8,    11,   13,    // offset table at 15
    };
    bytes.insert(bytes.end(), objects.begin(), objects.end());
    const std::vector<std::uint8_t> trailer = {
        0, 0, 0, 0, 0, 0,         // unused
        1, 1,                     // offset size, reference size
        0, 0, 0, 0, 0, 0, 0, 3,   // object count
        0, 0, 0, 0, 0, 0, 0, 0,   // top object
        0, 0, 0, 0, 0, 0, 0, 15,  // offset table offset
    };
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

PListLoadError::Kind loadErrorOf(const std::function<void()>& load) {
    try {
        load();
    } catch (const PListLoadError& error) {
        EXPECT_THAT(error.description(), ::testing::StartsWith(kindName(error.kind())));
        EXPECT_EQ(error.domain(), PListLoadError::errorDomain);
        return error.kind();
    }
    ADD_FAILURE() << "no load error raised";
    return PListLoadError::Kind::unhandledType;
}

void expectSaveError(const std::function<void()>& save, const std::string& text) {
    try {
        save();
        ADD_FAILURE() << "no error raised, expected " << text;
    } catch (const LocalizedError& error) {
        EXPECT_EQ(error.domain(), "PropertyLists");
        EXPECT_EQ(error.code(), -1);
        EXPECT_EQ(error.description(), text);
        EXPECT_EQ(error.failureReason(), text);
        EXPECT_EQ(error.recoverySuggestion(), std::nullopt);
    }
}

TEST(PListLoading, FromDataAndTextTakeTheFormatFound) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        PlistFormat format;
    };
    const Case cases[] = {
        {"xml", encoded(PlistFormat::xml), PlistFormat::xml},
        {"binary", encoded(PlistFormat::binary), PlistFormat::binary},
        {"old-style", bytesOf("{ name = zoral; count = 2; }"), PlistFormat::openStep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = PList::initWithData(c.bytes);
        EXPECT_EQ(document->format(), c.format);
        EXPECT_EQ(document->storage().stringEntry("name"), "zoral");
        EXPECT_EQ(document->filePath(), std::nullopt);
        EXPECT_EQ(document->fileURL(), std::nullopt);
    }
    // Old-style text has no types: its numbers stay strings.
    EXPECT_EQ(PList::initWithData(cases[2].bytes)->storage().stringEntry("count"), "2");

    const std::vector<std::uint8_t> xml = encoded(PlistFormat::xml);
    const auto fromText = PList::initWithString(std::string(xml.begin(), xml.end()));
    EXPECT_EQ(fromText->format(), PlistFormat::xml);
    EXPECT_EQ(fromText->storage(), sample);
}

TEST(PListLoading, FromPathOrFileUrlKeepsTheDefaultFormat) {
    TemporaryDirectory directory;
    const std::string path = directory.file("with space%.plist");
    writeBytes(path, encoded(PlistFormat::binary));

    const auto byPath = PList::initWithFilePath(path);
    EXPECT_EQ(byPath->storage(), sample);
    EXPECT_EQ(byPath->format(), PlistFormat::xml);
    EXPECT_EQ(byPath->filePath(), path);
    ASSERT_TRUE(byPath->fileURL());
    EXPECT_TRUE(byPath->fileURL()->isFileUrl());
    EXPECT_EQ(byPath->fileURL()->path(), path);
    // Written without a format, it comes out as XML.
    EXPECT_TRUE(startsWith(byPath->serializedData(), "<?xml"));

    const Url url = Url::fileUrl(path);
    const auto byUrl = PList::initWithFileURL(url);
    EXPECT_EQ(byUrl->storage(), sample);
    EXPECT_EQ(byUrl->format(), PlistFormat::xml);
    EXPECT_EQ(byUrl->filePath(), path);
    EXPECT_EQ(byUrl->fileURL(), url);
}

TEST(PListLoading, EveryLoadErrorHasItsKind) {
    TemporaryDirectory directory;
    const std::string notPlist = directory.file("notes.txt");
    writeText(notPlist, "<html>not a property list</html>");
    const std::string arrayRoot = directory.file("array.plist");
    writeBytes(arrayRoot, platform::writePlist(PlistObject::array({}), PlistFormat::xml));
    const std::string integerKey = directory.file("integer-key.plist");
    writeBytes(integerKey, binaryWithIntegerKey());
    const std::string tooLarge = directory.file("too-large.plist");
    const PlistObject hugeInteger = PlistObject::dictionary(
        {{"n", PlistObject::unsignedInteger(std::numeric_limits<std::uint64_t>::max())}});
    writeBytes(tooLarge, platform::writePlist(hugeInteger, PlistFormat::binary));

    using Kind = PListLoadError::Kind;
    struct Case {
        const char* name;
        std::function<void()> load;
        Kind expected;
    };
    const Case cases[] = {
        {"missing path", [&] { PList::initWithFilePath(directory.file("none.plist")); },
         Kind::fileNotFound},
        {"empty path", [&] { PList::initWithFilePath(""); }, Kind::fileNotFound},
        {"missing file URL",
         [&] { PList::initWithFileURL(Url::fileUrl(directory.file("none.plist"))); },
         Kind::fileNotFound},
        {"text that is no property list", [&] { PList::initWithFilePath(notPlist); },
         Kind::formatNotExpected},
        {"array root by path", [&] { PList::initWithFilePath(arrayRoot); },
         Kind::formatNotExpected},
        {"directory", [&] { PList::initWithFilePath(directory.path().string()); },
         Kind::formatNotExpected},
        {"integer dictionary key", [&] { PList::initWithFilePath(integerKey); },
         Kind::formatNotExpected},
        {"integer beyond both number types", [&] { PList::initWithFilePath(tooLarge); },
         Kind::formatNotExpected},
        {"URL of another scheme",
         [&] { PList::initWithFileURL(*Url::parse("https://example.invalid/a.plist")); },
         Kind::formatNotExpected},
        {"file URL of another host",
         [&] { PList::initWithFileURL(*Url::parse("file://elsewhere" + arrayRoot)); },
         Kind::formatNotExpected},
        {"array root as data", [&] { PList::initWithData(readBytes(arrayRoot)); },
         Kind::formatNotExpected},
        {"text that is not UTF-8", [&] { PList::initWithString("<plist>\xC3</plist>"); },
         Kind::formatNotExpected},
        {"dictionary with a value beyond both number types",
         [&] { PList::initWithDictionary(*hugeInteger.getIf<platform::PlistDictionary>()); },
         Kind::formatNotExpected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(loadErrorOf(c.load), c.expected);
    }

    EXPECT_EQ(PListLoadError(Kind::fileNotFound), PListLoadError(Kind::fileNotFound));
    EXPECT_NE(PListLoadError(Kind::fileNotFound), PListLoadError(Kind::unhandledType));
    EXPECT_EQ(PListLoadError(Kind::formatNotExpected).description(), "formatNotExpected");
}

TEST(PListLoading, BytesTheParserRefusesRaiseItsOwnError) {
    EXPECT_THROW(PList::initWithData(bytesOf("bplist00 truncated")),
                 platform::PlistSerializationError);
    EXPECT_THROW(PList::initWithString(""), platform::PlistSerializationError);
    // The parser here refuses a non-string key itself; as data its error passes through.
    EXPECT_THROW(PList::initWithData(binaryWithIntegerKey()), platform::PlistSerializationError);
}

// Larger than any property-list file that is read, without taking the room: a sparse file.
void makeOversizedFile(const std::string& path) {
    writeText(path, "");
    std::filesystem::resize_file(path, platform::maxPropertyListFileSize + 1);
}

// The description of a file's loading error says which file and what is wrong with it, so that
// the user can mend it: a file that cannot be opened is not a missing one.
TEST(PListLoading, ErrorsOfAFileNameItAndTheirCause) {
    TemporaryDirectory directory;
    using Kind = PListLoadError::Kind;
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        Kind kind;
        std::string cause;
    };
    const Case cases[] = {
        {"nothing there", [](const std::string&) {}, Kind::fileNotFound,
         "No such file or directory"},
        {"no permission",
         [](const std::string& path) {
             writeBytes(path, encoded(PlistFormat::xml));
             ::chmod(path.c_str(), 0);
         },
         Kind::formatNotExpected, "Permission denied"},
        {"a link loop",
         [](const std::string& path) {
             std::filesystem::create_symlink(std::filesystem::path(path).filename(), path);
         },
         Kind::formatNotExpected, "Too many levels of symbolic links"},
        // Opening a pipe to read waits for a writer: none ever comes.
        {"a named pipe",
         [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
         Kind::formatNotExpected, "a named pipe"},
        {"too large, refused before reading", makeOversizedFile, Kind::formatNotExpected,
         "larger than 67108864 bytes"},
        {"an array at the root",
         [](const std::string& path) {
             writeBytes(path, platform::writePlist(PlistObject::array({}), PlistFormat::xml));
         },
         Kind::formatNotExpected, "its root is an array, not a dictionary"},
    };
    const zoral::testing::ScopedFilePermissions asAUser;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = directory.file(std::string(c.name) + ".plist");
        c.make(path);
        if (c.cause == "Permission denied" && std::ifstream(path).is_open())
            continue;  // files stay readable for this user
        for (const auto& load : std::vector<std::function<void()>>{
                 [&] { PList::initWithFilePath(path); },
                 [&] { PList::initWithFileURL(Url::fileUrl(path)); }}) {
            try {
                load();
                ADD_FAILURE() << "loaded";
            } catch (const PListLoadError& error) {
                EXPECT_EQ(error.kind(), c.kind);
                EXPECT_EQ(error.description(),
                          std::string(kindName(c.kind)) + ": " + path + ": " + c.cause);
            }
        }
    }
}

TEST(PListSaving, DocumentsWithoutALocationRefuseToSaveToDisk) {
    TemporaryDirectory directory;
    const std::vector<std::uint8_t> xml = encoded(PlistFormat::xml);
    const std::vector<std::shared_ptr<PList>> documents = {
        PList::initWithFormat(PlistFormat::binary),
        PList::initWithStorage(sample),
        PList::initWithDictionary({{"a", PlistObject::integer(1)}}),
        PList::initWithString(std::string(xml.begin(), xml.end())),
        PList::initWithData(xml),
        PList::initWithFilePath([&] {
            writeBytes(directory.file("a.plist"), xml);
            return directory.file("a.plist");
        }())
            ->copy(),
    };
    for (const auto& document : documents)
        expectSaveError([&] { document->saveToDisk(); }, "No file path or URL supplied.");
    EXPECT_THAT(directory.entries(), ElementsAre("a.plist"));
}

TEST(PListSaving, SaveTakesOverTheLocationAndFormat) {
    TemporaryDirectory directory;
    const std::string path = directory.file("saved.plist");
    const auto document = PList::initWithStorage(sample);
    document->saveToFilePath(path, PlistFormat::binary);
    EXPECT_EQ(document->format(), PlistFormat::binary);
    EXPECT_EQ(document->filePath(), path);
    EXPECT_EQ(document->fileURL(), Url::fileUrl(path));
    EXPECT_TRUE(startsWith(readBytes(path), "bplist00"));

    auto changed = document->storage();
    changed.setIntEntry("count", 3);
    document->setStorage(changed);
    document->saveToDisk();
    EXPECT_EQ(PList::initWithFilePath(path)->storage().intEntry("count"), 3);
    EXPECT_TRUE(startsWith(readBytes(path), "bplist00"));

    const std::string viaUrl = directory.file("url.plist");
    document->saveToFileURL(Url::fileUrl(viaUrl), PlistFormat::xml);
    EXPECT_EQ(document->filePath(), viaUrl);
    EXPECT_EQ(document->format(), PlistFormat::xml);
    EXPECT_EQ(PList::initWithFilePath(viaUrl)->storage(), changed);
}

TEST(PListSaving, DocumentLoadedByPathSavesBackToItsFile) {
    TemporaryDirectory directory;
    const std::string path = directory.file("prefs.plist");
    writeBytes(path, encoded(PlistFormat::xml));
    const auto document = PList::initWithFilePath(path);
    auto storage = document->storage();
    storage.setStringEntry("name", "changed");
    document->setStorage(storage);
    document->saveToDisk();
    EXPECT_EQ(PList::initWithFilePath(path)->storage().stringEntry("name"), "changed");
    EXPECT_THAT(directory.entries(), ElementsAre("prefs.plist"));
}

TEST(PListSaving, PlacesThatCannotTakeAFileRaiseOutputStreamErrorWithTheCause) {
    TemporaryDirectory directory;
    const auto document = PList::initWithStorage(sample);
    const std::string loop = directory.file("loop.plist");
    std::filesystem::create_symlink("loop.plist", loop);
    const std::string locked = directory.file("locked");
    std::filesystem::create_directories(locked);
    ::chmod(locked.c_str(), 0500);
    struct Case {
        const char* name;
        std::function<void()> save;
        std::string cause;
    };
    const std::string missing = directory.file("missing/dir");
    const Case cases[] = {
        {"a missing folder", [&] { document->saveToFilePath(missing + "/a.plist"); },
         missing + ": No such file or directory"},
        {"a directory in the way", [&] { document->saveToFilePath(directory.path().string()); },
         directory.path().string() + ": Is a directory"},
        {"a link loop in the way", [&] { document->saveToFilePath(loop); },
         loop + ": Too many levels of symbolic links"},
        {"a folder that takes no files", [&] { document->saveToFilePath(locked + "/a.plist"); },
         locked + ": Permission denied"},
        {"no path", [&] { document->saveToFilePath(""); }, "No path given."},
        {"a URL of another scheme",
         [&] { document->saveToFileURL(*Url::parse("https://example.invalid/a.plist")); },
         "https://example.invalid/a.plist: not a file URL"},
    };
    const zoral::testing::ScopedFilePermissions asAUser;
    const bool foldersHoldThisUser = !std::ofstream(locked + "/probe").is_open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.cause.ends_with("Permission denied") && !foldersHoldThisUser)
            continue;
        expectSaveError(c.save, "OutputStream could not be created. " + c.cause);
    }
    EXPECT_EQ(document->filePath(), std::nullopt);
    EXPECT_EQ(document->fileURL(), std::nullopt);
    EXPECT_THAT(directory.entries(), ::testing::UnorderedElementsAre("loop.plist", "locked"));
}

TEST(PListSaving, SerialiserErrorsPassThroughAndWriteNothing) {
    TemporaryDirectory directory;
    const std::string path = directory.file("keep.plist");
    writeBytes(path, encoded(PlistFormat::xml));
    const auto document = PList::initWithFilePath(path);
    EXPECT_THROW(document->saveToDisk(PlistFormat::openStep), platform::PlistSerializationError);
    EXPECT_THROW(document->serializedData(PlistFormat::openStep),
                 platform::PlistSerializationError);
    EXPECT_EQ(document->format(), PlistFormat::xml);
    EXPECT_EQ(readBytes(path), encoded(PlistFormat::xml));
}

// Makes every atomic write fail after a few bytes, for the life of the object.
class FailingWrites {
public:
    explicit FailingWrites(std::size_t afterBytes) {
        platform::setAtomicWriteFailureForTesting(afterBytes);
    }
    ~FailingWrites() { platform::setAtomicWriteFailureForTesting(std::nullopt); }
    FailingWrites(const FailingWrites&) = delete;
    FailingWrites& operator=(const FailingWrites&) = delete;
};

TEST(PListSaving, AFailedWriteLeavesTheOldFileWhole) {
    TemporaryDirectory directory;
    const std::string path = directory.file("hotkeys.plist");
    const std::vector<std::uint8_t> original = encoded(PlistFormat::xml);
    writeBytes(path, original);
    const auto document = PList::initWithFilePath(path);
    auto storage = document->storage();
    storage.setStringEntry("name", "a much longer value that no longer fits the disk");
    document->setStorage(storage);

    {
        FailingWrites disk(16);
        try {
            document->saveToFilePath(path, PlistFormat::binary);
            ADD_FAILURE() << "the save succeeded";
        } catch (const LocalizedError& error) {
            EXPECT_EQ(error.domain(), "PropertyLists");
            EXPECT_EQ(error.code(), -1);
            EXPECT_THAT(error.description(), ::testing::HasSubstr("No space left on device"));
            EXPECT_EQ(error.failureReason(), error.description());
        }
    }
    EXPECT_EQ(readBytes(path), original);
    EXPECT_THAT(directory.entries(), ElementsAre("hotkeys.plist"));  // no stray temporary file
    EXPECT_EQ(document->format(), PlistFormat::xml);
    EXPECT_EQ(document->filePath(), path);

    document->saveToDisk();
    EXPECT_EQ(PList::initWithFilePath(path)->storage(), storage);
}

TEST(PListSaving, KeepsPermissionsAndWritesThroughSymbolicLinks) {
    TemporaryDirectory directory;
    const std::string target = directory.file("target.plist");
    const std::string link = directory.file("link.plist");
    writeBytes(target, encoded(PlistFormat::xml));
    ::chmod(target.c_str(), 0644);
    std::filesystem::create_symlink(target, link);

    const auto document = PList::initWithFilePath(link);
    auto storage = document->storage();
    storage.setBoolEntry("on", false);
    document->setStorage(storage);
    document->saveToDisk();

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(PList::initWithFilePath(target)->storage().boolEntry("on"), false);
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

TEST(PListSaving, ASaveThroughALinkToNothingYetMakesTheFileItNames) {
    TemporaryDirectory directory;
    std::filesystem::create_directories(directory.path() / "kept");
    const std::string link = directory.file("link.plist");
    // Relative to the link's folder, as links usually are.
    std::filesystem::create_symlink("kept/target.plist", link);

    PList::initWithStorage(sample)->saveToFilePath(link);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(PList::initWithFilePath(directory.file("kept/target.plist"))->storage(), sample);
}

// A save killed between writing and renaming leaves its temporary file; the next save of the same
// document clears it away, and only it.
TEST(PListSaving, ASaveRemovesTheTemporaryFilesThatKilledSavesLeft) {
    TemporaryDirectory directory;
    const std::string path = directory.file("doc.plist");
    writeText(directory.file(".doc.plist.k1LLed"), "half a file");
    writeText(directory.file(".other.plist.k1LLed"), "another document's");

    PList::initWithStorage(sample)->saveToFilePath(path);

    EXPECT_THAT(directory.entries(),
                ::testing::UnorderedElementsAre("doc.plist", ".other.plist.k1LLed"));
}

TEST(PListCopying, CopyIsAnIndependentDocumentWithoutLocation) {
    TemporaryDirectory directory;
    const std::string path = directory.file("source.plist");
    writeBytes(path, encoded(PlistFormat::xml));
    const auto source = PList::initWithFilePath(path);
    source->setFormat(PlistFormat::binary);
    source->setCreateIntermediateDictionaries(false);

    const auto copy = source->copy();
    EXPECT_NE(copy, source);
    EXPECT_EQ(copy->storage(), source->storage());
    EXPECT_EQ(copy->format(), PlistFormat::binary);
    EXPECT_FALSE(copy->createIntermediateDictionaries());
    EXPECT_EQ(copy->filePath(), std::nullopt);
    EXPECT_EQ(copy->fileURL(), std::nullopt);

    auto changed = copy->storage();
    changed.setIntEntry("count", 99);
    copy->setStorage(changed);
    EXPECT_EQ(source->storage().intEntry("count"), 2);
}

}  // namespace
}  // namespace zoral::plist
