#pragma once

// The event taps of the simulated window server (platform/event_tap.h). A tap sits in the session's
// chain of the world's input pipeline (sim/input_pipeline.h), at its head or its tail, and sees the
// events of its mask that pass there: hardware events and events posted to the HID stream or the
// session, never those posted to one process. Its callback runs on the main thread, as the main run
// loop serves the tap's source; the window server waits for the answer at most `timeout` seconds
// of virtual time (the accessibility round trips the callback makes count), after which it passes
// the event on as it came, disables the tap and tells the callback with tapDisabledByTimeout on the
// main queue. A disabled tap misses every event until the program enables it again. What became of
// each event is recorded per tap: counted always, with the details of the latest
// `keptRecords` events.
//
// A component of the world: EventTaps::of(world). Its settings are the world's: whether creation
// fails, and the time-out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/event_tap.h"
#include "platform/events.h"
#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

// What became of one event at a tap.
enum class TapOutcome {
    delivered,  // the callback returned it unchanged
    replaced,   // the callback returned another event
    swallowed,  // the callback returned nothing
    observed,   // a listen-only tap saw it; it went on unchanged
    missed,     // the tap was disabled; it went on unchanged
    timedOut,   // the callback kept the window server waiting too long; it went on unchanged
    notice,     // the callback was told that the tap was disabled
};

const char* tapOutcomeName(TapOutcome outcome);

struct TapRecord {
    platform::CFMachPortRef tap;
    // Virtual seconds when the event reached the tap.
    double time = 0;
    platform::CGEventType type = platform::CGEventType::null;
    platform::CGEvent event;
    TapOutcome outcome = TapOutcome::delivered;
    // Accessibility round trips made while the window server waited for the callback, and the
    // virtual seconds it waited.
    std::int64_t roundTrips = 0;
    double seconds = 0;
};

class EventTaps {
public:
    static constexpr std::size_t keptRecords = 4096;

    // How long the window server waits for a tap's answer unless the world says otherwise.
    static constexpr double defaultTimeout = 1.0;

    explicit EventTaps(World& world);
    ~EventTaps();
    EventTaps(const EventTaps&) = delete;
    EventTaps& operator=(const EventTaps&) = delete;

    static EventTaps& of(World& world);
    static EventTaps& current();

    // --- The world's settings
    // Every creation fails, as when the system refuses the program a tap.
    void setCreationFails(bool fails);
    bool creationFails() const;
    void setTimeout(double seconds);
    double timeout() const;

    // --- Requests of the world (tests, world scripts)
    // The user's input disables the tap (every live tap when none is named).
    void disableByUserInput(std::optional<platform::CFMachPortRef> tap = std::nullopt);

    // --- Reading
    // Taps made and not invalidated, in order of creation.
    std::vector<platform::CFMachPortRef> liveTaps() const;
    // Every tap ever made, in order of creation.
    std::vector<platform::CFMachPortRef> allTaps() const;
    bool isEnabled(platform::CFMachPortRef tap) const;
    bool isValid(platform::CFMachPortRef tap) const;
    bool isListenOnly(platform::CFMachPortRef tap) const;
    platform::CGEventMask mask(platform::CFMachPortRef tap) const;
    // Whether the tap's source is on the main run loop and valid, so that its callback is served.
    bool isServed(platform::CFMachPortRef tap) const;
    // What became of the kept events, in order; of one tap when it is named.
    std::vector<TapRecord> records(std::optional<platform::CFMachPortRef> tap = std::nullopt) const;
    // How many events had the outcome since the records were last cleared, kept or not.
    std::int64_t outcomeCount(TapOutcome outcome) const;
    void clearRecords();

    // --- Used by the platform calls
    platform::CFMachPortRef create(platform::CGEventTapLocation location,
                                   platform::CGEventTapPlacement placement,
                                   platform::CGEventTapOptions options, platform::CGEventMask mask,
                                   platform::CGEventTapCallBack callback);
    void enable(platform::CFMachPortRef tap, bool enable);
    std::shared_ptr<platform::RunLoopSource> makeSource(platform::CFMachPortRef tap);
    void invalidate(platform::CFMachPortRef tap);

private:
    class Tap;
    friend class Tap;

    std::shared_ptr<Tap> find(platform::CFMachPortRef reference) const;
    void record(TapRecord record);
    void keep(TapRecord record) ZORAL_REQUIRES(mutex_);
    void disable(const std::shared_ptr<Tap>& tap, platform::CGEventType reason);

    World& world_;
    mutable platform::Mutex mutex_;
    std::map<std::uint64_t, std::shared_ptr<Tap>> taps_ ZORAL_GUARDED_BY(mutex_);
    std::deque<TapRecord> records_ ZORAL_GUARDED_BY(mutex_);
    std::array<std::int64_t, static_cast<std::size_t>(TapOutcome::notice) + 1> outcomeCounts_
        ZORAL_GUARDED_BY(mutex_){};
    std::uint64_t nextIdentifier_ ZORAL_GUARDED_BY(mutex_) = 1;
    bool creationFails_ ZORAL_GUARDED_BY(mutex_) = false;
    double timeout_ ZORAL_GUARDED_BY(mutex_) = defaultTimeout;
};

}  // namespace zoral::sim
