// The program's status item as a user meets it through the simulated hands: clicks that open its
// menu after the menu's delegate was told, presses that the program's local monitors see first
// and may consume, a Command-drag out of the menu bar that the status bar remembers at the next
// launch, and the choice of a menu item.

#include "sim/status_bar.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/bundle.h"
#include "platform/json.h"
#include "platform/key_codes.h"
#include "platform/local_events.h"
#include "platform/status_bar.h"
#include "sim/displays.h"
#include "sim/hands.h"
#include "sim/local_event_monitors.h"
#include "sim/system_settings.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::CGMouseButton;
using platform::ControlStateValue;
using platform::Menu;
using platform::MenuItem;
using platform::NSEvent;
using platform::NSEventType;
using platform::StatusItem;
using platform::StatusItemBehavior;

// What the status menu's controller does: it is told before the menu opens and brings the items
// up to date then, and it hears when the menu closed.
class RecordingDelegate : public platform::MenuDelegate {
public:
    void menuWillOpen(Menu& menu) override {
        calls.push_back("willOpen");
        openWhenTold = SystemStatusBar::of(*world.lock()).openMenu() != nullptr;
        menu.items.front()->setTitle("Opened " + std::to_string(calls.size()));
    }
    void menuDidClose(Menu& /*menu*/) override { calls.push_back("didClose"); }

    std::weak_ptr<World> world;
    std::vector<std::string> calls;
    bool openWhenTold = true;
};

class StatusBarTest : public zoral::testing::VirtualClockTest {
protected:
    static constexpr platform::ProcessId editorPid = 40;

    StatusBarTest() {
        showDisplay(*world);
        world->addProcess(editorPid, "org.example.editor", "Editor");
        editorWindow = world->makeNode<WindowNode>(editorPid, 41);
        editorWindow->set("AXPosition", platform::CGPoint{100, 100});
        editorWindow->set("AXSize", platform::CGSize{800, 600});
        world->process(editorPid)->application->appendChild(editorWindow);
        workspace(*world).activateNow(*world, editorPid);

        menu->addItem(MenuItem::make("Counter"));
        menu->delegate = delegate;
        delegate->world = world.shared();
    }

