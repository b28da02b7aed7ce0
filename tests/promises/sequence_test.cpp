#include <list>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "promises/barriers.h"
#include "promises/guarantee.h"
#include "promises/promise.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Sequences = testing::PromisesTest;

using Ints = std::vector<int>;

PromisesError::Kind kindOf(const std::optional<ErrorRef>& error) {
    return dynamic_cast<const PromisesError&>(**error).kind();
}

TEST_F(Sequences, ElementBodiesRunInOrderOnTheQueue) {
    const auto source = Promise<Ints>::initFulfilled({3, 1, 2});
    std::vector<std::string> visits;
    const auto mapped = source.transformEach(DispatchQueue::main(), std::nullopt, [&](int v) {
        visits.push_back(DispatchQueue::currentLabel() + " " + std::to_string(v));
        return v * 10;
    });
    const auto optional = source.transformEachOptional(std::nullopt, std::nullopt, [](int v) {
        return v == 1 ? std::nullopt : std::optional<std::string>(std::to_string(v));
    });
    const auto flat = source.transformEachFlattening(
        std::nullopt, std::nullopt, [](int v) { return Ints(static_cast<std::size_t>(v), v); });
    const auto filtered =
        source.filterEach(std::nullopt, std::nullopt, [](int v) { return v != 1; });
    const auto sorted = source.sortedElements(std::nullopt);
    const auto matching =
        source.firstMatching(std::nullopt, std::nullopt, [](int v) { return v < 3; });
    EXPECT_TRUE(mapped.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_THAT(visits, ElementsAre("main 3", "main 1", "main 2"));
    EXPECT_THAT(*mapped.currentValue(), ElementsAre(30, 10, 20));
    EXPECT_THAT(*optional.currentValue(), ElementsAre("3", "2"));
    EXPECT_THAT(*flat.currentValue(), ElementsAre(3, 3, 3, 1, 2, 2));
    EXPECT_THAT(*filtered.currentValue(), ElementsAre(3, 2));
    EXPECT_THAT(*sorted.currentValue(), ElementsAre(1, 2, 3));
    EXPECT_EQ(matching.currentValue(), 1);
}

TEST_F(Sequences, FirstAndLastElementsAndEmptySequences) {
    const auto empty = Promise<Ints>::initFulfilled({});
    EXPECT_EQ(kindOf(empty.firstElement().currentError()), PromisesError::Kind::emptySequence);
    EXPECT_EQ(kindOf(empty.lastElement().currentError()), PromisesError::Kind::emptySequence);
    const auto one = Promise<Ints>::initFulfilled({7});
    EXPECT_EQ(one.firstElement().currentValue(), 7);  // no queue hop
    EXPECT_EQ(one.lastElement().currentValue(), 7);
    const auto several = Promise<std::list<int>>::initFulfilled({1, 2, 3});
    EXPECT_EQ(several.firstElement().currentValue(), 1);
    EXPECT_EQ(several.lastElement().currentValue(), 3);
    EXPECT_EQ(kindOf(several.firstMatching(std::nullopt, std::nullopt, [](int v) { return v > 5; })
                         .currentError()),
              PromisesError::Kind::emptySequence);
    EXPECT_THAT(*empty
                     .transformEachOptional(std::nullopt, std::nullopt,
                                            [](int v) { return std::optional<int>(v); })
                     .currentValue(),
                IsEmpty());
    EXPECT_THAT(*one.transformEachOptional(std::nullopt, std::nullopt,
                                           [](int) { return std::optional<int>(); })
                     .currentValue(),
                IsEmpty());
}

TEST_F(Sequences, TheFirstThrowingBodyStopsTheWalk) {
    const ErrorRef error = failure();
    std::vector<int> visited;
    const auto result = Promise<Ints>::initFulfilled({1, 2, 3}).transformEach(
        std::nullopt, std::nullopt, [&](int v) {
            visited.push_back(v);
            if (v == 2)
                platform::throwError(error);
            return v;
        });
    EXPECT_EQ(result.currentError(), error);
    EXPECT_THAT(visited, ElementsAre(1, 2));

    // A rejected receiver passes its error on; no element body runs.
    const auto rejected =
        Promise<Ints>::initRejected(error).transformEach(std::nullopt, std::nullopt, [&](int v) {
            visited.push_back(v);
            return v;
        });
    EXPECT_EQ(rejected.currentError(), error);
    EXPECT_EQ(visited.size(), 2u);
}

TEST_F(Sequences, ChainEachJoinsTheElementsThenables) {
    auto pending = Promise<int>::makePendingPair();
    const auto source = Promise<Ints>::initFulfilled({1, 2});
    const auto chained = source.chainEach(std::nullopt, std::nullopt, [&](int v) {
        return v == 1 ? pending.promise : Promise<int>::initFulfilled(v * 10);
    });
    EXPECT_TRUE(chained.isStillPending());
    pending.resolver.fulfilWith(5);
    EXPECT_THAT(*chained.currentValue(), ElementsAre(5, 20));

    const auto flattened = source.chainEachFlattening(std::nullopt, std::nullopt, [](int v) {
        return Promise<Ints>::initFulfilled(Ints(static_cast<std::size_t>(v), v));
    });
    EXPECT_THAT(*flattened.currentValue(), ElementsAre(1, 2, 2));

    EXPECT_THAT(*Promise<Ints>::initFulfilled({})
                     .chainEach(std::nullopt, std::nullopt,
                                [](int v) { return Promise<int>::initFulfilled(v); })
                     .currentValue(),
                IsEmpty());

    const ErrorRef error = failure();
    const auto failed = source.chainEach(std::nullopt, std::nullopt, [&](int v) {
        return v == 2 ? Promise<int>::initRejected(error) : Promise<int>::initFulfilled(v);
    });
    EXPECT_EQ(failed.currentError(), error);
}

TEST_F(Sequences, GuaranteeElementOperations) {
    const auto source = Guarantee<Ints>::initWithValue({3, 1, 2});
    const auto mapped =
        source.transformEach(std::nullopt, std::nullopt, [](int v) { return v + 1; });
    const auto optional = source.transformEachOptional(std::nullopt, std::nullopt,
                                                       [](int) { return std::optional<int>(); });
    const auto flat = source.transformEachFlattening(std::nullopt, std::nullopt, [](int v) {
        return Ints{v, v};
    });
    const auto filtered =
        source.filterEach(std::nullopt, std::nullopt, [](int v) { return v > 1; });
    const auto ascending = source.sortedElements(std::nullopt);
    const auto descending =
        source.sortedElementsBy(std::nullopt, std::nullopt, [](int a, int b) { return a > b; });
    static_assert(std::is_same_v<std::remove_const_t<decltype(mapped)>, Guarantee<Ints>>);
    EXPECT_THAT(*mapped.currentValue(), ElementsAre(4, 2, 3));
    EXPECT_THAT(*optional.currentValue(), IsEmpty());
    EXPECT_THAT(*flat.currentValue(), ElementsAre(3, 3, 1, 1, 2, 2));
    EXPECT_THAT(*filtered.currentValue(), ElementsAre(3, 2));
    EXPECT_THAT(*ascending.currentValue(), ElementsAre(1, 2, 3));
    EXPECT_THAT(*descending.currentValue(), ElementsAre(3, 2, 1));

    const auto empty = Guarantee<Ints>::initWithValue({});
    EXPECT_THAT(
        *empty.transformEach(std::nullopt, std::nullopt, [](int v) { return v; }).currentValue(),
        IsEmpty());
}

TEST_F(Sequences, GuaranteeChainEachJoinsTheElementsGuarantees) {
    auto pending = Guarantee<int>::makePendingPair();
    const auto source = Guarantee<Ints>::initWithValue({1, 2});
    const auto chained = source.chainEach(std::nullopt, std::nullopt, [&](int v) {
        return v == 1 ? pending.guarantee : Guarantee<int>::initWithValue(v * 10);
    });
    const auto flattened = source.chainEachFlattening(std::nullopt, std::nullopt, [](int v) {
        return Guarantee<Ints>::initWithValue(Ints(static_cast<std::size_t>(v), v));
    });
    const auto empty = Guarantee<Ints>::initWithValue({}).chainEach(
        std::nullopt, std::nullopt, [](int v) { return Guarantee<int>::initWithValue(v); });
    static_assert(std::is_same_v<std::remove_const_t<decltype(chained)>, Guarantee<Ints>>);
    EXPECT_TRUE(chained.isStillPending());
    pending.resolve(5);
    EXPECT_THAT(*chained.currentValue(), ElementsAre(5, 20));
    EXPECT_THAT(*flattened.currentValue(), ElementsAre(1, 2, 2));
    EXPECT_THAT(*empty.currentValue(), IsEmpty());
}

}  // namespace
}  // namespace zoral::promises
