#include "sim/spaces.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/plist_serialization.h"
#include "platform/run_loop.h"
#include "platform/spaces.h"
#include "platform/window_list.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/hands.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGEvent;
using platform::CGEventFlags;
using platform::CGEventTapLocation;
using platform::CGEventType;
using platform::CGPoint;
using platform::PlistObject;

constexpr std::uint64_t controlFn = 0x840000;
constexpr platform::CGKeyCode leftArrow = 123;
constexpr platform::CGKeyCode rightArrow = 124;

class SpacesTest : public zoral::testing::VirtualClockTest {
protected:
    SpacesTest() {
        // Left: the primary display; right: a taller one beside it (top-left y from -180).
        Displays::of(*world).setDisplays(
            {Display{.number = 1, .uuid = "LEFT", .frame = {0, 0, 1440, 900}},
             Display{.number = 2, .uuid = "RIGHT", .frame = {1440, 0, 1920, 1080}}});
        spaces().setDisplaySpaces(*world,
                                  {{"LEFT", 1, {{1}, {2}, {3, true}}}, {"RIGHT", 10, {{10}}}});
        Process& editor = world->addProcess(5, "org.example.editor", "Editor");
        window = world->makeNode<WindowNode>(5, 50);
        window->moveTo(*world, {100, 200});
        window->resizeTo(*world, {600, 400});
        editor.application->appendChild(window);
        spaces().placeWindow(50, 1);
    }

    Spaces& spaces() { return Spaces::of(*world); }

    // A window of the editor with that frame (top-left coordinates) on the space.
    std::shared_ptr<WindowNode> addWindow(std::int64_t number, platform::CGRect frame,
                                          std::int64_t space) {
        auto made = world->makeNode<WindowNode>(5, number);
        made->moveTo(*world, frame.origin);
        made->resizeTo(*world, frame.size);
        world->process(5)->application->appendChild(made);
        spaces().placeWindow(number, space);
        return made;
    }

    static void post(CGEventType type, CGPoint location, std::uint16_t keyCode = 0,
                     std::uint64_t flags = 0) {
        CGEvent event;
        event.type = type;
        event.location = location;
        event.keyCode = keyCode;
        event.flags = CGEventFlags(flags | 0x100);
        platform::eventPost(CGEventTapLocation::hid, event);
    }

    static void pressKey(platform::CGKeyCode code, std::uint64_t flags, CGPoint at = {10, 10}) {
        post(CGEventType::keyDown, at, code, flags);
        post(CGEventType::keyUp, at, code, flags);
    }

    std::int64_t currentOf(const std::string& display) const {
        return Spaces::of(*world).displaySpaces(display)->current;
    }

    // Nothing reads the real user's hot keys.
    zoral::testing::TemporaryHome home;
    ScopedWorld world;
    std::shared_ptr<WindowNode> window;
};

TEST_F(SpacesTest, WindowServerAnswerHasOneEntryPerDisplayWithTheFullScreenMarker) {
    const auto answer = platform::cgsCopyManagedDisplaySpaces(platform::cgsDefaultConnection());
    ASSERT_TRUE(answer);
    const auto& displays = answer->get<platform::PlistArray>();
    ASSERT_EQ(displays.size(), 2U);
    EXPECT_EQ(displays[0].find("Display Identifier")->stringValue(), "LEFT");
    EXPECT_EQ(
        displays[0].find("Current Space")->find("ManagedSpaceID")->integerValue()->int64Value(), 1);
    const auto& left = displays[0].find("Spaces")->get<platform::PlistArray>();
    ASSERT_EQ(left.size(), 3U);
    EXPECT_EQ(left[1].find("ManagedSpaceID")->integerValue()->int64Value(), 2);
    EXPECT_EQ(left[1].find("TileLayoutManager"), nullptr);
    ASSERT_NE(left[2].find("TileLayoutManager"), nullptr);
    EXPECT_TRUE(left[2].find("TileLayoutManager")->is(PlistObject::Kind::dictionary));
    EXPECT_EQ(spaces().answerCount(), 1);

    spaces().replaceAnswer(std::nullopt);
    EXPECT_FALSE(platform::cgsCopyManagedDisplaySpaces(platform::cgsDefaultConnection()));
    spaces().replaceAnswer(PlistObject::string("garbage"));
    EXPECT_EQ(platform::cgsCopyManagedDisplaySpaces(platform::cgsDefaultConnection()),
              PlistObject::string("garbage"));
    spaces().restoreAnswer();
    EXPECT_EQ(platform::cgsCopyManagedDisplaySpaces(platform::cgsDefaultConnection()),
              spaces().describe());
}

