#include "platform/scheduler.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/run_loop.h"
#include "support/virtual_clock.h"

namespace zoral::platform {
namespace {

using zoral::testing::VirtualClockTest;

class SchedulerTest : public VirtualClockTest {
protected:
    std::vector<std::string> order;
    auto record(std::string name) {
        return [this, name = std::move(name)] { order.push_back(name); };
    }
};

// One submission of an ordering case: a queue, a delay (none: async) and a name.
struct Submit {
    int queue;
    std::optional<double> delay;
    std::string name;
};

struct OrderCase {
    const char* what;
    std::vector<Submit> submits;
    std::vector<std::string> expected;
};

TEST_F(SchedulerTest, OrdersWorkByReadinessDeadlineAndSubmission) {
    const std::vector<OrderCase> cases = {
        {"async on one queue is FIFO", {{0, {}, "a"}, {0, {}, "b"}, {0, {}, "c"}}, {"a", "b", "c"}},
        {"earlier deadlines first",
         {{0, 0.3, "late"}, {0, 0.1, "early"}, {0, 0.2, "middle"}},
         {"early", "middle", "late"}},
        {"equal deadlines in submission order",
         {{0, 0.5, "x"}, {1, 0.5, "y"}, {0, 0.5, "z"}},
         {"x", "y", "z"}},
        {"a deadline of zero is queued like async",
         {{0, {}, "a"}, {0, 0.0, "b"}, {0, {}, "c"}},
         {"a", "b", "c"}},
        {"a past deadline is queued like async", {{0, -5.0, "a"}, {0, {}, "b"}}, {"a", "b"}},
        {"queues interleave in submission order",
         {{0, {}, "q0a"}, {1, {}, "q1a"}, {2, {}, "q2a"}, {0, {}, "q0b"}},
         {"q0a", "q1a", "q2a", "q0b"}},
        {"ready work before delayed work",
         {{1, 0.1, "delayed"}, {0, {}, "ready"}},
         {"ready", "delayed"}},
    };
    const std::vector<DispatchQueue> queues = {
        DispatchQueue::main(), DispatchQueue("serial"),
        DispatchQueue("concurrent", DispatchQoS::unspecified,
                      DispatchQueue::Attributes::concurrent)};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        order.clear();
        for (const auto& s : c.submits) {
            const auto& queue = queues.at(static_cast<std::size_t>(s.queue));
            if (s.delay) {
                queue.asyncAfter(DispatchTime::now() + *s.delay, record(s.name));
            } else {
                queue.async(record(s.name));
            }
        }
        EXPECT_TRUE(order.empty()) << "work ran inside the submitting call";
        scheduler().advance(1.0);
        EXPECT_EQ(order, c.expected);
    }
}

TEST_F(SchedulerTest, DelayedWorkRunsAtItsDeadlineOnTheVirtualClock) {
    std::vector<double> times;
    const DispatchTime start = DispatchTime::now();
    for (double delay : {0.25, 1.0, 0.5}) {
        DispatchQueue::global().asyncAfter(start + delay, [&] {
            times.push_back(DispatchTime::now().uptimeSeconds() - start.uptimeSeconds());
        });
    }
    scheduler().advance(0.4);
    EXPECT_EQ(times, (std::vector<double>{0.25}));
    EXPECT_DOUBLE_EQ(DispatchTime::now().uptimeSeconds() - start.uptimeSeconds(), 0.4);
    EXPECT_EQ(scheduler().pendingCount(), 2u);
    scheduler().advance(1.0);
    EXPECT_EQ(times, (std::vector<double>{0.25, 0.5, 1.0}));
}

TEST_F(SchedulerTest, AsyncNeverRunsInsideTheCallEvenOnItsOwnQueue) {
    DispatchQueue::main().async([&] {
        DispatchQueue::main().async(record("inner"));
        order.push_back("outer end");
    });
    DispatchQueue::main().async(record("second"));
    scheduler().runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"outer end", "second", "inner"}));
}

TEST_F(SchedulerTest, RunUntilIdleDoesNotMoveTheClock) {
    const DispatchTime start = DispatchTime::now();
    DispatchQueue::main().asyncAfter(start + 0.1, record("later"));
    DispatchQueue::main().async([&] { DispatchQueue::main().async(record("chained")); });
    EXPECT_EQ(scheduler().runUntilIdle(), 2u);
    EXPECT_EQ(order, (std::vector<std::string>{"chained"}));
    EXPECT_EQ(DispatchTime::now(), start);
}

