#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "promises/promise.h"
#include "promises/promises_error.h"
#include "promises/timers.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using PromiseCore = testing::PromisesTest;

TEST_F(PromiseCore, SettlingTwiceKeepsTheFirstOutcomeSilently) {
    const ErrorRef first = failure(1);
    const ErrorRef second = failure(2);
    struct Case {
        const char* name;
        Result<int> first;
        Result<int> second;
    };
    const std::vector<Case> cases = {
        {"fulfil then fulfil", Result<int>::fulfilled(1), Result<int>::fulfilled(2)},
        {"fulfil then reject", Result<int>::fulfilled(1), Result<int>::rejected(second)},
        {"reject then fulfil", Result<int>::rejected(first), Result<int>::fulfilled(2)},
        {"reject then reject", Result<int>::rejected(first), Result<int>::rejected(second)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto [promise, resolver] = Promise<int>::makePendingPair();
        int runs = 0;
        std::optional<Result<int>> seen;
        promise.attachHandler([&](const Result<int>& r) {
            ++runs;
            seen = r;
        });
        resolver.resolveWithResult(c.first);
        resolver.resolveWithResult(c.second);
        EXPECT_EQ(runs, 1);
        EXPECT_TRUE(*seen == c.first);
        EXPECT_TRUE(*promise.currentResult() == c.first);
    }
    EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(PromiseCore, HandlersRunInAttachmentOrderOnTheSettlingThread) {
    auto [promise, resolver] = Promise<int>::makePendingPair();
    std::vector<std::pair<int, std::thread::id>> runs;
    for (int i = 0; i < 3; ++i)
        promise.attachHandler(
            [&runs, i](const Result<int>&) { runs.emplace_back(i, std::this_thread::get_id()); });
    EXPECT_THAT(runs, IsEmpty());

    std::thread::id settler;
    std::thread thread([&, r = resolver] {
        settler = std::this_thread::get_id();
        r.fulfilWith(7);
    });
    thread.join();
    ASSERT_EQ(runs.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(runs[static_cast<std::size_t>(i)].first, i);
        EXPECT_EQ(runs[static_cast<std::size_t>(i)].second, settler);
    }

    // Attached later: runs at once, on the attaching thread, before attachHandler returns.
    bool ranInline = false;
    const std::thread::id attacher = std::this_thread::get_id();
    promise.attachHandler([&](const Result<int>& r) {
        ranInline = r.holdsValue() && r.value() == 7 && std::this_thread::get_id() == attacher;
    });
    EXPECT_TRUE(ranInline);
    EXPECT_EQ(runs.size(), 3u);
}

TEST_F(PromiseCore, CurrentResultIsAbsentWhilePendingAndTheSameErrorOnceRejected) {
    auto [pending, resolver] = Promise<int>::makePendingPair();
    EXPECT_FALSE(pending.currentResult().has_value());
    EXPECT_TRUE(pending.isStillPending());

    const ErrorRef error = failure();
    const auto rejected = Promise<int>::initRejected(error);
    ASSERT_TRUE(rejected.currentResult().has_value());
    EXPECT_FALSE(rejected.currentResult()->holdsValue());
    EXPECT_EQ(rejected.currentResult()->error(), error);  // the very object

    EXPECT_EQ(Promise<Unit>::initVoid().currentValue(), Unit{});
    resolver.fulfilWith(1);
}

TEST_F(PromiseCore, ResolverBodyOutcomes) {
    const ErrorRef error = failure();
    // Fulfilled, then the body throws: the first settle stands.
    const auto fulfilledThenThrew = Promise<int>::initWithResolver([&](const Resolver<int>& r) {
        r.fulfilWith(1);
        platform::throwError(error);
    });
    EXPECT_EQ(fulfilledThenThrew.currentValue(), 1);

    // A throwing body rejects with the thrown error object.
    const auto threw =
        Promise<int>::initWithResolver([&](const Resolver<int>&) { platform::throwError(error); });
    EXPECT_EQ(threw.currentError(), error);

    // The body runs before the initialiser returns.
    bool ran = false;
    const auto kept = Promise<int>::initWithResolver([&](const Resolver<int>& r) {
        ran = true;
        r.fulfilWith(3);
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(kept.currentValue(), 3);
    EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(PromiseCore, ResolverConveniences) {
    const ErrorRef error = failure();
    struct Case {
        const char* name;
        std::function<void(const Resolver<int>&)> settle;
        std::optional<int> value;  // else rejected
        std::optional<PromisesError::Kind> ownError;
    };
    const std::vector<Case> cases = {
        {"value or error: both", [&](auto& r) { r.resolveValueOrError(1, error); }, {}, {}},
        {"value or error: value", [&](auto& r) { r.resolveValueOrError(1, nullptr); }, 1, {}},
        {"value or error: neither",
         [&](auto& r) { r.resolveValueOrError(std::nullopt, nullptr); },
         {},
         PromisesError::Kind::invalidCallingConvention},
        {"error or value: both", [&](auto& r) { r.resolveErrorOrValue(error, 1); }, {}, {}},
        {"error or value: value", [&](auto& r) { r.resolveErrorOrValue(nullptr, 2); }, 2, {}},
        {"error or value: neither",
         [&](auto& r) { r.resolveErrorOrValue(nullptr, std::nullopt); },
         {},
         PromisesError::Kind::invalidCallingConvention},
        {"value and error: error", [&](auto& r) { r.resolveValueAndError(1, error); }, {}, {}},
        {"value and error: none", [&](auto& r) { r.resolveValueAndError(4, nullptr); }, 4, {}},
        {"standard: success",
         [&](auto& r) { r.resolveWithStandardResult(std::variant<int, ErrorRef>(5)); },
         5,
         {}},
        {"standard: failure",
         [&](auto& r) {
             r.resolveWithStandardResult(
                 std::variant<int, ErrorRef>(std::in_place_index<1>, error));
         },
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto [promise, resolver] = Promise<int>::makePendingPair();
        c.settle(resolver);
        ASSERT_TRUE(promise.isSettled());
        if (c.value) {
            EXPECT_EQ(promise.currentValue(), c.value);
        } else if (c.ownError) {
            const auto* own = dynamic_cast<const PromisesError*>(promise.currentError()->get());
            ASSERT_NE(own, nullptr);
            EXPECT_EQ(own->kind(), *c.ownError);
        } else {
            EXPECT_EQ(promise.currentError(), error);
        }
    }

    // A typed error value is taken as an error object of its own type.
    auto [typed, typedResolver] = Promise<int>::makePendingPair();
    typedResolver.resolveWithStandardResult(
        std::variant<int, PromisesError>(std::in_place_index<1>, PromisesError::Kind::badInput));
    EXPECT_NE(dynamic_cast<const PromisesError*>(typed.currentError()->get()), nullptr);

    auto [none, noneResolver] = Promise<Unit>::makePendingPair();
    noneResolver.resolveVoid(nullptr);
    EXPECT_TRUE(none.hasValue());
    auto [noneFailed, noneFailedResolver] = Promise<Unit>::makePendingPair();
    noneFailedResolver.resolveVoid(error);
    EXPECT_EQ(noneFailed.currentError(), error);
    auto [plain, plainResolver] = Promise<Unit>::makePendingPair();
    plainResolver.fulfilVoid();
    EXPECT_TRUE(plain.hasValue());
}

TEST_F(PromiseCore, DroppedPendingResolverWarnsOnceAndSettledOneIsSilent) {
    {
        auto pair = Promise<int>::makePendingPair();
        const Resolver<int> copy = pair.resolver;  // copies are one resolver
        pair.resolver.fulfilWith(1);
    }
    EXPECT_THAT(lines(), IsEmpty());

    std::optional<Promise<int>> kept;
    {
        auto pair = Promise<int>::makePendingPair();
        kept = pair.promise;
        const Resolver<int> copy = pair.resolver;
    }
    EXPECT_THAT(lines(), ElementsAre(testing::pendingPromiseLine));
    EXPECT_TRUE(kept->isStillPending());

    // A resolver body that keeps nothing drops the resolver as the initialiser returns.
    clearOutput();
    const auto forgotten = Promise<int>::initWithResolver([](const Resolver<int>&) {});
    EXPECT_THAT(lines(), ElementsAre(testing::pendingPromiseLine));

    // A promise dropped on its own logs nothing.
    clearOutput();
    { auto pending = Promise<int>::initPending(); }
    EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(PromiseCore, WaitGivesTheOutcomeAndWarnsOnTheMainThread) {
    const ErrorRef error = failure();
    EXPECT_EQ(Promise<int>::initFulfilled(3).wait(), 3);
    EXPECT_THAT(lines(), ElementsAre(testing::waitLine));
    try {
        Promise<int>::initRejected(error).wait();
        ADD_FAILURE() << "wait did not throw";
    } catch (...) {
        EXPECT_EQ(platform::currentError(), error);
    }
    EXPECT_EQ(lines().size(), 2u);  // each wait on the main thread warns
    EXPECT_EQ(scheduler().pendingCount(), 0u);

    // On the main thread the scheduler keeps running while it waits: here it brings the
    // delay's deadline, whose work settles the promise.
    clearOutput();
    auto [promise, resolver] = Promise<int>::makePendingPair();
    guaranteeAfterSeconds(2).runOnValue(std::nullopt, [r = resolver] { r.fulfilWith(9); });
    EXPECT_EQ(promise.wait(), 9);
    EXPECT_EQ(platform::DispatchTime::now().uptimeSeconds(), 2.0);
    EXPECT_THAT(lines(), ElementsAre(testing::waitLine));
}

TEST_F(PromiseCore, WaitOnAnotherThreadBlocksUntilSettledWithoutWarning) {
    auto [promise, resolver] = Promise<int>::makePendingPair();
    std::optional<int> got;
    std::thread waiter([&, p = promise] { got = p.wait(); });
    resolver.fulfilWith(5);
    waiter.join();
    EXPECT_EQ(got, 5);
    EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(PromiseCore, RunAsPromiseSettlesOnTheQueueWithTheBodysOutcome) {
    const DispatchQueue queue("work");
    const ErrorRef error = failure();
    std::string ranOn;
    const auto value = runAsPromise(queue, PromisesNamespacer::promise, [&] {
        ranOn = DispatchQueue::currentLabel();
        return 4;
    });
    const auto threw = runAsPromise(
        queue, PromisesNamespacer::promise,
        platform::DispatchSubmission{.flags = platform::DispatchWorkItemFlags::detached},
        [&]() -> int { platform::throwError(error); });
    EXPECT_TRUE(value.isStillPending());
    const auto pending = scheduler().pendingWork();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[1].flags, platform::DispatchWorkItemFlags::detached);

    scheduler().runUntilIdle();
    EXPECT_EQ(value.currentValue(), 4);
    EXPECT_EQ(ranOn, "work");
    EXPECT_EQ(threw.currentError(), error);
}

TEST_F(PromiseCore, DescriptionsReadTheState) {
    auto [pending, resolver] = Promise<int>::makePendingPair();
    pending.attachHandler([](const Result<int>&) {});
    pending.attachHandler([](const Result<int>&) {});
    EXPECT_EQ(pending.description(), "Promise(\u2026int)");
    EXPECT_EQ(pending.debugDescription(), "Promise<int>.pending(handlers: 2)");

    const auto fulfilled = Promise<std::string>::initFulfilled("hello");
    EXPECT_EQ(fulfilled.description(), "Promise(hello)");
    EXPECT_EQ(fulfilled.debugDescription(), "Promise<string>.fulfilled(hello)");

    const auto rejected = Promise<int>::initRejected(PromisesError::badInput());
    EXPECT_EQ(rejected.description(), "Promise(Bad input was provided to a Promises function)");
    EXPECT_EQ(rejected.debugDescription(),
              "Promise<int>.rejected(PromisesError.Bad input was provided to a Promises function)");
    resolver.fulfilWith(0);
}

}  // namespace
}  // namespace zoral::promises
