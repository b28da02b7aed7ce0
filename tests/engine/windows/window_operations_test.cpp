#include "engine/windows/window_operations.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/pid_timestamps.h"
#include "engine/windows/snap_engine.h"
#include "platform/date.h"
#include "sim/button_node.h"
#include "sim/keyboard_effects.h"
#include "sim/spaces.h"
#include "sim/workspace.h"
#include "snap_world.h"

namespace zoral::engine {
namespace {

using desktop::Direction;
using platform::CGEventType;
using platform::CGPoint;
using platform::CGRect;

class WindowOperationsTest : public testing::SnapWorldTest {
protected:
    std::vector<sim::WorkspaceRequest> activations() {
        std::vector<sim::WorkspaceRequest> found;
        for (const auto& request : sim::workspace(*world).requests()) {
            if (request.kind == sim::WorkspaceRequest::Kind::activate)
                found.push_back(request);
        }
        return found;
    }
};

TEST_F(WindowOperationsTest, MinimisingStampsTheTimeForTheLatestUnminimise) {
    const auto node = addWindow({100, 100, 600, 400});
    const auto window = windowOf(node);
    settle(3);
    const double stampedAt = platform::Date::now().unixTime();
    minimize(window);
    EXPECT_FALSE(node->isMinimized()) << "the write waits a moment";
    settle(0.02);
    EXPECT_FALSE(node->isMinimized()) << "the Dock's animation";
    settle(timing().minimize);
    EXPECT_TRUE(node->isMinimized());
    const auto stamps = desktop::PidTimestamps::shared().stamps(editorPid);
    ASSERT_TRUE(stamps);
    EXPECT_EQ(stamps->at(window->id()), stampedAt);
}

TEST_F(WindowOperationsTest, ASnappedWindowKeepsItsSpanOnTheNextScreenAnyOtherIsCentred) {
    addExternalDisplay();
    const auto snappedNode = addWindow({100, 100, 600, 400});
    const auto plainNode = addWindow({200, 200, 500, 300});
    snap(windowOf(snappedNode), leftHalf, screen(0));

    const auto target = moveToScreen(windowOf(snappedNode), Direction::right, screen(0));
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, screen(1));
    // The external display's snap area is (1440, -155, 1920, 1055).
    EXPECT_EQ(frameOf(snappedNode), (CGRect{1440, -155, 960, 1055})) << "its left half";
    EXPECT_EQ(SnappedWindows::shared().record(*windowOf(snappedNode))->frameBeforeSnap,
              (CGRect{100, 100, 600, 400}));

    (void)moveToScreen(windowOf(plainNode), Direction::right, screen(0), {.moveCursor = true});
    EXPECT_EQ(frameOf(plainNode), (CGRect{2150, 223, 500, 300})) << "centred at its size";
    EXPECT_FALSE(SnappedWindows::shared().isSnapped(*windowOf(plainNode)));

    EXPECT_EQ(input().warps(), (std::vector<CGPoint>{{2400, 223 + 26}}))
        << "only the move that asked for it";
    const auto requests = activations();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].options.rawValue(), 3U) << "all windows, ignoring other applications";

    EXPECT_EQ(moveToScreen(windowOf(plainNode), Direction::right, screen(1)), std::nullopt);
    EXPECT_EQ(moveToScreen(windowOf(plainNode), Direction::right, std::nullopt), std::nullopt);
    EXPECT_EQ(frameOf(plainNode), (CGRect{2150, 223, 500, 300}));
}

TEST_F(WindowOperationsTest, AWindowGoesFullScreenOnTheNextScreen) {
    addExternalDisplay();
    const auto node = addWindow({100, 100, 600, 400});
    moveToFullscreenOnScreen(windowOf(node), Direction::right, screen(0));
    settle(0.02);
    EXPECT_FALSE(node->isFullScreen()) << "asked 0.01 s after the move; the display's animation";
    settle(timing().fullScreenEnter);
    EXPECT_TRUE(node->isFullScreen());
    EXPECT_EQ(frameOf(node), (CGRect{1440, -180, 1920, 1080})) << "the whole external display";

    // From full screen: out, across, and in again 0.2 s after the move.
    const auto other = addWindow({100, 100, 600, 400});
    other->setFullScreen(*world, true);
    settle(timing().fullScreenEnter);
    ASSERT_TRUE(other->isFullScreen());
    moveToFullscreenOnScreen(windowOf(other), Direction::right, screen(0));
    // Back after the leaving's animation, when the poll sees it; moved then.
    settle(timing().fullScreenExit + 0.1);
    EXPECT_FALSE(other->isFullScreen());
    EXPECT_EQ(frameOf(other).minX(), 1440 + (1920 - 600) / 2) << "moved as a window, centred";
    // Asked 0.2 s after the move, in full screen once the animation is over.
    settle(0.2 + timing().fullScreenEnter);
    EXPECT_TRUE(other->isFullScreen());
    EXPECT_EQ(frameOf(other), (CGRect{1440, -180, 1920, 1080}));
}