TEST_F(SchedulerTest, RunUntilStopsWhenThePredicateHoldsOrAtTheLimit) {
    int ticks = 0;
    for (int i = 1; i <= 10; ++i) {
        DispatchQueue::main().asyncAfter(DispatchTime::now() + 0.1 * i, [&] { ++ticks; });
    }
    const DispatchTime start = DispatchTime::now();
    EXPECT_TRUE(scheduler().runUntil([&] { return ticks == 3; }, 5.0));
    EXPECT_NEAR(DispatchTime::now().uptimeSeconds() - start.uptimeSeconds(), 0.3, 1e-9);
    EXPECT_FALSE(scheduler().runUntil([&] { return ticks == 100; }, 2.0));
    EXPECT_EQ(ticks, 10);
    EXPECT_NEAR(DispatchTime::now().uptimeSeconds() - start.uptimeSeconds(), 2.3, 1e-9);
}

TEST_F(SchedulerTest, CancelledWorkItemsNeverRun) {
    DispatchWorkItem cancelledFirst(record("cancelled before submission"));
    cancelledFirst.cancel();
    DispatchQueue::main().async(cancelledFirst);

    DispatchWorkItem cancelledPending(record("cancelled while pending"));
    DispatchQueue::main().asyncAfter(DispatchTime::now() + 1, cancelledPending);

    DispatchWorkItem cancelsItself([&] {
        order.push_back("running item cancelled");
        cancelledPending.cancel();
    });
    DispatchQueue::main().async(cancelsItself);

    DispatchWorkItem twice(record("twice"));
    DispatchQueue::main().async(twice);
    DispatchQueue::main().async(twice);

    scheduler().advance(2);
    EXPECT_TRUE(cancelledPending.isCancelled());
    EXPECT_EQ(order, (std::vector<std::string>{"running item cancelled", "twice", "twice"}));
}

TEST_F(SchedulerTest, SubmissionsRecordQualityOfServiceAndFlags) {
    DispatchQueue("q").async(
        [] {}, {.qos = DispatchQoS::utility,
                .flags = DispatchWorkItemFlags::detached | DispatchWorkItemFlags::enforceQoS});
    DispatchQueue::global(DispatchQoS::background)
        .asyncAfter(DispatchTime::now() + 2, DispatchWorkItem([] {}, DispatchQoS::userInitiated,
                                                              DispatchWorkItemFlags::barrier));
    const auto pending = scheduler().pendingWork();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].queueLabel, "q");
    EXPECT_EQ(pending[0].qos, DispatchQoS::utility);
    EXPECT_TRUE(pending[0].flags.contains(DispatchWorkItemFlags::detached));
    EXPECT_FALSE(pending[0].flags.contains(DispatchWorkItemFlags::barrier));
    EXPECT_TRUE(pending[0].ready);
    EXPECT_EQ(pending[1].queueLabel, "global.background");
    EXPECT_EQ(pending[1].qos, DispatchQoS::userInitiated);
    EXPECT_TRUE(pending[1].flags.contains(DispatchWorkItemFlags::barrier));
    EXPECT_FALSE(pending[1].ready);
}

// While an item of a concurrent queue waits (a group wait turns the scheduler),
// the queue's other items may start, but a barrier waits for the running item
// and holds back everything submitted after it.
TEST_F(SchedulerTest, BarrierWaitsForEarlierWorkAndBlocksLaterWork) {
    for (bool barrier : {false, true}) {
        SCOPED_TRACE(barrier ? "barrier" : "no barrier");
        order.clear();
        DispatchQueue queue("c", DispatchQoS::unspecified, DispatchQueue::Attributes::concurrent);
        DispatchQueue other("other");
        DispatchGroup group;
        group.enter();
        queue.async([&] {
            order.push_back("first starts");
            group.wait();
            order.push_back("first ends");
        });
        queue.async(record("middle"),
                    {.flags = barrier ? DispatchWorkItemFlags::barrier : DispatchWorkItemFlags{}});
        queue.async(record("last"));
        other.async([&] {
            order.push_back("other");
            group.leave();
        });
        scheduler().runUntilIdle();
        const std::vector<std::string> expected =
            barrier
                ? std::vector<std::string>{"first starts", "other", "first ends", "middle", "last"}
                : std::vector<std::string>{"first starts", "middle", "last", "other", "first ends"};
        EXPECT_EQ(order, expected);
    }
}

