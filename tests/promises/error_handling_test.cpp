#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "promises/guarantee.h"
#include "promises/promise.h"
#include "promises/timers.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ErrorHandling = testing::PromisesTest;

TEST_F(ErrorHandling, HandleErrorOnAFulfilledPromiseResolvesAtOnceWithoutTheBody) {
    bool ran = false;
    const auto finalizer =
        Promise<int>::initFulfilled(1).handleError([&](const ErrorRef&) { ran = true; });
    EXPECT_TRUE(finalizer.pending.guarantee.isSettled());
    scheduler().runUntilIdle();
    EXPECT_FALSE(ran);
}

TEST_F(ErrorHandling, HandleErrorOnARejectionRunsTheBodyOnTheQueueThenResolves) {
    const ErrorRef error = failure();
    std::vector<std::string> events;
    const auto finalizer = Promise<int>::initRejected(error).handleError(
        DispatchQueue::main(),
        [&](const ErrorRef& e) { events.push_back(e == error ? "same error" : "other"); });
    finalizer.afterHandling(std::nullopt, std::nullopt, [&] { events.push_back("after"); });
    EXPECT_TRUE(finalizer.pending.guarantee.isStillPending());
    EXPECT_THAT(events, IsEmpty());
    scheduler().runUntilIdle();
    EXPECT_THAT(events, ElementsAre("same error", "after"));
}

TEST_F(ErrorHandling, CatchPolicyDecidesWhoSeesACancellation) {
    const ErrorRef cancellation = PromisesError::cancelled();
    const ErrorRef ordinary = failure();
    struct Case {
        ErrorRef error;
        CatchPolicy policy;
        bool seen;  // by handleError's body, recoverError's body and logErrors
    };
    const std::vector<Case> cases = {
        {cancellation, CatchPolicy::allErrorsExceptCancellation, false},
        {cancellation, CatchPolicy::allErrors, true},
        {ordinary, CatchPolicy::allErrorsExceptCancellation, true},
        {ordinary, CatchPolicy::allErrors, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error->description() +
                     (c.policy == CatchPolicy::allErrors ? " / all" : " / except"));
        auto configuration = promiseConfiguration();
        configuration.catchPolicy = c.policy;
        setPromiseConfiguration(configuration);
        clearOutput();

        const auto rejected = Promise<int>::initRejected(c.error);
        bool handled = false;
        const auto finalizer = rejected.handleError(DispatchQueue::main(), c.policy,
                                                    [&](const ErrorRef&) { handled = true; });
        bool recovered = false;
        const auto recovery =
            rejected.recoverError(DispatchQueue::main(), c.policy, [&](const ErrorRef&) {
                recovered = true;
                return Promise<int>::initFulfilled(5);
            });
        rejected.logErrors();
        if (!c.seen) {
            // Passed on at once, untouched.
            EXPECT_TRUE(finalizer.pending.guarantee.isSettled());
            EXPECT_EQ(recovery.currentError(), c.error);
        }
        scheduler().runUntilIdle();
        EXPECT_EQ(handled, c.seen);
        EXPECT_EQ(recovered, c.seen);
        if (c.seen) {
            EXPECT_EQ(recovery.currentValue(), 5);
            EXPECT_THAT(lines(),
                        ElementsAre("Promises:cauterized-error: " + c.error->description()));
        } else {
            EXPECT_THAT(lines(), IsEmpty());
        }
    }
}

TEST_F(ErrorHandling, RecoverErrorFollowsTheReplacementWithoutASecondHop) {
    const ErrorRef error = failure();
    const auto fulfilled = Promise<int>::initFulfilled(1).recoverError(
        DispatchQueue::main(), [](const ErrorRef&) { return Promise<int>::initFulfilled(2); });
    EXPECT_EQ(fulfilled.currentValue(), 1);  // at once, the body never runs

    std::size_t afterBody = 99;
    const auto recovered =
        Promise<int>::initRejected(error).recoverError(DispatchQueue::main(), [&](const ErrorRef&) {
            afterBody = scheduler().pendingCount();
            return Promise<int>::initFulfilled(3);
        });
    scheduler().runUntilIdle();
    EXPECT_EQ(recovered.currentValue(), 3);
    EXPECT_EQ(afterBody, 0u);

    const ErrorRef other = failure(2);
    const auto replacementFailed = Promise<int>::initRejected(error).recoverError(
        std::nullopt, [&](const ErrorRef&) { return Promise<int>::initRejected(other); });
    EXPECT_EQ(replacementFailed.currentError(), other);
    const auto bodyThrew = Promise<int>::initRejected(error).recoverError(
        std::nullopt, [&](const ErrorRef&) -> Promise<int> { platform::throwError(other); });
    EXPECT_EQ(bodyThrew.currentError(), other);

    std::optional<Promise<int>> self;
    self = Promise<int>::initRejected(error).recoverError(DispatchQueue::main(),
                                                          [&](const ErrorRef&) { return *self; });
    scheduler().runUntilIdle();
    EXPECT_EQ(dynamic_cast<const PromisesError&>(**self->currentError()).kind(),
              PromisesError::Kind::returnedSelf);
}