TEST_F(SpacesTest, MissionControlHangsOneSpacesBarPerDisplayUnderTheDock) {
    spaces().showMissionControl(*world);
    ASSERT_NE(Dock::of(*world), nullptr);
    const auto& dockChildren = world->process(Dock::defaultPid)->application->children();
    const auto overview = dockChildren.back();
    EXPECT_EQ(ax::copyAttributeValue(overview->element(), "AXTitle").value(),
              ax::Value("Mission Control"));
    ASSERT_EQ(overview->children().size(), 2U);

    // Bars are grandchildren of the overview, lists their children, buttons in the display's order.
    const auto right = overview->children()[1]->children().front();
    EXPECT_EQ(right, spaces().barOf("RIGHT"));
    EXPECT_EQ(ax::copyAttributeValue(right->element(), "AXTitle").value(), ax::Value("Spaces Bar"));
    EXPECT_EQ(right->frame(), platform::CGRect(1440, -180, 1920, Spaces::barHeight));
    const auto leftList = spaces().barOf("LEFT")->children().front();
    EXPECT_EQ(leftList->role(), "AXList");
    ASSERT_EQ(leftList->children().size(), 3U);
    EXPECT_EQ(leftList->children()[1], spaces().buttonOf(2));
    EXPECT_EQ(spaces().buttonOf(2)->frame(), platform::CGRect(200, 5, 160, 90));
    EXPECT_EQ(*spaces().buttonOf(2)->stored("AXFrame")->getIf<platform::CGRect>(),
              platform::CGRect(200, 5, 160, 90));

    const auto button = spaces().buttonOf(2);
    spaces().hide(*world);
    EXPECT_FALSE(spaces().isShowing());
    EXPECT_TRUE(button->isDestroyed());
    EXPECT_EQ(world->process(Dock::defaultPid)->application->children().size(),
              dockChildren.size());

    spaces().showAppExpose(*world);
    EXPECT_TRUE(spaces().isShowing());
    EXPECT_EQ(spaces().barOf("LEFT"), nullptr);
}

TEST_F(SpacesTest, DefaultHotKeySwitchesTheDisplayUnderThePointerAndStopsAtTheEnds) {
    pressKey(rightArrow, controlFn);
    EXPECT_EQ(currentOf("LEFT"), 2);
    pressKey(rightArrow, controlFn);
    pressKey(rightArrow, controlFn);
    EXPECT_EQ(currentOf("LEFT"), 3);
    pressKey(leftArrow, controlFn);
    EXPECT_EQ(currentOf("LEFT"), 2);
    // Other modifiers, or the key alone, are not the shortcut.
    pressKey(leftArrow, controlFn | 0x20000);
    pressKey(leftArrow, 0);
    EXPECT_EQ(currentOf("LEFT"), 2);
    // The right display has one space: nothing to switch to.
    pressKey(rightArrow, controlFn, {2000, 100});
    EXPECT_EQ(currentOf("RIGHT"), 10);
    EXPECT_EQ(currentOf("LEFT"), 2);
    // Switching alone leaves the window behind.
    EXPECT_EQ(spaces().spaceOfWindow(50), 1);
}

