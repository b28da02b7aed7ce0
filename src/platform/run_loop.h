#pragma once

// The main run loop: the sources that input and accessibility stand-ins attach
// to it, and a blocking run that keeps turning the main queue until stopped.
// Sources perform as main-queue work after they are signalled, and only while
// they are still attached and valid.
//
// Runs nest: a work item that runs the loop blocks until its run is stopped
// (its queue stays occupied meanwhile, so a main-queue item's nested run turns
// the other queues only), and a stop ends the innermost run, the one that
// began last, whichever context it runs in.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::platform {

class Scheduler;

// The default mode is the one the loop runs in; sources added to the common
// modes also fire while the loop tracks events. The distinction is recorded.
enum class RunLoopMode { defaultMode, commonModes };

class RunLoopSource : public std::enable_shared_from_this<RunLoopSource> {
public:
    explicit RunLoopSource(std::function<void()> perform = {});

    // Asks the main run loop to perform the source. Signals that arrive before
    // it performs are coalesced into one perform.
    void signal();
    // An invalid source never performs again.
    void invalidate();
    bool isValid() const { return valid_; }

private:
    friend class RunLoop;
    std::function<void()> perform_;
    std::atomic<bool> valid_{true};
    std::atomic<bool> signalled_{false};
};

class RunLoop {
public:
    enum class RunResult { stopped, timedOut };

    explicit RunLoop(Scheduler& scheduler);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // The current scheduler's main run loop.
    static RunLoop& main();
    // The calling thread's run loop; only the main thread has one.
    static RunLoop& current();

    void addSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode);
    void removeSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode);
    bool containsSource(const std::shared_ptr<RunLoopSource>& source, RunLoopMode mode) const;
    bool containsSource(const std::shared_ptr<RunLoopSource>& source) const;

    // Turns the loop until `stop`. A stop that comes while the loop is not
    // running makes the next run return at once.
    void run();
    // Turns the loop until `stop` or until `seconds` of the scheduler's clock passed.
    RunResult runFor(double seconds);
    // Ends the innermost run; callable from any thread.
    void stop();
    int runDepth() const { return static_cast<int>(runs_.size()); }

private:
    friend class RunLoopSource;
    // Whether the run `id` ends now: it is the innermost and a stop came.
    bool takeStop(std::uint64_t id);
    template <class Drive>
    bool turn(Drive drive);
    void performIfAttached(const std::shared_ptr<RunLoopSource>& source);

    Scheduler& scheduler_;
    mutable Mutex mutex_;
    std::vector<std::pair<std::shared_ptr<RunLoopSource>, RunLoopMode>> sources_
        ZORAL_GUARDED_BY(mutex_);
    std::atomic<bool> stopRequested_{false};
    // The runs in progress, innermost last; only the main thread touches them.
    std::vector<std::uint64_t> runs_;
    std::uint64_t nextRun_ = 0;
};

}  // namespace zoral::platform
