#include "platform/scheduler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/run_loop.h"

namespace zoral::platform {

namespace {

std::atomic<Scheduler*> installedScheduler{nullptr};

// The queues whose work the calling thread is running, innermost last. `async`
// marks work that the scheduler started (as if on a thread of that queue);
// `sync` blocks run on the calling thread itself.
struct QueueFrame {
    const detail::QueueState* queue;
    bool barrier;
    bool async;
};
thread_local std::vector<QueueFrame> queueFrames;

class QueueFrameScope {
public:
    QueueFrameScope(const detail::QueueState* queue, bool barrier, bool async) {
        queueFrames.push_back({queue, barrier, async});
    }
    ~QueueFrameScope() { queueFrames.pop_back(); }
    QueueFrameScope(const QueueFrameScope&) = delete;
    QueueFrameScope& operator=(const QueueFrameScope&) = delete;
};

[[noreturn]] void fatal(const char* message) {
    std::fprintf(stderr, "Dispatch: %s\n", message);
    std::abort();
}

std::uint64_t secondsToNanoseconds(double seconds) {
    if (std::isnan(seconds) || seconds <= 0)
        return 0;
    const double ns = seconds * 1e9;
    if (ns >= 1.8e19)
        return DispatchTime::never().uptimeNanoseconds();
    return static_cast<std::uint64_t>(ns);
}

}  // namespace

Scheduler::Scheduler(ClockKind clock, Date startDate)
    : clock_(clock),
      startDate_(startDate),
      owner_(std::this_thread::get_id()),
      wallEpoch_(std::chrono::steady_clock::now()),
      mainRunLoop_(std::make_unique<RunLoop>(*this)) {}

Scheduler::~Scheduler() {
    // Destroying a job may release objects whose destructors submit more work;
    // that work is destroyed in the next round, after everything older.
    for (;;) {
        std::vector<detail::Job> doomed;
        {
            std::lock_guard lock(mutex_);
            tearingDown_ = true;
            for (auto& job : ready_)
                doomed.push_back(std::move(job));
            for (auto& [key, job] : delayed_)
                doomed.push_back(std::move(job));
            ready_.clear();
            delayed_.clear();
        }
        if (doomed.empty())
            break;
        std::sort(doomed.begin(), doomed.end(), [](const detail::Job& a, const detail::Job& b) {
            return a.sequence < b.sequence;
        });
        for (auto& job : doomed)
            job = detail::Job{};
    }
    mainRunLoop_.reset();
}

Scheduler& Scheduler::current() {
    if (Scheduler* scheduler = installedScheduler.load(std::memory_order_acquire))
        return *scheduler;
    // The program's own scheduler lives as long as the process; it is never
    // destroyed, so work still queued at exit is simply dropped.
    static Scheduler* const processScheduler = new Scheduler(ClockKind::wallTime);
    return *processScheduler;
}

std::uint64_t Scheduler::nowLocked() const {
    if (isVirtual())
        return virtualNow_;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now() - wallEpoch_)
                                          .count());
}

DispatchTime Scheduler::now() const {
    std::lock_guard lock(mutex_);
    return DispatchTime::fromUptimeNanoseconds(nowLocked());
}

Date Scheduler::date() const {
    if (!isVirtual()) {
        const auto since = std::chrono::system_clock::now().time_since_epoch();
        return Date::fromUnixTime(std::chrono::duration<double>(since).count());
    }
    return startDate_ + now().uptimeSeconds();
}

void Scheduler::submit(const std::shared_ptr<detail::QueueState>& queue,
                       std::shared_ptr<detail::WorkItemState> work, DispatchTime deadline,
                       const DispatchSubmission& submission) {
    if (submission.group)
        submission.group->enter();
    detail::Job job{.sequence = 0,
                    .deadline = deadline.uptimeNanoseconds(),
                    .queue = queue,
                    .work = std::move(work),
                    .group = submission.group,
                    .qos = submission.qos,
                    .flags = submission.flags};
    {
        std::lock_guard lock(mutex_);
        job.sequence = nextSequence_++;
        if (job.deadline <= nowLocked()) {
            ready_.push_back(std::move(job));
        } else {
            delayed_.emplace(std::pair{job.deadline, job.sequence}, std::move(job));
        }
    }
    changed_.notify_all();
}

void Scheduler::promoteDueLocked() {
    const std::uint64_t now = nowLocked();
    while (!delayed_.empty() && delayed_.begin()->first.first <= now) {
        ready_.push_back(std::move(delayed_.begin()->second));
        delayed_.erase(delayed_.begin());
    }
}