TEST_F(SpacesTest, HotKeyCarriesTheWindowWhoseTitleBarIsHeld) {
    struct Case {
        CGPoint press;
        std::int64_t windowSpace;
    };
    const Case cases[] = {
        {{300, 210}, 2},  // in the title bar
        {{300, 260}, 1},  // in the window's content
    };
    for (const Case& c : cases) {
        spaces().setDisplaySpaces(*world, {{"LEFT", 1, {{1}, {2}}}, {"RIGHT", 10, {{10}}}});
        spaces().placeWindow(50, 1);
        post(CGEventType::leftMouseDown, c.press);
        pressKey(rightArrow, controlFn, c.press);
        post(CGEventType::leftMouseUp, c.press);
        EXPECT_EQ(currentOf("LEFT"), 2);
        EXPECT_EQ(spaces().spaceOfWindow(50), c.windowSpace) << c.press.y;
        EXPECT_EQ(spaces().heldWindow(), nullptr);
    }

    // The user's own press on the title bar, and the user's own hot key, carry the window too.
    spaces().setDisplaySpaces(*world, {{"LEFT", 1, {{1}, {2}}}, {"RIGHT", 10, {{10}}}});
    spaces().placeWindow(50, 1);
    Hands& hands = Hands::of(*world);
    hands.movePointer({300, 210});
    hands.pressButton();
    hands.holdModifiers(CGEventFlags(controlFn));
    hands.pressKey(rightArrow);
    EXPECT_EQ(spaces().spaceOfWindow(50), 2);
    EXPECT_EQ(spaces().heldWindow(), window);
    hands.releaseButton();
    EXPECT_EQ(spaces().heldWindow(), nullptr);
}