// However the first item blocks, the queue's next item waits for it to end,
// and other queues run meanwhile.
TEST_F(SchedulerTest, SerialQueueNeverStartsAnItemWhileOneIsBlocked) {
    DispatchGroup group;
    bool released = false;
    struct Case {
        const char* what;
        std::function<void()> block;
        std::function<void()> release;
    };
    const std::vector<Case> cases = {
        {"group wait", [&] { group.wait(); }, [&] { group.leave(); }},
        {"sleep", [] { sleepFor(0.1); }, [] {}},
        {"nested run loop", [] { RunLoop::main().run(); }, [] { RunLoop::main().stop(); }},
        {"drive", [&] { scheduler().runUntil([&] { return released; }, 1.0); },
         [&] { released = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        order.clear();
        group = DispatchGroup();
        group.enter();
        released = false;
        DispatchQueue serial("serial");
        serial.async([&] {
            order.push_back("first starts");
            c.block();
            order.push_back("first ends");
        });
        serial.async(record("second"));
        DispatchQueue::global().async([&] {
            order.push_back("global");
            c.release();
        });
        scheduler().advance(1);
        EXPECT_EQ(order,
                  (std::vector<std::string>{"first starts", "global", "first ends", "second"}));
        EXPECT_EQ(scheduler().blockedCount(), 0u);
    }
}

// Blocked items resume like delayed work: at their deadline, and among equal
// deadlines in the order in which the sleeps (or submissions) began.
TEST_F(SchedulerTest, BlockedItemsResumeAtTheirDeadlinesInTheOrderTheyBlocked) {
    const DispatchQueue axQueue("AXQueue", DispatchQoS::unspecified,
                                DispatchQueue::Attributes::concurrent);
    const DispatchTime start = DispatchTime::now();
    const auto stamp = [&](const std::string& what) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f",
                      DispatchTime::now().uptimeSeconds() - start.uptimeSeconds());
        order.push_back(what + " " + text);
    };
    axQueue.async([&] {
        stamp("A starts");
        sleepFor(0.2);
        stamp("A wakes");
    });
    // Submitted before A's sleep begins: due at the same time, it goes first.
    DispatchQueue::main().asyncAfter(start + 0.2, [&] { stamp("M"); });
    axQueue.async([&] {
        sleepFor(0.1);
        stamp("B wakes");
        sleepFor(0.1);
        stamp("B wakes again");
    });
    EXPECT_EQ(scheduler().runUntilIdle(), 0u) << "both items are blocked";
    EXPECT_EQ(scheduler().blockedCount(), 2u);
    EXPECT_EQ(order, (std::vector<std::string>{"A starts 0.0"}));
    scheduler().advance(1);
    EXPECT_EQ(order, (std::vector<std::string>{"A starts 0.0", "B wakes 0.1", "M 0.2",
                                               "A wakes 0.2", "B wakes again 0.2"}));
    EXPECT_EQ(scheduler().blockedCount(), 0u);
}

// A wait for a condition ends right after the item that fulfilled it, before
// other ready work, and its waiters resume in the order they began to wait.
TEST_F(SchedulerTest, AConditionWaitEndsRightAfterTheItemThatFulfilsIt) {
    DispatchGroup group;
    group.enter();
    for (const char* name : {"first waiter", "second waiter"}) {
        DispatchQueue(name).async([&, name] {
            group.wait();
            order.push_back(std::string(name) + " resumes");
        });
    }
    DispatchQueue::global().async([&] {
        order.push_back("leaves");
        group.leave();
    });
    DispatchQueue::global().async(record("later work"));
    scheduler().runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"leaves", "first waiter resumes",
                                               "second waiter resumes", "later work"}));
}

