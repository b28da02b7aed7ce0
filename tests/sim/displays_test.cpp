#include "sim/displays.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notification_center.h"
#include "platform/screens.h"
#include "platform/user_defaults.h"
#include "sim/input_devices.h"
#include "sim/world.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::CGRect;
using platform::NSScreen;

// A laptop display with the menu bar, and an external one to its right, a little higher.
Display laptop() {
    return {.number = 1,
            .uuid = "1E6A2B6C-0001",
            .frame = {0, 0, 1440, 900},
            .menuBarHeight = 25,
            .dock = std::nullopt};
}

Display external() {
    return {.number = 2,
            .uuid = "1E6A2B6C-0002",
            .frame = {1440, 100, 1920, 1080},
            .menuBarHeight = 25,
            .dock = std::nullopt};
}

class DisplaysTest : public zoral::testing::VirtualClockTest {
protected:
    DisplaysTest() {
        token = platform::NotificationCenter::defaultCenter().addObserver(
            std::string(platform::applicationDidChangeScreenParametersNotification), nullptr,
            [this](const platform::Notification&) { ++changes; });
    }
    ~DisplaysTest() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
    }

    Displays& displays() { return Displays::of(*world); }

    zoral::testing::TemporaryHome home;
    ScopedWorld world;
    platform::ObserverToken token;
    int changes = 0;
};

TEST_F(DisplaysTest, ScreensDescribeTheDisplaysPrimaryFirst) {
    displays().setDisplays({laptop(), external()});
    const auto screens = NSScreen::screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].frame(), (CGRect{0, 0, 1440, 900}));
    EXPECT_EQ(screens[0].visibleFrame(), (CGRect{0, 0, 1440, 875}));
    EXPECT_EQ(screens[1].frame(), (CGRect{1440, 100, 1920, 1080}));
    const auto number = screens[1].deviceDescription().at("NSScreenNumber").integerValue();
    ASSERT_TRUE(number);
    EXPECT_EQ(number->int64Value(), 2);
    EXPECT_EQ(platform::displayCreateUUIDFromDisplayID(2), "1E6A2B6C-0002");
    EXPECT_EQ(platform::displayCreateUUIDFromDisplayID(3), std::nullopt);

    // A display without a number has none in its description.
    Display anonymous = external();
    anonymous.number.reset();
    displays().setDisplays({laptop(), anonymous});
    EXPECT_FALSE(NSScreen::screens()[1].deviceDescription().contains("NSScreenNumber"));
}

TEST_F(DisplaysTest, TheDockTakesItsEdgeFromTheVisibleFrame) {
    struct Case {
        DockEdge edge;
        CGRect visible;
    };
    const Case cases[] = {
        {DockEdge::bottom, {0, 70, 1440, 805}},
        {DockEdge::left, {64, 0, 1376, 875}},
        {DockEdge::right, {0, 0, 1376, 875}},
    };
    displays().setDisplays({laptop(), external()});
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.edge));
        displays().placeDock(0, DockInset{c.edge, c.edge == DockEdge::bottom ? 70.0 : 64.0});
        const auto screens = NSScreen::screens();
        EXPECT_EQ(screens[0].visibleFrame(), c.visible);
        EXPECT_EQ(screens[1].visibleFrame(), (CGRect{1440, 100, 1920, 1055}));
    }
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"),
              "right");

    // Moving the Dock to the other display takes it off the first.
    displays().placeDock(1, DockInset{DockEdge::bottom, 70});
    const auto screens = NSScreen::screens();
    EXPECT_EQ(screens[0].visibleFrame(), (CGRect{0, 0, 1440, 875}));
    EXPECT_EQ(screens[1].visibleFrame(), (CGRect{1440, 170, 1920, 985}));
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"),
              "bottom");
}

