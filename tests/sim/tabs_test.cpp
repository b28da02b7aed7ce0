#include "sim/tabs.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/accessibility.h"
#include "platform/events.h"
#include "sim/application_node.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace ax = platform::ax;
using platform::CGEventType;
using platform::CGMouseButton;
using platform::CGPoint;
using platform::CGRect;

constexpr platform::ProcessId browserPid = 21;

class TabsTest : public zoral::testing::VirtualClockTest {
protected:
    TabsTest() {
        process = &world->addProcess(browserPid, "org.example.browser", "Browser");
        window = addWindow(34, {100, 100, 800, 600});
        tabs().setDetachLatency(0.2);
    }

    Tabs& tabs() { return Tabs::install(*world); }

    std::shared_ptr<WindowNode> addWindow(std::int64_t number, CGRect frame) {
        auto node = world->makeNode<WindowNode>(browserPid, number);
        node->set("AXTitle", "Window " + std::to_string(number));
        node->set("AXMinimized", false);
        node->setSettable("AXMinimized");
        node->moveTo(*world, frame.origin);
        node->resizeTo(*world, frame.size);
        process->application->appendChild(node);
        return node;
    }

    std::vector<std::shared_ptr<WindowNode>> windows() const {
        return std::static_pointer_cast<ApplicationNode>(process->application)->windows();
    }

    static std::string readString(const std::shared_ptr<Node>& node, const char* attribute) {
        const auto value = ax::copyAttributeValue(node->element(), attribute);
        const auto* text = value.ok() ? value.value().getIf<std::string>() : nullptr;
        return text != nullptr ? *text : std::string();
    }

    static CGRect frameOf(const std::shared_ptr<Node>& node) {
        const auto value = ax::copyAttributeValue(node->element(), "AXFrame");
        const auto* rect = value.ok() ? value.value().getIf<CGRect>() : nullptr;
        return rect != nullptr ? *rect : CGRect();
    }

    static void post(CGEventType type, CGPoint location,
                     CGMouseButton button = CGMouseButton::left) {
        platform::eventPost(platform::CGEventTapLocation::hid,
                            *platform::eventCreateMouseEvent(type, location, button));
    }

    static void drag(CGPoint from, CGPoint to) {
        post(CGEventType::leftMouseDown, from);
        post(CGEventType::leftMouseDragged, {(from.x + to.x) / 2, (from.y + to.y) / 2});
        post(CGEventType::leftMouseDragged, to);
        post(CGEventType::leftMouseUp, to);
    }

    static CGPoint centre(const std::shared_ptr<Node>& node) {
        const CGRect frame = *node->frame();
        return {frame.midX(), frame.midY()};
    }

    ScopedWorld world;
    Process* process = nullptr;
    std::shared_ptr<WindowNode> window;
};

TEST_F(TabsTest, EachShapeBuildsTheTreeItsApplicationsShow) {
    struct Case {
        TabTreeShape shape;
        const char* barRole;
        const char* tabRole;
        const char* subrole;
        const char* identifier;
        // From the title up to the tab.
        int labelDepth;
        double barTop;
    };
    const Case cases[] = {
        {TabTreeShape::native, "AXTabGroup", "AXRadioButton", "AXTabButton", "", 1, 128},
        {TabTreeShape::browser, "AXTabGroup", "AXRadioButton", "AXTabButton", "", 1, 108},
        {TabTreeShape::namedCells, "AXGroup", "AXGroup", "", "TabCellView", 1, 140},
        {TabTreeShape::editor, "AXTabGroup", "AXRadioButton", "AXTabButton", "", 2, 140},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.barRole + std::string(" ") + std::to_string(c.labelDepth));
        auto owner = addWindow(40 + static_cast<int>(c.shape), {100, 100, 800, 600});
        const TabStrip strip = tabs().addTabs(*world, owner, c.shape, {"One", "Two"});
        ASSERT_EQ(strip.tabs.size(), 2U);
        EXPECT_EQ(readString(strip.bar, "AXRole"), c.barRole);
        const auto& tab = strip.tabs[1];
        EXPECT_EQ(readString(tab, "AXRole"), c.tabRole);
        EXPECT_EQ(readString(tab, "AXSubrole"), c.subrole);
        EXPECT_EQ(readString(tab, "AXIdentifier"), c.identifier);
        EXPECT_EQ(readString(tab, "AXTitle"), "Two");
        EXPECT_EQ(readString(strip.labels[1], "AXValue"), "Two");
        auto up = strip.labels[1];
        for (int level = 0; level < c.labelDepth; ++level)
            up = up->parent();
        EXPECT_EQ(up, tab);
        EXPECT_TRUE(strip.bar->isDescendantOf(*owner));

        // Side by side along the bar, and under the pointer where they are drawn.
        EXPECT_EQ(frameOf(strip.tabs[0]), (CGRect{100, c.barTop, 200, Tabs::barHeight}));
        EXPECT_EQ(frameOf(tab), (CGRect{300, c.barTop, 200, Tabs::barHeight}));
        EXPECT_EQ(WindowServer::of(*world).hitTest(*world, {310, c.barTop + 5}, browserPid),
                  strip.labels[1]);
        owner->moveTo(*world, {0, 50});
        EXPECT_EQ(frameOf(tab), (CGRect{200, c.barTop - 50, 200, Tabs::barHeight}));
        owner->close(*world);
    }
}