// An item's `sync` on a queue whose item is blocked waits for that item to
// end; the queue's pending items are not waited for.
TEST_F(SchedulerTest, SyncWaitsForTheBlockedItemOfItsQueue) {
    DispatchQueue serial("serial");
    serial.async([&] {
        sleepFor(0.1);
        order.push_back("holder ends");
    });
    serial.asyncAfter(DispatchTime::now() + 0.5, record("pending item"));
    DispatchQueue::main().async([&] {
        serial.sync([&] { order.push_back("sync block"); });
        order.push_back("main goes on");
    });
    scheduler().advance(0.2);
    EXPECT_EQ(order, (std::vector<std::string>{"holder ends", "sync block", "main goes on"}));
}

TEST_F(SchedulerTest, GroupsNotifyWhenTheirWorkIsDone) {
    DispatchGroup group;
    DispatchQueue worker("worker");
    for (int i = 0; i < 3; ++i) {
        worker.asyncAfter(DispatchTime::now() + 0.1 * (3 - i), record("work " + std::to_string(i)),
                          {.group = group});
    }
    group.enter();
    group.notify(DispatchQueue::main(), record("notified"));
    scheduler().advance(1);
    EXPECT_EQ(order, (std::vector<std::string>{"work 2", "work 1", "work 0"}));
    group.leave();
    EXPECT_EQ(order.size(), 3u) << "notify must not run inside leave";
    scheduler().runUntilIdle();
    EXPECT_EQ(order.back(), "notified");

    // An empty group notifies at once, still asynchronously.
    DispatchGroup empty;
    empty.notify(DispatchQueue::main(), record("empty notified"));
    EXPECT_EQ(order.back(), "notified");
    scheduler().runUntilIdle();
    EXPECT_EQ(order.back(), "empty notified");
}

TEST_F(SchedulerTest, GroupWaitRunsWorkAndTimesOutOnTheVirtualClock) {
    DispatchGroup group;
    DispatchQueue::global().asyncAfter(DispatchTime::now() + 2, record("done"), {.group = group});
    const DispatchTime start = DispatchTime::now();
    EXPECT_EQ(group.wait(start + 0.5), DispatchGroup::WaitResult::timedOut);
    EXPECT_EQ(DispatchTime::now(), start + 0.5);
    EXPECT_EQ(group.wait(start + 10), DispatchGroup::WaitResult::success);
    EXPECT_EQ(DispatchTime::now(), start + 2.0);
    EXPECT_EQ(order, (std::vector<std::string>{"done"}));
}

// A sleep blocks only its own thread: the virtual clock moves on, and the other
// queues run their work at its time meanwhile; the sleeping queue's work waits.
TEST_F(SchedulerTest, SleepBlocksOnlyTheSleepingThread) {
    const DispatchQueue axQueue("AXQueue", DispatchQoS::unspecified,
                                DispatchQueue::Attributes::concurrent);
    struct Case {
        const char* what;
        std::optional<DispatchQueue> sleeper;  // none: top-level code
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"on a concurrent queue", axQueue, {"main at 0.3", "global at 0.4", "woke at 0.5"}},
        {"on the main queue",
         DispatchQueue::main(),
         {"global at 0.4", "woke at 0.5", "main at 0.5"}},
        {"in top-level code, the main thread",
         std::nullopt,
         {"global at 0.4", "woke at 0.5", "main at 0.5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        order.clear();
        const DispatchTime start = DispatchTime::now();
        const auto stamp = [&](const std::string& what) {
            const double elapsed = DispatchTime::now().uptimeSeconds() - start.uptimeSeconds();
            char text[16];
            std::snprintf(text, sizeof text, "%.1f", elapsed);
            order.push_back(what + " at " + text);
        };
        DispatchQueue::main().asyncAfter(start + 0.3, [&] { stamp("main"); });
        DispatchQueue::global().asyncAfter(start + 0.4, [&] { stamp("global"); });
        const auto sleeper = [&] {
            sleepFor(0.5);
            stamp("woke");
        };
        if (c.sleeper) {
            c.sleeper->async(sleeper);
        } else {
            sleeper();
        }
        scheduler().advance(1);
        EXPECT_EQ(order, c.expected);
    }
    // Sleeps that are not finite or negative take no time.
    const DispatchTime before = DispatchTime::now();
    sleepFor(std::numeric_limits<double>::quiet_NaN());
    sleepFor(-1);
    EXPECT_EQ(DispatchTime::now(), before);
}

TEST_F(SchedulerTest, MainThreadIsMainQueueWorkAndTopLevelCode) {
    struct Seen {
        bool main;
        std::string label;
    };
    std::vector<Seen> seen;
    const auto look = [&] { seen.push_back({isMainThread(), DispatchQueue::currentLabel()}); };
    DispatchQueue serial("serial");
    look();
    DispatchQueue::main().async([&] {
        look();
        serial.sync(look);  // a sync block stays on the calling thread
    });
    serial.async(look);
    DispatchQueue::global().async(look);
    scheduler().runUntilIdle();
    std::thread([&] { look(); }).join();
    // Each context keeps its own identity across the others' turns.
    DispatchQueue::main().async([&] {
        sleepFor(0.1);
        look();
    });
    serial.async([&] {
        look();
        sleepFor(0.2);
        look();
    });
    scheduler().advance(1);

    const std::vector<std::pair<bool, std::string>> expected = {{true, ""},
                                                                {true, "main"},
                                                                {true, "serial"},
                                                                {false, "serial"},
                                                                {false, "global.default"},
                                                                {false, ""},
                                                                {false, "serial"},
                                                                {true, "main"},
                                                                {false, "serial"}};
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].main, expected[i].first) << i;
        EXPECT_EQ(seen[i].label, expected[i].second) << i;
    }
}

