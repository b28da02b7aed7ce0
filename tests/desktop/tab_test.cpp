#include "desktop/tab.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/promise_error.h"
#include "desktop/window.h"
#include "fake_snapped_window_registry.h"
#include "platform/events.h"
#include "platform/scheduler.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/input_devices.h"
#include "sim/tabs.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;
using settings::TabAppTypeSet;
using sim::TabStrip;
using sim::TabTreeShape;
using WindowPromise = promises::Promise<std::shared_ptr<Window>>;
using WindowResult = promises::Result<std::shared_ptr<Window>>;

struct Kind {
    platform::ProcessId pid;
    const char* bundleIdentifier;
    TabTreeShape shape;
};

constexpr Kind notes{11, "org.example.notes", TabTreeShape::native};
constexpr Kind safari{12, "com.apple.Safari", TabTreeShape::browser};
constexpr Kind chrome{13, "com.google.Chrome", TabTreeShape::browser};
constexpr Kind edge{14, "com.microsoft.edgemac", TabTreeShape::browser};
constexpr Kind arc{15, "company.thebrowser.Browser", TabTreeShape::namedCells};
constexpr Kind xcode{16, "com.apple.dt.Xcode", TabTreeShape::editor};
constexpr Kind vscode{17, "com.microsoft.VSCode", TabTreeShape::editor};

class TabTest : public zoral::testing::VirtualClockTest {
protected:
    struct Built {
        std::shared_ptr<sim::WindowNode> window;
        TabStrip strip;
    };

    TabTest() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        for (const Kind& kind : {notes, safari, chrome, edge, arc, xcode, vscode})
            world->addProcess(kind.pid, kind.bundleIdentifier, kind.bundleIdentifier);
        tabs().setDetachLatency(0.2);
    }

    sim::Tabs& tabs() { return sim::Tabs::install(*world); }
    sim::InputDevices& input() { return sim::InputDevices::of(*world); }

    // A window at (100, 100), 800 by 600, with the kind's tab bar.
    Built addWindow(const Kind& kind, const std::vector<std::string>& titles,
                    std::int64_t number = 40) {
        auto window = world->makeNode<sim::WindowNode>(kind.pid, number);
        window->set("AXTitle", "Window");
        window->set("AXMinimized", false);
        window->setSettable("AXMinimized");
        window->moveTo(*world, {100, 100});
        window->resizeTo(*world, {800, 600});
        world->process(kind.pid)->application->appendChild(window);
        return {window, tabs().addTabs(*world, window, kind.shape, titles)};
    }

    static UIElementRef wrap(const std::shared_ptr<sim::Node>& node) {
        return std::make_shared<UIElement>(node->element());
    }
    static std::shared_ptr<Window> windowOf(const std::shared_ptr<sim::Node>& node) {
        return Window::make(*wrap(node));
    }
    static CGPoint centre(const std::shared_ptr<sim::Node>& node) {
        const CGRect frame = *node->frame();
        return {frame.midX(), frame.midY()};
    }
    // A tab made from the title of a tab, with the pointer there.
    std::shared_ptr<Tab> tabAt(const Built& built, std::size_t index) {
        const CGPoint location = centre(built.strip.labels[index]);
        input().movePointer(location);
        return Tab::make(wrap(built.strip.labels[index]), windowOf(built.window), location);
    }

    static void setTabApps(TabAppTypeSet kinds) {
        settings::Defaults::writeValue(settings::Defaults::Keys::tabApps(), kinds);
    }

    WindowResult settle(const WindowPromise& promise) {
        scheduler().runUntil([&] { return !promise.isStillPending(); }, 10);
        return *promise.currentResult();
    }

    std::int64_t windowListReads(platform::ProcessId pid) const {
        const auto& counts = world->roundTrips();
        const auto found = counts.find({sim::RoundTrip::copyAttributeValue, "AXWindows", pid});
        return found == counts.end() ? 0 : found->second;
    }

    static std::optional<PromiseError::Kind> failure(const WindowResult& result) {
        if (result.holdsValue())
            return std::nullopt;
        const PromiseError* error = promiseErrorOf(result.error());
        return error != nullptr ? std::optional(error->kind()) : std::nullopt;
    }

    // The lines of this component; the element model logs its own.
    std::vector<std::string> windowLines() const {
        std::vector<std::string> lines;
        for (const std::string& line : output.lines()) {
            if (line.starts_with("Window: "))
                lines.push_back(line);
        }
        return lines;
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    testing::FakeSnappedWindowRegistry registry;
};

