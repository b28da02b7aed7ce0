// The program's local event monitors: each sees the events of its mask in the order the monitors
// were added, may change or consume them, and sees nothing once it is removed, also when it is
// removed while an event is on its way.

#include "sim/local_event_monitors.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/local_events.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::NSEvent;
using platform::NSEventType;

constexpr platform::NSEventMask keyDownMask = platform::eventMaskFromType(NSEventType::keyDown);
constexpr platform::NSEventMask recorderMask =
    platform::eventMaskFromType(NSEventType::leftMouseUp) |
    platform::eventMaskFromType(NSEventType::rightMouseUp) | keyDownMask;

// Owns one monitor and removes it when it goes, as the shortcut recorder's monitor does.
class MonitorOwner {
public:
    MonitorOwner(platform::NSEventMask mask, std::vector<std::string>& log, std::string name)
        : monitor_(platform::addLocalMonitorForEvents(
              mask, [&log, name](const NSEvent& event) -> std::optional<NSEvent> {
                  log.push_back(name);
                  return event;
              })) {}
    ~MonitorOwner() {
        if (const auto monitor = monitor_.lock())
            platform::removeMonitor(monitor);
    }
    MonitorOwner(const MonitorOwner&) = delete;
    MonitorOwner& operator=(const MonitorOwner&) = delete;

private:
    std::weak_ptr<platform::EventMonitor> monitor_;
};

class LocalEventMonitorsTest : public zoral::testing::VirtualClockTest {
protected:
    ScopedWorld world;
};

TEST_F(LocalEventMonitorsTest, MonitorsSeeTheirEventsInOrderAndMayChangeOrConsumeThem) {
    EXPECT_EQ(recorderMask, 1044u);
    std::vector<std::string> log;
    const auto first = platform::addLocalMonitorForEvents(
        keyDownMask, [&](const NSEvent& event) -> std::optional<NSEvent> {
            log.push_back("first");
            NSEvent changed = event;
            changed.keyCode = 1;
            return changed;
        });
    const auto second = platform::addLocalMonitorForEvents(
        recorderMask, [&](const NSEvent& event) -> std::optional<NSEvent> {
            log.push_back("second saw key " + std::to_string(event.keyCode));
            if (event.type == NSEventType::rightMouseUp)
                return std::nullopt;
            return event;
        });

    const auto key = platform::passThroughLocalMonitors({.type = NSEventType::keyDown});
    ASSERT_TRUE(key);
    EXPECT_EQ(key->keyCode, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second saw key 1"}));

    log.clear();
    EXPECT_FALSE(platform::passThroughLocalMonitors({.type = NSEventType::rightMouseUp}));
    EXPECT_TRUE(platform::passThroughLocalMonitors({.type = NSEventType::keyUp}));
    EXPECT_EQ(log, (std::vector<std::string>{"second saw key 0"}));
}

TEST_F(LocalEventMonitorsTest, ARemovedMonitorSeesNothingMore) {
    std::vector<std::string> log;
    {
        const MonitorOwner owner(keyDownMask, log, "owned");
        platform::passThroughLocalMonitors({.type = NSEventType::keyDown});
    }
    platform::passThroughLocalMonitors({.type = NSEventType::keyDown});
    EXPECT_EQ(log, std::vector<std::string>{"owned"});
    EXPECT_EQ(LocalEventMonitors::of(*world).count(), 0u);

    // Removed by an earlier monitor while the event is on its way: it misses that event too, and
    // what its handler held goes with the removal.
    auto held = std::make_shared<int>(0);
    const std::weak_ptr<int> watch = held;
    std::shared_ptr<platform::EventMonitor> later;
    const auto first = platform::addLocalMonitorForEvents(
        keyDownMask, [&](const NSEvent& event) -> std::optional<NSEvent> {
            platform::removeMonitor(later);
            return event;
        });
    later = platform::addLocalMonitorForEvents(
        keyDownMask, [&log, held](const NSEvent& event) -> std::optional<NSEvent> {
            log.push_back("later");
            return event;
        });
    held.reset();
    EXPECT_TRUE(platform::passThroughLocalMonitors({.type = NSEventType::keyDown}));
    EXPECT_EQ(log, std::vector<std::string>{"owned"});
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(later->isRemoved());

    // A monitor may remove itself from its own handler.
    std::shared_ptr<platform::EventMonitor> once;
    once = platform::addLocalMonitorForEvents(keyDownMask,
                                              [&](const NSEvent& event) -> std::optional<NSEvent> {
                                                  log.push_back("once");
                                                  platform::removeMonitor(once);
                                                  return event;
                                              });
    platform::passThroughLocalMonitors({.type = NSEventType::keyDown});
    platform::passThroughLocalMonitors({.type = NSEventType::keyDown});
    EXPECT_EQ(log, (std::vector<std::string>{"owned", "once"}));
}

}  // namespace
}  // namespace zoral::sim
