#include "promises/barriers.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "promises/progress.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Barriers = testing::PromisesTest;

PromisesError::Kind kindOf(const std::optional<ErrorRef>& error) {
    return dynamic_cast<const PromisesError&>(**error).kind();
}

std::vector<PendingPromise<int>> pendingPairs(int count) {
    std::vector<PendingPromise<int>> pairs;
    for (int i = 0; i < count; ++i)
        pairs.push_back(Promise<int>::makePendingPair());
    return pairs;
}

std::vector<Promise<int>> promisesOf(const std::vector<PendingPromise<int>>& pairs) {
    std::vector<Promise<int>> promises;
    for (const auto& pair : pairs)
        promises.push_back(pair.promise);
    return promises;
}

TEST_F(Barriers, RaceTakesTheFirstOutcome) {
    const ErrorRef error = failure();
    auto later = Promise<int>::makePendingPair();
    const auto raced =
        race(std::vector<Promise<int>>{Promise<int>::initRejected(error), later.promise});
    EXPECT_EQ(raced.currentError(), error);
    later.resolver.fulfilWith(1);
    EXPECT_EQ(raced.currentError(), error);

    auto a = Guarantee<int>::makePendingPair();
    auto b = Guarantee<int>::makePendingPair();
    const auto guaranteed = race(a.guarantee, b.guarantee);
    static_assert(std::is_same_v<std::remove_const_t<decltype(guaranteed)>, Guarantee<int>>);
    b.resolve(2);
    a.resolve(1);
    EXPECT_EQ(guaranteed.currentValue(), 2);
}

TEST_F(Barriers, RaceOverNoInput) {
    EXPECT_EQ(kindOf(race(std::vector<Promise<int>>{}).currentError()),
              PromisesError::Kind::badInput);
    EXPECT_TRUE(race<Promise<int>>().isStillPending());
    EXPECT_TRUE(race<Guarantee<int>>().isStillPending());
    EXPECT_TRUE(race(std::vector<Guarantee<int>>{}).isStillPending());
}

TEST_F(Barriers, RaceFulfilled) {
    const ErrorRef error = failure();
    const auto rejected = Promise<int>::initRejected(error);
    EXPECT_EQ(raceFulfilled(std::vector{rejected, rejected, Promise<int>::initFulfilled(3)})
                  .currentValue(),
              3);
    EXPECT_EQ(kindOf(raceFulfilled(std::vector{rejected, rejected, rejected}).currentError()),
              PromisesError::Kind::noWinner);
    EXPECT_EQ(kindOf(raceFulfilled(std::vector<Promise<int>>{}).currentError()),
              PromisesError::Kind::badInput);

    // The first fulfilment wins over later outcomes of any kind.
    auto pairs = pendingPairs(3);
    const auto raced = raceFulfilled(promisesOf(pairs));
    pairs[1].resolver.rejectWith(error);
    EXPECT_TRUE(raced.isStillPending());
    pairs[2].resolver.fulfilWith(7);
    pairs[0].resolver.fulfilWith(8);
    EXPECT_EQ(raced.currentValue(), 7);
}

// Observes the progress that a join attaches to the calling thread's current progress.
class ProgressProbe {
public:
    ProgressProbe() : parent_(std::make_shared<Progress>(1)) { parent_->becomeCurrent(1); }
    ~ProgressProbe() { resign(); }
    ProgressProbe(const ProgressProbe&) = delete;
    ProgressProbe& operator=(const ProgressProbe&) = delete;

    void resign() {
        if (current_) {
            parent_->resignCurrent();
            current_ = false;
        }
    }
    std::shared_ptr<Progress> join() const { return parent_->children().at(0); }
    const Progress& parent() const { return *parent_; }

private:
    std::shared_ptr<Progress> parent_;
    bool current_ = true;
};