TEST_F(TabTest, TheKindComesFromTheBundleIdentifiersPrefix) {
    const std::pair<std::optional<std::string_view>, TabAppType> cases[] = {
        {"com.apple.Safari", TabAppType::safari},
        {"com.apple.SafariTechnologyPreview", TabAppType::safari},
        {"com.kagi.kagimacOS", TabAppType::safari},
        {"com.google.Chrome.canary", TabAppType::chrome},
        {"com.microsoft.edgemac", TabAppType::chrome},
        {"com.microsoft.edgemac.Beta", TabAppType::chrome},
        {"company.thebrowser.Browser", TabAppType::arc},
        {"com.apple.dt.Xcode", TabAppType::xcode},
        {"com.microsoft.VSCodeInsiders", TabAppType::vscode},
        // Prefixes are compared as they are written.
        {"com.google.chrome", TabAppType::native},
        {"com.apple.Safar", TabAppType::native},
        {"org.example.notes", TabAppType::native},
        {"", TabAppType::native},
        {std::nullopt, TabAppType::native},
    };
    for (const auto& [identifier, kind] : cases)
        EXPECT_EQ(appTypeForBundleIdentifier(identifier), kind) << identifier.value_or("none");
}

TEST_F(TabTest, EachKindFindsItsTabAroundTheElementUnderThePointer) {
    const std::pair<Kind, TabAppType> cases[] = {
        {notes, TabAppType::native},  {safari, TabAppType::safari}, {chrome, TabAppType::chrome},
        {edge, TabAppType::chrome},   {arc, TabAppType::arc},       {xcode, TabAppType::xcode},
        {vscode, TabAppType::vscode},
    };
    for (const auto& [kind, appType] : cases) {
        SCOPED_TRACE(kind.bundleIdentifier);
        const Built built = addWindow(kind, {"One", "Two", "Three"});
        const auto tab = tabAt(built, 1);
        ASSERT_TRUE(tab);
        EXPECT_EQ(tab->element(), built.strip.tabs[1]->element());
        EXPECT_EQ(tab->appType(), appType);
        EXPECT_EQ(tab->location(), centre(built.strip.labels[1]));
        EXPECT_FALSE(tab->shouldCancelDetach());
        // The tab element itself is found too.
        const auto direct =
            Tab::make(wrap(built.strip.tabs[2]), windowOf(built.window), tab->location());
        ASSERT_TRUE(direct);
        EXPECT_EQ(direct->element(),
                  (kind.pid == xcode.pid ? built.strip.tabs[1] : built.strip.tabs[2])->element());
        built.window->close(*world);
    }
}

TEST_F(TabTest, TheNamedCellsKindKnowsBothOfItsCellNames) {
    const Built built = addWindow(arc, {"One", "Two"});
    built.strip.tabs[0]->set("AXIdentifier", "EaselCellView");
    built.strip.tabs[1]->set("AXIdentifier", "NoteCellView");
    const auto easel = tabAt(built, 0);
    ASSERT_TRUE(easel);
    EXPECT_EQ(easel->element(), built.strip.tabs[0]->element());
    EXPECT_FALSE(tabAt(built, 1));
}

TEST_F(TabTest, NoTabForKindsLeftOutOfTheSettingOrElementsOutsideTabs) {
    const Built edgeWindow = addWindow(edge, {"One", "Two"});
    const Built notesWindow = addWindow(notes, {"One", "Two"});
    const Built xcodeWindow = addWindow(xcode, {"One", "Two"});

    // The default leaves out only the kind no identifier gives.
    EXPECT_TRUE(tabAt(edgeWindow, 0));
    setTabApps({TabAppType::native, TabAppType::safari, TabAppType::edge, TabAppType::arc,
                TabAppType::xcode, TabAppType::vscode});
    EXPECT_FALSE(tabAt(edgeWindow, 0));
    EXPECT_TRUE(tabAt(notesWindow, 0));
    setTabApps({TabAppType::safari, TabAppType::chrome, TabAppType::edge, TabAppType::arc,
                TabAppType::xcode, TabAppType::vscode});
    EXPECT_FALSE(tabAt(notesWindow, 0));
    EXPECT_TRUE(tabAt(edgeWindow, 0));

    // Elements that are no tab, and a point beside every tab of the editor's group.
    EXPECT_FALSE(Tab::make(wrap(edgeWindow.strip.bar), windowOf(edgeWindow.window), {150, 120}));
    EXPECT_FALSE(Tab::make(wrap(edgeWindow.window), windowOf(edgeWindow.window), {150, 120}));
    EXPECT_FALSE(
        Tab::make(wrap(xcodeWindow.strip.labels[0]), windowOf(xcodeWindow.window), {850, 150}));
    EXPECT_FALSE(Tab::make(nullptr, nullptr, {0, 0}));
}

