#include "platform/plist_base64.h"

#include <optional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zoral::platform::detail {
namespace {

TEST(PlistBase64, DecodesDigitsAroundWhiteSpaceAndPadding) {
    struct Case {
        std::string text;
        std::optional<PlistData> bytes;
    };
    const Case cases[] = {
        {"", PlistData{}},
        {"  \n\t", PlistData{}},
        {"AAEC", PlistData{0x00, 0x01, 0x02}},
        {"AAE=", PlistData{0x00, 0x01}},
        {"AA==", PlistData{0x00}},
        {"AAE", PlistData{0x00, 0x01}},  // padding may be left out
        {"AA", PlistData{0x00}},
        {"//79", PlistData{0xFF, 0xFE, 0xFD}},
        // White space anywhere, also inside a group of four and around padding.
        {"A A\nE\tC\r\n", PlistData{0x00, 0x01, 0x02}},
        {"\tAAECAw\n\t==\n", PlistData{0x00, 0x01, 0x02, 0x03}},
        {"AAECAwQFBgcICQoL\nDA0O", PlistData{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
        {"A", std::nullopt},      // six bits make no byte
        {"AAECA", std::nullopt},  // nor after a whole group
        {"AA=A", std::nullopt},   // a digit after padding
        {"AA===", std::nullopt},  // too much padding
        {"AAE==", std::nullopt},  // padding that does not end a group
        {"AAEC@AAA", std::nullopt},
        {"AAEC-_==", std::nullopt},  // the URL alphabet is not this one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_EQ(decodeBase64(c.text), c.bytes);
    }
}

}  // namespace
}  // namespace zoral::platform::detail
