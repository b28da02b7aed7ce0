// A scroll on a tab through the event tap: on the tab strip of a browser that draws its own tabs
// in the title bar, a scroll near the top is taken for the window. From then on it is a window
// gesture to the whole engine: the window snaps, its page no longer sees the fingers, and a rest
// is felt. A tab whose application keeps its tabs below the title bar keeps its scrolls.

#include <functional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "sim/event_taps.h"
#include "sim/haptics.h"

namespace zoral::engine::testing {
namespace {

using platform::NSEventPhase;
using Lines = std::vector<std::string>;
using T = EndToEndWorld;

struct RerouteRow {
    std::string name;
    // Adds what the row needs and gives the tab's title (top-left) under the fingers.
    std::function<CGPoint(T&)> tab;
    // One letter per scroll event in the order they came: what the page saw of it (D delivered,
    // S swallowed).
    std::string fates;
    // The window under the tab afterwards.
    std::function<void(T&)> check;
    Lines log;
};

void PrintTo(const RerouteRow& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<RerouteRow>& rerouteRows() {
    static const std::vector<RerouteRow> table{
        {"browser tab near the top snaps its window and keeps the page still",
         [](T& t) { return t.centreOf(t.strip.labels.at(1)); },
         // The first events pass while the tab gesture has no direction yet; once the window is
         // taken, every scroll, the fingers' lift and the momentum are swallowed, but for the
         // momentum's end, which the core always lets through.
         "D+S+D",
         [](T& t) {
             EXPECT_EQ(T::frameOf(t.browserWindow), (CGRect{0, 25, 720, 810}));
         },
         {"Origin: com.google.Chrome tab",
          "Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"}},
        {"native tab keeps its scrolls and its window",
         [](T& t) {
             t.addNotesWithTabs();
             return t.centreOf(t.notesStrip.labels.at(1));
         },
         "D+",
         [](T& t) { EXPECT_EQ(T::frameOf(t.notesWindow), T::notesFrame); },
         {"Origin: org.example.notes tab"}},
    };
    return table;
}

class TabReroute : public EndToEndWorld, public ::testing::WithParamInterface<RerouteRow> {
protected:
    // What became of each scroll event at the program's tap.
    static std::string fates(const std::vector<sim::TapRecord>& records) {
        std::string letters;
        for (const auto& record : records) {
            if (record.type != platform::CGEventType::scrollWheel)
                continue;
            letters += record.outcome == sim::TapOutcome::swallowed ? 'S' : 'D';
        }
        return letters;
    }
};

TEST_P(TabReroute, AScrollOnATab) {
    const RerouteRow& row = GetParam();
    const CGPoint place = row.tab(*this);
    startEngine();
    sim::EventTaps::of(*world).clearRecords();
    play(place, {sim::ScrollStroke{
                    .moves = {{.travel = {-200, 0}, .events = 8, .holdAfter = 0.05}},
                    .momentumEvents = 6,
                }});

    const auto records = sim::EventTaps::of(*world).records();
    const std::string seen = fates(records);
    EXPECT_TRUE(std::regex_match(seen, std::regex(row.fates))) << seen;
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().event.momentumPhase, NSEventPhase::ended) << "the whole stroke came";
    row.check(*this);
    EXPECT_EQ(linesStarting({"Origin: com", "Origin: org", "Action: "}), row.log)
        << ::testing::PrintToString(output.lines());
}

INSTANTIATE_TEST_SUITE_P(Rows, TabReroute, ::testing::ValuesIn(rerouteRows()),
                         [](const ::testing::TestParamInfo<RerouteRow>& row) {
                             return testName(row.param.name);
                         });

using TabRerouteTest = EndToEndWorld;

// Fingers resting on the browser's tab strip propose nothing on the tab; taken for the window,
// the rest is felt as on any window.
TEST_F(TabRerouteTest, ARestOnATabTakenForItsWindowIsFelt) {
    startEngine();
    sim::Haptics::of(*world).reset();
    play(centreOf(strip.labels.at(1)), {sim::ScrollStroke{.restBefore = 1.5}});
    EXPECT_EQ(sim::Haptics::of(*world).playedCount(), 1U)
        << ::testing::PrintToString(output.lines());
    EXPECT_EQ(linesStarting({"Phase: rested"}), Lines{"Phase: rested"});
}

}  // namespace
}  // namespace zoral::engine::testing