    static void showDisplay(World& target) {
        Displays::of(target).setDisplays(
            {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
    }

    // The item as the status item's setup makes it.
    std::shared_ptr<StatusItem> makeItem() {
        auto item =
            platform::StatusBar::system().statusItemWithLength(platform::squareStatusItemLength);
        item->setMenu(menu);
        item->setBehavior(StatusItemBehavior::removalAllowed);
        item->button()->setImage("MenuBarIcon");
        return item;
    }

    // A monitor of the events the status item's handler asks for (mask 12), which consumes what
    // `consume` says.
    std::shared_ptr<platform::EventMonitor> watch(std::optional<NSEventType> consume = {}) {
        return platform::addLocalMonitorForEvents(
            platform::eventMaskFromType(NSEventType::leftMouseUp) |
                platform::eventMaskFromType(NSEventType::rightMouseDown),
            [this, consume](const NSEvent& event) -> std::optional<NSEvent> {
                seen.push_back(event);
                if (consume == event.type)
                    return std::nullopt;
                return event;
            });
    }

    SystemStatusBar& bar() { return SystemStatusBar::of(*world); }
    Hands& hands() { return Hands::of(*world); }

    zoral::testing::TemporaryHome home;
    ScopedWorld world;
    std::shared_ptr<WindowNode> editorWindow;
    std::shared_ptr<Menu> menu = std::make_shared<Menu>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::vector<NSEvent> seen;
};

TEST_F(StatusBarTest, AnItemIsASquareOfTheBarAtItsRightEndAndLeavesNoGapWhenItGoes) {
    const auto first = makeItem();
    auto second = makeItem();
    EXPECT_EQ(first->autosaveName(), "Item-0");
    EXPECT_EQ(second->autosaveName(), "Item-1");
    EXPECT_EQ(bar().frameOf(*first), (platform::CGRect{1405, 0, 25, 25}));
    EXPECT_EQ(bar().frameOf(*second), (platform::CGRect{1380, 0, 25, 25}));
    // A status item's window: the window server holds it at the status level.
    const auto node = bar().nodeOf(*first);
    ASSERT_TRUE(first->button()->window());
    EXPECT_EQ(WindowServer::of(*world).window(*node)->number, *first->button()->window());
    EXPECT_EQ(WindowServer::of(*world).hitTest(*world, {1417, 12}), node);

    first->setVisible(false);
    EXPECT_FALSE(bar().frameOf(*first));
    EXPECT_EQ(bar().frameOf(*second), (platform::CGRect{1405, 0, 25, 25}));
    EXPECT_NE(WindowServer::of(*world).hitTest(*world, {1385, 12}), node);

    // Released by the program, the item leaves the bar and the window server.
    const platform::ProcessId program = world->programPid();
    EXPECT_EQ(WindowServer::of(*world).windowsOf(program).size(), 2u);
    const std::weak_ptr<StatusItem> released = second;
    second.reset();
    EXPECT_TRUE(released.expired());
    EXPECT_EQ(WindowServer::of(*world).windowsOf(program).size(), 1u);
    EXPECT_EQ(bar().items().size(), 1u);
}

TEST_F(StatusBarTest, ALeftClickOpensTheMenuOnceItsDelegateWasToldAndTheMonitorSeesTheRelease) {
    const auto item = makeItem();
    const auto monitor = watch();

    ASSERT_TRUE(hands().clickStatusItem(*item));
    EXPECT_FALSE(bar().openMenu()) << "the program takes its events off its queue";
    scheduler().runUntilIdle();

    EXPECT_EQ(bar().openMenu(), menu);
    EXPECT_EQ(bar().openMenuItem(), item);
    EXPECT_EQ(delegate->calls, std::vector<std::string>{"willOpen"});
    EXPECT_FALSE(delegate->openWhenTold);
    EXPECT_EQ(menu->items.front()->title(), "Opened 1");
    // The press is no event of the monitor's mask; the release is, of the button's window.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, NSEventType::leftMouseUp);
    EXPECT_EQ(seen[0].window, item->button()->window());
    EXPECT_EQ(seen[0].locationInWindow, (platform::CGPoint{12.5, 12.5}));
    // Clicking the item activates nobody.
    EXPECT_EQ(workspace(*world).frontmost(*world), editorPid);

    // A click on the item again closes the menu; the open menu takes it.
    ASSERT_TRUE(hands().clickStatusItem(*item));
    scheduler().runUntilIdle();
    EXPECT_FALSE(bar().openMenu());
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"willOpen", "didClose"}));
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(StatusBarTest, APressThatAMonitorConsumesOpensNoMenu) {
    struct Case {
        const char* what;
        CGMouseButton button;
        std::optional<NSEventType> consumed;
        bool opens;
    };
    const Case cases[] = {
        {"a right press consumed", CGMouseButton::right, NSEventType::rightMouseDown, false},
        {"a right press passed on", CGMouseButton::right, std::nullopt, true},
        {"a left click whose release is consumed", CGMouseButton::left, NSEventType::leftMouseUp,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto item = makeItem();
        const auto monitor = watch(c.consumed);
        const std::size_t before = bar().menuOpenings();
        ASSERT_TRUE(hands().clickStatusItem(*item, c.button));
        scheduler().runUntilIdle();
        EXPECT_EQ(bar().menuOpenings() - before, c.opens ? 1u : 0u);
        EXPECT_EQ(bar().openMenu() != nullptr, c.opens);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back().window, item->button()->window());
        // Escape closes an open menu.
        hands().pressKey(platform::virtualKey::escape);
        scheduler().runUntilIdle();
        EXPECT_FALSE(bar().openMenu());
        platform::removeMonitor(monitor);
    }
}