TEST_F(SpacesTest, TheUsersHotKeyFileReplacesTheDefault) {
    const auto write = [&](bool enabled) {
        using platform::PlistObject;
        const auto entry = [&](std::int64_t code) {
            return PlistObject::dictionary(
                {{"enabled", PlistObject::boolean(enabled)},
                 {"value",
                  PlistObject::dictionary(
                      {{"parameters",
                        PlistObject::array({PlistObject::integer(65535), PlistObject::integer(code),
                                            PlistObject::integer(0x100000)})},
                       {"type", PlistObject::string("standard")}})}});
        };
        const auto root = PlistObject::dictionary(
            {{"AppleSymbolicHotKeys",
              PlistObject::dictionary({{"79", entry(18)}, {"81", entry(19)}})}});
        const auto directory = home.path() / "Library" / "Preferences";
        std::filesystem::create_directories(directory);
        const auto bytes = platform::writePlist(root, platform::PlistFormat::binary);
        std::ofstream(directory / "com.apple.symbolichotkeys.plist", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    };
    write(true);
    pressKey(rightArrow, controlFn);
    EXPECT_EQ(currentOf("LEFT"), 1);
    pressKey(19, 0x100000);  // Command-2
    EXPECT_EQ(currentOf("LEFT"), 2);
    pressKey(18, 0x100000);
    EXPECT_EQ(currentOf("LEFT"), 1);

    write(false);
    pressKey(19, 0x100000);
    pressKey(rightArrow, controlFn);
    EXPECT_EQ(currentOf("LEFT"), 1);
}

TEST_F(SpacesTest, DraggingASpaceButtonOntoAnotherDisplaysBarMovesTheSpace) {
    spaces().showMissionControl(*world);
    const auto button = spaces().buttonOf(2);
    const CGPoint start{280, 15};
    // Released on its own display's bar: stays.
    post(CGEventType::leftMouseDown, start);
    post(CGEventType::leftMouseDragged, {900, 40});
    post(CGEventType::leftMouseUp, {900, 40});
    EXPECT_EQ(spaces().displaySpaces("LEFT")->spaces.size(), 3U);
    // Released below the other display's bar: stays.
    post(CGEventType::leftMouseDown, start);
    post(CGEventType::leftMouseUp, {1700, 300});
    EXPECT_EQ(spaces().displaySpaces("LEFT")->spaces.size(), 3U);
    // A press beside every button drags nothing.
    post(CGEventType::leftMouseDown, {1000, 40});
    post(CGEventType::leftMouseUp, {1700, -130});
    EXPECT_EQ(spaces().displaySpaces("LEFT")->spaces.size(), 3U);

    post(CGEventType::leftMouseDown, start);
    post(CGEventType::leftMouseUp, {1700, -130});
    EXPECT_EQ(spaces().displaySpaces("LEFT")->spaces, (std::vector<SimSpace>{{1}, {3, true}}));
    EXPECT_EQ(spaces().displaySpaces("RIGHT")->spaces, (std::vector<SimSpace>{{10}, {2}}));
    // The same button, now the last of the right display's list.
    EXPECT_EQ(spaces().barOf("RIGHT")->children().front()->children().back(), button);
    EXPECT_EQ(button->frame(), platform::CGRect(1640, -175, 160, 90));
}

TEST_F(SpacesTest, MovingKeepsADisplaysLastSpaceAndReplacesItsCurrentOne) {
    EXPECT_FALSE(spaces().moveSpace(*world, 10, "LEFT"));
    EXPECT_FALSE(spaces().moveSpace(*world, 2, "LEFT"));
    EXPECT_FALSE(spaces().moveSpace(*world, 2, "NOWHERE"));
    EXPECT_TRUE(spaces().moveSpace(*world, 1, "RIGHT"));
    EXPECT_EQ(currentOf("LEFT"), 2);
    EXPECT_EQ(currentOf("RIGHT"), 10);
    // Events posted to one process never reach the window server's shortcuts.
    CGEvent key;
    key.type = CGEventType::keyDown;
    key.keyCode = rightArrow;
    key.flags = CGEventFlags(controlFn);
    platform::eventPostToPid(5, key);
    EXPECT_EQ(currentOf("LEFT"), 2);
}

// A switch shows the windows of the space and hides the others: it moves and resizes nothing.
TEST_F(SpacesTest, SwitchingShowsAndHidesWindowsWithoutMovingThem) {
    auto second = world->makeNode<WindowNode>(5, 51);
    second->moveTo(*world, {300, 300});
    second->resizeTo(*world, {500, 300});
    world->process(5)->application->appendChild(second);
    spaces().placeWindow(51, 2);
    scheduler().runUntilIdle();
    std::vector<std::string> heard;
    const auto observer =
        ax::observerCreateWithInfoCallback(5, [&](const ax::ObserverRef&, ax::Element,
                                                  const std::string& name, const ax::Info&,
                                                  const ax::ObserverUserData&) {
            heard.push_back(name);
        }).value();
    platform::RunLoop::main().addSource(ax::observerGetRunLoopSource(observer),
                                        platform::RunLoopMode::defaultMode);
    for (const char* name : {"AXMoved", "AXResized"})
        ASSERT_EQ(ax::observerAddNotification(observer, world->process(5)->application->element(),
                                              name, {}),
                  ax::success);
    const auto shown = [&] {
        std::vector<std::int64_t> numbers;
        const auto list =
            platform::windowListCopyWindowInfo(platform::windowListOptionOnScreenOnly, 0);
        for (const auto& entry : *list)
            numbers.push_back(*entry.at("kCGWindowNumber").integerValue()->int64Value());
        return numbers;
    };
    const std::vector<std::pair<bool, std::vector<std::int64_t>>> steps{
        {true, {51}}, {false, {50}}, {true, {51}}};
    EXPECT_EQ(shown(), (std::vector<std::int64_t>{50}));
    for (const auto& [towardsRight, expected] : steps) {
        ASSERT_TRUE(spaces().switchSpace(*world, "LEFT", towardsRight));
        scheduler().runUntilIdle();
        EXPECT_EQ(shown(), expected);
        EXPECT_EQ(window->frame(), platform::CGRect(100, 200, 600, 400));
        EXPECT_EQ(second->frame(), platform::CGRect(300, 300, 500, 300));
        EXPECT_EQ(spaces().spaceOfWindow(50), 1);
        EXPECT_EQ(spaces().spaceOfWindow(51), 2);
    }
    EXPECT_TRUE(heard.empty());
    platform::RunLoop::main().removeSource(ax::observerGetRunLoopSource(observer),
                                           platform::RunLoopMode::defaultMode);
}

// A display that goes leaves its windows on the primary display, each where it was on its own
// display's visible frame as far as it fits; its desktops' windows join the primary display's
// current space and its full-screen spaces the primary display's spaces.
TEST_F(SpacesTest, ARemovedDisplaysWindowsComeOntoThePrimaryDisplay) {
    struct Case {
        const char* what;
        platform::CGRect before;
        platform::CGRect after;
    };
    // The right display's top-left corner is (1440, -180); the left one is 1440 x 900.
    const Case cases[] = {
        {"the same place", {1600, 100, 600, 400}, {160, 280, 600, 400}},
        {"pulled in at the right and the bottom", {3000, 600, 600, 400}, {840, 500, 600, 400}},
        {"larger than the display: its top-left corner",
         {1500, -100, 1800, 1000},
         {0, 0, 1800, 1000}},
    };
    std::vector<std::shared_ptr<WindowNode>> windows;
    for (const Case& c : cases) {
        auto made = world->makeNode<WindowNode>(5, 60 + static_cast<std::int64_t>(windows.size()));
        made->moveTo(*world, c.before.origin);
        made->resizeTo(*world, c.before.size);
        world->process(5)->application->appendChild(made);
        spaces().placeWindow(made->windowNumber(), 10);
        windows.push_back(made);
    }
    auto full = world->makeNode<WindowNode>(5, 70);
    full->moveTo(*world, {1600, 100});
    full->resizeTo(*world, {600, 400});
    world->process(5)->application->appendChild(full);
    full->setFullScreen(*world, true);
    scheduler().advance(1);
    ASSERT_TRUE(full->isFullScreen());
    const std::int64_t fullSpace = *spaces().spaceOfWindow(70);
    ASSERT_EQ(currentOf("RIGHT"), fullSpace);

    ASSERT_TRUE(Displays::of(*world).removeDisplay(2));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(windows[i]->frame(), cases[i].after);
        EXPECT_EQ(spaces().spaceOfWindow(windows[i]->windowNumber()), 1);
    }
    EXPECT_EQ(window->frame(), platform::CGRect(100, 200, 600, 400)) << "the left display's own";
    EXPECT_EQ(full->frame(), platform::CGRect(0, 0, 1440, 900));
    EXPECT_TRUE(full->isFullScreen());
    EXPECT_EQ(spaces().spaceOfWindow(70), fullSpace);
    EXPECT_EQ(spaces().displaySpaces("RIGHT"), std::nullopt);
    const auto left = spaces().displaySpaces("LEFT");
    ASSERT_TRUE(left);
    EXPECT_EQ(left->spaces, (std::vector<SimSpace>{{1}, {2}, {3, true}, {fullSpace, true}}));
    EXPECT_EQ(left->current, 1);
    // On screen: the windows brought over and the left display's own; the full-screen one waits
    // on its space.
    const auto list = platform::windowListCopyWindowInfo(platform::windowListOptionOnScreenOnly, 0);
    EXPECT_EQ(list->size(), 4u);
}

