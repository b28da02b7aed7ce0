// Gestures from the hardware to the desktop: recorded input enters the simulated event tap, the
// core starts the gesture, the engines feed it, the resolution proposes, the gesture executes on
// release and the executor acts; the simulated desktop answers. Each row: a place, what the
// fingers or keys do, what the desktop shows afterwards and what the log says.

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "end_to_end_world.h"
#include "engine/actions/app_switcher.h"
#include "platform/key_codes.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/spaces.h"
#include "sim/tabs.h"
#include "sim/timing.h"

namespace zoral::engine::testing {
namespace {

using platform::CGEventFlags;
using settings::Defaults::Keys;
using settings::Defaults::writeValue;
using sim::KeyStroke;
using sim::ModifierChange;
using sim::PinchStroke;
using sim::ScrollStroke;
using Lines = std::vector<std::string>;
using T = EndToEndWorld;
namespace vk = platform::virtualKey;

// A pinch of enough events for the engine to see its direction.
PinchStroke pinch(double perEvent) {
    return PinchStroke{.magnifications = std::vector<double>(20, perEvent)};
}

// Enables kinds of action that are off by default.
void enable(std::initializer_list<settings::ActionUserType> types) {
    auto enabled = settings::Defaults::readValue(Keys::actions());
    enabled.insert(types.begin(), types.end());
    writeValue(Keys::actions(), enabled);
}

ScrollStroke scroll(std::vector<platform::CGPoint> travels, double restBefore = 0) {
    ScrollStroke stroke{.restBefore = restBefore};
    for (const auto travel : travels)
        stroke.moves.push_back({.travel = travel, .events = 8, .holdAfter = 0.05});
    return stroke;
}

struct EndToEndRow {
    std::string name;
    // The settings before the engine starts.
    std::function<void(T&)> arrange;
    // The user's hands.
    std::function<void(T&)> act;
    // What the desktop shows afterwards.
    std::function<void(T&)> check;
    // The log's origin and action lines.
    Lines log;
};

void PrintTo(const EndToEndRow& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<EndToEndRow>& endToEndRows() {
    static const std::vector<EndToEndRow> table{
        // --- Title bar: snaps, minimise, close, another space or display
        {"title bar scroll left snaps the left half",
         nullptr,
         [](T& t) { t.play(t.titleBarOf(t.front), {scroll({leftwards})}); },
         [](T& t) { EXPECT_EQ(T::frameOf(t.front), leftHalfFrame); },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar",
          "Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"}},
        {"title bar scroll up then right snaps the top right quarter",
         nullptr,
         [](T& t) {
             t.play(t.titleBarOf(t.front), {scroll({upwards, rightwards})});
         },
         [](T& t) {
             EXPECT_EQ(T::frameOf(t.front), (CGRect{721, 25, 719, 405}));
         },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar",
          "Action: snap(start: (0, 0), end: (1, 1), matrix: (1, 1)) true",
          "Action: snap(start: (1, 0), end: (2, 1), matrix: (2, 2)) true"}},
        {"title bar scroll up maximises",
         nullptr,
         [](T& t) { t.play(t.titleBarOf(t.front), {scroll({upwards})}); },
         [](T& t) {
             EXPECT_EQ(T::frameOf(t.front), (CGRect{0, 25, 1440, 810}));
         },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar",
          "Action: snap(start: (0, 0), end: (1, 1), matrix: (1, 1)) true"}},
        {"title bar scroll down minimises",
         nullptr,
         [](T& t) { t.play(t.titleBarOf(t.front), {scroll({downwards})}); },
         [](T& t) { EXPECT_TRUE(t.front->isMinimized()); },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar", "Action: minimize true"}},
        {"title bar pinch closes",
         nullptr,
         [](T& t) { t.play(t.titleBarOf(t.front), {pinch(-0.02)}); },
         [](T& t) {
             EXPECT_FALSE(t.isOpen(t.front));
             EXPECT_TRUE(t.isOpen(t.back));
         },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar", "Action: close true"}},
        {"title bar scroll up and right with the general modifier sends the window to the next "
         "space",
         nullptr,
         [](T& t) {
             t.play(t.titleBarOf(t.front),
                    {ModifierChange{CGEventFlags::maskControl}, scroll({upwards, rightwards}),
                     ModifierChange{}},
                    2);
         },
         [](T& t) { EXPECT_EQ(t.spaceOf(t.front), 2); },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar", "Action: fullscreen true",
          "Action: sendToSpace(right) true"}},
        {"title bar scroll right with the screen modifier sends the window to the external display",
         nullptr,
         [](T& t) {
             t.play(t.titleBarOf(t.front),
                    {ModifierChange{CGEventFlags::maskCommand}, scroll({rightwards}),
                     ModifierChange{}},
                    2);
         },
         [](T& t) { EXPECT_EQ(T::windowOf(t.front)->screen(), t.screen(1)); },
         {"Origin: Default height used for org.example.editor",
          "Origin: org.example.editor titlebar", "Action: sendToScreen(right) true"}},
        // --- Toolbar and traffic lights: the window's own gestures
        {"toolbar scroll right snaps the right half",
         [](T& t) {
             sim::WindowParts::addToolbar(*t.world, t.front, 28, 38, {"Back", "Share"});
         },
         [](T& t) {
             t.play({T::frameOf(t.front).maxX() - 40, T::frameOf(t.front).minY() + 45},
                    {scroll({rightwards})});
         },
         [](T& t) { EXPECT_EQ(T::frameOf(t.front), rightHalfFrame); },
         {"Origin: org.example.editor toolbar",
          "Action: snap(start: (1, 0), end: (2, 1), matrix: (2, 1)) true"}},
        {"traffic lights pinch closes the window",
         [](T& t) { t.buttons = sim::WindowParts::addTitleBarButtons(*t.world, t.front); },
         [](T& t) { t.play(t.centreOf(t.buttons.close), {pinch(-0.02)}); },
         [](T& t) {
             EXPECT_FALSE(t.isOpen(t.front));
             EXPECT_TRUE(t.isOpen(t.back));
         },
         {"Origin: org.example.editor trafficLights", "Action: close true"}},
        {"traffic lights scroll down minimises",
         [](T& t) { t.buttons = sim::WindowParts::addTitleBarButtons(*t.world, t.front); },
         [](T& t) { t.play(t.centreOf(t.buttons.minimize), {scroll({downwards})}); },
         [](T& t) { EXPECT_TRUE(t.front->isMinimized()); },
         {"Origin: org.example.editor trafficLights", "Action: minimize true"}},
        // --- Dock tiles
        {"dock tile scroll up unminimises the window minimised last",
         nullptr,
         [](T& t) {
             t.play(t.titleBarOf(t.front), {scroll({downwards})});
             ASSERT_TRUE(t.front->isMinimized());
             t.output.clear();
             t.play(t.centreOf(t.editorTile), {scroll({upwards})}, 2);
         },
         [](T& t) { EXPECT_FALSE(t.front->isMinimized()); },
         {"Origin: Cursor not in frame of element <AXDockItem pid=90 Editor>",
          "Origin: org.example.editor dockItem", "Action: unminimizeLast true"}},
        {"dock tile pinch terminates the application",
         nullptr,
         [](T& t) { t.play(t.centreOf(t.editorTile), {pinch(-0.02)}, 2); },
         [](T& t) { EXPECT_EQ(t.world->process(T::editorPid), nullptr); },
         {"Origin: Cursor not in frame of element <AXDockItem pid=90 Editor>",
          "Origin: org.example.editor dockItem", "Action: terminateApp true"}},
        {"dock tile double tap hides the application",
         [](T&) { enable({settings::ActionUserType::appHide}); },
         [](T& t) { t.play(t.centreOf(t.editorTile), {sim::SmartMagnifyTap{}}, 2); },
         [](T& t) { EXPECT_TRUE(t.isHidden(T::editorPid)); },
         {"Origin: Cursor not in frame of element <AXDockItem pid=90 Editor>",
          "Origin: org.example.editor dockItem", "Action: hide true"}},
        {"minimised window's dock tile scroll up restores that window",
         [](T& t) {
             t.back->setMinimized(*t.world, true);
             t.settle(1);
         },
         [](T& t) {
             t.play(t.centreOf(sim::Dock::of(*t.world)->tileOf(*t.back)), {scroll({upwards})}, 2);
         },
         [](T& t) {
             EXPECT_FALSE(t.back->isMinimized());
             EXPECT_EQ(t.frontmost(), T::editorPid);
         },
         {"Origin: Cursor not in frame of element <AXDockItem pid=90 Window 40>",
          "Origin: unknown minDockItem", "Action: unminimizeFromPreview true"}},
        // --- Menu bar
        {"menu bar scroll left switches to the previous application",
         [](T&) { enable({settings::ActionUserType::menubarAppSwitcher}); },
         [](T& t) {
             t.play({600, 10}, {scroll({leftwards})});
         },
         [](T& t) {
             EXPECT_EQ(t.posted(), (Lines{"command down", "tab down cmd+shift", "tab up cmd+shift",
                                          "command up"}));
             EXPECT_NE(t.frontmost(), T::editorPid);
         },
         {"Origin: org.example.editor menubar", "Action: cmdTab(left) true"}},
        {"application menu scroll down minimises the application's next window",
         [](T&) { writeValue(Keys::originAppMenu(), true); },
         [](T& t) { t.play(t.centreOf(t.menuBar.items.at(1)), {scroll({downwards})}); },
         [](T& t) {
             EXPECT_TRUE(t.front->isMinimized());
             EXPECT_FALSE(t.back->isMinimized());
         },
         {"Origin: org.example.editor menu", "Action: minimizeNext true"}},
        {"application menu in full screen scroll up leaves full screen",
         [](T& t) {
             t.front->setFullScreen(*t.world, true);
             t.settle(2);
         },
         [](T& t) { t.play(t.centreOf(t.menuBar.items.at(1)), {scroll({upwards})}, 2); },
         [](T& t) {
             EXPECT_FALSE(t.front->isFullScreen());
             EXPECT_EQ(T::frameOf(t.front), T::onLaptop);
         },
         {"Origin: org.example.editor menuFS", "Action: unfullscreen true"}},
        {"menu bar in full screen scroll down minimises out of full screen",
         [](T& t) {
             t.front->setFullScreen(*t.world, true);
             t.settle(2);
         },
         [](T& t) {
             t.play({600, 10}, {scroll({downwards})}, 3);
         },
         [](T& t) {
             EXPECT_FALSE(t.front->isFullScreen());
             EXPECT_TRUE(t.front->isMinimized());
         },
         {"Origin: org.example.editor menubarFS", "Action: minimizeFS true"}},
        // --- Tabs
        {"tab pinch closes the tab",
         nullptr,
         [](T& t) {
             const CGRect label = *t.strip.labels.at(1)->frame();
             t.play({label.midX(), label.midY()}, {pinch(-0.02)});
         },
         [](T& t) {
             EXPECT_EQ(sim::Tabs::install(*t.world).titles(*t.browserWindow), Lines{"One"});
         },
         {"Origin: com.google.Chrome tab", "Action: closeTab true"}},
        {"native tab rest detaches the tab into a new window",
         [](T& t) {
             enable({settings::ActionUserType::tabDetach});
             t.addNotesWithTabs();
         },
         [](T& t) { t.play(t.centreOf(t.notesStrip.labels.at(1)), {scroll({}, 1.5)}, 2); },
         [](T& t) {
             const auto windows = t.windowsOf(T::notesPid);
             ASSERT_EQ(windows.size(), 2U);
             auto& tabs = sim::Tabs::install(*t.world);
             EXPECT_EQ(tabs.titles(*t.notesWindow), Lines{"Draft"});
             const auto detached =
                 windows.front() == t.notesWindow ? windows.back() : windows.front();
             EXPECT_EQ(tabs.titles(*detached), Lines{"List"});
             EXPECT_EQ(t.frontmost(), T::notesPid);
             EXPECT_EQ(t.linesStarting({"Window: Detached Tab"}),
                       Lines{"Window: Detached Tab in 600ms"});
         },
         {"Origin: org.example.notes tab", "Action: detachTab true"}},
        // --- Hotkeys
        {"hotkey fn left snaps the focused window's left half",
         [](T&) { writeValue(Keys::hotkeys(), true); },
         [](T& t) {
             t.play({700, 450}, {ModifierChange{CGEventFlags::maskSecondaryFn},
                                 KeyStroke{.keyCode = vk::leftArrow}, ModifierChange{}});
         },
         [](T& t) { EXPECT_EQ(T::frameOf(t.front), leftHalfFrame); },
         {"Origin: org.example.editor hotkey",
          "Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"}},
        // --- Mission Control
        {"mission control space scroll right moves the space to the external display",
         [](T&) { enable({settings::ActionUserType::missionControlSpace}); },
         [](T& t) {
             sim::Spaces::of(*t.world).showMissionControl(*t.world);
             t.settle(1);
             t.play(t.centreOf(sim::Spaces::of(*t.world).buttonOf(2)), {scroll({rightwards})}, 2);
         },
         [](T& t) {
             const auto external = sim::Spaces::of(*t.world).displaySpaces("EXTERNAL");
             ASSERT_TRUE(external);
             EXPECT_EQ(external->spaces.size(), 2U);
         },
         {"Origin: unknown mcSpace", "Action: sendSpaceToScreen(right) true"}},
        {"mission control window pinch closes that window",
         [](T& t) {
             sim::Spaces::of(*t.world).showMissionControl(*t.world);
             t.settle(1);
         },
         [](T& t) { t.play(t.centreOf(t.viewerWindow), {pinch(-0.02)}, 2); },
         [](T& t) {
             EXPECT_FALSE(t.isOpen(t.viewerWindow));
             EXPECT_TRUE(t.isOpen(t.front));
         },
         {"Origin: org.example.viewer mcWindow", "Action: close true"}},
    };
    return table;
}

class EndToEndTable : public EndToEndWorld, public ::testing::WithParamInterface<EndToEndRow> {};

TEST_P(EndToEndTable, TheGestureChangesTheDesktop) {
    const EndToEndRow& row = GetParam();
    if (row.arrange)
        row.arrange(*this);
    startEngine();
    row.act(*this);
    row.check(*this);
    EXPECT_EQ(linesStarting({"Origin: ", "Action: "}), row.log)
        << ::testing::PrintToString(output.lines());
}

INSTANTIATE_TEST_SUITE_P(Rows, EndToEndTable, ::testing::ValuesIn(endToEndRows()),
                         [](const ::testing::TestParamInfo<EndToEndRow>& row) {
                             return testName(row.param.name);
                         });

using EndToEndTest = EndToEndWorld;

// A rest on a Dock tile activates the application and chains: the next scroll snaps the window it
// raised.
TEST_F(EndToEndTest, ADockTileRestActivatesTheApplicationAndTheNextScrollSnapsItsWindow) {
    enable({settings::ActionUserType::appChain});
    world->bringToFront(viewerPid);
    settle();
    startEngine();
    play(centreOf(editorTile), {scroll({leftwards}, 1.0)}, 2);
    EXPECT_EQ(frontmost(), editorPid);
    EXPECT_EQ(frameOf(front), leftHalfFrame);
    EXPECT_EQ(
        linesStarting({"Origin: ", "Action: ", "Gesture: chained"}),
        (Lines{"Origin: Cursor not in frame of element <AXDockItem pid=90 Editor>",
               "Origin: org.example.editor dockItem", "Action: activate true", "Gesture: chained",
               "Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"}))
        << ::testing::PrintToString(output.lines());
}

// A scroll up that pauses on a Dock tile restores a window at once and keeps the gesture running;
// fingers lifted while the application still comes forward must not restore a second one.
TEST_F(EndToEndTest, FingersLiftedWhileAPausedScrollRunsItsActionDoNotRunItAgain) {
    // An application slow to come forward, as a busy one is.
    world->component<sim::Timing>().activation = 0.3;
    startEngine();
    play(titleBarOf(front), {scroll({downwards})});
    play(titleBarOf(back), {scroll({downwards})});
    ASSERT_TRUE(front->isMinimized() && back->isMinimized());
    world->bringToFront(viewerPid);
    settle(1);
    output.clear();
    play(centreOf(editorTile), {scroll({upwards})}, 2);
    // One of the two, not both.
    EXPECT_NE(front->isMinimized(), back->isMinimized());
    EXPECT_EQ(frontmost(), editorPid);
    EXPECT_EQ(linesStarting({"Action: ", "Gesture: chained"}),
              (Lines{"Action: unminimizeLast true", "Gesture: chained"}))
        << ::testing::PrintToString(output.lines());
}

// The switcher opened by a rest on the menu bar and then cancelled by Escape: Command goes up.
TEST_F(EndToEndTest, ACancelledApplicationSwitcherGestureLeavesCommandReleased) {
    enable({settings::ActionUserType::menubarAppSwitcher});
    startEngine();
    input().movePointer({600, 10});
    // The fingers rest on the menu bar, and Escape comes while they do.
    hardware().play(scroll({leftwards}, 1.0));
    hardware().play(KeyStroke{.keyCode = vk::escape}, 0.8);
    scheduler().runFor(0.7);
    EXPECT_TRUE(isAppSwitcherCommandHeld());
    EXPECT_TRUE(input().heldModifierFlags().contains(CGEventFlags::maskCommand));
    scheduler().runFor(3);
    EXPECT_FALSE(isAppSwitcherCommandHeld());
    EXPECT_FALSE(input().heldModifierFlags().contains(CGEventFlags::maskCommand));
    EXPECT_EQ(linesStarting({"Action: ", "Gesture: cancelled"}),
              (Lines{"Action: invokeAppSwitcher true", "Gesture: cancelled"}))
        << ::testing::PrintToString(output.lines());
    const Lines sent = posted();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "command up"), 1);
}

}  // namespace
}  // namespace zoral::engine::testing