TEST_F(StatusBarTest, ACommandDragOutRemovesTheItemAndTheNextLaunchKeepsItOut) {
    {
        const auto item = makeItem();
        const auto monitor = watch();
        ASSERT_TRUE(hands().dragStatusItemOut(*item));
        while (hands().isBusy())
            scheduler().advance(Hands::defaultInterval);
        scheduler().runUntilIdle();
        // At the release the item is still there; it vanishes a moment later.
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].type, NSEventType::leftMouseUp);
        EXPECT_EQ(seen[0].window, item->button()->window());
        EXPECT_TRUE(item->isVisible());
        scheduler().advance(SystemStatusBar::removalDelay);
        EXPECT_FALSE(item->isVisible());
        EXPECT_FALSE(bar().frameOf(*item));
        EXPECT_EQ(bar().menuOpenings(), 0u) << "a Command-drag opens no menu";
        EXPECT_FALSE(hands().clickStatusItem(*item));
        EXPECT_EQ(
            rememberedStatusItemVisibility(world->programProcess().bundleIdentifier, "Item-0"),
            false);
    }

    // The next launch: the program makes its item again, and it stays out of the bar until the
    // program shows it.
    {
        ScopedWorld next;
        showDisplay(*next);
        auto again =
            platform::StatusBar::system().statusItemWithLength(platform::squareStatusItemLength);
        EXPECT_EQ(again->autosaveName(), "Item-0");
        EXPECT_FALSE(again->isVisible());
        EXPECT_FALSE(SystemStatusBar::of(*next).frameOf(*again));
        again->setVisible(true);
    }
    ScopedWorld third;
    showDisplay(*third);
    EXPECT_TRUE(platform::StatusBar::system()
                    .statusItemWithLength(platform::squareStatusItemLength)
                    ->isVisible());
}

// A world file may say that the user took the program's item out in an earlier session; a
// world's dump says what the status bar remembers.
TEST_F(StatusBarTest, AWorldFileSaysWhichItemsTheUserTookOut) {
    const std::string program(platform::Bundle::main().bundleIdentifier());
    platform::Json file = platform::Json::parse(R"({"systemSettings": {"statusItemVisibility":
        {"org.example.other": {"Item-0": true}}}})");
    file["systemSettings"]["statusItemVisibility"][program] = {{"Item-0", false}};
    ScopedWorld loaded;
    loadWorld(*loaded, file);
    EXPECT_FALSE(platform::StatusBar::system()
                     .statusItemWithLength(platform::squareStatusItemLength)
                     ->isVisible());
    EXPECT_TRUE(platform::StatusBar::system()
                    .statusItemWithLength(platform::squareStatusItemLength)
                    ->isVisible())
        << "Item-1 is not remembered";
    const platform::Json dumped = dumpWorld(*loaded)["systemSettings"]["statusItemVisibility"];
    EXPECT_EQ(dumped.size(), 2u);
    EXPECT_EQ(dumped[program], file["systemSettings"]["statusItemVisibility"][program]);
    EXPECT_EQ(dumped["org.example.other"]["Item-0"], true);

    // Loading another world leaves nothing of the first one's memory.
    ScopedWorld fresh;
    loadWorld(*fresh, platform::Json::object());
    EXPECT_FALSE(dumpWorld(*fresh).contains("systemSettings"));
}

