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
    std::lock_guard lock(mutex_);
    if (std::find(sources_.begin(), sources_.end(), std::pair{source, mode}) == sources_.end()) {
        sources_.emplace_back(source, mode);
    }
}

void RunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode) {
    std::lock_guard lock(mutex_);
    std::erase(sources_, std::pair{source, mode});
}

bool RunLoop::containsSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode) const {
    std::lock_guard lock(mutex_);
    return std::find(sources_.begin(), sources_.end(), std::pair{source, mode}) != sources_.end();
}

bool RunLoop::containsSource(const std::shared_ptr<RunLoopSource>& source) const {
    std::lock_guard lock(mutex_);
    return std::any_of(sources_.begin(), sources_.end(),
                       [&](const auto& entry) { return entry.first == source; });
}

void RunLoop::performIfAttached(const std::shared_ptr<RunLoopSource>& source) {
    if (source->valid_ && containsSource(source) && source->perform_)
        source->perform_();
}

void RunLoop::run() {
    depth_ += 1;
    scheduler_.drive([this] { return takeStop(); }, DispatchTime::never(), true);
    depth_ -= 1;
}

RunLoop::RunResult RunLoop::runFor(double seconds) {
    depth_ += 1;
    const bool stopped =
        scheduler_.drive([this] { return takeStop(); }, scheduler_.now() + seconds, false);
    depth_ -= 1;
    return stopped ? RunResult::stopped : RunResult::timedOut;
}

void RunLoop::stop() {
    stopRequested_ = true;
    scheduler_.wake();
}

}  // namespace zoral::platform