std::optional<detail::Job> Scheduler::takeRunnableLocked() {
    // A queue whose first ready item cannot start holds back its later items too.
    std::vector<const detail::QueueState*> blocked;
    for (auto it = ready_.begin(); it != ready_.end(); ++it) {
        const detail::QueueState* queue = it->queue.get();
        if (std::find(blocked.begin(), blocked.end(), queue) != blocked.end())
            continue;
        if (!detail::canStart(*queue, it->isBarrier())) {
            blocked.push_back(queue);
            continue;
        }
        detail::Job job = std::move(*it);
        ready_.erase(it);
        return job;
    }
    return std::nullopt;
}

void Scheduler::execute(detail::Job& job) {
    const bool barrier = job.isBarrier();
    {
        std::lock_guard lock(mutex_);
        job.queue->running += 1;
        if (barrier)
            job.queue->barrierRunning = true;
    }
    // Undone even when the body throws, so the queue never stays occupied.
    struct Finish {
        Scheduler& scheduler;
        detail::Job& job;
        bool barrier;
        ~Finish() {
            {
                std::lock_guard lock(scheduler.mutex_);
                job.queue->running -= 1;
                if (barrier)
                    job.queue->barrierRunning = false;
                scheduler.executed_ += 1;
            }
            scheduler.changed_.notify_all();
            if (job.group)
                job.group->leave();
        }
    } finish{*this, job, barrier};

    QueueFrameScope frame(job.queue.get(), barrier, true);
    if (!job.work->cancelled.load())
        job.work->body();
}

void Scheduler::requireOwnerThread(const char* operation) const {
    if (!isOwnerThread()) {
        std::fprintf(stderr, "Dispatch: %s must be called on the scheduler's own thread\n",
                     operation);
        std::abort();
    }
}

bool Scheduler::drive(const std::function<bool()>& done, DispatchTime limit, bool waitWhenIdle) {
    requireOwnerThread("driving the scheduler");
    std::unique_lock lock(mutex_);
    const std::uint64_t limitNs = limit.uptimeNanoseconds();
    for (;;) {
        if (done) {
            lock.unlock();
            const bool finished = done();
            lock.lock();
            if (finished)
                return true;
        }
        promoteDueLocked();
        if (std::optional<detail::Job> job = takeRunnableLocked()) {
            lock.unlock();
            execute(*job);
            // The job's body and captures die here, outside the lock.
            job.reset();
            lock.lock();
            continue;
        }
        const bool haveDelayed = !delayed_.empty();
        const std::uint64_t next = haveDelayed ? delayed_.begin()->first.first : 0;
        if (haveDelayed && next <= limitNs) {
            if (isVirtual()) {
                virtualNow_ = std::max(virtualNow_, next);
            } else {
                changed_.wait_until(lock, wallEpoch_ + std::chrono::nanoseconds(next));
            }
            continue;
        }
        if (!limit.isNever()) {
            if (nowLocked() >= limitNs) {
                lock.unlock();
                return done && done();
            }
            if (isVirtual()) {
                virtualNow_ = limitNs;
            } else {
                changed_.wait_until(lock, wallEpoch_ + std::chrono::nanoseconds(limitNs));
            }
            continue;
        }
        if (!waitWhenIdle) {
            lock.unlock();
            return done && done();
        }
        changed_.wait(lock);
    }
}

void Scheduler::wake() {
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

std::size_t Scheduler::runUntilIdle() {
    std::size_t before;
    {
        std::lock_guard lock(mutex_);
        before = executed_;
    }
    drive({}, now(), false);
    std::lock_guard lock(mutex_);
    return executed_ - before;
}

void Scheduler::advance(double seconds) {
    if (!isVirtual())
        fatal("advance() needs the virtual clock");
    drive({}, now() + seconds, false);
}

void Scheduler::runFor(double seconds) {
    drive({}, now() + seconds, false);
}

bool Scheduler::runUntil(const std::function<bool()>& predicate, double limitSeconds) {
    return drive(predicate, now() + limitSeconds, false);
}

void Scheduler::sleep(double seconds) {
    const std::uint64_t ns = secondsToNanoseconds(seconds);
    if (isOwnerThread()) {
        // Only this thread sleeps: the other queues go on meanwhile, as their
        // own threads would. Code outside any work item is the main thread, so
        // the main queue waits with it; a queue whose item sleeps waits anyway.
        const bool topLevel = std::none_of(queueFrames.begin(), queueFrames.end(),
                                           [](const QueueFrame& frame) { return frame.async; });
        detail::QueueState& main = detail::mainQueueStateForScheduler();
        if (topLevel) {
            std::lock_guard lock(mutex_);
            main.running += 1;
        }
        struct Release {
            Scheduler& scheduler;
            detail::QueueState& main;
            bool held;
            ~Release() {
                if (!held)
                    return;
                {
                    std::lock_guard lock(scheduler.mutex_);
                    main.running -= 1;
                }
                scheduler.changed_.notify_all();
            }
        } release{*this, main, topLevel};
        drive({},
              now() + DispatchTimeInterval::nanoseconds(
                          static_cast<std::int64_t>(std::min<std::uint64_t>(ns, INT64_MAX))),
              false);
        return;
    }
    if (!isVirtual()) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
        return;
    }
    {
        std::lock_guard lock(mutex_);
        const std::uint64_t never = DispatchTime::never().uptimeNanoseconds();
        virtualNow_ = ns >= never - virtualNow_ ? never - 1 : virtualNow_ + ns;
    }
    changed_.notify_all();
}

