#include "platform/scheduler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>

#include "platform/dispatch_internal.h"
#include "platform/execution_context.h"
#include "platform/run_loop.h"

namespace zoral::platform {

namespace {

std::atomic<Scheduler*> installedScheduler{nullptr};

// A queue whose work a context runs, innermost last. `async` marks work that the
// scheduler started (as if on a thread of that queue); `sync` blocks run in the
// calling context.
struct QueueFrame {
    const detail::QueueState* queue;
    bool barrier;
    bool async;
};
using QueueFrames = std::vector<QueueFrame>;

// A thread's own frames, and those of the context now running on it.
thread_local QueueFrames threadFrames;
thread_local QueueFrames* currentFrames = nullptr;

QueueFrames& frames() {
    return currentFrames != nullptr ? *currentFrames : threadFrames;
}

class QueueFrameScope {
public:
    QueueFrameScope(const detail::QueueState* queue, bool barrier, bool async) {
        frames().push_back({queue, barrier, async});
    }
    ~QueueFrameScope() { frames().pop_back(); }
    QueueFrameScope(const QueueFrameScope&) = delete;
    QueueFrameScope& operator=(const QueueFrameScope&) = delete;
};

// Thrown out of the blocking call of an item that is still blocked when the
// scheduler is destroyed, to unwind its stack. No std::exception, so that
// handlers of errors let it pass.
struct ContextUnwind {};

[[noreturn]] void fatal(const char* message) {
    std::fprintf(stderr, "Dispatch: %s\n", message);
    std::abort();
}

constexpr std::uint64_t neverNanoseconds = std::numeric_limits<std::uint64_t>::max();

std::uint64_t secondsToNanoseconds(double seconds) {
    if (std::isnan(seconds) || seconds <= 0)
        return 0;
    const double ns = seconds * 1e9;
    if (ns >= 1.8e19)
        return neverNanoseconds;
    return static_cast<std::uint64_t>(ns);
}

bool excludes(const QueueFrame& frame, const detail::QueueState& queue, bool barrier) {
    return frame.queue == &queue && (!queue.concurrent || barrier || frame.barrier);
}

}  // namespace

namespace detail {

struct Context {
    enum class State { idle, running, blocked, finished };

