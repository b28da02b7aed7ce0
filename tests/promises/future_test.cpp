#include "promises/future.h"

#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Futures = testing::PromisesTest;

// What a subscriber received, as text.
template <class T, class Failure>
AnyCancellable record(const Future<T, Failure>& future, std::vector<std::string>& events) {
    return future.sink(
        [&events](const FutureCompletion<Failure>& completion) {
            if (completion.isFinished()) {
                events.push_back("finished");
            } else if constexpr (!std::is_same_v<Failure, Never>) {
                events.push_back("failure " + completion.error()->description());
            }
        },
        [&events](const T& value) { events.push_back("value " + std::to_string(value)); });
}

TEST_F(Futures, AFutureOfASettledGuaranteeCompletesOnTheNextMainTurn) {
    const auto future = makeFuture(Guarantee<int>::initWithValue(4));
    std::vector<std::string> events;
    const auto subscription = record(future, events);
    EXPECT_THAT(events, IsEmpty());
    scheduler().runUntilIdle();
    EXPECT_THAT(events, ElementsAre("value 4", "finished"));

    // A later subscriber receives the kept outcome at once.
    std::vector<std::string> late;
    const auto lateSubscription = record(future, late);
    EXPECT_THAT(late, ElementsAre("value 4", "finished"));
}

TEST_F(Futures, AFutureOfAPromiseCompletesWithItsValueOrError) {
    const ErrorRef error = failure();
    std::vector<std::string> fulfilled;
    std::vector<std::string> rejected;
    const auto s1 = record(makeFuture(Promise<int>::initFulfilled(1)), fulfilled);
    const auto s2 = record(makeFuture(Promise<int>::initRejected(error)), rejected);
    scheduler().runUntilIdle();
    EXPECT_THAT(fulfilled, ElementsAre("value 1", "finished"));
    EXPECT_THAT(rejected, ElementsAre("failure failure 1"));
}

TEST_F(Futures, ACancellationNeverCompletesTheFutureUnderTheDefaultPolicy) {
    std::vector<std::string> events;
    const auto subscription =
        record(makeFuture(Promise<int>::initRejected(PromisesError::cancelled())), events);
    scheduler().runUntilIdle();
    EXPECT_THAT(events, IsEmpty());

    auto configuration = promiseConfiguration();
    configuration.catchPolicy = CatchPolicy::allErrors;
    setPromiseConfiguration(configuration);
    std::vector<std::string> all;
    const auto allSubscription =
        record(makeFuture(Promise<int>::initRejected(PromisesError::cancelled())), all);
    scheduler().runUntilIdle();
    EXPECT_THAT(all, ElementsAre("failure The asynchronous sequence was cancelled"));
}

TEST_F(Futures, PromisesAndGuaranteesMadeFromFutures) {
    const ErrorRef error = failure();
    Future<int>::Fulfil fulfilLater;
    const Future<int> later([&](Future<int>::Fulfil fulfil) { fulfilLater = std::move(fulfil); });
    const auto promise = later.makePromise();
    EXPECT_TRUE(promise.isStillPending());
    fulfilLater(Future<int>::Outcome(std::in_place_index<0>, 3));
    EXPECT_EQ(promise.currentValue(), 3);

    const Future<int> failed([&](const Future<int>::Fulfil& fulfil) {
        fulfil(Future<int>::Outcome(std::in_place_index<1>, error));
    });
    EXPECT_EQ(failed.makePromise().currentError(), error);

    const Future<std::string, Never> value(
        [](const Future<std::string, Never>::Fulfil& fulfil) { fulfil(std::string("v")); });
    EXPECT_EQ(value.makeGuarantee().currentValue(), "v");

    // Round trip through the queues.
    const auto back = makeFuture(Guarantee<int>::initWithValue(9)).makeGuarantee();
    scheduler().runUntilIdle();
    EXPECT_EQ(back.currentValue(), 9);
}

TEST_F(Futures, ACancelledSubscriptionReceivesNothing) {
    Future<int>::Fulfil fulfilLater;
    const Future<int> future([&](Future<int>::Fulfil fulfil) { fulfilLater = std::move(fulfil); });
    std::vector<std::string> cancelled;
    std::vector<std::string> kept;
    {
        auto subscription = record(future, cancelled);
        subscription.cancel();
    }
    { const auto dropped = record(future, cancelled); }
    const auto subscription = record(future, kept);
    fulfilLater(Future<int>::Outcome(std::in_place_index<0>, 1));
    fulfilLater(Future<int>::Outcome(std::in_place_index<0>, 2));  // a future completes once
    EXPECT_THAT(cancelled, IsEmpty());
    EXPECT_THAT(kept, ElementsAre("value 1", "finished"));
}

}  // namespace
}  // namespace zoral::promises
