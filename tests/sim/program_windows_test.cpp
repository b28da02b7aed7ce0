// The program's own windows in the simulated desktop, the cursor's hide count and the system's
// colours: what the program shows, as the desktop reports it.

#include "sim/program_windows.h"

#include <gtest/gtest.h>

#include "platform/cursor.h"
#include "platform/program_windows.h"
#include "platform/system_colors.h"
#include "sim/cursor.h"
#include "sim/displays.h"
#include "sim/spaces.h"
#include "sim/system_colors.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::CGRect;

class ProgramWindowsTest : public zoral::testing::VirtualClockTest {
protected:
    static constexpr platform::ProcessId editorPid = 12;

    ProgramWindowsTest() {
        Displays::of(*world).setDisplays(
            {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        world->addProcess(editorPid, "org.example.editor", "Editor");
        editorWindow = world->makeNode<WindowNode>(editorPid, 40);
        editorWindow->set("AXPosition", platform::CGPoint{100, 100});
        editorWindow->set("AXSize", platform::CGSize{800, 750});
        world->process(editorPid)->application->appendChild(editorWindow);
    }

    ProgramWindows& windows() { return ProgramWindows::of(*world); }

    zoral::testing::TemporaryHome home;
    ScopedWorld world;
    std::shared_ptr<WindowNode> editorWindow;
};

TEST_F(ProgramWindowsTest, AnOrderedInWindowIsSeenAboveEverythingAndNeverHit) {
    const platform::ProgramWindowStyle style{
        .level = platform::windowLevelForKey(platform::CGWindowLevelKey::assistiveTechHigh),
        .ignoresMouseEvents = true,
        .canJoinAllSpaces = true};
    // Bottom-left coordinates: 100 points above the bottom of a 900-point display.
    const auto number = platform::programWindowCreate(style, CGRect{200, 100, 40, 30});
    EXPECT_TRUE(windows().visible(*world).empty()) << "made ordered out";
    EXPECT_FALSE(WindowServer::of(*world).window(*windows().node(number)));

    platform::programWindowOrderFront(number);
    const auto seen = windows().visible(*world);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].frame, (CGRect{200, 100, 40, 30}));
    EXPECT_EQ(seen[0].alpha, 1.0);
    // The window server holds it in top-left coordinates, in front of every window.
    const auto node = windows().node(number);
    EXPECT_EQ(*node->frame(), (CGRect{200, 770, 40, 30}));
    EXPECT_EQ(WindowServer::of(*world).windows().front().number, number);
    EXPECT_EQ(WindowServer::of(*world).windows().front().owner, world->programPid());
    // The pointer passes through to the editor's window below.
    EXPECT_EQ(WindowServer::of(*world).hitTest(*world, {210, 780}), editorWindow);

    platform::programWindowSetFrame(number, CGRect{0, 0, 50, 50});
    EXPECT_EQ(*node->frame(), (CGRect{0, 850, 50, 50}));
    platform::programWindowSetAlpha(number, 0.25);
    EXPECT_EQ(windows().visible(*world).at(0).alpha, 0.25);
    platform::programWindowSetAlpha(number, -1);
    EXPECT_TRUE(windows().visible(*world).empty()) << "fully transparent is not seen";
    EXPECT_EQ(windows().window(number)->alpha, 0.0) << "clamped";

    platform::programWindowSetAlpha(number, 1);
    platform::programWindowOrderOut(number);
    EXPECT_TRUE(windows().visible(*world).empty());
    EXPECT_FALSE(WindowServer::of(*world).window(*node)) << "off screen leaves the window server";
    platform::programWindowOrderFront(number);
    EXPECT_EQ(windows().visible(*world).size(), 1u) << "and comes back with the same number";
    EXPECT_EQ(WindowServer::of(*world).window(*node)->number, number);

    EXPECT_EQ(windows().orderings(),
              (std::vector<ProgramWindowOrdering>{{number, true}, {number, false}, {number, true}}))
        << "what the program asked, in order";

