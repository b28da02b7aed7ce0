#pragma once

// The core on the desktop that shows every starting place (engine/gesture/origin_world.h), with the
// Accessibility permission, recording stand-ins for the resolution, the executor and the tooltips,
// and the hardware's input played through the simulated event tap. A transcript reads back what
// became of each tapped event.

#include <memory>
#include <string>
#include <vector>

#include "desktop/ax_access.h"
#include "desktop/event_descriptions.h"
#include "engine/gesture/origin_world.h"
#include "engine/input/gesture_stand_ins.h"
#include "engine/input/zoral_core.h"
#include "sim/event_taps.h"
#include "sim/hardware_input.h"

namespace zoral::engine::testing {

inline std::string phaseName(platform::NSEventPhase phase) {
    switch (phase) {
        case platform::NSEventPhase::none:
            return "none";
        case platform::NSEventPhase::began:
            return "began";
        case platform::NSEventPhase::stationary:
            return "stationary";
        case platform::NSEventPhase::changed:
            return "changed";
        case platform::NSEventPhase::ended:
            return "ended";
        case platform::NSEventPhase::cancelled:
            return "cancelled";
        case platform::NSEventPhase::mayBegin:
            return "mayBegin";
    }
    return "?";
}

class CoreWorldTest : public OriginWorldTest {
protected:
    CoreWorldTest() { desktop::AXAccess::shared().setIsTrusted(true); }
    ~CoreWorldTest() override {
        if (core && core->eventTap())
            core->eventTap()->invalidate();
        core.reset();
    }

    void startCore() {
        core = ZoralCore::make(standIns.services());
        ASSERT_TRUE(core);
        ASSERT_TRUE(core->eventTap());
        sim::EventTaps::of(*world).clearRecords();
        output.clear();
    }

    sim::HardwareInput& hardware() { return sim::HardwareInput::of(*world); }

    // Plays the steps with the pointer there, and lets them finish.
    void play(platform::CGPoint pointer, const std::vector<sim::HardwareStep>& steps,
              double settle = 0.5) {
        input().movePointer(pointer);
        const double seconds = hardware().play(steps);
        scheduler().runFor(seconds + settle);
    }

    // What became of each event at the core's tap: its kind and phase, and the outcome.
    static std::string describe(const sim::TapRecord& record) {
        const platform::CGEvent& event = record.event;
        const platform::NSEventType type = platform::toolkitType(event);
        std::string line = desktop::description(type);
        if (type == platform::NSEventType::scrollWheel) {
            if (event.momentumPhase != platform::NSEventPhase::none) {
                line += " momentum " + phaseName(event.momentumPhase);
            } else {
                line += " " + phaseName(event.phase);
            }
        } else if (type == platform::NSEventType::magnify) {
            line += " " + phaseName(event.phase);
        } else if (type == platform::NSEventType::keyDown ||
                   type == platform::NSEventType::flagsChanged) {
            line += " " + std::to_string(event.keyCode);
        }
        return line + ": " + sim::tapOutcomeName(record.outcome);
    }

    std::vector<std::string> transcript() const {
        std::vector<std::string> lines;
        for (const auto& record : sim::EventTaps::of(*world).records(core->eventTap()->port()))
            lines.push_back(describe(record));
        return lines;
    }

    // The output lines that begin with the prefix.
    std::vector<std::string> linesStarting(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const auto& line : output.lines()) {
            if (line.starts_with(prefix))
                found.push_back(line);
        }
        return found;
    }

    StandIns standIns;
    std::shared_ptr<ZoralCore> core;
};

}  // namespace zoral::engine::testing
