#include "platform/json.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

TEST(Json, EncodesCompactlyInInsertionOrderWithExactIntegers) {
    Json object;
    object["carbonKeyCode"] = 49;
    object["carbonModifiers"] = 256;
    object["a"] = Json::array({1, 2});

    struct Case {
        Json value;
        std::string text;
    };
    const std::vector<Case> cases = {
        {object, R"({"carbonKeyCode":49,"carbonModifiers":256,"a":[1,2]})"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
        {std::numeric_limits<std::uint64_t>::max(), "18446744073709551615"},
        {3, "3"},
        {3.0, "3.0"},
        {0.1, "0.1"},
        {"a\"b\\c\n", R"("a\"b\\c\n")"},
        {"\xC3\xA9", "\"\xC3\xA9\""},
        {nullptr, "null"},
        {Json::array(), "[]"},
    };
    for (const auto& c : cases) {
        const auto encoded = encodeJson(c.value);
        ASSERT_TRUE(encoded.ok()) << encoded.error();
        EXPECT_EQ(encoded.value(), c.text);
        const auto decoded = decodeJson(c.text);
        ASSERT_TRUE(decoded.ok()) << decoded.error();
        EXPECT_EQ(decoded.value(), c.value) << c.text;
        // Same kind of number back, so that 3 and 3.0 stay apart.
        EXPECT_EQ(decoded.value().is_number_float(), c.value.is_number_float()) << c.text;
    }
}

TEST(Json, ElementFormIsTheOneElementArrayWithoutBrackets) {
    struct Case {
        Json value;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"abc", R"("abc")"},
        {3, "3"},
        {Json::array({"native", "safari"}), R"(["native","safari"])"},
        {Json::array(), "[]"},
        {Json::array({"windowQuit", 2, "snapMax", 5}), R"(["windowQuit",2,"snapMax",5])"},
        {false, "false"},
    };
    for (const auto& c : cases) {
        const auto encoded = encodeJsonElement(c.value);
        ASSERT_TRUE(encoded.ok());
        EXPECT_EQ(encoded.value(), c.stored);
        EXPECT_EQ(encoded.value(),
                  encodeJson(Json::array({c.value})).value().substr(1, encoded.value().size()));
        const auto decoded = decodeJsonElement(c.stored);
        ASSERT_TRUE(decoded.ok()) << c.stored;
        EXPECT_EQ(decoded.value(), c.value);
    }
    EXPECT_EQ(encodeJsonElement(std::string("abc")).value(), R"("abc")");
}

TEST(Json, DecodingTheStoredFormTellsEmptyFromBroken) {
    // The empty text is an empty array: no value and nothing to report.
    const auto empty = decodeJsonElement("");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value(), std::nullopt);
    const auto emptyNumber = decodeJsonElementAs<int>("");
    ASSERT_TRUE(emptyNumber.ok());
    EXPECT_EQ(emptyNumber.value(), std::nullopt);

    // More than one element: the first one counts.
    EXPECT_EQ(decodeJsonElement("1,2").value(), 1);

    // Text that would close the wrapper early is an error, not a different value.
    for (const std::string_view text : {"1] [2", "]", "abc", "\"open", "1,", "[1"}) {
        const auto decoded = decodeJsonElement(text);
        ASSERT_FALSE(decoded.ok()) << text;
        EXPECT_FALSE(decoded.error().empty()) << text;
    }
}

TEST(Json, MalformedTextGivesAnErrorThatSaysWhere) {
    const std::vector<std::string> inputs = {
        "",
        "{",
        "[1,]",
        "{\"a\" 1}",
        "nul",
        "1 2",
        "// comment\n1",
        "\"\xFF\"",                  // invalid UTF-8
        "\"\\uD800\"",               // lone surrogate
        "\"\xC0\xAF\"",              // overlong encoding
        std::string("\"a\0b\"", 5),  // control character inside a string
    };
    for (const auto& text : inputs) {
        const auto decoded = decodeJson(text);
        ASSERT_FALSE(decoded.ok()) << text;
        EXPECT_FALSE(decoded.error().empty());
    }
    EXPECT_NE(decodeJson("[1,]").error().find("column 4"), std::string::npos)
        << decodeJson("[1,]").error();
}

