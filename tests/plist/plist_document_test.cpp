#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/atomic_file.h"
#include "platform/plist_serialization.h"
#include "plist/plist.h"
#include "plist/value_conversion.h"
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
        EXPECT_EQ(error.description(), kindName(error.kind()));
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

TEST(PListSaving, PlacesThatCannotTakeAFileRaiseOutputStreamError) {
    TemporaryDirectory directory;
    const auto document = PList::initWithStorage(sample);
    const std::string text = "OutputStream could not be created.";
    expectSaveError([&] { document->saveToFilePath(directory.file("missing/dir/a.plist")); }, text);
    expectSaveError([&] { document->saveToFilePath(directory.path().string()); }, text);
    expectSaveError([&] { document->saveToFilePath(""); }, text);
    expectSaveError(
        [&] { document->saveToFileURL(*Url::parse("https://example.invalid/a.plist")); }, text);
    EXPECT_EQ(document->filePath(), std::nullopt);
    EXPECT_EQ(document->fileURL(), std::nullopt);
    EXPECT_TRUE(directory.entries().empty());
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
