#include "platform/utf8.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

TEST(Utf8, FindsTheFirstByteThatBreaksIt) {
    // Long enough that the invalid byte sits past the eight-byte steps over ASCII.
    const std::string ascii = "twenty ASCII bytes..";
    struct Case {
        std::string bytes;
        std::optional<std::size_t> invalidAt;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {"plain ASCII\n", std::nullopt},
        {std::string("nul\0inside", 10), std::nullopt},
        {"\xc3\xa9", std::nullopt},                        // é
        {"\xe2\x82\xac", std::nullopt},                    // €
        {"\xf0\x9f\x98\x80", std::nullopt},                // U+1F600
        {"\xf4\x8f\xbf\xbf", std::nullopt},                // U+10FFFF, the last code point
        {ascii + "\xc3\xa9" + ascii, std::nullopt},        // between runs of ASCII
        {"\xff", 0},                                       // never a UTF-8 byte
        {"\x80", 0},                                       // continuation without a lead
        {"\xc0\xaf", 0},                                   // overlong "/"
        {"\xe0\x80\xaf", 0},                               // overlong "/" in three bytes
        {"\xed\xa0\x80", 0},                               // surrogate U+D800
        {"\xf4\x90\x80\x80", 0},                           // past U+10FFFF
        {"\xe2\x82", 0},                                   // cut short
        {"\xe2\x28\xa1", 0},                               // bad continuation
        {"\xf8\x88\x80\x80\x80", 0},                       // five-byte form
        {ascii + "\xc3\xa9\xe2\x82", ascii.size() + 2},    // cut short at the end
        {"ab\xc3\xa9" + ascii + "\xff", ascii.size() + 4}  // after an eight-byte step
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(utf8::findInvalid(c.bytes), c.invalidAt);
        EXPECT_EQ(utf8::isValid(c.bytes), !c.invalidAt);
    }
}

TEST(Utf8, DecodesWhatItAppends) {
    // The first and last code point of each length, and either side of the surrogates.
    const std::vector<char32_t> codePoints = {0x0,    0x7F,   0x80,   0x7FF,   0x800,
                                              0xD7FF, 0xE000, 0xFFFF, 0x10000, 0x10FFFF};
    std::string text;
    for (const char32_t codePoint : codePoints)
        utf8::append(text, codePoint);
    EXPECT_EQ(text.size(), 1u + 1 + 2 + 2 + 3 + 3 + 3 + 3 + 4 + 4);

    std::vector<char32_t> decoded;
    std::size_t position = 0;
    while (position < text.size()) {
        const auto codePoint = utf8::decode(text, position);
        ASSERT_TRUE(codePoint) << "at " << position;
        decoded.push_back(*codePoint);
    }
    EXPECT_EQ(decoded, codePoints);

    std::size_t stays = 1;
    EXPECT_FALSE(utf8::decode("a\xe2\x82", stays));
    EXPECT_EQ(stays, 1u);
}

}  // namespace
}  // namespace zoral::platform