TEST(Json, NestingIsLimited) {
    const auto nested = [](int depth) {
        return std::string(static_cast<std::size_t>(depth), '[') +
               std::string(static_cast<std::size_t>(depth), ']');
    };
    EXPECT_TRUE(decodeJson(nested(maxJsonDepth)).ok());
    const auto tooDeep = decodeJson(nested(maxJsonDepth + 1));
    ASSERT_FALSE(tooDeep.ok());
    EXPECT_NE(tooDeep.error().find("nesting"), std::string::npos);
    // A hostile file with a million brackets is refused, not a stack overflow.
    EXPECT_FALSE(decodeJson(nested(1'000'000)).ok());
    EXPECT_FALSE(decodeJson(std::string(1'000'000, '[')).ok());
}

TEST(Json, EncodingRefusesWhatJsonCannotHold) {
    const std::vector<Json> values = {
        std::nan(""),
        std::numeric_limits<double>::infinity(),
        Json::array({1, -std::numeric_limits<double>::infinity()}),
        Json{{"k", std::nan("")}},
        "\xFF",
        Json::array({"ok", "\xC3"}),
    };
    for (const auto& value : values) {
        const auto encoded = encodeJson(value);
        ASSERT_FALSE(encoded.ok());
        EXPECT_FALSE(encoded.error().empty());
        EXPECT_FALSE(encodeJsonElement(value).ok());
    }
}

TEST(Json, TypedDecodingConvertsNumbersOnlyWhenExact) {
    EXPECT_EQ(decodeJsonAs<std::int64_t>("-9223372036854775808").value(),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(decodeJsonAs<std::uint64_t>("18446744073709551615").value(),
              std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(decodeJsonAs<std::uint8_t>("255").value(), 255);
    EXPECT_EQ(decodeJsonAs<double>("3").value(), 3.0);
    EXPECT_EQ(decodeJsonAs<bool>("true").value(), true);
    EXPECT_EQ(decodeJsonElementAs<std::string>(R"("arrows")").value(), "arrows");
    EXPECT_EQ(decodeJsonElementAs<std::vector<int>>("[1,2]").value(), (std::vector<int>{1, 2}));

    // Each of these would convert silently with a plain get<T>().
    EXPECT_FALSE(decodeJsonAs<std::int64_t>("3.5").ok());
    EXPECT_FALSE(decodeJsonAs<std::int64_t>("3.0").ok());
    EXPECT_FALSE(decodeJsonAs<std::uint8_t>("256").ok());
    EXPECT_FALSE(decodeJsonAs<std::uint64_t>("-1").ok());
    EXPECT_FALSE(decodeJsonAs<std::int64_t>("9223372036854775808").ok());
    EXPECT_FALSE(decodeJsonAs<std::int64_t>("true").ok());
    EXPECT_FALSE(decodeJsonAs<bool>("1").ok());
    EXPECT_FALSE(decodeJsonAs<double>(R"("1")").ok());
    EXPECT_FALSE(decodeJsonAs<std::string>("1").ok());
    EXPECT_FALSE(decodeJsonElementAs<int>("x").ok());
    EXPECT_FALSE(decodeJsonElementAs<int>("3.5").ok());
    EXPECT_FALSE(decodeJsonAs<int>("x").error().empty());
}

struct Shortcut {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
};

void from_json(const Json& json, Shortcut& shortcut) {
    shortcut.keyCode = exactValue<std::uint32_t>(json.at("carbonKeyCode"));
    shortcut.modifiers = exactValue<std::uint32_t>(json.at("carbonModifiers"));
}

void to_json(Json& json, const Shortcut& shortcut) {
    json = Json{{"carbonKeyCode", shortcut.keyCode}, {"carbonModifiers", shortcut.modifiers}};
}

TEST(Json, ProgramTypesReportTheirDecodingFailuresAsErrors) {
    EXPECT_EQ(encodeJson(Shortcut{49, 256}).value(),
              R"({"carbonKeyCode":49,"carbonModifiers":256})");

    const auto decoded =
        decodeJsonAs<Shortcut>(R"({ "carbonModifiers": 256, "extra": 1, "carbonKeyCode": 49 })");
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.value().keyCode, 49U);
    EXPECT_EQ(decoded.value().modifiers, 256U);

    for (const std::string_view text : {R"({"carbonKeyCode":49})", R"([49,256])", "false",
                                        R"({"carbonKeyCode":-1,"carbonModifiers":0})",
                                        R"({"carbonKeyCode":4294967296,"carbonModifiers":0})"}) {
        const auto failed = decodeJsonAs<Shortcut>(text);
        ASSERT_FALSE(failed.ok()) << text;
        EXPECT_FALSE(failed.error().empty()) << text;
    }
}

}  // namespace
}  // namespace zoral::platform