TEST_F(ErrorHandling, RecoverWithGuaranteeTurnsEveryFailureIntoAValue) {
    // The action executor's shape: a promise-based operation, a step on the default queue, and a
    // recovery into a guarantee whatever went wrong, cancellations included.
    const auto recoverToFalse = [](const Promise<bool>& operation) {
        return operation.transformValue([](bool changed) { return changed; })
            .recoverGuarantee(
                [](const ErrorRef&) { return Guarantee<bool>::initWithValue(false); });
    };
    const auto succeeded = recoverToFalse(Promise<bool>::initFulfilled(true));
    const auto failed = recoverToFalse(Promise<bool>::initRejected(failure()));
    const auto cancelled = recoverToFalse(Promise<bool>::initRejected(PromisesError::cancelled()));
    static_assert(std::is_same_v<std::remove_const_t<decltype(succeeded)>, Guarantee<bool>>);
    scheduler().runUntilIdle();
    EXPECT_EQ(succeeded.currentValue(), true);
    EXPECT_EQ(failed.currentValue(), false);
    EXPECT_EQ(cancelled.currentValue(), false);

    // A pending replacement settles the result when it is settled.
    auto replacement = Guarantee<bool>::makePendingPair();
    const auto later = Promise<bool>::initRejected(failure()).recoverWithGuarantee(
        std::nullopt, [&](const ErrorRef&) { return replacement.guarantee; });
    EXPECT_TRUE(later.isStillPending());
    replacement.resolve(true);
    EXPECT_EQ(later.currentValue(), true);
}

TEST_F(ErrorHandling, RunAlwaysRunsOnEveryOutcomeAndPassesTheSameOneOn) {
    const ErrorRef error = failure();
    int runs = 0;
    const auto fulfilled =
        Promise<int>::initFulfilled(1).runAlways(DispatchQueue::main(), [&] { ++runs; });
    const auto rejected =
        Promise<int>::initRejected(error).runAlways(DispatchQueue::main(), [&] { ++runs; });
    EXPECT_TRUE(rejected.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(fulfilled.currentValue(), 1);
    EXPECT_EQ(rejected.currentError(), error);

    // The guarantee-returning form waits for the body's guarantee.
    auto gate = Guarantee<Unit>::makePendingPair();
    const auto waited = Promise<int>::initRejected(error).runAlwaysThen(
        std::nullopt, [&] { return gate.guarantee; });
    scheduler().runUntilIdle();
    EXPECT_TRUE(waited.isStillPending());
    gate.resolve(Unit{});
    scheduler().runUntilIdle();  // the configuration's return queue
    EXPECT_EQ(waited.currentError(), error);
}

TEST_F(ErrorHandling, RecoveriesOfPromisesOfNoValue) {
    const ErrorRef error = failure();
    std::vector<ErrorRef> seen;
    const auto recovered =
        Promise<Unit>::initRejected(PromisesError::cancelled())
            .recoverVoid(std::nullopt, [&](const ErrorRef& e) { seen.push_back(e); });
    EXPECT_TRUE(recovered.isSettled());  // fulfilled, even for a cancellation
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(Promise<Unit>::initVoid()
                    .recoverVoid(std::nullopt, [&](const ErrorRef& e) { seen.push_back(e); })
                    .isSettled());
    EXPECT_EQ(seen.size(), 1u);

    const auto fine = Promise<Unit>::initRejected(error).recoverVoidThrowing(
        std::nullopt, std::nullopt, CatchPolicy::allErrors, [](const ErrorRef&) {});
    EXPECT_TRUE(fine.hasValue());
    const ErrorRef other = failure(2);
    const auto rethrown = Promise<Unit>::initRejected(error).recoverVoidThrowing(
        std::nullopt, std::nullopt, CatchPolicy::allErrors,
        [&](const ErrorRef&) { platform::throwError(other); });
    EXPECT_EQ(rethrown.currentError(), other);
    const ErrorRef cancellation = PromisesError::cancelled();
    const auto passed =
        Promise<Unit>::initRejected(cancellation)
            .recoverVoidThrowing(std::nullopt, std::nullopt,
                                 CatchPolicy::allErrorsExceptCancellation, [](const ErrorRef&) {});
    EXPECT_EQ(passed.currentError(), cancellation);
}

// The desktop model's retry: run an attempt at once, and after each failure wait the delay and
// run it again, at most `retries` more times; the last failure is the result.
Promise<int> attempt(int retries, double delay, const std::function<Promise<int>(int)>& body,
                     int index = 0) {
    return body(index).recoverError([=](const ErrorRef& error) -> Promise<int> {
        if (index >= retries)
            return Promise<int>::initRejected(error);
        return guaranteeAfterSeconds(delay).chain(
            [=](Unit) { return attempt(retries, delay, body, index + 1); });
    });
}

TEST_F(ErrorHandling, RetryOnTheVirtualClockComposesRecoveryDelayAndChain) {
    std::vector<double> attemptsAt;
    const auto succeedsThird = attempt(40, 0.05, [&](int n) {
        attemptsAt.push_back(platform::DispatchTime::now().uptimeSeconds());
        return n < 2 ? Promise<int>::initRejected(failure()) : Promise<int>::initFulfilled(n * 50);
    });
    EXPECT_THAT(attemptsAt, ElementsAre(0.0));  // the first attempt runs at once
    scheduler().advance(1);
    EXPECT_EQ(succeedsThird.currentValue(), 100);
    ASSERT_EQ(attemptsAt.size(), 3u);
    EXPECT_NEAR(attemptsAt[1], 0.05, 1e-9);
    EXPECT_NEAR(attemptsAt[2], 0.10, 1e-9);

    int runs = 0;
    const ErrorRef error = failure();
    const auto givesUp = attempt(3, 0.02, [&](int) {
        ++runs;
        return Promise<int>::initRejected(error);
    });
    scheduler().advance(1);
    EXPECT_EQ(runs, 4);  // maximum + 1
    EXPECT_EQ(givesUp.currentError(), error);
}

}  // namespace
}  // namespace zoral::promises