    std::unique_ptr<ExecutionContext> stack;
    QueueFrames* frames = &ownFrames;
    QueueFrames ownFrames;
    // Handed in by the loop; the context takes it when it starts.
    std::optional<Job> job;
    std::uint64_t sequence = 0;  // the submission of the item it runs
    State state = State::idle;
    Waiter* waiter = nullptr;
    // The queue it waits to run a `sync` block on.
    const QueueState* syncTarget = nullptr;
    bool syncBarrier = false;
    std::exception_ptr error;
    bool unwinding = false;
};

struct Waiter {
    Context* context;
    const std::function<bool()>* ready;
    // Where its wake-up waits: among delayed work, or among ready work.
    std::optional<std::pair<std::uint64_t, std::uint64_t>> delayedKey;
    bool wakeUpReady = false;
    bool woken = false;
    bool byDeadline = false;
};

}  // namespace detail

struct Scheduler::Goal {
    const std::function<bool()>* done = nullptr;
    std::uint64_t limit = neverNanoseconds;
    bool waitWhenIdle = false;
    // The wait of the owner thread's own context, which ends the loop when woken.
    const detail::Waiter* waiter = nullptr;
};

Scheduler::Scheduler(ClockKind clock, Date startDate)
    : clock_(clock),
      startDate_(startDate),
      owner_(std::this_thread::get_id()),
      wallEpoch_(std::chrono::steady_clock::now()),
      root_(std::make_unique<detail::Context>()),
      mainRunLoop_(std::make_unique<RunLoop>(*this)) {
    root_->stack = std::make_unique<ExecutionContext>();
    root_->frames = &threadFrames;
    root_->state = detail::Context::State::running;
    running_ = root_.get();
}

Scheduler::~Scheduler() {
    // Destroying a job may release objects whose destructors submit more work,
    // and unwinding a blocked item may finish it; what they submit is destroyed
    // in the next round, after everything older.
    struct Doomed {
        std::uint64_t sequence;
        std::optional<detail::Job> job;
        detail::Context* context;
    };
    for (;;) {
        std::vector<Doomed> doomed;
        {
            const MutexLock lock(mutex_);
            const auto take = [&](detail::Job& job) {
                if (job.wakeUp == nullptr)
                    doomed.push_back({job.sequence, std::move(job), nullptr});
            };
            for (auto& job : ready_)
                take(job);
            for (auto& [key, job] : delayed_)
                take(job);
            std::erase_if(ready_, [](const detail::Job& job) { return job.wakeUp == nullptr; });
            std::erase_if(delayed_,
                          [](const auto& entry) { return entry.second.wakeUp == nullptr; });
        }
        for (const auto& worker : workers_) {
            if (worker->state == detail::Context::State::blocked && !worker->unwinding)
                doomed.push_back({worker->sequence, std::nullopt, worker.get()});
        }
        if (doomed.empty())
            break;
        std::sort(doomed.begin(), doomed.end(),
                  [](const Doomed& a, const Doomed& b) { return a.sequence < b.sequence; });
        for (Doomed& entry : doomed) {
            if (entry.job) {
                entry.job.reset();
                continue;
            }
            detail::Context& context = *entry.context;
            {
                const MutexLock lock(mutex_);
                unregisterLocked(*context.waiter);
                context.waiter->woken = true;
            }
            context.unwinding = true;
            const MutexLock lock(mutex_);
            try {
                resumeLocked(context);
            } catch (...) {
                // What an unwound item threw on its way out has nobody to go to.
            }
        }
    }
    // The idle contexts end their loops and give their stacks back.
    for (const auto& worker : workers_) {
        if (worker->state == detail::Context::State::idle) {
            worker->job.reset();
            switchTo(*worker);
        }
    }
    workers_.clear();
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
    const MutexLock lock(mutex_);
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
        const MutexLock lock(mutex_);
        job.sequence = nextSequence_++;
        if (job.deadline <= nowLocked()) {
            ready_.push_back(std::move(job));
        } else {
            delayed_.emplace(std::pair{job.deadline, job.sequence}, std::move(job));
        }
    }
    changed_.notifyAll();
}

void Scheduler::promoteDueLocked() {
    const std::uint64_t now = nowLocked();
    while (!delayed_.empty() && delayed_.begin()->first.first <= now) {
        detail::Job& job = delayed_.begin()->second;
        if (job.wakeUp != nullptr) {
            job.wakeUp->delayedKey.reset();
            job.wakeUp->wakeUpReady = true;
        }
        ready_.push_back(std::move(job));
        delayed_.erase(delayed_.begin());
    }
}

std::deque<detail::Job>::iterator Scheduler::findRunnableLocked() {
    // A queue whose first ready item cannot start holds back its later items too.
    std::vector<const detail::QueueState*> blocked;
    for (auto it = ready_.begin(); it != ready_.end(); ++it) {
        if (it->wakeUp != nullptr)
            return it;
        const detail::QueueState* queue = it->queue.get();
        if (std::find(blocked.begin(), blocked.end(), queue) != blocked.end())
            continue;
        if (!detail::canStart(*queue, it->isBarrier())) {
            blocked.push_back(queue);
            continue;
        }
        return it;
    }
    return ready_.end();
}

void Scheduler::eraseReadyLocked(std::deque<detail::Job>::iterator entry) {
    if (entry == ready_.begin()) {
        ready_.pop_front();
    } else {
        ready_.erase(entry);
    }
}

void Scheduler::requireOwnerThread(const char* operation) const {
    if (!isOwnerThread()) {
        std::fprintf(stderr, "Dispatch: %s must be called on the scheduler's own thread\n",
                     operation);
        std::abort();
    }
}

// --- The owner thread's contexts