TEST_F(TabTest, ATabLikeControlInsideWebContentIsNoBrowserTab) {
    const std::pair<Kind, bool> cases[] = {
        {safari, false},
        {chrome, false},
        {edge, false},
        {arc, false},
        // Only browsers draw web pages with tabs of their own.
        {notes, true},
        {vscode, true},
    };
    for (const auto& [kind, found] : cases) {
        SCOPED_TRACE(kind.bundleIdentifier);
        const Built built = addWindow(kind, {"One"});
        const auto control = tabs().addWebContent(*world, built.window, {0, 80, 800, 520});
        control->set("AXIdentifier", "TabCellView");
        const auto tab = Tab::make(wrap(control), windowOf(built.window), centre(control));
        EXPECT_EQ(tab != nullptr, found);
        if (tab) {
            EXPECT_EQ(tab->element(), control->element());
        }
        built.window->close(*world);
    }
}

TEST_F(TabTest, AChromeGestureNearTheTopEdgeMayBeRerouted) {
    const Built chromeWindow = addWindow(chrome, {"One"});
    const Built edgeWindow = addWindow(edge, {"One"});
    const Built safariWindow = addWindow(safari, {"One"});
    const auto make = [&](const Built& built, double y) {
        return Tab::make(wrap(built.strip.labels[0]), windowOf(built.window), {150, y});
    };
    // The windows' top edge is at 100.
    EXPECT_TRUE(make(chromeWindow, 155)->canReroute());
    EXPECT_FALSE(make(chromeWindow, 156)->canReroute());
    EXPECT_TRUE(make(edgeWindow, 155)->canReroute());
    EXPECT_FALSE(make(safariWindow, 110)->canReroute());

    // An unreadable position counts as a top edge at 0.
    world->injectError(chromeWindow.window->element(), "AXPosition",
                       platform::ax::Error::cannotComplete);
    EXPECT_FALSE(make(chromeWindow, 155)->canReroute());
    EXPECT_TRUE(make(chromeWindow, 55)->canReroute());
    EXPECT_FALSE(make(chromeWindow, 56)->canReroute());
}

TEST_F(TabTest, ADetachWaitsForTheNewWindowAndBringsThePointerToIt) {
    const Built built = addWindow(chrome, {"One", "Two"});
    const auto tab = tabAt(built, 1);
    ASSERT_TRUE(tab);
    const CGPoint start = centre(built.strip.labels[1]);
    world->resetRoundTrips();
    input().resetPostedEvents();

    const WindowPromise promise = tab->detach();
    const auto result = settle(promise);
    ASSERT_TRUE(result.holdsValue());
    const std::shared_ptr<Window> detached = result.value();
    EXPECT_EQ(detached->title(), "Two");
    EXPECT_EQ(windowLines(), (std::vector<std::string>{"Window: Detached Tab in 600ms"}));
    // The count before the drag, and checks 0 to 12: the drag lets go at 0.376 s, and the window
    // comes 0.2 s later.
    EXPECT_EQ(windowListReads(chrome.pid), 1 + 13);

    // A press, 61 steps down to 60 points below, the release, and a move back.
    const auto posted = input().postedEvents();
    ASSERT_EQ(posted.size(), 64U);
    EXPECT_EQ(posted.front().event.type, platform::CGEventType::leftMouseDown);
    EXPECT_EQ(posted[62].event.location, (CGPoint{start.x, start.y + 60}));
    EXPECT_EQ(posted.back().event.type, platform::CGEventType::mouseMoved);
    EXPECT_EQ(posted.back().event.location, start);
    EXPECT_EQ(posted.back().event.flags, platform::CGEventFlags::maskNonCoalesced);
    EXPECT_EQ(posted.back().tap, platform::CGEventTapLocation::hid);

    // The pointer was above the new window: it goes below the middle of its top edge.
    const CGRect frame = *detached->rectAttribute("AXFrame");
    EXPECT_EQ(frame.size, (CGSize{800, 600}));
    EXPECT_EQ(input().warps(), (std::vector<CGPoint>{{frame.midX(), frame.minY() + 16}}));
}

