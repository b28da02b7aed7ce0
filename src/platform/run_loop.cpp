#include "platform/run_loop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/dispatch.h"
#include "platform/scheduler.h"

namespace zoral::platform {

RunLoopSource::RunLoopSource(std::function<void()> perform) : perform_(std::move(perform)) {}

void RunLoopSource::signal() {
    if (!valid_ || signalled_.exchange(true))
        return;
    DispatchQueue::main().async([weak = weak_from_this()] {
        if (auto source = weak.lock()) {
            source->signalled_ = false;
            RunLoop::main().performIfAttached(source);
        }
    });
}

void RunLoopSource::invalidate() {
    valid_ = false;
}

RunLoop::RunLoop(Scheduler& scheduler) : scheduler_(scheduler) {}

RunLoop::~RunLoop() = default;

RunLoop& RunLoop::main() {
    return Scheduler::current().mainRunLoop();
}

RunLoop& RunLoop::current() {
    if (!isMainThread()) {
        std::fputs("RunLoop: only the main thread has a run loop\n", stderr);
        std::abort();
    }
    return main();
}

void RunLoop::addSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode) {
    const MutexLock lock(mutex_);
    if (std::find(sources_.begin(), sources_.end(), std::pair{source, mode}) == sources_.end()) {
        sources_.emplace_back(source, mode);
    }
}

void RunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode) {
    const MutexLock lock(mutex_);
    std::erase(sources_, std::pair{source, mode});
}

bool RunLoop::containsSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode) const {
    const MutexLock lock(mutex_);
    return std::find(sources_.begin(), sources_.end(), std::pair{source, mode}) != sources_.end();
}

bool RunLoop::containsSource(const std::shared_ptr<RunLoopSource>& source) const {
    const MutexLock lock(mutex_);
    return std::any_of(sources_.begin(), sources_.end(),
                       [&](const auto& entry) { return entry.first == source; });
}

void RunLoop::performIfAttached(const std::shared_ptr<RunLoopSource>& source) {
    if (source->valid_ && containsSource(source) && source->perform_)
        source->perform_();
}

bool RunLoop::takeStop(std::uint64_t id) {
    return !runs_.empty() && runs_.back() == id && stopRequested_.exchange(false);
}

template <class Drive>
bool RunLoop::turn(Drive drive) {
    const std::uint64_t id = nextRun_++;
    runs_.push_back(id);
    struct End {
        std::vector<std::uint64_t>& runs;
        std::uint64_t id;
        // A timed run may end while a run that began later goes on.
        ~End() { std::erase(runs, id); }
    } end{runs_, id};
    return drive(std::function<bool()>([this, id] { return takeStop(id); }));
}

void RunLoop::run() {
    turn([this](const std::function<bool()>& until) {
        return scheduler_.drive(until, DispatchTime::never(), true);
    });
}

RunLoop::RunResult RunLoop::runFor(double seconds) {
    const bool stopped = turn([this, seconds](const std::function<bool()>& until) {
        return scheduler_.drive(until, scheduler_.now() + seconds, false);
    });
    return stopped ? RunResult::stopped : RunResult::timedOut;
}

void RunLoop::stop() {
    stopRequested_ = true;
    scheduler_.wake();
}

}  // namespace zoral::platform
