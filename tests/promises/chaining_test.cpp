#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "promises/guarantee.h"
#include "promises/promise.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using platform::DispatchWorkItemFlags;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Chaining = testing::PromisesTest;

TEST_F(Chaining, BodiesRunInPlaceWithoutAQueueAndLaterWithOne) {
    const auto source = Promise<int>::initFulfilled(2);
    std::vector<std::string> events;

    const auto inPlace = source.runOnValue(
        std::nullopt, [&](int v) { events.push_back("in place " + std::to_string(v)); });
    EXPECT_TRUE(inPlace.hasValue());
    const auto mapped = source.transformValue(std::nullopt, [](int v) { return v + 1; });
    EXPECT_EQ(mapped.currentValue(), 3);

    const auto queued = source.runOnValue(DispatchQueue::main(), [&](int) {
        events.push_back(std::string("queued on main: ") +
                         (platform::isMainThread() ? "yes" : "no"));
    });
    events.push_back("returned");
    EXPECT_TRUE(queued.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_THAT(events, ElementsAre("in place 2", "returned", "queued on main: yes"));
    EXPECT_TRUE(queued.hasValue());
}

TEST_F(Chaining, RejectionPassesDownAtOnceWithTheSameErrorAndNoBodyRuns) {
    const ErrorRef error = failure();
    const auto source = Promise<int>::initRejected(error);
    int bodies = 0;
    const std::vector<Promise<Unit>> results = {
        source.runOnValue(DispatchQueue::main(), [&](int) { ++bodies; }),
        source
            .chain(DispatchQueue::main(),
                   [&](int v) {
                       ++bodies;
                       return Promise<int>::initFulfilled(v);
                   })
            .discardValue(),
        source
            .transformValue(DispatchQueue::main(),
                            [&](int v) {
                                ++bodies;
                                return v;
                            })
            .discardValue(),
        source
            .transformOptional(DispatchQueue::main(),
                               [&](int v) {
                                   ++bodies;
                                   return std::optional<int>(v);
                               })
            .discardValue(),
        source.peekValue(DispatchQueue::main(), [&](int) { ++bodies; }).discardValue(),
    };
    for (const auto& result : results)
        EXPECT_EQ(result.currentError(), error);  // settled before the call returned
    EXPECT_EQ(scheduler().pendingCount(), 0u);    // no queue hop
    scheduler().runUntilIdle();
    EXPECT_EQ(bodies, 0);
}

TEST_F(Chaining, AThrowingBodyRejectsWithTheThrownError) {
    const ErrorRef error = failure();
    const auto source = Promise<int>::initFulfilled(1);
    const auto threw =
        source.transformValue(std::nullopt, [&](int) -> int { platform::throwError(error); });
    EXPECT_EQ(threw.currentError(), error);
    const auto chainThrew =
        source.chain(std::nullopt, [&](int) -> Promise<int> { platform::throwError(error); });
    EXPECT_EQ(chainThrew.currentError(), error);
    const auto standard =
        source.runOnValue(std::nullopt, [](int) { throw std::runtime_error("boom"); });
    ASSERT_TRUE(standard.hasError());
    EXPECT_EQ((*standard.currentError())->description(), "boom");
}

TEST_F(Chaining, FlagsReachTheQueueUnchangedAndAbsentFlagsAreEmpty) {
    const auto source = Promise<int>::initFulfilled(1);
    source.runOnValue(DispatchQueue::main(), DispatchWorkItemFlags::barrier, [](int) {});
    source.runOnValue(DispatchQueue::main(), std::nullopt, [](int) {});
    const auto pending = scheduler().pendingWork();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].flags, DispatchWorkItemFlags::barrier);
    EXPECT_TRUE(pending[1].flags.isEmpty());
    EXPECT_EQ(pending[0].qos, platform::DispatchQoS::unspecified);
    scheduler().runUntilIdle();
}