void Scheduler::switchTo(detail::Context& context) {
    QueueFrames* const savedFrames = currentFrames;
    detail::Context* const previous = running_;
    currentFrames = context.frames;
    running_ = &context;
    previous->stack->switchTo(*context.stack);
    running_ = previous;
    currentFrames = savedFrames;
}

void Scheduler::resumeLocked(detail::Context& context) {
    context.state = detail::Context::State::running;
    {
        const MutexUnlock unlocked(mutex_);
        switchTo(context);
    }
    if (context.state != detail::Context::State::finished)
        return;
    context.state = detail::Context::State::idle;
    context.unwinding = false;
    idle_.push_back(&context);
    if (context.error)
        std::rethrow_exception(std::exchange(context.error, nullptr));
}

void Scheduler::keepIdleWorkerLocked() {
    if (!idle_.empty())
        return;
    detail::Context* worker = nullptr;
    {
        const MutexUnlock unlocked(mutex_);
        auto created = std::make_unique<detail::Context>();
        worker = created.get();
        worker->stack = std::make_unique<ExecutionContext>(
            [this, worker]() -> ExecutionContext& { return workerMain(*worker); });
        workers_.push_back(std::move(created));
    }
    idle_.push_back(worker);
}

void Scheduler::startLocked(std::deque<detail::Job>::iterator entry) {
    // Claimed under the same lock that found it, so that no `sync` of another
    // thread slips in between.
    entry->queue->running += 1;
    if (entry->isBarrier())
        entry->queue->barrierRunning = true;
    detail::Context* const worker = idle_.back();
    idle_.pop_back();
    worker->sequence = entry->sequence;
    worker->job.emplace(std::move(*entry));
    eraseReadyLocked(entry);
    resumeLocked(*worker);
}

ExecutionContext& Scheduler::workerMain(detail::Context& self) {
    // One item a turn; the loop hands in the next, or none to end.
    while (self.job) {
        runItem(self);
        self.state = detail::Context::State::finished;
        self.stack->switchTo(*root_->stack);
    }
    return *root_->stack;
}

void Scheduler::runItem(detail::Context& self) {
    detail::Job& job = *self.job;
    const bool barrier = job.isBarrier();
    // Undone even when the body throws or is unwound, so the queue never stays occupied.
    struct Finish {
        Scheduler& scheduler;
        detail::Job& job;
        bool barrier;
        ~Finish() {
            {
                const MutexLock lock(scheduler.mutex_);
                job.queue->running -= 1;
                if (barrier)
                    job.queue->barrierRunning = false;
                scheduler.executed_ += 1;
            }
            scheduler.changed_.notifyAll();
            if (job.group)
                job.group->leave();
        }
    };
    {
        Finish finish{*this, job, barrier};
        QueueFrameScope frame(job.queue.get(), barrier, true);
        try {
            if (!job.work->cancelled.load())
                job.work->body();
        } catch (const ContextUnwind&) {
            // Destroyed while blocked: nothing to report.
        } catch (...) {
            self.error = std::current_exception();
        }
    }
    // The body's captures die in the item's own context.
    self.job.reset();
}

bool Scheduler::block(const std::function<bool()>* ready, std::optional<std::uint64_t> deadline) {
    detail::Context& self = *running_;
    if (self.unwinding)
        throw ContextUnwind{};
    detail::Waiter waiter{.context = &self, .ready = ready};
    const bool isRoot = &self == root_.get();
    {
        const MutexLock lock(mutex_);
        if (deadline) {
            detail::Job wakeUp{
                .sequence = nextSequence_++, .deadline = *deadline, .wakeUp = &waiter};
            wakeUps_ += 1;
            if (*deadline <= nowLocked()) {
                waiter.wakeUpReady = true;
                ready_.push_back(std::move(wakeUp));
            } else {
                waiter.delayedKey = std::pair{*deadline, wakeUp.sequence};
                delayed_.emplace(*waiter.delayedKey, std::move(wakeUp));
            }
        }
        if (ready != nullptr)
            conditionWaiters_.push_back(&waiter);
        if (!isRoot)
            blocked_ += 1;
    }
    // A wait that ends without being woken (an error out of the loop) leaves no trace.
    struct Registration {
        Scheduler& scheduler;
        detail::Waiter& waiter;
        bool counted;
        ~Registration() {
            const MutexLock lock(scheduler.mutex_);
            if (!waiter.woken)
                scheduler.unregisterLocked(waiter);
            if (counted)
                scheduler.blocked_ -= 1;
        }
    } registration{*this, waiter, !isRoot};

    if (isRoot) {
        serve(Goal{.waitWhenIdle = true, .waiter = &waiter});
    } else {
        self.waiter = &waiter;
        self.state = detail::Context::State::blocked;
        self.stack->switchTo(*root_->stack);
        self.waiter = nullptr;
        if (self.unwinding)
            throw ContextUnwind{};
    }
    return waiter.woken && !waiter.byDeadline;
}

