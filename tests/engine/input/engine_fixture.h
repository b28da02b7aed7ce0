#pragma once

// The input engines on their own: a gesture on a title-bar origin with recording stand-ins, the
// settings at their defaults in a home of the test's own and followed as the core follows them,
// the output captured, the virtual clock.

#include <memory>

#include <gtest/gtest.h>

#include "engine/gesture/gesture.h"
#include "engine/input/gesture_stand_ins.h"
#include "engine/input/input_settings.h"
#include "engine/model/origin.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::engine::testing {

class EngineFixture : public zoral::testing::VirtualClockTest {
protected:
    EngineFixture() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
    }

    std::shared_ptr<Gesture> makeGesture(OriginType type = OriginType::titlebar) {
        return Gesture::make(makeOrigin(type), standIns.services());
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    StandIns standIns;
    // Gone before the home: a reset of the user defaults forgets its observers.
    std::shared_ptr<InputSettings> settings = InputSettings::make();
};

}  // namespace zoral::engine::testing