TEST_F(StatusBarTest, AnItemStaysWhenItMayNotBeRemovedOrIsDroppedInTheBar) {
    struct Case {
        const char* what;
        StatusItemBehavior behavior;
        double distance;
    };
    const Case cases[] = {
        {"removal not allowed", StatusItemBehavior(), 100},
        {"dropped inside the menu bar", StatusItemBehavior::removalAllowed, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto item = makeItem();
        item->setBehavior(c.behavior);
        ASSERT_TRUE(hands().dragStatusItemOut(*item, c.distance));
        while (hands().isBusy())
            scheduler().advance(Hands::defaultInterval);
        scheduler().advance(1);
        EXPECT_TRUE(item->isVisible());
        EXPECT_TRUE(bar().frameOf(*item));
        EXPECT_EQ(bar().menuOpenings(), 0u);
    }
}

TEST_F(StatusBarTest, ChoosingAnItemClosesTheMenuAndThenRunsTheItemsAction) {
    std::vector<std::string> ran;
    const auto note = [&ran](MenuItem& sender) { ran.push_back(sender.title()); };
    const auto quit = MenuItem::make("Quit Zoral", "q");
    quit->action = [&](MenuItem& sender) {
        ran.push_back(sender.title() + " after " + delegate->calls.back());
    };
    const auto hidden = MenuItem::make("Grant Access");
    hidden->hidden = true;
    hidden->action = note;
    const auto disabled = MenuItem::make("Disabled");
    disabled->enabled = false;
    disabled->action = note;
    const auto ignore = MenuItem::make("");
    platform::AttributedString title("Ignore ");
    title.append("Editor ...", platform::Font::systemFontOfSize(0).withSymbolicTraits(
                                   platform::FontSymbolicTraits::italic));
    ignore->setAttributedTitle(title);
    ignore->action = note;
    const auto more = MenuItem::make("More");
    more->submenu = std::make_shared<Menu>("More", std::vector{MenuItem::make("Help")});
    more->submenu->items.front()->action = note;
    for (const auto& entry : {hidden, disabled, MenuItem::separatorItem(), ignore, more, quit})
        menu->addItem(entry);

    const auto item = makeItem();
    EXPECT_FALSE(hands().chooseMenuItem({"Quit Zoral"})) << "no menu is open";
    ASSERT_TRUE(hands().clickStatusItem(*item));
    scheduler().runUntilIdle();

    EXPECT_FALSE(hands().chooseMenuItem({"Grant Access"})) << "hidden";
    EXPECT_FALSE(hands().chooseMenuItem({"Disabled"}));
    EXPECT_FALSE(hands().chooseMenuItem({"Opened 1"})) << "no action";
    EXPECT_FALSE(hands().chooseMenuItem({"More"})) << "a submenu's parent";
    EXPECT_FALSE(hands().chooseMenuItem({"Nothing"}));
    scheduler().runUntilIdle();
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(bar().openMenu(), menu) << "a refused choice leaves the menu open";

    EXPECT_TRUE(hands().chooseMenuItem({"Ignore Editor ..."}));
    scheduler().runUntilIdle();
    EXPECT_FALSE(bar().openMenu());

    ASSERT_TRUE(hands().clickStatusItem(*item));
    scheduler().runUntilIdle();
    EXPECT_TRUE(hands().chooseMenuItem({"More", "Help"}));
    scheduler().runUntilIdle();

    ASSERT_TRUE(hands().clickStatusItem(*item));
    scheduler().runUntilIdle();
    EXPECT_TRUE(hands().chooseMenuItem({"Quit Zoral"}));
    scheduler().runUntilIdle();
    EXPECT_EQ(ran,
              (std::vector<std::string>{"Ignore Editor ...", "Help", "Quit Zoral after didClose"}));
}

TEST_F(StatusBarTest, AnOpenMenuTakesAPressElsewhereAndClosesWithoutPassingItOn) {
    const auto item = makeItem();
    world->addProcess(50, "org.example.viewer", "Viewer");
    const auto viewerWindow = world->makeNode<WindowNode>(50, 51);
    viewerWindow->set("AXPosition", platform::CGPoint{1000, 500});
    viewerWindow->set("AXSize", platform::CGSize{300, 300});
    world->process(50)->application->appendChild(viewerWindow);
    workspace(*world).activateNow(*world, editorPid);

    ASSERT_TRUE(hands().clickStatusItem(*item));
    scheduler().runUntilIdle();
    hands().movePointer({1100, 600});
    hands().pressButton();
    hands().releaseButton();
    scheduler().runUntilIdle();
    EXPECT_FALSE(bar().openMenu());
    EXPECT_EQ(workspace(*world).frontmost(*world), editorPid)
        << "the press closed the menu and went nowhere else";

    hands().pressButton();
    hands().releaseButton();
    EXPECT_EQ(workspace(*world).frontmost(*world), 50) << "with the menu closed, it goes on";
}

}  // namespace
}  // namespace zoral::sim