detail::Waiter* Scheduler::firstSatisfiedWaiter() const {
    for (detail::Waiter* waiter : conditionWaiters_) {
        if ((*waiter->ready)())
            return waiter;
    }
    return nullptr;
}

void Scheduler::unregisterLocked(detail::Waiter& waiter) {
    if (waiter.delayedKey) {
        delayed_.erase(*waiter.delayedKey);
        waiter.delayedKey.reset();
        wakeUps_ -= 1;
    }
    if (waiter.wakeUpReady) {
        std::erase_if(ready_, [&](const detail::Job& job) { return job.wakeUp == &waiter; });
        waiter.wakeUpReady = false;
        wakeUps_ -= 1;
    }
    if (waiter.ready != nullptr)
        std::erase(conditionWaiters_, &waiter);
}

void Scheduler::wakeLocked(detail::Waiter& waiter, bool byDeadline) {
    unregisterLocked(waiter);
    waiter.woken = true;
    waiter.byDeadline = byDeadline;
}

bool Scheduler::serve(const Goal& goal) {
    const auto wallDeadline = [this](std::uint64_t ns) {
        // Far enough for any wait, and safe from overflow.
        constexpr std::uint64_t century = 3'155'760'000'000'000'000;
        return wallEpoch_ + std::chrono::nanoseconds(std::min(ns, century));
    };
    // Whether the goal is done, asked without the lock.
    const auto done = [&]() ZORAL_REQUIRES(mutex_) {
        const MutexUnlock unlocked(mutex_);
        return goal.done != nullptr && (*goal.done)();
    };
    const MutexLock lock(mutex_);
    for (;;) {
        if (goal.waiter != nullptr && goal.waiter->woken)
            return true;
        if (goal.done != nullptr && done())
            return true;
        promoteDueLocked();
        if (!conditionWaiters_.empty()) {
            detail::Waiter* satisfied = nullptr;
            {
                const MutexUnlock unlocked(mutex_);
                satisfied = firstSatisfiedWaiter();
            }
            if (satisfied != nullptr) {
                wakeLocked(*satisfied, false);
                if (satisfied->context != root_.get())
                    resumeLocked(*satisfied->context);
                continue;
            }
        }
        // A context to start an item on, made before the search: making one
        // lets go of the lock, and other threads may change the ready work.
        keepIdleWorkerLocked();
        if (const auto entry = findRunnableLocked(); entry != ready_.end()) {
            if (detail::Waiter* const waiter = entry->wakeUp) {
                eraseReadyLocked(entry);
                waiter->wakeUpReady = false;
                wakeUps_ -= 1;
                wakeLocked(*waiter, true);
                if (waiter->context != root_.get())
                    resumeLocked(*waiter->context);
            } else {
                startLocked(entry);
            }
            continue;
        }
        const bool haveDelayed = !delayed_.empty();
        const std::uint64_t next = haveDelayed ? delayed_.begin()->first.first : 0;
        if (haveDelayed && next <= goal.limit) {
            if (isVirtual()) {
                virtualNow_ = std::max(virtualNow_, next);
            } else {
                changed_.waitUntil(mutex_, wallDeadline(next));
            }
            continue;
        }
        if (goal.limit != neverNanoseconds) {
            if (nowLocked() >= goal.limit)
                return done();
            if (isVirtual()) {
                virtualNow_ = goal.limit;
            } else {
                changed_.waitUntil(mutex_, wallDeadline(goal.limit));
            }
            continue;
        }
        if (!goal.waitWhenIdle)
            return done();
        changed_.wait(mutex_);
    }
}

