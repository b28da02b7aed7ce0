#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/plist_object.h"
#include "plist_builders.h"

namespace zoral::platform {
namespace {

using plist_builders::integer;

using Entry = PlistDictionary::value_type;

std::vector<std::string> keysOf(const PlistDictionary& dictionary) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : dictionary)
        keys.push_back(key);
    return keys;
}

TEST(PlistDictionary, BehavesAsAMapKeptInKeyOrder) {
    PlistDictionary dictionary;
    EXPECT_TRUE(dictionary.emplace("m", integer(1)).second);
    EXPECT_TRUE(dictionary.insert({"z", integer(2)}).second);
    EXPECT_TRUE(dictionary.try_emplace("a", integer(3)).second);
    EXPECT_TRUE(dictionary.insert_or_assign("k", integer(4)).second);
    EXPECT_THAT(keysOf(dictionary), ::testing::ElementsAre("a", "k", "m", "z"));

    // Adding a present key keeps its value; assigning replaces it.
    const auto kept = dictionary.emplace("m", integer(10));
    EXPECT_FALSE(kept.second);
    EXPECT_EQ(kept.first->second, integer(1));
    EXPECT_FALSE(dictionary.try_emplace("a", integer(30)).second);
    EXPECT_EQ(dictionary.at("a"), integer(3));
    EXPECT_FALSE(dictionary.insert_or_assign("z", integer(20)).second);
    EXPECT_EQ(dictionary.at("z"), integer(20));

    // Lookups.
    EXPECT_TRUE(dictionary.contains("k"));
    EXPECT_EQ(dictionary.count("q"), 0u);
    EXPECT_EQ(dictionary.find("q"), dictionary.end());
    EXPECT_THROW((void)dictionary.at("q"), std::out_of_range);
    EXPECT_EQ(dictionary["new"], PlistObject::dictionary());  // added empty
    EXPECT_EQ(dictionary.size(), 5u);

    // Removal by key and by place.
    EXPECT_EQ(dictionary.erase("new"), 1u);
    EXPECT_EQ(dictionary.erase("new"), 0u);
    dictionary.erase(dictionary.find("k"));
    EXPECT_THAT(keysOf(dictionary), ::testing::ElementsAre("a", "m", "z"));

    // Built in key order with the end as hint, as converters do.
    PlistDictionary copy;
    for (const auto& [key, value] : dictionary)
        copy.emplace_hint(copy.end(), key, value);
    EXPECT_EQ(copy, dictionary);
    copy.insert_or_assign("a", integer(0));
    EXPECT_NE(copy, dictionary);
}

// Keys that share their first eight bytes, or are a prefix of one another,
// must still sort by the whole key; short and long dictionaries sort apart.
TEST(PlistDictionary, SortsEntriesGivenInAnyOrder) {
    const std::vector<std::string> keys = {
        "",          "a",
        "prefix",    std::string("prefix\0", 7),
        "prefix-a",  "prefix-ab",
        "prefix-b",  "prefixes",
        "z\xC3\xA9", "\xE2\x9C\x93",
    };
    for (const std::size_t count : {std::size_t{6}, std::size_t{30}}) {
        SCOPED_TRACE(count);
        std::vector<Entry> entries;
        for (std::size_t i = count; i-- > 0;)
            entries.emplace_back(keys[i % keys.size()] + std::string(i / keys.size(), '~'),
                                 integer(0));
        std::vector<std::string> expected;
        for (const auto& [key, value] : entries)
            expected.push_back(key);
        std::sort(expected.begin(), expected.end());

        EXPECT_EQ(keysOf(PlistDictionary(entries.begin(), entries.end())), expected);
        EXPECT_EQ(keysOf(PlistDictionary::fromEntries(entries)), expected);
    }
}

TEST(PlistDictionary, ARepeatedKeyKeepsItsFirstValueAsAMapDoesOrItsLastFromAFile) {
    for (const int others : {0, 20}) {
        SCOPED_TRACE(others);
        std::vector<Entry> entries = {{"b", integer(1)}, {"a", integer(2)}, {"b", integer(3)}};
        for (int i = 0; i < others; ++i)
            entries.emplace_back("other " + std::to_string(i), integer(0));
        entries.emplace_back("b", integer(4));
        const auto size = static_cast<std::size_t>(2 + others);

        const PlistDictionary asMap(entries.begin(), entries.end());
        EXPECT_EQ(asMap.size(), size);
        EXPECT_EQ(asMap.at("b"), integer(1));

        const PlistDictionary fromFile = PlistDictionary::fromEntries(entries);
        EXPECT_EQ(fromFile.size(), size);
        EXPECT_EQ(fromFile.at("b"), integer(4));
        EXPECT_EQ(fromFile.at("a"), integer(2));
    }
    const PlistDictionary listed{{"k", integer(1)}, {"k", integer(2)}};
    EXPECT_EQ(listed.at("k"), integer(1));
}

}  // namespace
}  // namespace zoral::platform
