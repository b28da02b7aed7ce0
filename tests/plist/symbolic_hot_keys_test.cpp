// The program's one real use of documents: reading the user's symbolic hot
// keys through key paths, from the same file in XML and in binary form.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/plist_serialization.h"
#include "plist/plist.h"
#include "temporary_directory.h"

namespace zoral::plist {
namespace {

using testing::fixturePath;
using testing::readBytes;
using testing::writeBytes;

const char* const xmlFixture = "symbolic_hot_keys.xml.plist";
const char* const binaryFixture = "symbolic_hot_keys.binary.plist";

// The binary fixture is checked in; this rewrites it from the XML one when
// ZORAL_REGENERATE_FIXTURES is set, and otherwise checks that the two agree.
TEST(SymbolicHotKeysFixtures, BinaryFixtureHoldsTheXmlFixture) {
    const auto xml = platform::readPlist(readBytes(fixturePath(xmlFixture)));
    ASSERT_EQ(xml.format, platform::PlistFormat::xml);
    if (std::getenv("ZORAL_REGENERATE_FIXTURES") != nullptr) {
        writeBytes(fixturePath(binaryFixture),
                   platform::writePlist(xml.object, platform::PlistFormat::binary));
    }
    const auto binary = platform::readPlist(readBytes(fixturePath(binaryFixture)));
    EXPECT_EQ(binary.format, platform::PlistFormat::binary);
    EXPECT_EQ(binary.object, xml.object);
}

struct HotKey {
    std::string identifier;
    std::optional<bool> enabled;
    std::optional<std::vector<std::int64_t>> parameters;
};

// What a reader of the file gets for one identifier, the way the desktop reads it.
HotKey readHotKey(PList& document, const std::string& identifier) {
    const auto entry =
        document.rootNode()->dictionaryChild("AppleSymbolicHotKeys")->dictionaryChild(identifier);
    HotKey hotKey{identifier, entry->boolChild("enabled")->typedValue(), std::nullopt};
    if (const auto parameters =
            entry->dictionaryChild("value")->arrayChild("parameters")->typedValue()) {
        std::vector<std::int64_t> numbers;
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(parameters->size()); ++i)
            numbers.push_back(parameters->intElement(i).value_or(-1));
        hotKey.parameters = numbers;
    }
    return hotKey;
}

class SymbolicHotKeys : public ::testing::TestWithParam<const char*> {};

TEST_P(SymbolicHotKeys, ReadThroughKeyPaths) {
    const auto document = PList::initWithFilePath(fixturePath(GetParam()));
    using Parameters = std::vector<std::int64_t>;
    const HotKey expected[] = {
        {"79", true, Parameters{65535, 123, 8650752}},  // move left a space
        {"80", true, Parameters{65535, 123, 8781824}},
        {"81", true, Parameters{65535, 124, 8650752}},  // move right a space
        {"82", true, Parameters{65535, 124, 8781824}},
        {"118", true, Parameters{65535, 18, 262144}},  // switch to desktop 1
        {"119", false, Parameters{65535, 19, 262144}},
        {"120", true, Parameters{65535, 20, 262144}},
        // Stored as the integer 1: not a Bool, so it reads as absent.
        {"121", std::nullopt, Parameters{65535, 21, 262144}},
        {"164", false, std::nullopt},         // no "value" entry
        {"999", std::nullopt, std::nullopt},  // no such identifier
    };
    for (const HotKey& hotKey : expected) {
        SCOPED_TRACE(hotKey.identifier);
        const HotKey read = readHotKey(*document, hotKey.identifier);
        EXPECT_EQ(read.enabled, hotKey.enabled);
        EXPECT_EQ(read.parameters, hotKey.parameters);
    }
    EXPECT_EQ(document->storage().dictionaryEntry("AppleSymbolicHotKeys")->size(), 11u);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, SymbolicHotKeys, ::testing::Values(xmlFixture, binaryFixture),
                         [](const auto& param) {
                             return std::string(param.param == xmlFixture ? "Xml" : "Binary");
                         });

}  // namespace
}  // namespace zoral::plist