bool Scheduler::drive(const std::function<bool()>& done, DispatchTime limit, bool waitWhenIdle) {
    requireOwnerThread("driving the scheduler");
    if (running_ != root_.get()) {
        // Inside a work item: the item blocks, and the loop that runs it goes on.
        if (done && done())
            return true;
        std::optional<std::uint64_t> deadline;
        if (!limit.isNever()) {
            deadline = limit.uptimeNanoseconds();
        } else if (!done) {
            deadline = now().uptimeNanoseconds();
        }
        return block(done ? &done : nullptr, deadline) || (done && done());
    }
    return serve(Goal{.done = done ? &done : nullptr,
                      .limit = limit.uptimeNanoseconds(),
                      .waitWhenIdle = waitWhenIdle});
}

void Scheduler::wake() {
    { const MutexLock lock(mutex_); }
    changed_.notifyAll();
}

std::size_t Scheduler::runUntilIdle() {
    std::size_t before;
    {
        const MutexLock lock(mutex_);
        before = executed_;
    }
    drive({}, now(), false);
    const MutexLock lock(mutex_);
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
    if (ns == 0)
        return;
    if (isOwnerThread()) {
        // Top-level code is the main thread, so the main queue waits with it; a
        // queue whose item sleeps waits anyway.
        const bool topLevel = running_ == root_.get();
        detail::QueueState& main = detail::mainQueueState();
        std::uint64_t deadline;
        {
            const MutexLock lock(mutex_);
            const std::uint64_t now = nowLocked();
            deadline = ns >= neverNanoseconds - 1 - now ? neverNanoseconds - 1 : now + ns;
            if (topLevel)
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
                    const MutexLock lock(scheduler.mutex_);
                    main.running -= 1;
                }
                scheduler.changed_.notifyAll();
            }
        } release{*this, main, topLevel};
        block(nullptr, deadline);
        return;
    }
    if (!isVirtual()) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
        return;
    }
    {
        const MutexLock lock(mutex_);
        virtualNow_ =
            ns >= neverNanoseconds - virtualNow_ ? neverNanoseconds - 1 : virtualNow_ + ns;
    }
    changed_.notifyAll();
}

bool Scheduler::syncWouldDeadlock(const detail::QueueState& queue, bool barrier) const {
    // Follows the contexts that hold the queue against this block through the
    // queues they wait to sync on; reaching the caller closes a cycle.
    std::vector<const detail::Context*> contexts{root_.get()};
    for (const auto& worker : workers_)
        contexts.push_back(worker.get());
    std::vector<const detail::Context*> seen;
    std::vector<std::pair<const detail::QueueState*, bool>> wanted{{&queue, barrier}};
    while (!wanted.empty()) {
        const detail::QueueState* const target = wanted.back().first;
        const bool targetBarrier = wanted.back().second;
        wanted.pop_back();
        for (const detail::Context* context : contexts) {
            const bool holds = std::any_of(
                context->frames->begin(), context->frames->end(),
                [&](const QueueFrame& f) { return excludes(f, *target, targetBarrier); });
            if (!holds)
                continue;
            if (context == running_)
                return true;
            if (std::find(seen.begin(), seen.end(), context) != seen.end())
                continue;
            seen.push_back(context);
            if (context->syncTarget != nullptr)
                wanted.emplace_back(context->syncTarget, context->syncBarrier);
        }
    }
    return false;
}

