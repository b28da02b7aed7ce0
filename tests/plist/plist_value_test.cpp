#include "plist/plist_value.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/plist_object.h"
#include "plist/value_conversion.h"

namespace zoral::plist {
namespace {

using platform::PlistObject;

constexpr std::int64_t doublePrecisionLimit = std::int64_t{1} << 53;
constexpr std::int64_t int64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::uint64_t uint64Max = std::numeric_limits<std::uint64_t>::max();
const platform::Date someDate{789.25};

TEST(PListValueConversion, ClassifiesEachPlatformObject) {
    struct Case {
        const char* name;
        PlistObject source;
        std::optional<PListValue> expected;  // none: the whole conversion fails
    };
    const Case cases[] = {
        {"boolean", PlistObject::boolean(true), PListValue::boolean(true)},
        {"string", PlistObject::string("3"), PListValue::string("3")},
        {"date-like string", PlistObject::string("2001-01-01T00:00:00Z"),
         PListValue::string("2001-01-01T00:00:00Z")},
        {"integer", PlistObject::integer(1), PListValue::integer(1)},
        {"smallest integer", PlistObject::integer(int64Min), PListValue::integer(int64Min)},
        {"whole real", PlistObject::real(3.0), PListValue::integer(3)},
        {"negative zero", PlistObject::real(-0.0), PListValue::integer(0)},
        {"fractional real", PlistObject::real(2.5), PListValue::real(2.5)},
        {"real -2^63", PlistObject::real(-9223372036854775808.0), PListValue::integer(int64Min)},
        {"real 2^63", PlistObject::real(9223372036854775808.0),
         PListValue::real(9223372036854775808.0)},
        {"huge real", PlistObject::real(1e300), PListValue::real(1e300)},
        {"infinity", PlistObject::real(std::numeric_limits<double>::infinity()),
         PListValue::real(std::numeric_limits<double>::infinity())},
        {"unsigned 2^63", PlistObject::unsignedInteger(std::uint64_t{1} << 63),
         PListValue::real(9223372036854775808.0)},
        {"unsigned max", PlistObject::unsignedInteger(uint64Max), std::nullopt},
        {"date", PlistObject::date(someDate), PListValue::date(someDate)},
        {"data", PlistObject::data({0, 1, 255}), PListValue::data({0, 1, 255})},
        {"empty dictionary", PlistObject::dictionary(), PListValue(PListDictionary())},
        {"empty array", PlistObject::array(), PListValue(PListArray())},
        {"nested containers",
         PlistObject::array({PlistObject::dictionary({{"k", PlistObject::real(4.0)}})}),
         PListValue(PListArray{PListDictionary{{"k", std::int64_t{4}}}})},
        {"bad value deep in an array",
         PlistObject::dictionary(
             {{"a", PlistObject::array({PlistObject::integer(1),
                                        PlistObject::dictionary(
                                            {{"x", PlistObject::unsignedInteger(uint64Max)}})})}}),
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Inside a root dictionary, as documents convert them, beside a good entry.
        const platform::PlistDictionary root{{"good", PlistObject::string("kept?")},
                                             {"value", c.source}};
        const std::optional<PListDictionary> converted = convertDictionary(root);
        if (!c.expected) {
            EXPECT_FALSE(converted.has_value());
            continue;
        }
        ASSERT_TRUE(converted.has_value());
        EXPECT_EQ(converted->size(), 2u);
        EXPECT_EQ(converted->anyEntry("value"), c.expected);
    }
}

TEST(PListValueConversion, NaNStaysADouble) {
    const auto value = convertObject(PlistObject::real(std::nan("")));
    ASSERT_TRUE(value && value->is<double>());
    EXPECT_TRUE(std::isnan(*value->getIf<double>()));
}

TEST(PListValueConversion, ArraysKeepOrderAndRoundTripToPlatformObjects) {
    const PlistObject source = PlistObject::dictionary(
        {{"list", PlistObject::array({PlistObject::integer(3), PlistObject::boolean(false),
                                      PlistObject::real(0.5), PlistObject::string("s")})},
         {"when", PlistObject::date(someDate)},
         {"bytes", PlistObject::data({9})}});
    const auto converted = convertDictionary(*source.getIf<platform::PlistDictionary>());
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->arrayEntry("list"), (PListArray{std::int64_t{3}, false, 0.5, "s"}));
    EXPECT_EQ(toPlistObject(*converted), source);
}

TEST(PListValueReading, CastsAreStrictButDoubleWidensExactInts) {
    const PListDictionary dictionary{
        {"int3", std::int64_t{3}},
        {"real", 2.5},
        {"true", true},
        {"one", std::int64_t{1}},
        {"2^53", doublePrecisionLimit},
        {"2^53+1", doublePrecisionLimit + 1},
        {"text", "12"},
    };
    struct Case {
        const char* key;
        std::optional<std::int64_t> asInt;
        std::optional<double> asDouble;
        std::optional<bool> asBool;
        std::optional<std::string> asString;
    };
    const Case cases[] = {
        {"int3", 3, 3.0, std::nullopt, std::nullopt},
        {"real", std::nullopt, 2.5, std::nullopt, std::nullopt},
        {"true", std::nullopt, std::nullopt, true, std::nullopt},
        {"one", 1, 1.0, std::nullopt, std::nullopt},
        {"2^53", doublePrecisionLimit, 9007199254740992.0, std::nullopt, std::nullopt},
        {"2^53+1", doublePrecisionLimit + 1, std::nullopt, std::nullopt, std::nullopt},
        {"text", std::nullopt, std::nullopt, std::nullopt, "12"},
        {"missing", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(dictionary.intEntry(c.key), c.asInt);
        EXPECT_EQ(dictionary.doubleEntry(c.key), c.asDouble);
        EXPECT_EQ(dictionary.boolEntry(c.key), c.asBool);
        EXPECT_EQ(dictionary.stringEntry(c.key), c.asString);

        // Arrays read by the same rules.
        const PListValue* value = dictionary.find(c.key);
        const PListArray array = value ? PListArray{*value} : PListArray{};
        EXPECT_EQ(array.intElement(0), c.asInt);
        EXPECT_EQ(array.doubleElement(0), c.asDouble);
        EXPECT_EQ(array.boolElement(0), c.asBool);
        EXPECT_EQ(array.stringElement(0), c.asString);
    }
}

TEST(PListValueReading, ExactDoubleFromInt) {
    struct Case {
        std::int64_t value;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {0, 0.0},
        {-1, -1.0},
        {doublePrecisionLimit, 9007199254740992.0},
        {-doublePrecisionLimit, -9007199254740992.0},
        {doublePrecisionLimit + 1, std::nullopt},
        {-(doublePrecisionLimit + 1), std::nullopt},
        {std::int64_t{1} << 62, 4611686018427387904.0},
        {std::numeric_limits<std::int64_t>::max(), std::nullopt},  // rounds to 2^63
        {int64Min, -9223372036854775808.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(exactDoubleFromInt(c.value), c.expected) << c.value;
}

TEST(PListValueAccess, DictionaryWritesReplaceAnyShapeAndNoneRemoves) {
    PListDictionary dictionary{{"k", "text"}, {"other", true}};
    dictionary.setIntEntry("k", 5);
    EXPECT_EQ(dictionary.intEntry("k"), 5);
    dictionary.setDoubleEntry("k", 1.0);
    EXPECT_TRUE(dictionary.find("k")->is<double>());
    dictionary.setBoolEntry("k", std::nullopt);
    EXPECT_FALSE(dictionary.contains("k"));
    dictionary.setStringEntry("absent", std::nullopt);
    EXPECT_EQ(dictionary, (PListDictionary{{"other", true}}));
    dictionary.setDateEntry("d", someDate);
    dictionary.setDataEntry("b", PListData{1, 2});
    EXPECT_EQ(dictionary.dateEntry("d"), someDate);
    EXPECT_EQ(dictionary.dataEntry("b"), (PListData{1, 2}));
    EXPECT_EQ(dictionary.dataEntry("d"), std::nullopt);
}

TEST(PListValueAccess, ArrayWritesOnlyReplaceInRange) {
    PListArray array{std::int64_t{1}, "two"};
    for (const std::int64_t index : {std::int64_t{-1}, std::int64_t{2}}) {
        array.setIntElement(index, 9);
        EXPECT_EQ(array.anyElement(index), std::nullopt);
    }
    array.setIntElement(1, std::nullopt);  // none never removes
    EXPECT_EQ(array, (PListArray{std::int64_t{1}, "two"}));
    array.setBoolElement(1, true);  // whatever shape was there
    EXPECT_EQ(array, (PListArray{std::int64_t{1}, true}));
    array.modifyStringElement(0, [](std::optional<std::string>& value) {
        EXPECT_EQ(value, std::nullopt);
        value.reset();
    });
    EXPECT_EQ(array.intElement(0), 1);
}

TEST(PListValueAccess, CreatingAccessorsLeaveAnEmptyContainerOrTheOtherShape) {
    PListDictionary dictionary{{"text", "x"}};
    EXPECT_EQ(dictionary.dictionaryEntryCreatingMissing("new"), PListDictionary());
    EXPECT_EQ(dictionary.arrayEntryCreatingMissing("list"), PListArray());
    EXPECT_EQ(dictionary.dictionaryEntryCreatingMissing("text"), std::nullopt);
    EXPECT_EQ(dictionary.arrayEntryCreatingMissing("text"), std::nullopt);
    EXPECT_EQ(dictionary,
              (PListDictionary{{"list", PListArray()}, {"new", PListDictionary()}, {"text", "x"}}));

    dictionary.modifyDictionaryEntryCreatingMissing(
        "made", [](auto& nested) { nested->setIntEntry("n", 1); });
    EXPECT_EQ(dictionary.dictionaryEntry("made"), (PListDictionary{{"n", std::int64_t{1}}}));
}

TEST(PListValueAccess, InPlaceFormsWriteBackWhatTheBodyLeaves) {
    PListDictionary dictionary{{"s", "text"}, {"i", std::int64_t{3}}};
    // Reads none over a String; leaving none removes the String.
    dictionary.modifyIntEntry(
        "s", [](std::optional<std::int64_t>& value) { EXPECT_EQ(value, std::nullopt); });
    EXPECT_FALSE(dictionary.contains("s"));
    // Reads 3.0 over an Int and stores it back as a Double.
    dictionary.modifyDoubleEntry("i", [](std::optional<double>& value) { EXPECT_EQ(value, 3.0); });
    EXPECT_TRUE(dictionary.find("i")->is<double>());

    PListDictionary outer{{"inner", PListDictionary{{"a", std::int64_t{1}}}}};
    const PListDictionary before = outer;
    outer.modifyDictionaryEntry(
        "inner", [](std::optional<PListDictionary>& inner) { inner->setIntEntry("b", 2); });
    EXPECT_EQ(outer.dictionaryEntry("inner"),
              (PListDictionary{{"a", std::int64_t{1}}, {"b", std::int64_t{2}}}));
    // Copies are values: the earlier copy is untouched.
    EXPECT_EQ(before.dictionaryEntry("inner"), (PListDictionary{{"a", std::int64_t{1}}}));

    // A throwing body still has its value written back.
    EXPECT_THROW(outer.modifyDictionaryEntry("inner",
                                             [](std::optional<PListDictionary>& inner) {
                                                 inner->setIntEntry("c", 3);
                                                 throw std::runtime_error("stop");
                                             }),
                 std::runtime_error);
    EXPECT_EQ(outer.dictionaryEntry("inner")->intEntry("c"), 3);
}

TEST(PListValueAccess, SubsetsKeepOneShapeEach) {
    const PListDictionary dictionary{
        {"int3", std::int64_t{3}},
        {"half", 0.5},
        {"yes", true},
        {"name", "n"},
        {"when", someDate},
        {"bytes", PListData{1}},
        {"list", PListArray{}},
        {"map", PListDictionary{}},
    };
    EXPECT_EQ(dictionary.intSubset().size(), 1u);
    EXPECT_EQ(dictionary.doubleSubset(),
              (std::map<std::string, double, std::less<>>{{"half", 0.5}}));
    EXPECT_EQ(dictionary.boolSubset().count("yes"), 1u);
    EXPECT_EQ(dictionary.stringSubset().count("name"), 1u);
    EXPECT_EQ(dictionary.dateSubset().count("when"), 1u);
    EXPECT_EQ(dictionary.dataSubset().count("bytes"), 1u);
    EXPECT_EQ(dictionary.arraySubset().count("list"), 1u);
    EXPECT_EQ(dictionary.dictionarySubset().count("map"), 1u);
    EXPECT_TRUE(PListDictionary().intSubset().empty());
}

}  // namespace
}  // namespace zoral::plist