TEST_F(Barriers, CountdownJoinCountsFulfilmentsAndStopsAtTheFirstRejection) {
    auto pairs = pendingPairs(3);
    ProgressProbe probe;
    const auto joined = countdownJoin(promisesOf(pairs));
    probe.resign();
    const auto progress = probe.join();
    EXPECT_EQ(progress->totalUnitCount(), 3);
    EXPECT_FALSE(progress->isCancellable());
    EXPECT_FALSE(progress->isPausable());

    std::vector<std::int64_t> completed;
    for (auto& pair : pairs) {
        pair.resolver.fulfilWith(1);
        completed.push_back(progress->completedUnitCount());
        EXPECT_EQ(joined.isSettled(), completed.size() == 3);
    }
    EXPECT_THAT(completed, ElementsAre(1, 2, 3));
    EXPECT_TRUE(joined.hasValue());
    EXPECT_DOUBLE_EQ(probe.parent().fractionCompleted(), 1.0);

    const ErrorRef error = failure();
    auto second = pendingPairs(3);
    ProgressProbe rejectionProbe;
    const auto rejectedJoin = countdownJoin(promisesOf(second));
    rejectionProbe.resign();
    second[0].resolver.fulfilWith(1);
    second[1].resolver.rejectWith(error);
    EXPECT_EQ(rejectedJoin.currentError(), error);
    EXPECT_EQ(rejectionProbe.join()->completedUnitCount(), 3);
    second[2].resolver.fulfilWith(1);
    EXPECT_EQ(rejectedJoin.currentError(), error);
    EXPECT_EQ(rejectionProbe.join()->completedUnitCount(), 3);

    EXPECT_TRUE(countdownJoin(std::vector<Promise<int>>{}).hasValue());
    EXPECT_TRUE(countdownJoin(std::vector<Guarantee<int>>{}).isSettled());
}

TEST_F(Barriers, AllFulfilledKeepsInputOrderWhateverTheOrderOfSettling) {
    auto pairs = pendingPairs(3);
    const auto all = allFulfilled(promisesOf(pairs));
    pairs[2].resolver.fulfilWith(3);
    pairs[0].resolver.fulfilWith(1);
    EXPECT_TRUE(all.isStillPending());
    pairs[1].resolver.fulfilWith(2);
    EXPECT_THAT(*all.currentValue(), ElementsAre(1, 2, 3));

    const auto empty = allFulfilled(std::vector<Promise<int>>{});
    EXPECT_THAT(*empty.currentValue(), IsEmpty());

    const auto pair =
        allFulfilled(Promise<int>::initFulfilled(1), Guarantee<std::string>::initWithValue("a"));
    EXPECT_EQ(*pair.currentValue(), std::make_tuple(1, std::string("a")));

    const ErrorRef error = failure();
    auto none = Promise<Unit>::makePendingPair();
    const auto noValue = allFulfilled(none.promise, Promise<Unit>::initVoid());
    static_assert(std::is_same_v<std::remove_const_t<decltype(noValue)>, Promise<Unit>>);
    none.resolver.rejectWith(error);
    EXPECT_EQ(noValue.currentError(), error);
}

TEST_F(Barriers, AllResolvedKeepsEveryOutcomeAndNeverFails) {
    const ErrorRef error = failure();
    auto pairs = pendingPairs(3);
    const auto all = allResolved(promisesOf(pairs));
    pairs[1].resolver.rejectWith(error);
    pairs[2].resolver.fulfilWith(2);
    EXPECT_TRUE(all.isStillPending());
    pairs[0].resolver.fulfilWith(1);
    const auto results = *all.currentValue();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].value(), 1);
    EXPECT_EQ(results[1].error(), error);
    EXPECT_EQ(results[2].value(), 2);

    EXPECT_THAT(*allResolved(std::vector<Promise<int>>{}).currentValue(), IsEmpty());
    EXPECT_EQ(allResolved(Promise<int>::initFulfilled(4), Promise<int>::initRejected(error))
                  .currentValue()
                  ->size(),
              2u);
}

// Hands out pending inputs on demand and tells how many were taken.
struct Source {
    std::vector<PendingPromise<int>> pairs;
    std::size_t taken = 0;

    explicit Source(int count) : pairs(pendingPairs(count)) {}
    auto generator() {
        return [this]() -> std::optional<Promise<int>> {
            if (taken == pairs.size())
                return std::nullopt;
            return pairs[taken++].promise;
        };
    }
};

TEST_F(Barriers, AllFulfilledLimitedKeepsToItsLimitAndTheIteratorOrder) {
    Source source(5);
    const auto all = allFulfilledLimited(source.generator(), 2);
    EXPECT_EQ(source.taken, 2u);
    source.pairs[1].resolver.fulfilWith(20);
    EXPECT_EQ(source.taken, 3u);  // the third only after one of the first two fulfilled
    source.pairs[2].resolver.fulfilWith(30);
    EXPECT_EQ(source.taken, 4u);
    source.pairs[0].resolver.fulfilWith(10);
    EXPECT_EQ(source.taken, 5u);
    source.pairs[4].resolver.fulfilWith(50);
    EXPECT_TRUE(all.isStillPending());
    source.pairs[3].resolver.fulfilWith(40);
    EXPECT_THAT(*all.currentValue(), ElementsAre(10, 20, 30, 40, 50));
}

