#include "promises/guarantee.h"

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "promises/promise.h"
#include "promises/timers.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using GuaranteeTest = testing::PromisesTest;

TEST_F(GuaranteeTest, RunOnValueWithAQueueRunsOnALaterTurn) {
    const auto source = Guarantee<int>::initWithValue(3);
    std::vector<std::string> events;
    const auto done = source.runOnValue(DispatchQueue::main(), [&](int v) {
        events.push_back("body " + std::to_string(v) + " main " +
                         std::to_string(platform::isMainThread()));
    });
    events.push_back("returned");
    EXPECT_TRUE(done.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_THAT(events, ElementsAre("returned", "body 3 main 1"));
    EXPECT_TRUE(done.isSettled());
}

TEST_F(GuaranteeTest, RunOnValueWithoutAQueueRunsInPlace) {
    const auto source = Guarantee<int>::initWithValue(3);
    int seen = 0;
    const auto done = source.runOnValue(std::nullopt, [&](int v) { seen = v; });
    EXPECT_EQ(seen, 3);
    EXPECT_TRUE(done.isSettled());
    EXPECT_EQ(scheduler().pendingCount(), 0u);
}

TEST_F(GuaranteeTest, PendingHandlersRunInOrderOnceOnTheSettlingThread) {
    auto [guarantee, resolve] = Guarantee<int>::makePendingPair();
    std::vector<std::pair<int, int>> runs;
    std::vector<std::thread::id> threads;
    for (int i = 0; i < 3; ++i)
        guarantee.attachValueHandler([&, i](int v) {
            runs.emplace_back(i, v);
            threads.push_back(std::this_thread::get_id());
        });
    std::thread::id settler;
    std::thread thread([&, r = resolve] {
        settler = std::this_thread::get_id();
        r(1);
        r(2);  // ignored
    });
    thread.join();
    EXPECT_THAT(runs, ElementsAre(std::pair{0, 1}, std::pair{1, 1}, std::pair{2, 1}));
    EXPECT_THAT(threads, ElementsAre(settler, settler, settler));
    EXPECT_EQ(guarantee.currentValue(), 1);
}

TEST_F(GuaranteeTest, DroppedPendingBoxWarnsOnceAndTakesItsWaitingResultsAlong) {
    { const auto sealed = Guarantee<int>::initWithValue(1); }
    {
        auto [guarantee, resolve] = Guarantee<int>::makePendingPair();
        resolve(1);
    }
    EXPECT_THAT(lines(), IsEmpty());

    {
        auto [guarantee, resolve] = Guarantee<int>::makePendingPair();
        // Two results that only the source holds, one that the test keeps.
        guarantee.transformValue(std::nullopt, [](int v) { return v; });
        guarantee.runOnValue(std::nullopt, [](int) {});
        const auto kept = guarantee.discardValue();
        static_cast<void>(kept);
        clearOutput();
    }
    // The source's box goes with the pair, and with its handlers every result that nothing else
    // holds any more: four boxes, one line each.
    EXPECT_EQ(lines().size(), 4u);
    for (const auto& line : lines())
        EXPECT_EQ(line, testing::pendingGuaranteeLine);
}

TEST_F(GuaranteeTest, ChainFollowsTheInnerGuarantee) {
    const auto source = Guarantee<int>::initWithValue(2);
    // An inner guarantee that holds its value settles the result in the same work item.
    const auto sealed =
        source.chain(std::nullopt, [](int v) { return Guarantee<int>::initWithValue(v * 10); });
    EXPECT_EQ(sealed.currentValue(), 20);

    // A pending inner one settles it when it is settled, on its settling thread.
    auto inner = Guarantee<std::string>::makePendingPair();
    const auto later = source.chain(std::nullopt, [&](int) { return inner.guarantee; });
    EXPECT_TRUE(later.isStillPending());
    inner.resolve("done");
    EXPECT_EQ(later.currentValue(), "done");
}

TEST_F(GuaranteeTest, ChainOffersBothKindsOnOneObject) {
    const auto source = Guarantee<int>::initWithValue(2);
    auto toGuarantee =
        source.chain(std::nullopt, [](int v) { return Guarantee<int>::initWithValue(v); });
    auto toPromise = source.chain(std::nullopt, [&](int v) {
        if (v > 1)
            platform::throwError(failure());
        return Promise<int>::initFulfilled(v);
    });
    static_assert(std::is_same_v<decltype(toGuarantee), Guarantee<int>>);
    static_assert(std::is_same_v<decltype(toPromise), Promise<int>>);
    EXPECT_EQ(toGuarantee.currentValue(), 2);
    EXPECT_TRUE(toPromise.hasError());
}

TEST_F(GuaranteeTest, TransformPeekAndDiscard) {
    const auto source = Guarantee<int>::initWithValue(4);
    std::vector<int> peeked;
    const auto peek = source.peekValue(DispatchQueue::main(), [&](int v) { peeked.push_back(v); });
    const auto doubled = source.transformValue(DispatchQueue::main(), [](int v) { return v * 2; });
    const auto discarded = source.discardValue();
    EXPECT_TRUE(discarded.isSettled());  // in place, no queue
    scheduler().runUntilIdle();
    EXPECT_EQ(peek.currentValue(), 4);
    EXPECT_THAT(peeked, ElementsAre(4));
    EXPECT_EQ(doubled.currentValue(), 8);
}

TEST_F(GuaranteeTest, CurrentResultIsNeverARejection) {
    auto [guarantee, resolve] = Guarantee<int>::makePendingPair();
    EXPECT_FALSE(guarantee.currentResult().has_value());
    resolve(5);
    ASSERT_TRUE(guarantee.currentResult().has_value());
    EXPECT_TRUE(guarantee.currentResult()->holdsValue());
    EXPECT_EQ(guarantee.currentResult()->value(), 5);
    EXPECT_FALSE(guarantee.hasError());
}

TEST_F(GuaranteeTest, InitialisersAndWait) {
    bool ran = false;
    const auto withResolver =
        Guarantee<int>::initWithResolver([&](const std::function<void(int)>& resolve) {
            ran = true;
            resolve(6);
        });
    EXPECT_TRUE(ran);
    EXPECT_EQ(withResolver.currentValue(), 6);
    EXPECT_TRUE(Guarantee<Unit>::initVoid().isSettled());

    // Settled: returns at once; on the main thread it warns, each time.
    EXPECT_EQ(withResolver.wait(), 6);
    EXPECT_EQ(withResolver.wait(), 6);
    EXPECT_THAT(lines(), ElementsAre(testing::waitLine, testing::waitLine));

    // Pending on the main thread: the scheduler runs the delay meanwhile.
    clearOutput();
    const auto later =
        guaranteeAfterSeconds(1.5).transformValue(std::nullopt, [](Unit) { return 8; });
    EXPECT_EQ(later.wait(), 8);
    EXPECT_THAT(lines(), ElementsAre(testing::waitLine));

    // On another thread: no warning.
    clearOutput();
    auto [guarantee, resolve] = Guarantee<int>::makePendingPair();
    std::optional<int> got;
    std::thread waiter([&, g = guarantee] { got = g.wait(); });
    resolve(11);
    waiter.join();
    EXPECT_EQ(got, 11);
    EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(GuaranteeTest, RunAsGuaranteeSettlesOnTheQueue) {
    const DispatchQueue queue("work");
    std::string ranOn;
    const auto result = runAsGuarantee(queue, PromisesNamespacer::promise, [&] {
        ranOn = DispatchQueue::currentLabel();
        return std::string("x");
    });
    EXPECT_TRUE(result.isStillPending());
    scheduler().runUntilIdle();
    EXPECT_EQ(result.currentValue(), "x");
    EXPECT_EQ(ranOn, "work");
}

TEST(GuaranteeDeathTest, ABodyThatThrowsStopsTheProcess) {
    // A guarantee cannot fail, so there is nowhere for the error to go.
    EXPECT_DEATH(
        Guarantee<int>::initWithValue(1).runOnValue(
            std::nullopt, [](int) { platform::throwError(platform::makeError("T", 1, "boom")); }),
        "Promises: a guarantee body threw: boom");
}

}  // namespace
}  // namespace zoral::promises