void Scheduler::runSync(detail::QueueState& queue, const std::function<void()>& body,
                        bool barrier) {
    barrier = barrier && queue.concurrent;
    for (const QueueFrame& frame : frames()) {
        if (excludes(frame, queue, barrier))
            fatal("sync on a queue that the calling thread occupies would deadlock");
    }
    if (isOwnerThread()) {
        // Earlier work of the queue that is still running (blocked in its own
        // context) finishes first; pending items of the queue are not waited for.
        const std::function<bool()> free = [&] {
            const MutexLock lock(mutex_);
            return detail::canStart(queue, barrier);
        };
        const MutexLock lock(mutex_);
        while (!detail::canStart(queue, barrier)) {
            if (syncWouldDeadlock(queue, barrier))
                fatal("sync on a queue held by work that waits for the caller would deadlock");
            const MutexUnlock unlocked(mutex_);
            struct Target {
                detail::Context& context;
                ~Target() { context.syncTarget = nullptr; }
            } target{*running_};
            running_->syncTarget = &queue;
            running_->syncBarrier = barrier;
            block(&free, std::nullopt);
        }
        queue.running += 1;
        if (barrier)
            queue.barrierRunning = true;
    } else {
        const MutexLock lock(mutex_);
        while (!detail::canStart(queue, barrier))
            changed_.wait(mutex_);
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
                const MutexLock lock(scheduler.mutex_);
                queue.running -= 1;
                if (barrier)
                    queue.barrierRunning = false;
            }
            scheduler.changed_.notifyAll();
        }
    } finish{*this, queue, barrier};
    QueueFrameScope frame(&queue, barrier, false);
    body();
}

void Scheduler::waitForGroup(const detail::GroupState& group, DispatchTime timeout,
                             DispatchGroup::WaitResult& result) {
    const std::function<bool()> empty = [&] { return group.count.load() == 0; };
    if (isOwnerThread()) {
        if (!empty()) {
            std::optional<std::uint64_t> deadline;
            if (!timeout.isNever())
                deadline = timeout.uptimeNanoseconds();
            block(&empty, deadline);
        }
        result = empty() ? DispatchGroup::WaitResult::success : DispatchGroup::WaitResult::timedOut;
        return;
    }
    const MutexLock lock(mutex_);
    if (isVirtual() || timeout.isNever()) {
        while (!empty() && nowLocked() < timeout.uptimeNanoseconds())
            changed_.wait(mutex_);
    } else {
        const auto deadline = wallEpoch_ + std::chrono::nanoseconds(timeout.uptimeNanoseconds());
        while (!empty() && changed_.waitUntil(mutex_, deadline) != std::cv_status::timeout) {
        }
    }
    result = empty() ? DispatchGroup::WaitResult::success : DispatchGroup::WaitResult::timedOut;
}

std::vector<Scheduler::PendingWork> Scheduler::pendingWork() const {
    const MutexLock lock(mutex_);
    std::vector<PendingWork> result;
    const auto describe = [&](const detail::Job& job, bool ready) {
        if (job.wakeUp == nullptr) {
            result.push_back({job.queue->label, DispatchTime::fromUptimeNanoseconds(job.deadline),
                              job.qos, job.flags | job.work->flags, ready});
        }
    };
    for (const auto& job : ready_)
        describe(job, true);
    for (const auto& [key, job] : delayed_)
        describe(job, false);
    return result;
}

std::size_t Scheduler::pendingCount() const {
    const MutexLock lock(mutex_);
    return ready_.size() + delayed_.size() - wakeUps_;
}

std::size_t Scheduler::blockedCount() const {
    const MutexLock lock(mutex_);
    return blocked_;
}

std::optional<DispatchTime> Scheduler::nextDeadline() const {
    const MutexLock lock(mutex_);
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
bool isMainThread() {
    const QueueFrames& current = frames();
    for (auto it = current.rbegin(); it != current.rend(); ++it) {
        if (it->async)
            return it->queue == &detail::mainQueueState();
    }
    return Scheduler::current().isOwnerThread();
}

std::string DispatchQueue::currentLabel() {
    const QueueFrames& current = frames();
    return current.empty() ? std::string() : current.back().queue->label;
}

}  // namespace zoral::platform
