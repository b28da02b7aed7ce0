// Chains far longer than any the program builds: settling one at its head and dropping one that
// is still pending must each take a bounded amount of stack, whatever the chain's length. Each
// case runs on a thread with a small stack, so that a step that recursed into the next would
// overflow it long before the chain's end.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pthread.h>

#include "platform/dispatch.h"
#include "promises/promise.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using LongChain = testing::PromisesTest;

constexpr int length = 100'000;
// Enough for the other cases: a chain whose steps recursed would overflow the small stack
// after a few hundred.
constexpr int lengthPerKind = 20'000;
// Room for a few hundred frames, and none for one per step of the chain (sanitizer builds have
// the largest frames, and still fit many times over).
constexpr std::size_t smallStack = 512 * 1024;

// Runs the body to its end on a new thread with a small stack.
void onSmallStack(const std::function<void()>& body) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, smallStack), 0);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&body)),
              0);
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
}

// One step of each kind that runs in place, appended to a promise of int, and what it does to
// the value.
struct StepKind {
    const char* name;
    std::function<Promise<int>(const Promise<int>&)> append;
    int increment;
};

const std::vector<StepKind>& stepKinds() {
    static const std::vector<StepKind> kinds = {
        {"chain to a settled promise",
         [](const Promise<int>& p) {
             return p.chain(std::nullopt, [](int v) { return Promise<int>::initFulfilled(v + 1); });
         },
         1},
        {"chain to a settled guarantee",
         [](const Promise<int>& p) {
             return p.chain(std::nullopt,
                            [](int v) { return Guarantee<int>::initWithValue(v + 1); });
         },
         1},
        {"recoverError passing the value",
         [](const Promise<int>& p) {
             return p.recoverError(std::nullopt, CatchPolicy::allErrors,
                                   [](const ErrorRef&) { return Promise<int>::initFulfilled(-1); });
         },
         0},
        {"peekResult",
         [](const Promise<int>& p) {
             return p.peekResult(std::nullopt, [](const Result<int>&) {});
         },
         0},
        {"runAlways", [](const Promise<int>& p) { return p.runAlways(std::nullopt, [] {}); }, 0},
        {"a promise taking over another",
         [](const Promise<int>& p) { return Promise<int>::initFromThenable(p); }, 0},
    };
    return kinds;
}

TEST_F(LongChain, SettlingAtTheHeadRunsEveryInPlaceStepWithinABoundedStack) {
    std::optional<int> last;
    onSmallStack([&] {
        auto [head, resolver] = Promise<int>::makePendingPair();
        Promise<int> tail = head;
        for (int i = 0; i < length; ++i)
            tail = tail.transformValue(std::nullopt, [](int v) { return v + 1; });
        resolver.fulfilWith(0);
        last = tail.currentValue();
    });
    EXPECT_EQ(last, length);
}

TEST_F(LongChain, EveryKindOfInPlaceStepSettlesWithinABoundedStack) {
    for (const StepKind& kind : stepKinds()) {
        SCOPED_TRACE(kind.name);
        std::optional<int> last;
        onSmallStack([&] {
            auto [head, resolver] = Promise<int>::makePendingPair();
            Promise<int> tail = head;
            for (int i = 0; i < lengthPerKind; ++i)
                tail = kind.append(tail);
            resolver.fulfilWith(0);
            last = tail.currentValue();
        });
        EXPECT_EQ(last, lengthPerKind * kind.increment);
    }
}

TEST_F(LongChain, ARejectionPassesDownEveryStepWithinABoundedStack) {
    const ErrorRef error = failure();
    std::optional<ErrorRef> reached;
    onSmallStack([&] {
        auto [head, resolver] = Promise<int>::makePendingPair();
        Promise<int> tail = head;
        for (int i = 0; i < length; ++i)
            tail = tail.transformValue(std::nullopt, [](int v) { return v + 1; });
        resolver.rejectWith(error);
        reached = tail.currentError();
    });
    EXPECT_EQ(reached, error);
}

TEST_F(LongChain, GuaranteeStepsSettleWithinABoundedStack) {
    std::optional<int> last;
    onSmallStack([&] {
        auto [head, resolve] = Guarantee<int>::makePendingPair();
        Guarantee<int> tail = head;
        for (int i = 0; i < length; ++i) {
            tail = i % 2 == 0 ? tail.transformValue(std::nullopt, [](int v) { return v + 1; })
                              : tail.chain(std::nullopt, [](int v) {
                                    return Guarantee<int>::initWithValue(v + 1);
                                });
        }
        resolve(0);
        last = tail.currentValue();
    });
    EXPECT_EQ(last, length);
}

// A chain whose inner promises are settled only later, each by the step before: every settle
// of an inner promise then runs the rest of the chain.
TEST_F(LongChain, ChainsFollowingPendingInnerPromisesSettleWithinABoundedStack) {
    std::optional<int> last;
    onSmallStack([&] {
        auto [head, resolver] = Promise<int>::makePendingPair();
        Promise<int> tail = head;
        for (int i = 0; i < lengthPerKind; ++i) {
            tail = tail.chain(std::nullopt, [](int v) {
                auto [inner, innerResolver] = Promise<int>::makePendingPair();
                innerResolver.fulfilWith(v + 1);
                return inner;
            });
        }
        resolver.fulfilWith(0);
        last = tail.currentValue();
    });
    EXPECT_EQ(last, lengthPerKind);
}

TEST_F(LongChain, DroppingAPendingChainTearsItDownWithinABoundedStack) {
    const platform::DispatchQueue main = platform::DispatchQueue::main();
    struct Case {
        const char* name;
        QueueArg queue;
    };
    for (const Case& c : {Case{"in place", std::nullopt}, Case{"on the main queue", main}}) {
        SCOPED_TRACE(c.name);
        clearOutput();
        onSmallStack([&] {
            auto [head, resolver] = Promise<int>::makePendingPair();
            Promise<int> tail = head;
            for (int i = 0; i < length; ++i)
                tail = tail.transformValue(c.queue, [](int v) { return v + 1; });
        });
        // Only the resolver's warning: the promises of the chain report nothing.
        EXPECT_EQ(lines(), std::vector<std::string>{testing::pendingPromiseLine});
    }

    // Guarantees report each pending box dropped, the chain's too.
    clearOutput();
    onSmallStack([&] {
        auto [head, resolve] = Guarantee<int>::makePendingPair();
        Guarantee<int> tail = head;
        for (int i = 0; i < lengthPerKind; ++i)
            tail = tail.transformValue(std::nullopt, [](int v) { return v + 1; });
    });
    EXPECT_EQ(lines().size(), static_cast<std::size_t>(lengthPerKind) + 1);
}

}  // namespace
}  // namespace zoral::promises