TEST_F(DisplaysTest, EveryChangePostsTheScreenParametersNotificationOnce) {
    displays().setDisplays({laptop()});
    EXPECT_EQ(changes, 1);
    displays().addDisplay(external());
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(displays().updateDisplay(2, [](Display& d) { d.frame.origin.y = 0; }));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(NSScreen::screens()[1].frame().origin.y, 0);
    displays().placeDock(0, DockInset{DockEdge::bottom, 70});
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(displays().removeDisplay(2));
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(NSScreen::screens().size(), 1u);

    // Asking for a display that is not there changes nothing and says nothing.
    EXPECT_FALSE(displays().removeDisplay(7));
    EXPECT_FALSE(displays().updateDisplay(7, [](Display&) { FAIL(); }));
    EXPECT_EQ(changes, 5);
}

TEST_F(DisplaysTest, TheMainScreenIsTheChosenDisplayElseTheFirst) {
    EXPECT_EQ(NSScreen::main(), std::nullopt);
    displays().setDisplays({laptop(), external()});
    EXPECT_EQ(NSScreen::main()->frame(), laptop().frame);
    displays().setMainDisplay(2);
    EXPECT_EQ(NSScreen::main()->frame(), external().frame);
    displays().removeDisplay(2);
    EXPECT_EQ(NSScreen::main()->frame(), laptop().frame);
}

TEST_F(DisplaysTest, MouseLocationCountsFromTheBottomOfThePrimaryDisplay) {
    displays().setDisplays({laptop(), external()});
    InputDevices::of(*world).movePointer({1500, 0});
    EXPECT_EQ(platform::mouseLocation(), (platform::CGPoint{1500, 900}));
    InputDevices::of(*world).movePointer({100, 850});
    EXPECT_EQ(platform::mouseLocation(), (platform::CGPoint{100, 50}));
}

TEST_F(DisplaysTest, SystemSettingsLiveInTheSystemsDomains) {
    int themeChanges = 0;
    const auto theme = platform::DistributedNotificationCenter::defaultCenter().addObserver(
        "AppleInterfaceThemeChangedNotification", std::nullopt,
        [&](const platform::DistributedNotification&) { ++themeChanges; });

    auto& standard = platform::UserDefaults::standard();
    standard.setObject(platform::PlistObject::string("kept"), "SomeGlobalKey");
    setInterfaceStyle("Dark");
    EXPECT_EQ(standard.stringForKey("AppleInterfaceStyle"), "Dark");
    const auto global = standard.persistentDomainForName(platform::UserDefaults::globalDomainName);
    EXPECT_TRUE(global.contains("AppleInterfaceStyle"));
    setInterfaceStyle(std::nullopt);
    EXPECT_EQ(standard.stringForKey("AppleInterfaceStyle"), std::nullopt);
    EXPECT_EQ(standard.stringForKey("SomeGlobalKey"), "kept");
    scheduler().runUntilIdle();
    EXPECT_EQ(themeChanges, 2);
    platform::DistributedNotificationCenter::defaultCenter().removeObserver(theme);

    setStageManager(true, false);
    const auto windowManager = platform::UserDefaults::suite("com.apple.WindowManager");
    EXPECT_TRUE(windowManager->boolForKey("GloballyEnabled"));
    EXPECT_FALSE(windowManager->boolForKey("AutoHide"));
    setDockOrientation("left");
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"), "left");
    setDockOrientation(std::nullopt);
    EXPECT_EQ(platform::UserDefaults::suite("com.apple.Dock")->stringForKey("orientation"),
              std::nullopt);
}

TEST_F(DisplaysTest, TheSystemVersionIsRecentUnlessSet) {
    EXPECT_EQ(platform::operatingSystemVersion(), (platform::OperatingSystemVersion{14, 0, 0}));
    EXPECT_TRUE(platform::isOperatingSystemAtLeast({13, 0, 0}));
    SystemVersion::of(*world).setVersion({12, 6, 1});
    EXPECT_FALSE(platform::isOperatingSystemAtLeast({13, 0, 0}));
    EXPECT_TRUE(platform::isOperatingSystemAtLeast({12, 6, 0}));
}

}  // namespace
}  // namespace zoral::sim
