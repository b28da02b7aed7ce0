#include "platform/dispatch.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/dispatch_internal.h"
#include "platform/scheduler.h"

namespace zoral::platform {

const char* qosName(DispatchQoS qos) {
    switch (qos) {
        case DispatchQoS::unspecified:
            return "unspecified";
        case DispatchQoS::background:
            return "background";
        case DispatchQoS::utility:
            return "utility";
        case DispatchQoS::default_:
            return "default";
        case DispatchQoS::userInitiated:
            return "user-initiated";
        case DispatchQoS::userInteractive:
            return "user-interactive";
    }
    return "unknown";
}

DispatchTime DispatchTime::now() {
    return Scheduler::current().now();
}

DispatchTime operator+(DispatchTime time, double seconds) {
    if (time.isNever() || seconds != seconds)
        return time;
    constexpr double limit = 9.2e18;  // within int64 nanoseconds
    const double ns = seconds * 1e9;
    if (ns >= limit)
        return DispatchTime::never();
    if (ns <= -limit)
        return DispatchTime::fromUptimeNanoseconds(0);
    return time.offsetBy(static_cast<std::int64_t>(ns));
}

// --- Work items

DispatchWorkItem::DispatchWorkItem(std::function<void()> body, DispatchQoS qos,
                                   DispatchWorkItemFlags flags)
    : state_(std::make_shared<detail::WorkItemState>()) {
    state_->body = std::move(body);
    state_->qos = qos;
    state_->flags = flags;
}

void DispatchWorkItem::perform() const {
    if (!state_->cancelled.load())
        state_->body();
}

void DispatchWorkItem::cancel() const {
    state_->cancelled.store(true);
}
bool DispatchWorkItem::isCancelled() const {
    return state_->cancelled.load();
}
DispatchQoS DispatchWorkItem::qos() const {
    return state_->qos;
}
DispatchWorkItemFlags DispatchWorkItem::flags() const {
    return state_->flags;
}

// --- Groups

DispatchGroup::DispatchGroup() : state_(std::make_shared<detail::GroupState>()) {}

void DispatchGroup::enter() const {
    state_->count.fetch_add(1);
}

void DispatchGroup::leave() const {
    const long remaining = state_->count.fetch_sub(1) - 1;
    if (remaining < 0) {
        std::fputs("Dispatch: unbalanced leave of a dispatch group\n", stderr);
        std::abort();
    }
    if (remaining == 0) {
        std::vector<std::pair<DispatchQueue, DispatchWorkItem>> due;
        {
            const MutexLock lock(state_->mutex);
            // Entered again meanwhile: the notifications wait for the next time it empties.
            if (state_->count.load() == 0)
                due.swap(state_->notifications);
        }
        for (const auto& [queue, item] : due)
            queue.async(item);
        Scheduler::current().wake();
    }
}

void DispatchGroup::notify(const DispatchQueue& queue, std::function<void()> body, DispatchQoS qos,
                           DispatchWorkItemFlags flags) const {
    DispatchWorkItem item(std::move(body), qos, flags);
    {
        const MutexLock lock(state_->mutex);
        if (state_->count.load() != 0) {
            state_->notifications.emplace_back(queue, item);
            return;
        }
    }
    queue.async(item);
}

void DispatchGroup::wait() const {
    wait(DispatchTime::never());
}

DispatchGroup::WaitResult DispatchGroup::wait(DispatchTime timeout) const {
    WaitResult result = WaitResult::success;
    Scheduler::current().waitForGroup(*state_, timeout, result);
    return result;
}

// --- Queues

namespace detail {

namespace {
std::shared_ptr<QueueState> makeQueueState(std::string label, DispatchQoS qos, bool concurrent) {
    auto state = std::make_shared<QueueState>();
    state->label = std::move(label);
    state->qos = qos;
    state->concurrent = concurrent;
    return state;
}

const std::shared_ptr<QueueState>& mainQueue() {
    static const auto queue = makeQueueState("main", DispatchQoS::userInteractive, false);
    return queue;
}
}  // namespace

QueueState& mainQueueState() {
    return *mainQueue();
}

}  // namespace detail

DispatchQueue::DispatchQueue(std::string label, DispatchQoS qos, Attributes attributes)
    : state_(detail::makeQueueState(std::move(label), qos, attributes == Attributes::concurrent)) {}

DispatchQueue DispatchQueue::main() {
    return DispatchQueue(detail::mainQueue());
}

DispatchQueue DispatchQueue::global(DispatchQoS qos) {
    static const auto queues = [] {
        std::array<std::shared_ptr<detail::QueueState>, 6> all;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto level = static_cast<DispatchQoS>(i);
            all[i] = detail::makeQueueState(std::string("global.") + qosName(level), level, true);
        }
        return all;
    }();
    return DispatchQueue(queues.at(static_cast<std::size_t>(qos)));
}

const std::string& DispatchQueue::label() const {
    return state_->label;
}
DispatchQoS DispatchQueue::qos() const {
    return state_->qos;
}
bool DispatchQueue::isConcurrent() const {
    return state_->concurrent;
}

void DispatchQueue::async(std::function<void()> body, DispatchSubmission submission) const {
    asyncAfter(DispatchTime::fromUptimeNanoseconds(0), std::move(body), std::move(submission));
}

void DispatchQueue::async(const DispatchWorkItem& item) const {
    asyncAfter(DispatchTime::fromUptimeNanoseconds(0), item);
}

void DispatchQueue::asyncAfter(DispatchTime deadline, std::function<void()> body,
                               DispatchSubmission submission) const {
    auto work = std::make_shared<detail::WorkItemState>();
    work->body = std::move(body);
    Scheduler::current().submit(state_, std::move(work), deadline, submission);
}

void DispatchQueue::asyncAfter(DispatchTime deadline, const DispatchWorkItem& item) const {
    Scheduler::current().submit(
        state_, item.state_, deadline,
        DispatchSubmission{.group = std::nullopt, .qos = item.qos(), .flags = item.flags()});
}

void DispatchQueue::sync(const std::function<void()>& body, DispatchWorkItemFlags flags) const {
    Scheduler::current().runSync(*state_, body, flags.contains(DispatchWorkItemFlags::barrier));
}

}  // namespace zoral::platform
