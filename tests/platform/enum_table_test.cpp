#include "platform/enum_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

// Counts up from 0 in table order: rows are found by position.
enum class Dense : std::uint8_t { first, second, third };
// Stored by the case name; one case is a keyword with a trailing underscore.
enum class ByName : std::uint8_t { plain, return_ };
// Numbers that do not count up from 0, a negative one among them: rows are found by search.
enum class Sparse : int { minus = -1, two = 2, seven = 7 };
// Counts up from 0 but is listed out of order: the position finds the wrong row, so a search.
enum class Shuffled : std::uint8_t { zero, one, two };

}  // namespace

template <>
struct EnumTable<Dense> {
    using enum Dense;
    static constexpr std::array<RawCase<Dense, std::string_view>, 3> cases{{
        {first, "first", "One"},
        {second, "second", "Two"},
        {third, "third", "Three"},
    }};
};

template <>
struct EnumTable<ByName> {
    using enum ByName;
    static constexpr std::string_view typeName = "ByName";
    static constexpr bool rawValueIsName = true;
    static constexpr std::array<NamedCase<ByName>, 2> cases{{
        {plain, "plain"},
        {return_, "return"},
    }};
};

template <>
struct EnumTable<Sparse> {
    using enum Sparse;
    static constexpr std::array<RawCase<Sparse, int>, 3> cases{{
        {minus, "minus", 10},
        {two, "two", 20},
        {seven, "seven", 70},
    }};
};

template <>
struct EnumTable<Shuffled> {
    using enum Shuffled;
    static constexpr std::array<NamedCase<Shuffled>, 3> cases{{
        {two, "two"},
        {zero, "zero"},
        {one, "one"},
    }};
};

namespace {

static_assert(RawValuedEnum<Dense> && RawValuedEnum<ByName> && RawValuedEnum<Sparse>);
// A name alone is no raw value unless the table says so.
static_assert(TabledEnum<Shuffled> && !RawValuedEnum<Shuffled>);
static_assert(std::is_same_v<EnumRawValue<ByName>, std::string_view>);
static_assert(std::is_same_v<EnumRawValue<Sparse>, int>);
static_assert(tableFollowsDeclarationOrder<Dense>() && tableFollowsDeclarationOrder<ByName>());
static_assert(!tableFollowsDeclarationOrder<Sparse>() && !tableFollowsDeclarationOrder<Shuffled>());
// Usable where a constant is needed.
static_assert(caseName(Dense::third) == "third" && rawValue(Sparse::seven) == 70);

TEST(EnumTable, EveryCaseFindsItsOwnRowHoweverTheTableIsLaidOut) {
    EXPECT_EQ(caseName(Dense::second), "second");
    EXPECT_EQ(rawValue(Dense::second), "Two");
    EXPECT_EQ(caseName(Sparse::minus), "minus");
    EXPECT_EQ(caseName(Sparse::two), "two");
    EXPECT_EQ(rawValue(Sparse::two), 20);
    EXPECT_EQ(caseName(Shuffled::zero), "zero");
    EXPECT_EQ(caseName(Shuffled::one), "one");
    EXPECT_EQ(caseName(Shuffled::two), "two");
    EXPECT_EQ(allCases<Shuffled>(), (std::array{Shuffled::two, Shuffled::zero, Shuffled::one}));
}

TEST(EnumTable, AValueThatIsNoCaseHasNoNameAndAnEmptyRawValue) {
    EXPECT_EQ(caseName(static_cast<Dense>(3)), "");
    EXPECT_EQ(rawValue(static_cast<Dense>(200)), "");
    EXPECT_EQ(caseName(static_cast<Sparse>(-2)), "");
    EXPECT_EQ(caseName(static_cast<Sparse>(1)), "");
    EXPECT_EQ(rawValue(static_cast<Sparse>(3)), 0);
    EXPECT_EQ(rawValue(static_cast<ByName>(2)), "");
}

TEST(EnumTable, RawValuesLookUpExactly) {
    EXPECT_EQ(fromRawValue<Dense>("Three"), Dense::third);
    EXPECT_EQ(fromRawValue<Sparse>(10), Sparse::minus);
    for (const std::string_view wrong : {"three", "third", "Three ", ""})
        EXPECT_EQ(fromRawValue<Dense>(wrong), std::nullopt) << '"' << wrong << '"';
    // The enumerator's number is not its raw value.
    EXPECT_EQ(fromRawValue<Sparse>(7), std::nullopt);
    EXPECT_EQ(fromRawValue<Sparse>(-1), std::nullopt);
}

TEST(EnumTable, ATableStoredByNameHasItsNamesAsRawValues) {
    EXPECT_EQ(rawValue(ByName::return_), "return");
    EXPECT_EQ(fromRawValue<ByName>("return"), ByName::return_);
    EXPECT_EQ(fromRawValue<ByName>("return_"), std::nullopt);
    EXPECT_EQ(fromRawValue<ByName>("Plain"), std::nullopt);
    EXPECT_EQ(EnumTable<ByName>::typeName, "ByName");
}

}  // namespace
}  // namespace zoral::platform
