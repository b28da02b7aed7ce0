#include "sim/window_parts.h"

#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/haptics.h"
#include "sim/displays.h"
#include "sim/haptics.h"
#include "sim/input_devices.h"
#include "sim/menu_bar.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGPoint;
using platform::CGRect;

constexpr platform::ProcessId editorPid = 12;
constexpr platform::ProcessId clockPid = 15;

class WindowPartsTest : public zoral::testing::VirtualClockTest {
protected:
    WindowPartsTest() {
        Displays::of(*world).setDisplays(
            {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        world->addProcess(editorPid, "org.example.editor", "Editor");
        window = world->makeNode<WindowNode>(editorPid, 40);
        window->set("AXMinimized", false);
        window->setSettable("AXMinimized");
        window->set("AXPosition", CGPoint{100, 100});
        window->set("AXSize", platform::CGSize{800, 600});
        world->process(editorPid)->application->appendChild(window);
    }

    static std::optional<ax::Value> read(const std::shared_ptr<Node>& node, const char* attribute) {
        const auto value = ax::copyAttributeValue(node->element(), attribute);
        return value.ok() ? std::optional(value.value()) : std::nullopt;
    }
    static std::string textOf(const std::shared_ptr<Node>& node, const char* attribute) {
        const auto value = read(node, attribute);
        const auto* text = value ? value->getIf<std::string>() : nullptr;
        return text != nullptr ? *text : std::string();
    }
    static std::optional<ax::Element> elementOf(const std::shared_ptr<Node>& node,
                                                const char* attribute) {
        const auto value = read(node, attribute);
        const auto* element = value ? value->getIf<ax::Element>() : nullptr;
        return element != nullptr ? std::optional(*element) : std::nullopt;
    }
    static CGRect frameOf(const std::shared_ptr<Node>& node) {
        const auto value = read(node, "AXFrame");
        const auto* rect = value ? value->getIf<CGRect>() : nullptr;
        return rect != nullptr ? *rect : CGRect();
    }
    std::shared_ptr<Node> hit(CGPoint point) {
        return WindowServer::of(*world).hitTest(*world, point);
    }
    // Lets delayed changes and notifications happen.
    void settle() { scheduler().advance(1); }

    ScopedWorld world;
    std::shared_ptr<WindowNode> window;
};

TEST_F(WindowPartsTest, TitleBarButtonsAreCentredInTheBandAndNamedByTheWindow) {
    const auto buttons = WindowParts::addTitleBarButtons(*world, window, {.height = 28});
    // Midpoint (28 - 1) / 2 = 13.5 below the top edge, 14 x 16 points, 20 apart.
    EXPECT_EQ(frameOf(buttons.close), (CGRect{107, 105.5, 14, 16}));
    EXPECT_EQ(frameOf(buttons.minimize), (CGRect{127, 105.5, 14, 16}));
    EXPECT_EQ(frameOf(buttons.green), (CGRect{147, 105.5, 14, 16}));
    EXPECT_EQ(textOf(buttons.green, "AXSubrole"), "AXFullScreenButton");
    EXPECT_EQ(elementOf(window, "AXCloseButton"), buttons.close->element());
    EXPECT_EQ(elementOf(window, "AXFullScreenButton"), buttons.green->element());
    EXPECT_EQ(elementOf(buttons.close, "AXWindow"), window->element());
    EXPECT_EQ(hit(CGPoint{114, 113}), buttons.close);
}

TEST_F(WindowPartsTest, PartsFollowTheirWindow) {
    const auto buttons = WindowParts::addTitleBarButtons(*world, window);
    const auto toolbar = WindowParts::addToolbar(*world, window, 28, 52, {"Back"});
    window->moveTo(*world, {300, 200});
    window->resizeTo(*world, {500, 400});
    settle();
    EXPECT_EQ(frameOf(buttons.close).origin, (CGPoint{307, 205.5}));
    EXPECT_EQ(frameOf(toolbar), (CGRect{300, 228, 500, 52}));
    EXPECT_EQ(hit(CGPoint{310, 210}), buttons.close);
}

TEST_F(WindowPartsTest, AnEnabledCloseButtonClosesItsWindowADisabledOneDoesNothing) {
    const auto disabled = WindowParts::addTitleBarButtons(*world, window, {.closeEnabled = false});
    EXPECT_EQ(ax::performAction(disabled.close->element(), "AXPress"), ax::success);
    EXPECT_FALSE(window->isDestroyed());

    const auto other = world->makeNode<WindowNode>(editorPid, 41);
    other->set("AXPosition", CGPoint{0, 0});
    other->set("AXSize", platform::CGSize{200, 200});
    world->process(editorPid)->application->appendChild(other);
    const auto enabled = WindowParts::addTitleBarButtons(*world, other);
    EXPECT_EQ(ax::performAction(enabled.close->element(), "AXPress"), ax::success);
    settle();
    EXPECT_TRUE(other->isDestroyed());
}

TEST_F(WindowPartsTest, TheZoomButtonIsNoFullScreenButton) {
    const auto buttons =
        WindowParts::addTitleBarButtons(*world, window, {.green = GreenButton::zoom});
    EXPECT_EQ(textOf(buttons.green, "AXSubrole"), "AXZoomButton");
    EXPECT_FALSE(read(window, "AXFullScreenButton"));
    EXPECT_EQ(elementOf(window, "AXZoomButton"), buttons.green->element());
}

TEST_F(WindowPartsTest, PopoversAndMenusLieInsideTheWindow) {
    const auto popover = WindowParts::addPopover(*world, window, {100, 30, 150, 60});
    const auto menu = WindowParts::addMenu(*world, window, {300, 30, 100, 60}, {"Copy", "Paste"});
    EXPECT_EQ(frameOf(popover), (CGRect{200, 130, 150, 60}));
    EXPECT_EQ(hit(CGPoint{205, 135}), popover);
    EXPECT_EQ(hit(CGPoint{275, 160}), popover->children()[0]);
    EXPECT_EQ(hit(CGPoint{450, 170}), menu->children()[1]);
}

// --- The menu bar

class MenuBarTest : public WindowPartsTest {};

TEST_F(MenuBarTest, TheFrontApplicationsMenuBarLiesAboveTheVisibleFrame) {
    const auto bar = MenuBar::add(*world, editorPid, {"File", "Edit"});
    ASSERT_EQ(bar.items.size(), 4U);
    EXPECT_EQ(textOf(bar.items[1], "AXTitle"), "Editor");
    EXPECT_EQ(frameOf(bar.bar), (CGRect{0, 0, 1440, 25}));
    EXPECT_EQ(frameOf(bar.items[0]), (CGRect{10, 0, MenuBar::itemWidth("Apple"), 25}));
    EXPECT_EQ(hit(CGPoint{frameOf(bar.items[2]).midX(), 10}), bar.items[2]);
    EXPECT_EQ(hit(CGPoint{1000, 10}), bar.bar);
    EXPECT_EQ(elementOf(world->process(editorPid)->application, "AXMenuBar"), bar.bar->element());

    // Another application in front: its element answers there, for it has no bar of its own.
    world->addProcess(30, "org.example.other", "Other");
    workspace(*world).activateNow(*world, 30);
    EXPECT_EQ(hit(CGPoint{1000, 10}), world->process(30)->application);
}

TEST_F(MenuBarTest, TheBarLiesOnTheDisplayUnderThePointer) {
    Displays::of(*world).setDisplays(
        {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25},
         {.number = 2, .uuid = "RIGHT", .frame = {1440, 0, 1920, 1080}, .menuBarHeight = 30}});
    const auto bar = MenuBar::add(*world, editorPid, {"File"});
    InputDevices::of(*world).movePointer({2000, 500});
    // The right display's top is 180 points above the laptop's in top-left coordinates.
    EXPECT_EQ(frameOf(bar.bar), (CGRect{1440, -180, 1920, 30}));
    EXPECT_EQ(hit(CGPoint{1455, -170}), bar.items[0]);
}

TEST_F(MenuBarTest, StatusItemsLieRightToLeftInFrontOfTheBar) {
    const auto bar = MenuBar::add(*world, editorPid, {"File"});
    world->addProcess(clockPid, "org.example.clock", "Clock");
    workspace(*world).info(clockPid).activationPolicy = platform::ActivationPolicy::accessory;
    const auto first = MenuBar::addStatusItem(*world, clockPid, "12:00");
    const auto second = MenuBar::addStatusItem(*world, clockPid, "Wi");
    EXPECT_EQ(frameOf(first).maxX(), 1430);
    EXPECT_EQ(frameOf(second).maxX(), frameOf(first).minX());
    EXPECT_EQ(textOf(first, "AXSubrole"), "AXMenuExtra");
    EXPECT_EQ(hit(CGPoint{frameOf(first).midX(), 10}), first);
    // The editor stays in front and its bar answers elsewhere.
    EXPECT_EQ(hit(CGPoint{700, 10}), bar.bar);
}

// --- Haptic feedback

class HapticsTest : public zoral::testing::VirtualClockTest {
protected:
    ScopedWorld world;
};

TEST_F(HapticsTest, RequestsAreRecordedAndPlayedOnlyByAHapticTrackpad) {
    Haptics& haptics = Haptics::of(*world);
    platform::hapticPerform(platform::NSHapticFeedbackPattern::generic,
                            platform::NSHapticFeedbackPerformanceTime::now);
    haptics.setHasHapticTrackpad(false);
    platform::hapticPerform(platform::NSHapticFeedbackPattern::alignment,
                            platform::NSHapticFeedbackPerformanceTime::default_);
    const auto requests = haptics.requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_TRUE(requests[0].played);
    EXPECT_EQ(requests[0].performanceTime, platform::NSHapticFeedbackPerformanceTime::now);
    EXPECT_FALSE(requests[1].played);
    EXPECT_EQ(requests[1].pattern, platform::NSHapticFeedbackPattern::alignment);
    EXPECT_EQ(haptics.playedCount(), 1U);
}

}  // namespace
}  // namespace zoral::sim
