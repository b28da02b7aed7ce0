#pragma once

// The scheduler that serves every dispatch queue on one thread, the thread
// that owns it (the main thread). Its clock is either virtual, moved only by
// the code that drives it (tests, and sleeps inside work items), or the
// machine's monotonic clock (the interactive program).
//
// Ready work runs in the order it became ready; delayed work becomes ready at
// its deadline, earlier deadlines first and equal deadlines in submission
// order. Other threads may submit work, wait for groups and run `sync` blocks
// at any time; only the owner thread drives.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/date.h"
#include "platform/dispatch.h"
#include "platform/dispatch_internal.h"

namespace zoral::platform {

class RunLoop;

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
    // Destroys pending work without running it, in submission order.
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
    // moving the clock. Returns the number of items run.
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
    // other queues' work runs meanwhile, at its time, as their threads would;
    // the sleeping queue (the main queue for code outside any work item) waits.
    // On another thread a virtual sleep moves the clock forward at once.
    void sleep(double seconds);

    std::vector<PendingWork> pendingWork() const;
    std::size_t pendingCount() const;
    std::optional<DispatchTime> nextDeadline() const;

    // The engine behind the calls above, the run loop and group waits: runs work
    // until `done` holds (checked between items), or nothing is left to run
    // before `limit`. With `waitWhenIdle`, an unlimited drive waits for other
    // threads to submit work or change `done` instead of returning.
    bool drive(const std::function<bool()>& done, DispatchTime limit, bool waitWhenIdle);
    // Wakes a drive or a waiting thread so that it checks its condition again.
    void wake();

private:
    friend class DispatchQueue;
    friend class DispatchGroup;

    void submit(const std::shared_ptr<detail::QueueState>& queue,
                std::shared_ptr<detail::WorkItemState> work, DispatchTime deadline,
                const DispatchSubmission& submission);
    void runSync(detail::QueueState& queue, const std::function<void()>& body, bool barrier);
    void waitForGroup(const detail::GroupState& group, DispatchTime timeout,
                      DispatchGroup::WaitResult& result);

    std::uint64_t nowLocked() const;
    void promoteDueLocked();
    std::optional<detail::Job> takeRunnableLocked();
    void execute(detail::Job& job);
    void requireOwnerThread(const char* operation) const;

    const ClockKind clock_;
    const Date startDate_;
    const std::thread::id owner_;
    const std::chrono::steady_clock::time_point wallEpoch_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t virtualNow_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::size_t executed_ = 0;
    bool tearingDown_ = false;
    std::deque<detail::Job> ready_;
    // Keyed by (deadline, submission sequence): earlier deadlines first, equal
    // deadlines in submission order.
    std::map<std::pair<std::uint64_t, std::uint64_t>, detail::Job> delayed_;

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
