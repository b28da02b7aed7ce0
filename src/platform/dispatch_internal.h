#pragma once

// The shared state behind dispatch handles. Only the scheduler and the dispatch
// types use it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dispatch.h"
#include "platform/thread_safety.h"

namespace zoral::platform::detail {

struct WorkItemState {
    std::function<void()> body;
    DispatchQoS qos = DispatchQoS::unspecified;
    DispatchWorkItemFlags flags;
    std::atomic<bool> cancelled{false};
};

struct QueueState {
    std::string label;
    DispatchQoS qos = DispatchQoS::unspecified;
    bool concurrent = false;
    // Guarded by the scheduler's mutex.
    int running = 0;
    bool barrierRunning = false;
};

struct GroupState {
    std::atomic<long> count{0};
    Mutex mutex;
    // Submitted when the count falls to zero.
    std::vector<std::pair<DispatchQueue, DispatchWorkItem>> notifications ZORAL_GUARDED_BY(mutex);
};

// A blocked item's wait, defined by the scheduler.
struct Waiter;

// An item to run, or the wake-up of a blocked item when `wakeUp` is set.
struct Job {
    std::uint64_t sequence = 0;
    std::uint64_t deadline = 0;
    std::shared_ptr<QueueState> queue;
    std::shared_ptr<WorkItemState> work;
    std::optional<DispatchGroup> group;
    DispatchQoS qos = DispatchQoS::unspecified;
    DispatchWorkItemFlags flags;
    Waiter* wakeUp = nullptr;

    bool isBarrier() const {
        return queue->concurrent && (flags.contains(DispatchWorkItemFlags::barrier) ||
                                     work->flags.contains(DispatchWorkItemFlags::barrier));
    }
};

// The main queue's state: the scheduler marks it occupied while top-level code
// (the main thread) sleeps, and work of it runs on the main thread.
QueueState& mainQueueState();

// Whether work of `queue` may start now: a serial queue runs one item at a time,
// a concurrent one runs a barrier alone.
inline bool canStart(const QueueState& queue, bool barrier) {
    if (!queue.concurrent || barrier)
        return queue.running == 0;
    return !queue.barrierRunning;
}

}  // namespace zoral::platform::detail