TEST_F(SchedulerTest, SyncReturnsTheBodysValue) {
    DispatchQueue queue("q", DispatchQoS::unspecified, DispatchQueue::Attributes::concurrent);
    EXPECT_EQ(queue.sync([] { return 42; }), 42);
    EXPECT_EQ(queue.sync([] { return std::string("barrier"); }, DispatchWorkItemFlags::barrier),
              "barrier");
}

TEST_F(SchedulerTest, SyncThatWouldDeadlockStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            DispatchQueue serial("serial");
            serial.sync([&] { serial.sync([] {}); });
        },
        "deadlock");
    EXPECT_DEATH(
        {
            DispatchQueue queue("c", DispatchQoS::unspecified,
                                DispatchQueue::Attributes::concurrent);
            queue.sync([&] { queue.sync([] {}, DispatchWorkItemFlags::barrier); });
        },
        "deadlock");
    // Two items each holding the queue that the other waits to sync on.
    EXPECT_DEATH(
        {
            DispatchQueue serial("serial");
            serial.async([] {
                sleepFor(0.1);
                DispatchQueue::main().sync([] {});
            });
            DispatchQueue::main().async([&] { serial.sync([] {}); });
            scheduler().advance(1);
        },
        "deadlock");
}

// Other threads submit, sync and wait while the owner thread drives.
TEST_F(SchedulerTest, OtherThreadsSubmitSyncAndWaitSafely) {
    constexpr int threads = 4;
    constexpr int perThread = 200;
    std::vector<std::vector<int>> seen(threads);
    std::atomic<int> syncCount{0};
    DispatchQueue serial("serial");
    DispatchGroup group;
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                DispatchQueue::main().async(
                    [&, t, i] { seen[static_cast<std::size_t>(t)].push_back(i); },
                    {.group = group});
                serial.sync([&] { syncCount.fetch_add(1); });
            }
            finished.fetch_add(1);
        });
    }
    // The waiter ends the run once every submitted item has run; until then the
    // idle run loop waits for the other threads.
    std::thread waiter([&] {
        while (finished.load() < threads)
            std::this_thread::yield();
        group.wait();
        RunLoop::main().stop();
    });
    RunLoop::main().run();
    for (auto& worker : workers)
        worker.join();
    waiter.join();
    EXPECT_EQ(syncCount.load(), threads * perThread);
    for (const auto& perThreadSeen : seen) {
        ASSERT_EQ(perThreadSeen.size(), static_cast<std::size_t>(perThread));
        for (int i = 0; i < perThread; ++i)
            EXPECT_EQ(perThreadSeen[static_cast<std::size_t>(i)], i);
    }
}

