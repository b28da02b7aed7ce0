#pragma once

// A desktop for the window tests: one 1440 x 900 display in a world and a home of the test's own,
// on the virtual clock; and a comparison of drawn colours that allows for the rounding of
// premultiplied pixels.

#include <cmath>

#include <gtest/gtest.h>

#include "platform/system_colors.h"
#include "sim/displays.h"
#include "sim/world.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::ui::testing {

class UiWorldTest : public zoral::testing::VirtualClockTest {
protected:
    UiWorldTest() {
        sim::Displays::of(*world).setDisplays(
            {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
};

inline ::testing::AssertionResult sameColour(const platform::RGBColor& actual,
                                             const platform::RGBColor& expected,
                                             double tolerance = 3.0 / 255) {
    const bool close = std::abs(actual.red - expected.red) <= tolerance &&
                       std::abs(actual.green - expected.green) <= tolerance &&
                       std::abs(actual.blue - expected.blue) <= tolerance &&
                       std::abs(actual.alpha - expected.alpha) <= tolerance;
    if (close)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "drawn (" << actual.red << ", " << actual.green << ", " << actual.blue << ", "
           << actual.alpha << "), expected (" << expected.red << ", " << expected.green << ", "
           << expected.blue << ", " << expected.alpha << ")";
}

}  // namespace zoral::ui::testing
