// The preview of a gesture through the event tap while the user changes its settings: whatever
// the gesture put on the screen (the tooltip, the live outline) and the cursor it hid come back as
// they were when the gesture ends, whatever the settings say by then.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "platform/key_codes.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/cursor.h"
#include "sim/program_windows.h"

namespace zoral::engine::testing {
namespace {

using settings::Defaults::Keys;
using settings::Defaults::writeValue;

struct PreviewRow {
    std::string name;
    // Turned off while the preview is up.
    std::function<void()> turnOff;
    // Escape ends the gesture instead of the fingers lifting.
    bool escape = false;
};

void PrintTo(const PreviewRow& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<PreviewRow>& previewRows() {
    static const std::vector<PreviewRow> table{
        {"tooltips off, fingers lift", [] { writeValue(Keys::tooltipShow(), false); }},
        {"live outline off, fingers lift", [] { writeValue(Keys::tooltipLive(), false); }},
        {"cursor hiding off, fingers lift", [] { writeValue(Keys::tooltipHideCursor(), false); }},
        {"all three off, fingers lift",
         [] {
             writeValue(Keys::tooltipShow(), false);
             writeValue(Keys::tooltipLive(), false);
             writeValue(Keys::tooltipHideCursor(), false);
         }},
        {"tooltips off, escape", [] { writeValue(Keys::tooltipShow(), false); }, true},
        {"live outline off, escape", [] { writeValue(Keys::tooltipLive(), false); }, true},
        {"cursor hiding off, escape", [] { writeValue(Keys::tooltipHideCursor(), false); }, true},
    };
    return table;
}

class PreviewSettings : public EndToEndWorld, public ::testing::WithParamInterface<PreviewRow> {
protected:
    std::vector<sim::ProgramWindow> seen() {
        return sim::ProgramWindows::of(*world).visible(*world);
    }
    sim::Cursor& cursor() { return sim::Cursor::of(*world); }
};

TEST_P(PreviewSettings, TheGestureTakesDownWhatItShowedAndGivesTheCursorBack) {
    const PreviewRow& row = GetParam();
    startEngine();
    input().movePointer(titleBarOf(front));
    // Scroll left and keep the fingers on the surface a while.
    const double seconds = hardware().play(sim::ScrollStroke{
        .moves = {{.travel = {-200, 0}, .events = 8, .holdAfter = 0.4}},
    });
    scheduler().runFor(0.2);
    ASSERT_EQ(
        linesStarting({"Action: "}),
        std::vector<std::string>{"Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"});
    // The window tooltip and the live outline are up, the cursor hidden.
    ASSERT_EQ(seen().size(), 2U);
    ASSERT_FALSE(cursor().isVisible());

    row.turnOff();
    if (row.escape)
        hardware().play(sim::KeyStroke{.keyCode = platform::virtualKey::escape}, 0.0);
    scheduler().runFor(seconds + 1);

    EXPECT_TRUE(seen().empty()) << seen().size() << " of the program's windows still up";
    EXPECT_TRUE(cursor().isVisible());
    EXPECT_EQ(cursor().hideCount(), 0);
    EXPECT_EQ(linesStarting({"Gesture: cancelled"}).size(), row.escape ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Rows, PreviewSettings, ::testing::ValuesIn(previewRows()),
                         [](const ::testing::TestParamInfo<PreviewRow>& row) {
                             return testName(row.param.name);
                         });

}  // namespace
}  // namespace zoral::engine::testing