TEST(SchedulerTeardown, DestroysPendingWorkInSubmissionOrder) {
    std::vector<std::string> destroyed;
    struct Tracer {
        std::vector<std::string>* log;
        std::string name;
        std::shared_ptr<int> alive = std::make_shared<int>();
        ~Tracer() {
            if (alive.use_count() == 1)
                log->push_back(name);
        }
    };
    int ran = 0;
    {
        ScopedScheduler scheduler;
        DispatchQueue::main().asyncAfter(
            DispatchTime::now() + 5, [t = Tracer{&destroyed, "delayed first"}, &ran] { ++ran; });
        DispatchQueue::global().async([t = Tracer{&destroyed, "ready"}, &ran] { ++ran; });
        DispatchQueue::main().asyncAfter(
            DispatchTime::now() + 1, [t = Tracer{&destroyed, "delayed second"}, &ran] { ++ran; });
        // Its destruction submits more work, which is destroyed in turn.
        struct Resubmits {
            std::vector<std::string>* log = nullptr;
            ~Resubmits() {
                if (log != nullptr) {
                    DispatchQueue::main().async([t = Tracer{log, "submitted in teardown"}] {});
                }
            }
        };
        auto resubmits = std::make_shared<Resubmits>();
        resubmits->log = &destroyed;
        DispatchQueue::main().async([r = std::move(resubmits)] {});
    }
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(destroyed, (std::vector<std::string>{"delayed first", "ready", "delayed second",
                                                   "submitted in teardown"}));
    ScopedScheduler next;
    EXPECT_EQ(next->pendingCount(), 0u);
}

// A scheduler destroyed while items are blocked unwinds their stacks, in
// submission order among the pending work it destroys: what the items hold is
// released, and an item that catches the unwind is unwound again at its next
// blocking call.
TEST(SchedulerTeardown, UnwindsBlockedItemsInSubmissionOrder) {
    std::vector<std::string> log;
    struct Guard {
        Guard(std::vector<std::string>* into, std::string label)
            : log(into), name(std::move(label)) {}
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        ~Guard() { log->push_back(name); }
        std::vector<std::string>* log;
        std::string name;
    };
    int caught = 0;
    {
        ScopedScheduler scheduler;
        const DispatchQueue axQueue("AXQueue", DispatchQoS::unspecified,
                                    DispatchQueue::Attributes::concurrent);
        axQueue.async([&] {
            Guard held{&log, "sleeper unwound"};
            sleepFor(10);
            log.push_back("sleeper woke");
        });
        DispatchQueue::main().asyncAfter(
            DispatchTime::now() + 5,
            [g = std::make_shared<Guard>(&log, "pending")] { g->log->push_back("pending ran"); });
        DispatchGroup never;
        never.enter();
        DispatchGroup items;
        axQueue.async(
            [&] {
                Guard held{&log, "waiter unwound"};
                never.wait();
                log.push_back("waiter woke");
            },
            {.group = items});
        // Leaving the group on the way out submits its notification, destroyed in turn.
        items.notify(DispatchQueue::main(), [g = std::make_shared<Guard>(&log, "notify")] {
            g->log->push_back("notify ran");
        });
        axQueue.async([&] {
            for (int i = 0; i < 3; ++i) {
                try {
                    sleepFor(1);
                } catch (...) {
                    ++caught;
                }
            }
            log.push_back("catcher finished");
        });
        scheduler->advance(0.5);
        EXPECT_EQ(scheduler->blockedCount(), 3u);
        EXPECT_EQ(scheduler->pendingCount(), 1u);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"sleeper unwound", "pending", "waiter unwound",
                                             "catcher finished", "notify"}));
    EXPECT_EQ(caught, 3);
}

// An exception that leaves an item after it blocked comes out of the call that
// drives the scheduler; the item's queue and group are released.
TEST(SchedulerErrors, AnExceptionAfterBlockingComesOutOfTheDrive) {
    ScopedScheduler scheduler;
    std::vector<std::string> order;
    DispatchQueue serial("serial");
    DispatchGroup group;
    serial.async(
        [] {
            sleepFor(0.1);
            throw std::runtime_error("late");
        },
        {.group = group});
    serial.async([&] { order.push_back("next item"); });
    try {
        scheduler->advance(1);
        ADD_FAILURE() << "the exception was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "late");
    }
    EXPECT_DOUBLE_EQ(DispatchTime::now().uptimeSeconds(), 0.1);
    EXPECT_EQ(group.wait(DispatchTime::now()), DispatchGroup::WaitResult::success);
    scheduler->runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"next item"}));

    // Out of a sleep of top-level code, which gives the main queue back.
    DispatchQueue::global().asyncAfter(DispatchTime::now() + 0.2,
                                       [] { throw std::runtime_error("while asleep"); });
    DispatchQueue::main().async([&] { order.push_back("main"); });
    EXPECT_THROW(sleepFor(1), std::runtime_error);
    scheduler->runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"next item", "main"}));
}