    platform::programWindowDestroy(number);
    EXPECT_EQ(windows().count(), 0u);
    EXPECT_TRUE(windows().visible(*world).empty());
    platform::programWindowSetAlpha(number, 1);  // ignored, as for any unknown number
}

TEST_F(ProgramWindowsTest, OnlyWindowsThatJoinAllSpacesStayWhenTheSpaceChanges) {
    const auto everywhere = platform::programWindowCreate(
        {.level = 3, .ignoresMouseEvents = true, .canJoinAllSpaces = true}, {0, 0, 10, 10});
    const auto here = platform::programWindowCreate(
        {.level = 3, .ignoresMouseEvents = true, .canJoinAllSpaces = false}, {0, 0, 10, 10});
    platform::programWindowOrderFront(everywhere);
    platform::programWindowOrderFront(here);
    ASSERT_EQ(windows().visible(*world).size(), 2u);
    EXPECT_EQ(windows().visible(*world).front().number, here) << "the later order is in front";

    Spaces& spaces = Spaces::of(*world);
    spaces.setDisplaySpaces(*world, {{"LAPTOP", 1, {{1}, {2}}}});
    // As before every switch: windows of no space yet join the shown one, unless on every space.
    WindowServer::of(*world).pinUnplaced(*Displays::of(*world).topLeftFrame("LAPTOP"), 1);
    ASSERT_TRUE(spaces.switchSpace(*world, "LAPTOP", true));
    const auto seen = windows().visible(*world);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].number, everywhere);
}

TEST_F(ProgramWindowsTest, TheCursorFollowsABackgroundProgramOnlyWithTheConnectionProperty) {
    Cursor& cursor = Cursor::of(*world);
    world->programProcess();
    platform::cursorHide();
    EXPECT_TRUE(cursor.isVisible()) << "a background program cannot hide the cursor by default";
    EXPECT_EQ(cursor.hideCalls(), 1);
    platform::cursorUnhide();
    EXPECT_EQ(cursor.hideCount(), 0);

    platform::setSetsCursorInBackground(true);
    platform::cursorHide();
    platform::cursorHide();
    EXPECT_FALSE(cursor.isVisible());
    EXPECT_EQ(cursor.hideCount(), 2);
    platform::cursorUnhide();
    EXPECT_FALSE(cursor.isVisible()) << "each unhide balances one hide";
    platform::cursorUnhide();
    platform::cursorUnhide();
    EXPECT_TRUE(cursor.isVisible());
    EXPECT_EQ(cursor.hideCount(), 0) << "never below zero";
    platform::cursorHide();
    EXPECT_FALSE(cursor.isVisible()) << "so one hide hides it again";
    EXPECT_EQ(cursor.hideCalls(), 4);
    EXPECT_EQ(cursor.unhideCalls(), 4);
}

TEST_F(ProgramWindowsTest, TheAccentColourFollowsTheUsersChoiceFromTheSystemThatIntroducedIt) {
    const auto blue = platform::controlAccentColor();
    ASSERT_TRUE(blue);
    EXPECT_EQ(*blue, platform::systemBlueColor()) << "blue by default";

    setAccentColor(3);
    const auto green = platform::controlAccentColor();
    ASSERT_TRUE(green);
    EXPECT_GT(green->green, green->red);
    EXPECT_GT(green->green, green->blue);
    setAccentColor(42);
    EXPECT_EQ(platform::controlAccentColor(), platform::systemBlueColor())
        << "unknown: the default";

    setAccentColor(3);
    setInterfaceStyle("Dark");
    EXPECT_NE(platform::controlAccentColor(), green) << "the dark shade";
    EXPECT_NE(platform::systemBlueColor(), *blue);
    setInterfaceStyle(std::nullopt);

    SystemVersion::of(*world).setVersion({10, 13, 6});
    EXPECT_FALSE(platform::controlAccentColor()) << "no accent colour before 10.14";
    setAccentColor(std::nullopt);
}

}  // namespace
}  // namespace zoral::sim