TEST_F(Barriers, AllFulfilledLimitedRejectionsAndBadInput) {
    const ErrorRef error = failure();
    Source source(5);
    const auto all = allFulfilledLimited(source.generator(), 2);
    source.pairs[0].resolver.rejectWith(error);
    EXPECT_EQ(all.currentError(), error);
    source.pairs[1].resolver.fulfilWith(2);
    EXPECT_EQ(source.taken, 2u);  // never asked again after the rejection
    EXPECT_EQ(all.currentError(), error);

    EXPECT_EQ(
        kindOf(allFulfilledLimited(std::vector<Promise<int>>{Promise<int>::initFulfilled(1)}, 0)
                   .currentError()),
        PromisesError::Kind::badInput);
    EXPECT_THAT(*allFulfilledLimited(std::vector<Promise<int>>{}, 3).currentValue(), IsEmpty());

    // Inputs that are settled already are taken one after another without waiting.
    std::vector<Promise<int>> settled;
    for (int i = 0; i < 1000; ++i)
        settled.push_back(Promise<int>::initFulfilled(i));
    EXPECT_EQ(allFulfilledLimited(settled, 1).currentValue()->size(), 1000u);
}

TEST_F(Barriers, AllResolvedLimited) {
    const ErrorRef error = failure();
    Source source(3);
    const auto all = allResolvedLimited(source.generator(), 1);
    EXPECT_EQ(source.taken, 1u);
    source.pairs[0].resolver.rejectWith(error);  // a rejection does not stop it
    EXPECT_EQ(source.taken, 2u);
    source.pairs[1].resolver.fulfilWith(2);
    source.pairs[2].resolver.fulfilWith(3);
    const auto results = *all.currentValue();
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].error(), error);
    EXPECT_EQ(results[2].value(), 3);

    const auto bad = allResolvedLimited(std::vector<Promise<int>>{}, 0);
    ASSERT_EQ(bad.currentValue()->size(), 1u);
    EXPECT_EQ(kindOf(bad.currentValue()->at(0).error()), PromisesError::Kind::badInput);
}

TEST_F(Barriers, AllGuaranteed) {
    EXPECT_THAT(*allGuaranteed(std::vector<Guarantee<int>>{}).currentValue(), IsEmpty());
    EXPECT_TRUE(allGuaranteed(std::vector<Guarantee<Unit>>{}).isSettled());

    auto a = Guarantee<int>::makePendingPair();
    auto b = Guarantee<int>::makePendingPair();
    const auto list = allGuaranteed(std::vector{a.guarantee, b.guarantee});
    const auto tuple = allGuaranteed(a.guarantee, Guarantee<std::string>::initWithValue("s"));
    b.resolve(2);
    a.resolve(1);
    EXPECT_THAT(*list.currentValue(), ElementsAre(1, 2));
    EXPECT_EQ(*tuple.currentValue(), std::make_tuple(1, std::string("s")));

    auto none = Guarantee<Unit>::makePendingPair();
    const auto noValue = allGuaranteed(none.guarantee, Guarantee<Unit>::initVoid());
    EXPECT_TRUE(noValue.isStillPending());
    none.resolve(Unit{});
    EXPECT_TRUE(noValue.isSettled());
}

TEST_F(Barriers, AResultHandlerMaySettleAnotherInputOfTheSameCall) {
    // No handler runs under a barrier's lock, so this does not deadlock.
    const ErrorRef error = failure();
    auto pairs = pendingPairs(2);
    const auto raced = raceFulfilled(promisesOf(pairs));
    raced.attachHandler(
        [r = pairs[1].resolver, error](const Result<int>&) { r.rejectWith(error); });
    pairs[0].resolver.fulfilWith(1);
    EXPECT_EQ(raced.currentValue(), 1);

    auto joinPairs = pendingPairs(2);
    const auto joined = allFulfilled(promisesOf(joinPairs));
    joined.attachHandler(
        [r = joinPairs[1].resolver](const Result<std::vector<int>>&) { r.fulfilWith(2); });
    joinPairs[0].resolver.rejectWith(error);
    EXPECT_EQ(joined.currentError(), error);
}

}  // namespace
}  // namespace zoral::promises