// Items that block inside catch blocks each find their own exception again,
// although they resume in another order than the one they caught in.
TEST(SchedulerErrors, EachBlockedItemKeepsTheExceptionItHandles) {
    ScopedScheduler scheduler;
    const DispatchQueue axQueue("AXQueue", DispatchQoS::unspecified,
                                DispatchQueue::Attributes::concurrent);
    std::vector<std::string> rethrown;
    for (const auto& [name, pause] : {std::pair{"first", 0.1}, std::pair{"second", 0.2}}) {
        axQueue.async([&rethrown, name = std::string(name), pause = pause] {
            try {
                throw std::runtime_error(name);
            } catch (const std::runtime_error&) {
                sleepFor(pause);
                EXPECT_EQ(std::uncaught_exceptions(), 0);
                try {
                    throw;
                } catch (const std::runtime_error& again) {
                    rethrown.emplace_back(again.what());
                }
            }
        });
    }
    scheduler->advance(1);
    EXPECT_EQ(rethrown, (std::vector<std::string>{"first", "second"}));
}

// On the wall clock too, an item sleeping on AXQueue holds nothing: a main-queue
// item whose own short sleep ends first resumes at its time, not after the
// other item's sleep. The order follows from the deadlines alone.
TEST(SchedulerWallClock, ASleepingItemDoesNotHoldTheMainQueue) {
    ScopedScheduler scheduler(Scheduler::ClockKind::wallTime);
    const DispatchQueue axQueue("AXQueue", DispatchQoS::unspecified,
                                DispatchQueue::Attributes::concurrent);
    std::vector<std::string> order;
    DispatchQueue::main().async([&] {
        sleepFor(0.001);
        order.push_back("main resumes");
    });
    axQueue.async([&] {
        order.push_back("drag starts");
        sleepFor(0.02);
        order.push_back("drag ends");
        RunLoop::main().stop();
    });
    RunLoop::main().run();
    EXPECT_EQ(order, (std::vector<std::string>{"drag starts", "main resumes", "drag ends"}));
}

struct TimeCase {
    const char* what;
    DispatchTime time;
    std::uint64_t expectedNanoseconds;
};

TEST(DispatchTime, ArithmeticSaturatesInsteadOfWrapping) {
    const auto at = DispatchTime::fromUptimeNanoseconds(1'000'000'000);
    const std::uint64_t never = DispatchTime::never().uptimeNanoseconds();
    const std::vector<TimeCase> cases = {
        {"seconds", at + 1.5, 2'500'000'000},
        {"negative seconds", at + -0.25, 750'000'000},
        {"below zero", at - 5.0, 0},
        {"NaN adds nothing", at + std::nan(""), 1'000'000'000},
        {"infinity is never", at + std::numeric_limits<double>::infinity(), never},
        {"minus infinity is zero", at + -std::numeric_limits<double>::infinity(), 0},
        {"huge is never", at + 1e300, never},
        {"milliseconds", at + DispatchTimeInterval::milliseconds(20), 1'020'000'000},
        {"microseconds", at + DispatchTimeInterval::microseconds(3), 1'000'003'000},
        {"nanoseconds", at + DispatchTimeInterval::nanoseconds(-7), 999'999'993},
        {"seconds interval", at + DispatchTimeInterval::seconds(2), 3'000'000'000},
        {"overflowing interval",
         at + DispatchTimeInterval::seconds(std::numeric_limits<std::int64_t>::max()), never},
        {"never interval", at + DispatchTimeInterval::never(), never},
        {"never plus anything", DispatchTime::never() + -1.0, never},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.time.uptimeNanoseconds(), c.expectedNanoseconds) << c.what;
    }
}

}  // namespace
}  // namespace zoral::platform