// Every level of window comes over, not only the normal ones; a window that reaches onto a
// remaining display goes onto it where it is.
TEST_F(SpacesTest, ARemovedDisplaysWindowsOfEveryLevelComeOver) {
    struct Case {
        const char* what;
        int level;
        platform::CGRect before;
        platform::CGRect after;
    };
    const Case cases[] = {
        {"a floating window", windowLevel::floating, {1600, 100, 600, 400}, {160, 280, 600, 400}},
        {"a panel above the floating ones",
         windowLevel::floating + 5,
         {3000, 600, 600, 400},
         {840, 500, 600, 400}},
        {"a window reaching onto the left display",
         windowLevel::normal,
         {1300, 100, 400, 300},
         {1040, 100, 400, 300}},
    };
    std::vector<std::shared_ptr<WindowNode>> windows;
    for (const Case& c : cases) {
        windows.push_back(addWindow(60 + static_cast<std::int64_t>(windows.size()), c.before, 10));
        windows.back()->setLayer(c.level);
    }
    ASSERT_TRUE(Displays::of(*world).removeDisplay(2));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(windows[i]->frame(), cases[i].after);
        EXPECT_EQ(windows[i]->layer(), cases[i].level);
    }
}

// A window in full screen on a display that went returns, when it leaves full screen, to a frame
// on a display that exists: its own frame brought over as a window's would be.
TEST_F(SpacesTest, LeavingFullScreenAfterItsDisplayWentReturnsOntoADisplay) {
    auto full = addWindow(70, {1600, 100, 600, 400}, 10);
    full->setFullScreen(*world, true);
    scheduler().advance(1);
    ASSERT_TRUE(full->isFullScreen());

    ASSERT_TRUE(Displays::of(*world).removeDisplay(2));
    EXPECT_EQ(full->frame(), platform::CGRect(0, 0, 1440, 900));
    full->setFullScreen(*world, false);
    scheduler().advance(1);
    ASSERT_FALSE(full->isFullScreen());
    EXPECT_EQ(full->frame(), platform::CGRect(160, 280, 600, 400));
}

}  // namespace
}  // namespace zoral::sim
