#pragma once

// The scheduler that serves every dispatch queue on one thread, the thread that
// owns it (the main thread). Its clock is either virtual, moved only by the code
// that drives it (tests) and by the passing of blocked work's time, or the
// machine's monotonic clock (the interactive program).
//
// Ordering. Ready work runs in the order it became ready; delayed work becomes
// ready at its deadline, earlier deadlines first and equal deadlines in
// submission order. A serial queue runs one item at a time, and never starts
// its next item while one is blocked; a concurrent queue runs a barrier item
// alone. Work never runs inside the call that submits it.
//
// Blocking. Each work item runs on an execution context of its own, and exactly
// one context of the owner thread runs at any moment: the item runs until it
// finishes or blocks. A blocked item (in a sleep, a group wait, a nested run
// loop, a `sync` on a queue that is busy, or a drive of the scheduler) gives the
// processor back, and other work runs meanwhile; when the time comes the clock
// moves on to the next due work, and the blocked item resumes when its turn
// comes. A sleep ends like delayed work: at its deadline, in the order the
// sleep began among equal deadlines. A wait for a condition (a group emptied, a
// queue free, a run loop stopped) ends right after the item that fulfilled it,
// waiters in the order they began to wait. A sleep of no time returns at once.
// So every interleaving follows the clock and the order of submissions alone,
// on the virtual clock and on the wall clock alike.
//
// Top-level code (outside any work item) is the main thread: while it sleeps
// the main queue waits with it; while it waits for a group or drives the
// scheduler, every queue runs.
//
// Teardown. Destroying the scheduler destroys what has not run, without running
// it, in submission order; an item that is still blocked is unwound then, in
// the same order: its blocking call throws an exception that is no
// std::exception and that the item must let pass (an item that catches it
// anyway finds every later blocking call throwing it again).
//
// Errors. An exception that leaves a work item comes out of the scheduler call
// that was driving when it left (a drive, a sleep or a wait of top-level code),
// after the item's queue and group have been released.
//
// Other threads may submit work, wait for groups and run `sync` blocks at any
// time; they block as threads do. Only the owner thread drives.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/date.h"
#include "platform/dispatch.h"
#include "platform/dispatch_internal.h"
#include "platform/thread_safety.h"

namespace zoral::platform {

class ExecutionContext;
class RunLoop;

namespace detail {
// One execution context of the owner thread, with what it runs and waits for.
struct Context;
}  // namespace detail

class Scheduler {
public:
    enum class ClockKind { virtualTime, wallTime };

    // What is waiting to run, for tests and diagnostics.
    struct PendingWork {
        std::string queueLabel;
        DispatchTime deadline;  // when it became or becomes ready
        DispatchQoS qos;
        DispatchWorkItemFlags flags;
        bool ready;  // deadline reached, waiting for its turn
    };

    // The date that the virtual clock starts at: 2026-01-05 09:00:00 UTC.
    static constexpr Date defaultStartDate = Date::fromUnixTime(1767603600.0);

    explicit Scheduler(ClockKind clock = ClockKind::virtualTime, Date startDate = defaultStartDate);
    // Destroys pending work without running it and unwinds blocked work, in
    // submission order.
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // The process's scheduler: the one installed by a ScopedScheduler, otherwise
    // a wall-clock scheduler owned by the first thread that asks.
    static Scheduler& current();

    ClockKind clockKind() const { return clock_; }
    bool isVirtual() const { return clock_ == ClockKind::virtualTime; }
    bool isOwnerThread() const { return std::this_thread::get_id() == owner_; }

    DispatchTime now() const;
    Date date() const;
    RunLoop& mainRunLoop() { return *mainRunLoop_; }

    // Runs all work that is ready now, and the work it makes ready now, without
    // moving the clock. Returns the number of items that finished.
    std::size_t runUntilIdle();
    // Virtual clock only: moves time forward by `seconds`, running each item
    // when its deadline comes.
    void advance(double seconds);
    // Runs for `seconds` of the scheduler's clock: advances the virtual clock,
    // or waits for and runs work for that long on the wall clock.
    void runFor(double seconds);
    // Runs work, through deadlines, until the predicate holds or `limitSeconds`
    // have passed; returns whether the predicate holds.
    bool runUntil(const std::function<bool()>& predicate, double limitSeconds);
    // A blocking sleep of the calling thread. On the scheduler's own thread the
    // calling item (or top-level code) blocks and other work runs meanwhile, at
    // its time. On another thread a virtual sleep moves the clock forward at once.
    void sleep(double seconds);

    // Items submitted and not started (blocked items are not counted).
    std::vector<PendingWork> pendingWork() const;
    std::size_t pendingCount() const;
    // Items that started and are blocked.
    std::size_t blockedCount() const;
    // When the next work is due: now while anything is ready.
    std::optional<DispatchTime> nextDeadline() const;

    // The engine behind the calls above and the run loop: runs work until `done`
    // holds (checked between items), or nothing is left to run before `limit`
    // (work due at `limit` runs). With `waitWhenIdle`, an unlimited drive waits
    // for other threads to submit work or change `done` instead of returning.
    // Called inside a work item, the item blocks until `done` holds or the
    // clock reaches `limit`.
    bool drive(const std::function<bool()>& done, DispatchTime limit, bool waitWhenIdle);
    // Wakes a drive or a waiting thread so that it checks its condition again.
    void wake();

private:
    friend class DispatchQueue;
    friend class DispatchGroup;
    struct Goal;