TEST_F(TabTest, ANewWindowUnderThePointerLeavesThePointerAlone) {
    const Built built = addWindow(chrome, {"One", "Two"});
    const auto tab = tabAt(built, 0);
    const WindowPromise promise = tab->detach();
    // The user moves the pointer down while the tab comes loose: after the program's drag, whose
    // events move the pointer too, and before the new window is found.
    scheduler().advance(0.5);
    ASSERT_TRUE(windowLines().empty());
    input().movePointer({300, 400});
    ASSERT_TRUE(settle(promise).holdsValue());
    EXPECT_TRUE(input().warps().empty());
    EXPECT_EQ(platform::eventCreate()->location, (CGPoint{300, 400}));
}

TEST_F(TabTest, ADetachFromASnappedWindowTakesThePreSnapSize) {
    const Built built = addWindow(chrome, {"One", "Two"});
    registry.insert(windowOf(built.window), {20, 30, 500, 400});
    const auto result = settle(tabAt(built, 1)->detach());
    ASSERT_TRUE(result.holdsValue());
    EXPECT_EQ(result.value()->size(), (CGSize{500, 400}));
    EXPECT_EQ(windowLines(), (std::vector<std::string>{"Window: Detached Tab in 600ms",
                                                       "Window: Detached Tab unsnapped"}));
    // The snapped window stays as it was.
    EXPECT_EQ(built.window->frame()->size, (CGSize{800, 600}));
}

TEST_F(TabTest, ADetachWithoutANewWindowFailsAfterFortyOneChecks) {
    // The only tab of a window does not come loose.
    const Built built = addWindow(chrome, {"Only"});
    world->resetRoundTrips();
    const double started = platform::uptimeSeconds();
    const auto result = settle(tabAt(built, 0)->detach());
    EXPECT_EQ(failure(result), PromiseError::Kind::default_);
    EXPECT_EQ(windowListReads(chrome.pid), 1 + 41);
    // 40 retries 0.05 s apart; the drag runs beside them.
    EXPECT_NEAR(platform::uptimeSeconds() - started, 2.0, 1e-9);
    EXPECT_TRUE(windowLines().empty());
}

TEST_F(TabTest, ACancelledDetachStopsAtItsNextCheck) {
    const Built built = addWindow(chrome, {"One", "Two"});
    const auto tab = tabAt(built, 1);
    const WindowPromise promise = tab->detach();
    scheduler().advance(0.1);
    tab->setShouldCancelDetach(true);
    EXPECT_EQ(failure(settle(promise)), PromiseError::Kind::cancel);
    EXPECT_FALSE(tab->shouldCancelDetach());
    // The drag is not undone: the window still comes, and nothing waits for it.
    scheduler().advance(3);
    EXPECT_EQ(windowLines(), (std::vector<std::string>{"Window: Detach Tab cancelled"}));

    // Asked before a detach, the cancel ends the next one at its first check.
    const Built other = addWindow(safari, {"One", "Two"}, 41);
    const auto early = tabAt(other, 0);
    early->setShouldCancelDetach(true);
    world->resetRoundTrips();
    EXPECT_EQ(failure(settle(early->detach())), PromiseError::Kind::cancel);
    EXPECT_EQ(windowListReads(safari.pid), 1);
}

TEST_F(TabTest, ATabOutsideAnyWindowCannotDetach) {
    // A tab group straight on the application: the tab has no window.
    auto group = world->makeNode(notes.pid, "AXTabGroup");
    auto button = world->makeNode(notes.pid, "AXRadioButton");
    button->set("AXSubrole", "AXTabButton");
    group->appendChild(button);
    world->process(notes.pid)->application->appendChild(group);
    const auto tab = Tab::make(wrap(button), nullptr, {0, 0});
    ASSERT_TRUE(tab);
    input().resetPostedEvents();
    const WindowPromise promise = tab->detach();
    ASSERT_FALSE(promise.isStillPending());
    EXPECT_EQ(failure(*promise.currentResult()), PromiseError::Kind::default_);
    scheduler().runUntilIdle();
    EXPECT_TRUE(input().postedEvents().empty());
}

}  // namespace
}  // namespace zoral::desktop