TEST_F(WindowOperationsTest, ClosingPressesTheCloseButtonOrSendsCommandW) {
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled button" : "disabled button");
        const auto node = addWindow({100, 100, 600, 400});
        auto button = world->makeNode<sim::ButtonNode>(editorPid);
        button->set("AXSubrole", "AXCloseButton");
        button->set("AXEnabled", enabled);
        node->appendChild(button);
        node->set("AXCloseButton", platform::ax::Value(button->element()));
        const auto window = windowOf(node);
        input().resetPostedEvents();
        sim::workspace(*world).activateNow(*world, editorPid);

        close(window);
        settle();
        EXPECT_TRUE(node->isDestroyed());
        const auto posted = input().postedEvents();
        if (enabled) {
            EXPECT_TRUE(posted.empty());
        } else {
            ASSERT_EQ(posted.size(), 2U);
            EXPECT_EQ(posted[0].event.keyCode, 13) << "W";
            EXPECT_EQ(posted[0].event.targetPid, editorPid);
            EXPECT_TRUE(posted[0].event.flags.contains(platform::CGEventFlags::maskCommand));
        }
    }
}

// Without the window's process (the permission was revoked, say) Command-W has nowhere to go: sent
// to every application, it would close the front application's window instead.
TEST_F(WindowOperationsTest, ClosingAWindowWhoseProcessIsUnknownSendsNothing) {
    const auto node = addWindow({100, 100, 600, 400});
    const auto window = windowOf(node);
    constexpr platform::ProcessId otherPid = 31;
    world->addProcess(otherPid, "org.example.other", "Other");
    const auto other = addWindow({200, 200, 600, 400}, {}, otherPid);
    sim::workspace(*world).activateNow(*world, otherPid);
    input().resetPostedEvents();
    world->setTrusted(false);

    close(window);
    settle();
    world->setTrusted(true);
    EXPECT_TRUE(input().postedEvents().empty());
    EXPECT_FALSE(other->isDestroyed());
}

TEST_F(WindowOperationsTest, TheTitleBarPressLandsOnTheScreen) {
    const CGRect screenFrame{0, 0, 1440, 900};
    struct Case {
        const char* what;
        CGRect window;
        std::optional<CGRect> button;
        CGPoint expected;
    };
    const Case cases[] = {
        {"beside the full-screen button", {100, 50, 800, 600}, CGRect{150, 55, 14, 14}, {174, 54}},
        {"the button too far right: 100 points in",
         {1000, 50, 800, 600},
         CGRect{1430, 55, 14, 14},
         {1100, 54}},
        {"no button: 100 points in", {100, 50, 800, 600}, std::nullopt, {200, 54}},
        {"hanging off the left: 20 points before the right end",
         {-300, 50, 350, 600},
         std::nullopt,
         {30, 54}},
        {"the middle of what is on the screen", {-150, 50, 160, 600}, std::nullopt, {5, 54}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(titleBarPressPoint(c.window, c.button, screenFrame), c.expected) << c.what;
}

TEST_F(WindowOperationsTest, AWindowIsCarriedToTheNextSpaceByItsTitleBar) {
    sim::Spaces& spaces = sim::Spaces::of(*world);
    spaces.setDisplaySpaces(*world, {{"LAPTOP", 1, {{1}, {2}}}});
    const auto node = addWindow({100, 100, 600, 400});
    spaces.placeWindow(node->windowNumber(), 1);
    input().movePointer({700, 700});
    input().resetPostedEvents();

    // No hot keys file: the system's default, Control-Fn-Right arrow; up counts as right.
    moveToSpace(windowOf(node), Direction::up);
    settle(2);
    EXPECT_EQ(spaces.spaceOfWindow(node->windowNumber()), 2);
    const auto posted = input().postedEvents();
    ASSERT_EQ(posted.size(), 4U);
    EXPECT_EQ(posted[0].event.type, CGEventType::leftMouseDown);
    EXPECT_EQ(posted[0].event.location, (CGPoint{200, 104})) << "100 points into the title bar";
    EXPECT_EQ(posted[1].event.type, CGEventType::keyDown);
    EXPECT_EQ(posted[1].event.keyCode, 124);
    EXPECT_EQ(posted[1].event.flags.rawValue() & 0x9E0000U, 0x840000U);
    EXPECT_EQ(posted[2].event.type, CGEventType::keyUp);
    EXPECT_EQ(posted[3].event.type, CGEventType::leftMouseUp);
    EXPECT_EQ(posted[3].event.location, posted[0].event.location);
    EXPECT_NEAR(posted[1].time - posted[0].time, 0.1 + 0.01, 1e-9);
    EXPECT_NEAR(posted[3].time - posted[2].time, 0.01 + 0.1, 1e-9);
    EXPECT_EQ(input().warps(), (std::vector<CGPoint>{{700, 700}})) << "the pointer goes back";
    EXPECT_EQ(input().pointer(), (CGPoint{700, 700}));
}

TEST_F(WindowOperationsTest, TheUsersOwnSpaceShortcutIsPostedEvenWhenSwitchedOff) {
    std::filesystem::create_directories(home.preferences());
    std::ofstream(home.preferences() / "com.apple.symbolichotkeys.plist")
        << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>AppleSymbolicHotKeys</key><dict>
<key>79</key><dict><key>enabled</key><false/><key>value</key><dict><key>parameters</key>
<array><integer>65535</integer><integer>2</integer><integer>262144</integer></array>
</dict></dict></dict></dict></plist>)";
    sim::Spaces::of(*world).setDisplaySpaces(*world, {{"LAPTOP", 2, {{1}, {2}}}});
    const auto node = addWindow({100, 100, 600, 400});
    input().resetPostedEvents();

    moveToSpace(windowOf(node), Direction::left);
    settle(2);
    const auto posted = input().postedEvents();
    ASSERT_EQ(posted.size(), 4U);
    EXPECT_EQ(posted[1].event.keyCode, 2);
    EXPECT_EQ(posted[1].event.flags.rawValue() & 0x9E0000U, 0x40000U) << "Control alone";
}

}  // namespace
}  // namespace zoral::engine
