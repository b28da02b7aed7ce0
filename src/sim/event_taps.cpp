#include "sim/event_taps.h"

#include <algorithm>

#include "platform/dispatch.h"
#include "platform/run_loop.h"
#include "platform/scheduler.h"
#include "sim/input_pipeline.h"
#include "sim/world.h"

namespace zoral::sim {

using platform::CFMachPortRef;
using platform::CGEvent;
using platform::CGEventType;

const char* tapOutcomeName(TapOutcome outcome) {
    switch (outcome) {
        case TapOutcome::delivered:
            return "delivered";
        case TapOutcome::replaced:
            return "replaced";
        case TapOutcome::swallowed:
            return "swallowed";
        case TapOutcome::observed:
            return "observed";
        case TapOutcome::missed:
            return "missed";
        case TapOutcome::timedOut:
            return "timedOut";
        case TapOutcome::notice:
            return "notice";
    }
    return "unknown";
}

// One tap in the pipeline's chain. Its state is read and written under the owner's lock; the
// callback is called without it.
class EventTaps::Tap : public EventTap {
public:
    Tap(EventTaps& owner, CFMachPortRef reference, platform::CGEventTapOptions options,
        platform::CGEventMask mask, platform::CGEventTapCallBack callback)
        : owner_(owner),
          reference_(reference),
          listenOnly_(options == platform::CGEventTapOptions::listenOnly),
          mask_(mask),
          callback_(std::move(callback)) {}

    std::optional<CGEvent> filter(const CGEvent& event) override;
    // Tells the callback, on the main queue, that the tap was disabled.
    void notify(CGEventType reason);

