#include "promises/coroutine.h"

#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "promises/timers.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Coroutines = testing::PromisesTest;

Promise<int> addOne(Promise<int> source, std::vector<std::string>* trace) {
    trace->push_back("before");
    const int value = co_await source;
    trace->push_back("after on " + DispatchQueue::currentLabel());
    co_return value + 1;
}

TEST_F(Coroutines, AwaitingAPromiseSuspendsAndGivesItsValue) {
    std::vector<std::string> trace;
    const auto result = addOne(Promise<int>::initFulfilled(1), &trace);
    EXPECT_THAT(trace, ElementsAre("before"));  // suspended even though the value was there
    EXPECT_TRUE(result.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_THAT(trace, ElementsAre("before", "after on " + DispatchQueue::global().label()));
    EXPECT_EQ(result.currentValue(), 2);
}

Promise<std::string> describe(Promise<int> source) {
    try {
        co_return std::to_string(co_await awaitPromise(source));
    } catch (...) {
        co_return "caught: " + platform::currentError()->description();
    }
}

TEST_F(Coroutines, ARejectionIsThrownIntoTheCoroutine) {
    const ErrorRef error = failure();
    const auto caught = describe(Promise<int>::initRejected(error));
    std::vector<std::string> unused;
    const auto escaped = addOne(Promise<int>::initRejected(error), &unused);
    scheduler().runUntilIdle();
    EXPECT_EQ(caught.currentValue(), "caught: failure 1");
    EXPECT_EQ(escaped.currentError(), error);  // the same error object, out of the coroutine
}

TEST_F(Coroutines, ACancellationEndsTheWaitEvenWhenTheCatchPolicyLetsItPass) {
    ASSERT_EQ(promiseConfiguration().catchPolicy, CatchPolicy::allErrorsExceptCancellation);
    const ErrorRef cancellation = PromisesError::cancelled();
    std::vector<std::string> trace;
    const auto result = addOne(Promise<int>::initRejected(cancellation), &trace);
    scheduler().runUntilIdle();
    EXPECT_EQ(result.currentError(), cancellation);
    EXPECT_THAT(trace, ElementsAre("before"));
}

TEST_F(Coroutines, AwaitingFromMainQueueWorkFreesTheMainQueue) {
    std::optional<Promise<int>> result;
    std::vector<std::string> trace;
    // The value is delivered on the main queue, which the coroutine's first part occupies.
    DispatchQueue::main().async([&] { result = addOne(Promise<int>::initFulfilled(5), &trace); });
    scheduler().runUntilIdle();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->currentValue(), 6);
}

Guarantee<int> sum(Guarantee<int> a, Guarantee<int> b) {
    const int first = co_await a;
    const int second = co_await awaitGuarantee(b);
    co_return first + second;
}

Promise<Unit> settleOnAnotherThread(Promise<int> source, int* seen) {
    *seen = co_await source;
}

TEST_F(Coroutines, GuaranteesAndPromisesOfNoValue) {
    auto later = Guarantee<int>::makePendingPair();
    const auto total = sum(Guarantee<int>::initWithValue(2), later.guarantee);
    scheduler().runUntilIdle();
    EXPECT_TRUE(total.isStillPending());
    later.resolve(3);
    scheduler().runUntilIdle();
    EXPECT_EQ(total.currentValue(), 5);

    // A promise settled on another thread resumes the coroutine through the queues.
    auto pending = Promise<int>::makePendingPair();
    int seen = 0;
    const auto done = settleOnAnotherThread(pending.promise, &seen);
    std::thread([r = pending.resolver] { r.fulfilWith(7); }).join();
    scheduler().runUntilIdle();
    EXPECT_EQ(seen, 7);
    EXPECT_TRUE(done.hasValue());
    EXPECT_THAT(lines(), IsEmpty());
}

}  // namespace
}  // namespace zoral::promises