    void submit(const std::shared_ptr<detail::QueueState>& queue,
                std::shared_ptr<detail::WorkItemState> work, DispatchTime deadline,
                const DispatchSubmission& submission);
    void runSync(detail::QueueState& queue, const std::function<void()>& body, bool barrier);
    void waitForGroup(const detail::GroupState& group, DispatchTime timeout,
                      DispatchGroup::WaitResult& result);

    std::uint64_t nowLocked() const ZORAL_REQUIRES(mutex_);
    void promoteDueLocked() ZORAL_REQUIRES(mutex_);
    // The first ready entry that may run now: a wake-up, or an item whose queue
    // lets it start.
    std::deque<detail::Job>::iterator findRunnableLocked() ZORAL_REQUIRES(mutex_);
    void eraseReadyLocked(std::deque<detail::Job>::iterator entry) ZORAL_REQUIRES(mutex_);
    void requireOwnerThread(const char* operation) const;

    // The loop of the owner thread's own context: runs items on their contexts
    // and resumes blocked ones until the goal is met.
    bool serve(const Goal& goal);
    // Blocks the running context until `ready` holds (checked between items) or
    // the turn of `deadline` comes; true when `ready` woke it.
    bool block(const std::function<bool()>* ready, std::optional<std::uint64_t> deadline);
    detail::Waiter* firstSatisfiedWaiter() const;
    void wakeLocked(detail::Waiter& waiter, bool byDeadline) ZORAL_REQUIRES(mutex_);
    void unregisterLocked(detail::Waiter& waiter) ZORAL_REQUIRES(mutex_);
    // These three let go of the lock while they switch or allocate, and hold it again on return.
    void keepIdleWorkerLocked() ZORAL_REQUIRES(mutex_);
    void startLocked(std::deque<detail::Job>::iterator entry) ZORAL_REQUIRES(mutex_);
    void resumeLocked(detail::Context& context) ZORAL_REQUIRES(mutex_);
    void switchTo(detail::Context& context);
    ExecutionContext& workerMain(detail::Context& self);
    void runItem(detail::Context& self);
    bool syncWouldDeadlock(const detail::QueueState& queue, bool barrier) const;

    const ClockKind clock_;
    const Date startDate_;
    const std::thread::id owner_;
    const std::chrono::steady_clock::time_point wallEpoch_;

    mutable Mutex mutex_;
    ConditionVariable changed_;
    std::uint64_t virtualNow_ ZORAL_GUARDED_BY(mutex_) = 0;
    std::uint64_t nextSequence_ ZORAL_GUARDED_BY(mutex_) = 0;
    std::size_t executed_ ZORAL_GUARDED_BY(mutex_) = 0;
    // Ready items and the wake-ups of blocked items whose turn has come.
    std::deque<detail::Job> ready_ ZORAL_GUARDED_BY(mutex_);
    // Keyed by (deadline, submission sequence): earlier deadlines first, equal
    // deadlines in submission order. Holds items and blocked items' wake-ups.
    std::map<std::pair<std::uint64_t, std::uint64_t>, detail::Job> delayed_
        ZORAL_GUARDED_BY(mutex_);
    std::size_t wakeUps_ ZORAL_GUARDED_BY(mutex_) = 0;  // wake-ups among ready_ and delayed_
    std::size_t blocked_ ZORAL_GUARDED_BY(mutex_) = 0;
    // The queues' `running` and `barrierRunning` are guarded by mutex_ too; the annotations
    // cannot name this scheduler's mutex from a queue's state.

    // The owner thread's contexts: its own, and one per item that has started.
    // Only the owner thread touches them.
    std::unique_ptr<detail::Context> root_;
    std::vector<std::unique_ptr<detail::Context>> workers_;
    std::vector<detail::Context*> idle_;
    detail::Context* running_ = nullptr;
    std::vector<detail::Waiter*> conditionWaiters_;

    std::unique_ptr<RunLoop> mainRunLoop_;
};

// Installs a fresh scheduler as the current one for the life of this object,
// then destroys it (deterministically, see ~Scheduler) and restores the previous.
class ScopedScheduler {
public:
    explicit ScopedScheduler(Scheduler::ClockKind clock = Scheduler::ClockKind::virtualTime,
                             Date startDate = Scheduler::defaultStartDate);
    ~ScopedScheduler();
    ScopedScheduler(const ScopedScheduler&) = delete;
    ScopedScheduler& operator=(const ScopedScheduler&) = delete;

    Scheduler& operator*() const { return *scheduler_; }
    Scheduler* operator->() const { return scheduler_.get(); }

private:
    std::unique_ptr<Scheduler> scheduler_;
    Scheduler* previous_;
};

// A blocking sleep of the calling thread on the current scheduler's clock.
void sleepFor(double seconds);
// Seconds of the current scheduler's clock: the time stamp of events.
double uptimeSeconds();

}  // namespace zoral::platform