void Scheduler::runSync(detail::QueueState& queue, const std::function<void()>& body,
                        bool barrier) {
    barrier = barrier && queue.concurrent;
    for (const QueueFrame& frame : queueFrames) {
        if (frame.queue == &queue && (!queue.concurrent || barrier || frame.barrier)) {
            fatal("sync on a queue that the calling thread occupies would deadlock");
        }
    }
    {
        std::unique_lock lock(mutex_);
        // Earlier work of the queue that is already running on another thread
        // finishes first; pending items of the queue are not waited for.
        changed_.wait(lock, [&] { return detail::canStart(queue, barrier); });
        queue.running += 1;
        if (barrier)
            queue.barrierRunning = true;
    }
    struct Finish {
        Scheduler& scheduler;
        detail::QueueState& queue;
        bool barrier;
        ~Finish() {
            {
                std::lock_guard lock(scheduler.mutex_);
                queue.running -= 1;
                if (barrier)
                    queue.barrierRunning = false;
            }
            scheduler.changed_.notify_all();
        }
    } finish{*this, queue, barrier};
    QueueFrameScope frame(&queue, barrier, false);
    body();
}

void Scheduler::waitForGroup(const detail::GroupState& group, DispatchTime timeout,
                             DispatchGroup::WaitResult& result) {
    const auto empty = [&] { return group.count.load() == 0; };
    if (isOwnerThread()) {
        result = drive(empty, timeout, timeout.isNever()) ? DispatchGroup::WaitResult::success
                                                          : DispatchGroup::WaitResult::timedOut;
        return;
    }
    std::unique_lock lock(mutex_);
    if (isVirtual() || timeout.isNever()) {
        changed_.wait(lock, [&] { return empty() || nowLocked() >= timeout.uptimeNanoseconds(); });
    } else {
        changed_.wait_until(
            lock, wallEpoch_ + std::chrono::nanoseconds(timeout.uptimeNanoseconds()), empty);
    }
    result = empty() ? DispatchGroup::WaitResult::success : DispatchGroup::WaitResult::timedOut;
}

std::vector<Scheduler::PendingWork> Scheduler::pendingWork() const {
    std::lock_guard lock(mutex_);
    std::vector<PendingWork> result;
    const auto describe = [](const detail::Job& job, bool ready) {
        return PendingWork{job.queue->label, DispatchTime::fromUptimeNanoseconds(job.deadline),
                           job.qos, job.flags | job.work->flags, ready};
    };
    for (const auto& job : ready_)
        result.push_back(describe(job, true));
    for (const auto& [key, job] : delayed_)
        result.push_back(describe(job, false));
    return result;
}

std::size_t Scheduler::pendingCount() const {
    std::lock_guard lock(mutex_);
    return ready_.size() + delayed_.size();
}

std::optional<DispatchTime> Scheduler::nextDeadline() const {
    std::lock_guard lock(mutex_);
    if (!ready_.empty())
        return DispatchTime::fromUptimeNanoseconds(nowLocked());
    if (delayed_.empty())
        return std::nullopt;
    return DispatchTime::fromUptimeNanoseconds(delayed_.begin()->first.first);
}

ScopedScheduler::ScopedScheduler(Scheduler::ClockKind clock, Date startDate)
    : scheduler_(std::make_unique<Scheduler>(clock, startDate)),
      previous_(installedScheduler.exchange(scheduler_.get())) {}

ScopedScheduler::~ScopedScheduler() {
    // Torn down while still current, so that work submitted by destructors of
    // pending work lands here and not in the next scheduler.
    scheduler_.reset();
    installedScheduler.store(previous_);
}

void sleepFor(double seconds) {
    Scheduler::current().sleep(seconds);
}

double uptimeSeconds() {
    return Scheduler::current().now().uptimeSeconds();
}

// Thread identity as the program sees it: the innermost work that the
// scheduler started decides which thread this is; outside any, the thread
// that owns the scheduler is the main thread.
namespace detail {
const QueueState& mainQueueState();
}  // namespace detail

bool isMainThread() {
    for (auto it = queueFrames.rbegin(); it != queueFrames.rend(); ++it) {
        if (it->async)
            return it->queue == &detail::mainQueueState();
    }
    return Scheduler::current().isOwnerThread();
}

std::string DispatchQueue::currentLabel() {
    return queueFrames.empty() ? std::string() : queueFrames.back().queue->label;
}

}  // namespace zoral::platform
