// What the classification costs: the accessibility round trips of one gesture start, counted by the
// simulated desktop. On the real system each is a message to another process, inside the event
// tap's callback, so each question is asked once, and an application that does not answer once is
// asked nothing more.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/conversation.h"
#include "engine/gesture/origin_classification.h"
#include "origin_world.h"

namespace zoral::engine::testing {
namespace {

class OriginRoundTripsTest : public OriginWorldTest {
public:
    struct TabKind {
        platform::ProcessId pid;
        const char* bundleIdentifier;
        sim::TabTreeShape shape;
    };

    // A window with tabs of the kind, over the bare window's cell; gives the first tab's title.
    std::shared_ptr<sim::Node> addTabWindow(const TabKind& kind) {
        world->addProcess(kind.pid, kind.bundleIdentifier, kind.bundleIdentifier);
        auto window = addWindow(kind.pid, cell(1, 2));
        sim::WindowParts::addTitleBarButtons(*world, window);
        return sim::Tabs::install(*world)
            .addTabs(*world, window, kind.shape, {"One", "Two", "Three"})
            .labels[0];
    }

    // A window whose toolbar below the title strip holds many items, each a group with a button.
    std::shared_ptr<sim::WindowNode> addDeepToolbarWindow() {
        auto window = addWindow(editorPid, cell(2, 2));
        sim::WindowParts::addTitleBarButtons(*world, window);
        std::vector<std::string> items;
        for (int item = 0; item < 8; ++item)
            items.push_back("Item " + std::to_string(item));
        sim::WindowParts::addToolbar(*world, window, 28, 52, items);
        sim::WindowParts::addContent(*world, window, 80);
        return window;
    }

    struct Cost {
        bool classified = false;
        std::int64_t roundTrips = 0;
        std::int64_t childrenReads = 0;
    };

    Cost classify(platform::CGPoint pointer, platform::CGEventFlags flags = {}) {
        const platform::CGEvent event = eventAt(pointer, flags);
        world->resetRoundTrips();
        Cost cost;
        cost.classified = originAtPointer(event).has_value();
        cost.roundTrips = world->roundTripCount();
        for (const auto& [key, count] : world->roundTrips()) {
            if (key.attribute == "AXChildren")
                cost.childrenReads += count;
        }
        return cost;
    }
};

TEST_F(OriginRoundTripsTest, EachStartCostsTheRoundTripsOfItsTable) {
    struct Row {
        const char* start;
        std::function<platform::CGPoint(OriginRoundTripsTest&)> pointer;
        std::int64_t roundTrips;
    };
    const std::vector<Row> rows{
        {"title bar of a plain window", [](auto& f) { return f.below(f.plain, 10); }, 22},
        {"title bar of a window with a deep toolbar",
         [](auto& f) { return f.below(f.addDeepToolbarWindow(), 10); }, 22},
        {"tab, native",
         [](auto& f) {
             return f.centre(f.addTabWindow({21, "org.example.notes", sim::TabTreeShape::native}));
         },
         18},
        {"tab, safari",
         [](auto& f) {
             return f.centre(f.addTabWindow({22, "com.apple.Safari", sim::TabTreeShape::browser}));
         },
         20},
        {"tab, chrome",
         [](auto& f) {
             return f.centre(f.addTabWindow({23, "com.google.Chrome", sim::TabTreeShape::browser}));
         },
         20},
        {"tab, arc",
         [](auto& f) {
             return f.centre(
                 f.addTabWindow({24, "company.thebrowser.Browser", sim::TabTreeShape::namedCells}));
         },
         19},
        {"tab, xcode",
         [](auto& f) {
             return f.centre(f.addTabWindow({25, "com.apple.dt.Xcode", sim::TabTreeShape::editor}));
         },
         21},
        {"tab, vscode",
         [](auto& f) {
             return f.centre(
                 f.addTabWindow({26, "com.microsoft.VSCode", sim::TabTreeShape::editor}));
         },
         20},
        {"application tile in the Dock", [](auto& f) { return f.centre(f.editorTile); }, 23},
        {"menu of the menu bar", [](auto& f) { return f.centre(f.menuBar.items[2]); }, 9},
        {"menu bar",
         [](auto&) {
             return platform::CGPoint{700, 10};
         },
         9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.start);
        titlebarHeightCache().clear();
        const Cost cost = classify(row.pointer(*this));
        EXPECT_TRUE(cost.classified);
        EXPECT_EQ(cost.roundTrips, row.roundTrips);
    }
}

TEST_F(OriginRoundTripsTest, AnApplicationThatStopsAnsweringIsWaitedOnOnceAndStartsNoGesture) {
    struct Row {
        const char* start;
        std::function<std::optional<Origin>(OriginRoundTripsTest&)> classify;
    };
    const std::vector<Row> rows{
        {"title bar", [](auto& f) { return f.originAt(f.below(f.plain, 10)); }},
        {"tab",
         [](auto& f) {
             return f.originAt(
                 f.centre(f.addTabWindow({21, "org.example.notes", sim::TabTreeShape::native})));
         }},
        {"focused window", [](auto&) { return originForHotkey(); }},
        {"application tile in the Dock",
         [](auto& f) { return f.originAt(f.centre(f.editorTile)); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.start);
        titlebarHeightCache().clear();
        ASSERT_TRUE(row.classify(*this).has_value());
        // Every application answers the window server's hit test; the editor and the notes
        // application answer no question of their own in time.
        world->addLatencyRule({.pid = editorPid, .seconds = 30});
        world->addLatencyRule({.pid = 21, .seconds = 30});
        world->resetRoundTrips();
        const double start = scheduler().now().uptimeSeconds();
        EXPECT_FALSE(row.classify(*this).has_value());
        EXPECT_EQ(scheduler().now().uptimeSeconds() - start,
                  double{desktop::Conversation::patience});
        std::int64_t unanswered = 0;
        for (const auto& [key, count] : world->roundTrips()) {
            if (key.pid == editorPid || key.pid == 21)
                unanswered += count;
        }
        EXPECT_EQ(unanswered, 1);
        world->addLatencyRule({.pid = editorPid, .seconds = 0});
        world->addLatencyRule({.pid = 21, .seconds = 0});
    }
}

TEST_F(OriginRoundTripsTest, AStartFarBelowTheTopReadsNoDescendants) {
    // The editor's children are read only by the walks that measure the title bar; the Dock's
    // by the check for Mission Control, which every window start makes.
    const auto editorChildrenReads = [&] {
        const auto& counts = world->roundTrips();
        const auto found =
            counts.find({sim::RoundTrip::copyAttributeValue, "AXChildren", editorPid});
        return found == counts.end() ? std::int64_t{0} : found->second;
    };
    const Cost far = classify(below(plain, 121));
    EXPECT_FALSE(far.classified);
    EXPECT_EQ(editorChildrenReads(), 0);

    const Cost near = classify(below(plain, 10));
    EXPECT_TRUE(near.classified);
    // The window's children, then each of its four children's.
    EXPECT_EQ(editorChildrenReads(), 5);
    EXPECT_LT(far.roundTrips, near.roundTrips);
}

}  // namespace
}  // namespace zoral::engine::testing