TEST_F(TabsTest, WebContentHoldsATabLikeControlUnderAWebArea) {
    const auto control = tabs().addWebContent(*world, window, {0, 80, 800, 520});
    EXPECT_EQ(readString(control, "AXSubrole"), "AXTabButton");
    bool underWebArea = false;
    for (auto node = control->parent(); node; node = node->parent())
        underWebArea = underWebArea || node->role() == "AXWebArea";
    EXPECT_TRUE(underWebArea);
    EXPECT_EQ(frameOf(control), (CGRect{110, 190, 120, Tabs::barHeight}));
    EXPECT_TRUE(tabs().titles(*window).empty());
}

TEST_F(TabsTest, DraggingATabOutOfItsBarDetachesItAfterTheLatency) {
    const TabStrip strip =
        tabs().addTabs(*world, window, TabTreeShape::browser, {"News", "Mail", "Maps"});
    drag(centre(strip.labels[1]), {400, 183});
    scheduler().advance(0.1);
    EXPECT_TRUE(tabs().isDetachPending());
    EXPECT_EQ(windows().size(), 1U);

    scheduler().advance(0.15);
    const auto all = windows();
    ASSERT_EQ(all.size(), 2U);
    EXPECT_FALSE(tabs().isDetachPending());
    EXPECT_EQ(tabs().titles(*window), (std::vector<std::string>{"News", "Maps"}));
    EXPECT_TRUE(strip.tabs[1]->isDestroyed());
    const auto& detached = all.front();
    EXPECT_EQ(readString(detached, "AXTitle"), "Mail");
    EXPECT_EQ(tabs().titles(*detached), (std::vector<std::string>{"Mail"}));
    // In front, the window's size, its tab under the point of release.
    EXPECT_EQ(std::static_pointer_cast<ApplicationNode>(process->application)->mainWindow(),
              detached);
    EXPECT_EQ(detached->frame()->size, window->frame()->size);
    EXPECT_TRUE(tabs().barFrame(*detached)->containsPoint({400, 183}));
}

TEST_F(TabsTest, ADragThatStaysNearItsBarOrMovesTheOnlyTabDetachesNothing) {
    const TabStrip strip = tabs().addTabs(*world, window, TabTreeShape::native, {"A", "B"});
    // The bar runs from 128 to 158; the drag must end more than 40 points past it.
    drag(centre(strip.labels[0]), {200, 190});
    scheduler().advance(1);
    EXPECT_EQ(windows().size(), 1U);

    auto single = addWindow(35, {900, 100, 400, 300});
    const TabStrip only = tabs().addTabs(*world, single, TabTreeShape::native, {"Only"});
    drag(centre(only.labels[0]), {1000, 400});
    scheduler().advance(1);
    EXPECT_EQ(windows().size(), 2U);
    EXPECT_EQ(tabs().titles(*single), (std::vector<std::string>{"Only"}));

    // A drag that starts beside the tabs takes none along.
    drag({800, 400}, {800, 600});
    scheduler().advance(1);
    EXPECT_EQ(windows().size(), 2U);
}

TEST_F(TabsTest, EscapeDuringTheWaitCancelsTheDetach) {
    const TabStrip strip = tabs().addTabs(*world, window, TabTreeShape::browser, {"A", "B"});
    drag(centre(strip.labels[1]), {400, 300});
    scheduler().advance(0.1);
    ASSERT_TRUE(tabs().isDetachPending());
    platform::eventPost(platform::CGEventTapLocation::hid,
                        *platform::eventCreateKeyboardEvent(53, true));
    scheduler().advance(1);
    EXPECT_FALSE(tabs().isDetachPending());
    EXPECT_EQ(windows().size(), 1U);
    EXPECT_EQ(tabs().titles(*window), (std::vector<std::string>{"A", "B"}));
}

TEST_F(TabsTest, AMiddleClickClosesTheTabAndTheLastTabItsWindow) {
    const TabStrip strip = tabs().addTabs(*world, window, TabTreeShape::browser, {"A", "B"});
    const CGPoint a = centre(strip.labels[0]);
    const CGPoint b = centre(strip.labels[1]);

    // Pressed on one tab and released on another: nothing closes.
    post(CGEventType::otherMouseDown, a, CGMouseButton::center);
    post(CGEventType::otherMouseUp, b, CGMouseButton::center);
    // The right button does not close tabs.
    post(CGEventType::otherMouseDown, a, CGMouseButton::right);
    post(CGEventType::otherMouseUp, a, CGMouseButton::right);
    scheduler().runUntilIdle();
    EXPECT_EQ(tabs().titles(*window), (std::vector<std::string>{"A", "B"}));

    post(CGEventType::otherMouseDown, b, CGMouseButton::center);
    post(CGEventType::otherMouseUp, b, CGMouseButton::center);
    scheduler().runUntilIdle();
    EXPECT_EQ(tabs().titles(*window), (std::vector<std::string>{"A"}));

    post(CGEventType::otherMouseDown, a, CGMouseButton::center);
    post(CGEventType::otherMouseUp, a, CGMouseButton::center);
    scheduler().runUntilIdle();
    EXPECT_TRUE(window->isDestroyed());
    EXPECT_TRUE(windows().empty());
}

}  // namespace
}  // namespace zoral::sim
