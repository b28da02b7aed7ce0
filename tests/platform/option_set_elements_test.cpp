#include "platform/option_set_elements.h"

#include <cstdint>
#include <iterator>
#include <ranges>
#include <vector>

#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/option_set.h"

namespace zoral::platform {
namespace {

using Flags = CGEventFlags;

// A small option set of 8 bits, to walk up to its top bit.
struct Small : OptionSet<Small, std::uint8_t> {
    using OptionSet::OptionSet;
};

static_assert(std::ranges::forward_range<OptionSetElements<Flags>>);

std::vector<std::uint64_t> rawsOf(Flags flags) {
    std::vector<std::uint64_t> raws;
    for (const Flags flag : elementsOf(flags))
        raws.push_back(flag.rawValue());
    return raws;
}

TEST(OptionSetElements, WalksEachSetBitInAscendingOrder) {
    const auto shiftCommand = Flags::maskCommand | Flags::maskShift;
    EXPECT_EQ(rawsOf(shiftCommand), (std::vector<std::uint64_t>{0x20000, 0x100000}));
    EXPECT_EQ(elementsOf(shiftCommand).count(), 2u);
    EXPECT_EQ(rawsOf(Flags(0x8000'0000'0000'0001)),
              (std::vector<std::uint64_t>{1, 0x8000'0000'0000'0000}));
    const auto elements = elementsOf(Flags(0x9E0100));
    EXPECT_EQ(std::ranges::distance(elements), 6);
    EXPECT_EQ(*std::ranges::next(elements.begin(), 2), Flags::maskControl);
}

TEST(OptionSetElements, EmptySetStartsAtItsEnd) {
    const auto elements = elementsOf(Flags());
    EXPECT_EQ(elements.startIndex(), elements.endIndex());
    EXPECT_EQ(elements.count(), 0u);
    EXPECT_EQ(elements.begin(), elements.end());
}

TEST(OptionSetElements, IndexAfterFindsTheNextBitAboveAnyIndex) {
    const OptionSetElements<Small> elements(Small(0b1001'0110));
    using Index = OptionSetElements<Small>::Index;
    EXPECT_EQ(elements.startIndex(), Index::element(0b10));
    EXPECT_EQ(elements.indexAfter(Index::element(0b10)), Index::element(0b100));
    EXPECT_EQ(elements.indexAfter(Index::element(0b100)), Index::element(0b1'0000));
    EXPECT_EQ(elements.indexAfter(Index::element(0b1'0000)), Index::element(0b1000'0000));
    EXPECT_EQ(elements.indexAfter(Index::element(0b1000'0000)), Index::end());
    // Indices that are no single set bit still step to the next bit above their highest.
    EXPECT_EQ(elements.indexAfter(Index::element(0)), Index::element(0b10));
    EXPECT_EQ(elements.indexAfter(Index::element(0b1100)), Index::element(0b1'0000));
    EXPECT_EQ(elements[Index::element(0b100)], Small(0b100));
}

TEST(OptionSetElements, EndComesAfterEveryElement) {
    using Index = IndexWithEnd<std::uint64_t>;
    EXPECT_LT(Index::element(0), Index::element(1));
    EXPECT_LT(Index::element(0x8000'0000'0000'0000), Index::end());
    EXPECT_GT(Index::end(), Index::element(0));
    EXPECT_EQ(Index::end(), Index::end());
    EXPECT_NE(Index::element(0), Index::end());
}

TEST(OptionSetElementsDeathTest, SteppingPastOrReadingTheEndStops) {
    const auto elements = elementsOf(Flags::maskShift);
    EXPECT_DEATH(elements.indexAfter(elements.endIndex()), "Can't advance past endIndex");
    EXPECT_DEATH(elements[elements.endIndex()], "Can't subscript with endIndex");
}

}  // namespace
}  // namespace zoral::platform
