#pragma once

// Dispatch queues, work items and groups. Every queue is served by the one
// scheduler (platform/scheduler.h): work never runs inside the call that
// submits it, serial queues run one item at a time in order, and concurrent
// queues honour barrier items. Quality of service and work-item flags are
// recorded with each submission; only the barrier flag changes what happens.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/dispatch_time.h"
#include "platform/option_set.h"

namespace zoral::platform {

class Scheduler;

enum class DispatchQoS {
    unspecified,
    background,
    utility,
    default_,
    userInitiated,
    userInteractive
};

const char* qosName(DispatchQoS qos);

// Flags of a work item; combine them with |.
class DispatchWorkItemFlags : public OptionSet<DispatchWorkItemFlags, std::uint32_t> {
public:
    using OptionSet::OptionSet;

    static const DispatchWorkItemFlags barrier;
    static const DispatchWorkItemFlags detached;
    static const DispatchWorkItemFlags assignCurrentContext;
    static const DispatchWorkItemFlags noQoS;
    static const DispatchWorkItemFlags inheritQoS;
    static const DispatchWorkItemFlags enforceQoS;
};

inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::barrier{1u << 0};
inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::detached{1u << 1};
inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::assignCurrentContext{1u << 2};
inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::noQoS{1u << 3};
inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::inheritQoS{1u << 4};
inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::enforceQoS{1u << 5};

namespace detail {
struct WorkItemState;
struct QueueState;
struct GroupState;
}  // namespace detail

// A block of work that can be submitted, and cancelled before it starts. Copies
// share one item.
class DispatchWorkItem {
public:
    explicit DispatchWorkItem(std::function<void()> body,
                              DispatchQoS qos = DispatchQoS::unspecified,
                              DispatchWorkItemFlags flags = {});

    // Runs the body now, on the calling thread, unless the item is cancelled.
    void perform() const;
    // A cancelled item that has not started never runs; one that runs goes on.
    void cancel() const;
    bool isCancelled() const;

    DispatchQoS qos() const;
    DispatchWorkItemFlags flags() const;

    friend bool operator==(const DispatchWorkItem& a, const DispatchWorkItem& b) {
        return a.state_ == b.state_;
    }

private:
    friend class DispatchQueue;
    friend class Scheduler;
    std::shared_ptr<detail::WorkItemState> state_;
};

// Counts outstanding work; `notify` and `wait` act when the count falls to zero.
class DispatchGroup {
public:
    enum class WaitResult { success, timedOut };

    DispatchGroup();

    void enter() const;
    // Leaving more often than entering is a programming error and stops the process.
    void leave() const;

    void notify(const class DispatchQueue& queue, std::function<void()> body,
                DispatchQoS qos = DispatchQoS::unspecified, DispatchWorkItemFlags flags = {}) const;

    // Waits for the count to reach zero. On the scheduler's own thread the caller
    // blocks (see platform/scheduler.h): other work runs meanwhile, and under the
    // virtual clock time moves on to it.
    void wait() const;
    WaitResult wait(DispatchTime timeout) const;

    friend bool operator==(const DispatchGroup& a, const DispatchGroup& b) {
        return a.state_ == b.state_;
    }

private:
    friend class Scheduler;
    std::shared_ptr<detail::GroupState> state_;
};

// How a submission is made: the group it belongs to, its quality of service
// and its flags.
struct DispatchSubmission {
    std::optional<DispatchGroup> group;
    DispatchQoS qos = DispatchQoS::unspecified;
    DispatchWorkItemFlags flags;
};

class DispatchQueue {
public:
    enum class Attributes { serial, concurrent };

    explicit DispatchQueue(std::string label, DispatchQoS qos = DispatchQoS::unspecified,
                           Attributes attributes = Attributes::serial);

    static DispatchQueue main();
    static DispatchQueue global(DispatchQoS qos = DispatchQoS::default_);

    const std::string& label() const;
    DispatchQoS qos() const;
    bool isConcurrent() const;

    void async(std::function<void()> body, DispatchSubmission submission = {}) const;
    void async(const DispatchWorkItem& item) const;
    void asyncAfter(DispatchTime deadline, std::function<void()> body,
                    DispatchSubmission submission = {}) const;
    void asyncAfter(DispatchTime deadline, const DispatchWorkItem& item) const;

    // Runs the body on the calling thread once the queue lets it run: a serial
    // queue when nothing else of it runs, a concurrent one unless a barrier runs
    // (a barrier body waits until nothing of the queue runs); until then the
    // caller blocks. Calling it on a queue that the calling thread itself
    // occupies deadlocks, as does closing a cycle of work items that each wait
    // to sync on a queue another holds: either stops the process with a message
    // instead.
    void sync(const std::function<void()>& body, DispatchWorkItemFlags flags = {}) const;

    template <class F>
    requires(!std::is_void_v<std::invoke_result_t<F&>>) std::invoke_result_t<F&> sync(
        F&& body, DispatchWorkItemFlags flags = {})
    const {
        std::optional<std::invoke_result_t<F&>> result;
        sync([&] { result.emplace(body()); }, flags);
        return std::move(*result);
    }

    // The label of the queue whose work the calling thread runs, or "" outside any.
    static std::string currentLabel();

    friend bool operator==(const DispatchQueue& a, const DispatchQueue& b) {
        return a.state_ == b.state_;
    }

private:
    friend class Scheduler;
    explicit DispatchQueue(std::shared_ptr<detail::QueueState> state) : state_(std::move(state)) {}
    std::shared_ptr<detail::QueueState> state_;
};

// True inside main-queue work, and on the scheduler's own thread outside any queue.
bool isMainThread();

}  // namespace zoral::platform