TEST_F(Chaining, ChainFollowsTheBodysThenableWithoutASecondHop) {
    const auto source = Promise<int>::initFulfilled(1);
    std::size_t afterBody = 0;
    const auto result = source.chain(DispatchQueue::main(), [&](int v) {
        afterBody = scheduler().pendingCount();
        return Promise<int>::initFulfilled(v + 1);
    });
    // One turn: the body runs and the result is settled in that same work item.
    scheduler().runUntilIdle();
    EXPECT_EQ(result.currentValue(), 2);
    EXPECT_EQ(afterBody, 0u);

    // A rejected inner promise rejects the result with its error; a guarantee fulfils it.
    const ErrorRef error = failure();
    EXPECT_EQ(source.chain(std::nullopt, [&](int) { return Promise<int>::initRejected(error); })
                  .currentError(),
              error);
    EXPECT_EQ(
        source.chain(std::nullopt, [](int) { return Guarantee<std::string>::initWithValue("g"); })
            .currentValue(),
        "g");

    // A pending inner one settles the result on the thread that settles it.
    auto inner = Promise<int>::makePendingPair();
    const auto later = source.chain(std::nullopt, [&](int) { return inner.promise; });
    EXPECT_TRUE(later.isStillPending());
    inner.resolver.fulfilWith(9);
    EXPECT_EQ(later.currentValue(), 9);
}

TEST_F(Chaining, ABodyReturningTheChainsOwnPromiseIsRejected) {
    const auto source = Promise<int>::initFulfilled(1);
    std::optional<Promise<int>> self;
    self = source.chain(DispatchQueue::main(), [&](int) { return *self; });
    scheduler().runUntilIdle();
    const auto* error = dynamic_cast<const PromisesError*>(self->currentError()->get());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), PromisesError::Kind::returnedSelf);
}

TEST_F(Chaining, TransformOptionalRejectsNothingWithItsInputAndTargetType) {
    const auto source = Promise<std::string>::initFulfilled("seven");
    const auto none = source.transformOptional(
        std::nullopt, [](const std::string&) { return std::optional<int>(); });
    const auto* error = dynamic_cast<const PromisesError*>(none.currentError()->get());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->kind(), PromisesError::Kind::compactMap);
    EXPECT_EQ(std::any_cast<std::string>(error->value()), "seven");
    EXPECT_EQ(error->targetType(), std::type_index(typeid(int)));
    EXPECT_EQ(error->description(), "Could not `compactMap<int>`: seven");

    const auto some = source.transformOptional(
        std::nullopt, [](const std::string& s) { return std::optional<std::size_t>(s.size()); });
    EXPECT_EQ(some.currentValue(), 5u);
}

TEST_F(Chaining, PeekResultSeesEveryOutcomeAndPassesItOn) {
    const ErrorRef error = failure();
    std::vector<bool> seen;
    const auto fulfilled = Promise<int>::initFulfilled(1).peekResult(
        DispatchQueue::main(), [&](const Result<int>& r) { seen.push_back(r.holdsValue()); });
    const auto rejected = Promise<int>::initRejected(error).peekResult(
        DispatchQueue::main(), [&](const Result<int>& r) { seen.push_back(r.holdsValue()); });
    EXPECT_TRUE(rejected.isStillPending());  // the body runs first, on the queue
    scheduler().runUntilIdle();
    EXPECT_THAT(seen, ElementsAre(true, false));
    EXPECT_EQ(fulfilled.currentValue(), 1);
    EXPECT_EQ(rejected.currentError(), error);
    EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(Chaining, AccessorsReadTheCurrentState) {
    auto [promise, resolver] = Promise<int>::makePendingPair();
    EXPECT_TRUE(promise.isStillPending());
    EXPECT_FALSE(promise.isSettled());
    EXPECT_FALSE(promise.hasValue());
    EXPECT_FALSE(promise.hasError());
    resolver.rejectWith(failure());
    EXPECT_TRUE(promise.isSettled());
    EXPECT_TRUE(promise.hasError());
    EXPECT_FALSE(promise.hasValue());
    EXPECT_FALSE(promise.currentValue().has_value());
}

TEST_F(Chaining, DefaultQueuesComeFromTheConfiguration) {
    const DispatchQueue mapQueue("map");
    const DispatchQueue returnQueue("return");
    auto configuration = promiseConfiguration();
    configuration.mapQueue = mapQueue;
    configuration.returnQueue = returnQueue;
    setPromiseConfiguration(configuration);

    std::vector<std::string> queues;
    const auto source = Promise<int>::initFulfilled(1);
    source
        .chain([&](int v) {
            queues.push_back(DispatchQueue::currentLabel());
            return Promise<int>::initFulfilled(v);
        })
        .runOnValue([&](int) { queues.push_back(DispatchQueue::currentLabel()); });
    scheduler().runUntilIdle();
    EXPECT_THAT(queues, ElementsAre("map", "return"));
}

}  // namespace
}  // namespace zoral::promises