    EventTaps& owner_;
    const CFMachPortRef reference_;
    const bool listenOnly_;
    const platform::CGEventMask mask_;
    // Dropped when the tap is invalidated, and with it what the callback holds.
    platform::CGEventTapCallBack callback_;
    bool enabled_ = true;
    bool valid_ = true;
    std::weak_ptr<platform::RunLoopSource> source_;

private:
    struct Answer {
        std::optional<CGEvent> event;
        bool timedOut = false;
    };
    // Runs the callback on the main thread and waits for it, at most the time-out.
    static Answer ask(const platform::CGEventTapCallBack& callback, const CGEvent& event,
                      double timeout);
};

namespace {

bool sourceIsServed(const std::shared_ptr<platform::RunLoopSource>& source) {
    return source && source->isValid() && platform::RunLoop::main().containsSource(source);
}

}  // namespace

EventTaps::Tap::Answer EventTaps::Tap::ask(const platform::CGEventTapCallBack& callback,
                                           const CGEvent& event, double timeout) {
    platform::Scheduler& scheduler = platform::Scheduler::current();
    if (platform::isMainThread()) {
        // The main thread itself entered the event: the callback runs now, and the window
        // server's patience is measured afterwards.
        const double start = platform::uptimeSeconds();
        Answer answer{callback(event.type, event), false};
        answer.timedOut = platform::uptimeSeconds() - start > timeout;
        return answer;
    }
    struct Call {
        std::optional<CGEvent> result;
        bool done = false;
        bool abandoned = false;
    };
    const auto call = std::make_shared<Call>();
    const auto work = [call, callback, event] {
        if (call->abandoned)
            return;
        call->result = callback(event.type, event);
        call->done = true;
    };
    if (!scheduler.isOwnerThread()) {
        platform::DispatchQueue::main().sync(work);
        return {call->result, false};
    }
    platform::DispatchQueue::main().async(work);
    scheduler.drive([call] { return call->done; }, platform::DispatchTime::now() + timeout,
                    /*waitWhenIdle=*/false);
    if (!call->done) {
        // The window server stops waiting; a callback still running finishes unheard.
        call->abandoned = true;
        return {std::nullopt, true};
    }
    return {call->result, false};
}

std::optional<CGEvent> EventTaps::Tap::filter(const CGEvent& event) {
    std::shared_ptr<platform::RunLoopSource> source;
    // A copy, so that the tap may be invalidated from inside its own callback.
    platform::CGEventTapCallBack callback;
    double timeout = 0;
    {
        const platform::MutexLock lock(owner_.mutex_);
        if (!valid_ || (mask_ & platform::eventMaskBit(event.type)) == 0)
            return event;
        source = source_.lock();
        callback = callback_;
        timeout = owner_.timeout_;
        if (!enabled_) {
            owner_.keep({reference_, platform::uptimeSeconds(), event.type, event,
                         TapOutcome::missed, 0, 0});
            return event;
        }
    }
    TapRecord record{
        reference_, platform::uptimeSeconds(), event.type, event, TapOutcome::delivered, 0, 0};
    const auto self = owner_.find(reference_);
    if (!sourceIsServed(source)) {
        // Nobody serves the port: the window server waits in vain.
        record.outcome = TapOutcome::timedOut;
        record.seconds = timeout;
        owner_.record(record);
        owner_.disable(self, CGEventType::tapDisabledByTimeout);
        return event;
    }
    const std::int64_t roundTripsBefore = owner_.world_.roundTripCount();
    const Answer answer = ask(callback, event, timeout);
    record.roundTrips = owner_.world_.roundTripCount() - roundTripsBefore;
    record.seconds = platform::uptimeSeconds() - record.time;
    {
        const platform::MutexLock lock(owner_.mutex_);
        if (!valid_) {
            // Invalidated from inside its own callback: its answer no longer counts.
            owner_.keep(record);
            return event;
        }
    }
    if (answer.timedOut) {
        record.outcome = TapOutcome::timedOut;
        owner_.record(record);
        owner_.disable(self, CGEventType::tapDisabledByTimeout);
        return event;
    }
    std::optional<CGEvent> passed = event;
    if (listenOnly_) {
        record.outcome = TapOutcome::observed;
    } else if (!answer.event) {
        record.outcome = TapOutcome::swallowed;
        passed.reset();
    } else if (*answer.event == event) {
        record.outcome = TapOutcome::delivered;
    } else {
        record.outcome = TapOutcome::replaced;
        passed = answer.event;
    }
    owner_.record(record);
    return passed;
}

void EventTaps::Tap::notify(CGEventType reason) {
    platform::DispatchQueue::main().async(
        [weakWorld = owner_.world_.weak(), reference = reference_, reason] {
            const auto world = weakWorld.lock();
            if (!world)
                return;
            EventTaps& taps = EventTaps::of(*world);
            const auto tap = taps.find(reference);
            if (!tap || !taps.isValid(reference) || !taps.isServed(reference))
                return;
            CGEvent notice;
            notice.type = reason;
            notice.timestamp = platform::uptimeSeconds();
            taps.record({reference, notice.timestamp, reason, notice, TapOutcome::notice, 0, 0});
            platform::CGEventTapCallBack callback;
            {
                const platform::MutexLock lock(taps.mutex_);
                callback = tap->callback_;
            }
            if (callback)
                callback(reason, notice);
        });
}

EventTaps::EventTaps(World& world) : world_(world) {}

EventTaps::~EventTaps() = default;

EventTaps& EventTaps::of(World& world) {
    return world.component<EventTaps>();
}

EventTaps& EventTaps::current() {
    return of(World::current());
}

void EventTaps::setCreationFails(bool fails) {
    const platform::MutexLock lock(mutex_);
    creationFails_ = fails;
}

bool EventTaps::creationFails() const {
    const platform::MutexLock lock(mutex_);
    return creationFails_;
}

void EventTaps::setTimeout(double seconds) {
    const platform::MutexLock lock(mutex_);
    timeout_ = std::max(seconds, 0.0);
}

double EventTaps::timeout() const {
    const platform::MutexLock lock(mutex_);
    return timeout_;
}

std::shared_ptr<EventTaps::Tap> EventTaps::find(CFMachPortRef reference) const {
    const platform::MutexLock lock(mutex_);
    const auto found = taps_.find(reference.identifier());
    return found == taps_.end() ? nullptr : found->second;
}

void EventTaps::record(TapRecord record) {
    const platform::MutexLock lock(mutex_);
    keep(std::move(record));
}

void EventTaps::keep(TapRecord record) {
    outcomeCounts_.at(static_cast<std::size_t>(record.outcome)) += 1;
    records_.push_back(std::move(record));
    if (records_.size() > keptRecords)
        records_.pop_front();
}

std::int64_t EventTaps::outcomeCount(TapOutcome outcome) const {
    const platform::MutexLock lock(mutex_);
    return outcomeCounts_.at(static_cast<std::size_t>(outcome));
}

void EventTaps::disable(const std::shared_ptr<Tap>& tap, CGEventType reason) {
    {
        const platform::MutexLock lock(mutex_);
        if (!tap->valid_ || !tap->enabled_)
            return;
        tap->enabled_ = false;
    }
    tap->notify(reason);
}

void EventTaps::disableByUserInput(std::optional<CFMachPortRef> reference) {
    for (const CFMachPortRef live : liveTaps()) {
        if (!reference || *reference == live)
            disable(find(live), CGEventType::tapDisabledByUserInput);
    }
}

std::vector<CFMachPortRef> EventTaps::liveTaps() const {
    const platform::MutexLock lock(mutex_);
    std::vector<CFMachPortRef> live;
    for (const auto& [identifier, tap] : taps_) {
        if (tap->valid_)
            live.push_back(tap->reference_);
    }
    return live;
}

std::vector<CFMachPortRef> EventTaps::allTaps() const {
    const platform::MutexLock lock(mutex_);
    std::vector<CFMachPortRef> all;
    for (const auto& [identifier, tap] : taps_)
        all.push_back(tap->reference_);
    return all;
}

bool EventTaps::isEnabled(CFMachPortRef reference) const {
    const auto tap = find(reference);
    const platform::MutexLock lock(mutex_);
    return tap && tap->valid_ && tap->enabled_;
}

bool EventTaps::isValid(CFMachPortRef reference) const {
    const auto tap = find(reference);
    const platform::MutexLock lock(mutex_);
    return tap && tap->valid_;
}

bool EventTaps::isListenOnly(CFMachPortRef reference) const {
    const auto tap = find(reference);
    return tap && tap->listenOnly_;
}

platform::CGEventMask EventTaps::mask(CFMachPortRef reference) const {
    const auto tap = find(reference);
    return tap ? tap->mask_ : 0;
}

bool EventTaps::isServed(CFMachPortRef reference) const {
    const auto tap = find(reference);
    if (!tap)
        return false;
    std::shared_ptr<platform::RunLoopSource> source;
    {
        const platform::MutexLock lock(mutex_);
        if (!tap->valid_)
            return false;
        source = tap->source_.lock();
    }
    return sourceIsServed(source);
}

std::vector<TapRecord> EventTaps::records(std::optional<CFMachPortRef> tap) const {
    const platform::MutexLock lock(mutex_);
    std::vector<TapRecord> found;
    for (const TapRecord& record : records_) {
        if (!tap || record.tap == *tap)
            found.push_back(record);
    }
    return found;
}

void EventTaps::clearRecords() {
    const platform::MutexLock lock(mutex_);
    records_.clear();
    outcomeCounts_.fill(0);
}

CFMachPortRef EventTaps::create(platform::CGEventTapLocation location,
                                platform::CGEventTapPlacement placement,
                                platform::CGEventTapOptions options, platform::CGEventMask mask,
                                platform::CGEventTapCallBack callback) {
    // The hardware's own location is closed to the program, and an active tap needs the
    // Accessibility permission, as on the system.
    if (location != platform::CGEventTapLocation::session || !callback)
        return {};
    if (options == platform::CGEventTapOptions::defaultTap && !world_.isTrusted())
        return {};
    std::shared_ptr<Tap> tap;
    {
        const platform::MutexLock lock(mutex_);
        if (creationFails_)
            return {};
        const CFMachPortRef reference(nextIdentifier_++);
        tap = std::make_shared<Tap>(*this, reference, options, mask, std::move(callback));
        taps_.emplace(reference.identifier(), tap);
    }
    InputPipeline::of(world_).addTap(
        tap, placement == platform::CGEventTapPlacement::headInsertEventTap);
    return tap->reference_;
}

void EventTaps::enable(CFMachPortRef reference, bool enable) {
    const auto tap = find(reference);
    if (!tap)
        return;
    const platform::MutexLock lock(mutex_);
    if (tap->valid_)
        tap->enabled_ = enable;
}

std::shared_ptr<platform::RunLoopSource> EventTaps::makeSource(CFMachPortRef reference) {
    const auto tap = find(reference);
    if (!tap)
        return nullptr;
    const platform::MutexLock lock(mutex_);
    if (!tap->valid_)
        return nullptr;
    // The source only marks the port as served; the window server calls the tap itself.
    auto source = std::make_shared<platform::RunLoopSource>();
    tap->source_ = source;
    return source;
}

void EventTaps::invalidate(CFMachPortRef reference) {
    const auto tap = find(reference);
    if (!tap)
        return;
    std::shared_ptr<platform::RunLoopSource> source;
    // Released outside the lock: what it holds may be torn down with it.
    platform::CGEventTapCallBack callback;
    {
        const platform::MutexLock lock(mutex_);
        if (!tap->valid_)
            return;
        tap->valid_ = false;
        tap->enabled_ = false;
        source = tap->source_.lock();
        callback = std::move(tap->callback_);
        tap->callback_ = nullptr;
    }
    if (source)
        source->invalidate();
    InputPipeline::of(world_).removeTap(*tap);
}

}  // namespace zoral::sim

namespace zoral::platform {

CFMachPortRef eventTapCreate(CGEventTapLocation location, CGEventTapPlacement placement,
                             CGEventTapOptions options, CGEventMask eventsOfInterest,
                             CGEventTapCallBack callback) {
    return sim::EventTaps::current().create(location, placement, options, eventsOfInterest,
                                            std::move(callback));
}

void eventTapEnable(CFMachPortRef tap, bool enable) {
    sim::EventTaps::current().enable(tap, enable);
}

bool eventTapIsEnabled(CFMachPortRef tap) {
    return sim::EventTaps::current().isEnabled(tap);
}

std::shared_ptr<RunLoopSource> machPortCreateRunLoopSource(CFMachPortRef port,
                                                           std::int64_t /*order*/) {
    return sim::EventTaps::current().makeSource(port);
}

void machPortInvalidate(CFMachPortRef port) {
    sim::EventTaps::current().invalidate(port);
}

bool machPortIsValid(CFMachPortRef port) {
    return sim::EventTaps::current().isValid(port);
}

}  // namespace zoral::platform
