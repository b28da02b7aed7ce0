#include "app/app_delegate.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_world.h"
#include "desktop/ui_element.h"
#include "desktop/window.h"
#include "engine/input/tap.h"
#include "engine/windows/snap_engine.h"
#include "loginitems/login_items.h"
#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/key_codes.h"
#include "platform/notification_center.h"
#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/event_taps.h"
#include "sim/hardware_input.h"
#include "sim/journal.h"
#include "sim/login_items.h"

namespace zoral::app::testing {
namespace {

using Lines = std::vector<std::string>;
using settings::Defaults::Keys;
namespace Defaults = settings::Defaults;

constexpr const char* separator = "------------------------------------------";

class AppDelegateTest : public AppWorldTest {
protected:
    std::size_t liveTaps() const { return sim::EventTaps::of(*world).liveTaps().size(); }

    // The editor's "notes" window, as the program sees it.
    std::shared_ptr<desktop::Window> notes() const {
        return desktop::Window::make(desktop::UIElement(*sim::elementNamed(*world, "notes")));
    }
    std::shared_ptr<sim::Node> notesNode() const {
        return world->resolve(*sim::elementNamed(*world, "notes"));
    }
    platform::CGRect notesFrame() const { return *notesNode()->frame(); }
    // The user moves "notes" away from where it is.
    void moveNotesAway() {
        notesNode()->set("AXPosition", platform::CGPoint{300, 300});
        notesNode()->set("AXSize", platform::CGSize{500, 400});
    }

    // Snaps "notes" onto the left half of the laptop's screen, as a gesture would.
    void snapNotesLeft() {
        engine::snap(notes(), {{0, 0}, {1, 1}, {2, 1}}, desktop::Screen::screens().at(0));
        scheduler().advance(0.5);
    }
};

struct StartUpRow {
    const char* name;
    std::int64_t lastBuild;
    std::int64_t onboardBuild;
    bool trusted;
    Lines expected;
};

TEST_F(AppDelegateTest, StartsUpInOrderOnAFirstLaunchAnOldBuildAndTheCurrentOne) {
    const Lines grantedCore{separator, "AXAccess: true (<time>)", separator,
                            "CGEventTap: initialized", "Screens: re-initialized 2 screens"};
    const Lines missing{separator, "AXAccess: false (<time>)", separator};
    const auto join = [](Lines head, const Lines& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const Lines opening{"io.zoral.Zoral", "Screens: re-initialized 2 screens"};
    const std::vector<StartUpRow> rows{
        {"first launch", 0, 0, true,
         join(join(opening,
                   {"Zoral: Build 0 -> 100", "» setUpStatusItem", "Zoral: Onboard Build 0 -> 100",
                    "» requireAccessibility", "» showWelcome"}),
              grantedCore)},
        {"first launch without the permission", 0, 0, false,
         join(join(opening,
                   {"Zoral: Build 0 -> 100", "» setUpStatusItem", "Zoral: Onboard Build 0 -> 100",
                    "» requireAccessibility", "» accessibilitySheet"}),
              missing)},
        {"old build", 41, 30, true,
         join(join(opening, {"Zoral: Build 41 -> 100", "» setUpStatusItem",
                             "Zoral: Onboard Build 30 -> 100", "» showWhatsNew"}),
              grantedCore)},
        {"old build without the permission", 41, 30, false,
         join(join(opening, {"Zoral: Build 41 -> 100", "» setUpStatusItem",
                             "Zoral: Onboard Build 30 -> 100", "» showWhatsNew"}),
              missing)},
        {"current build", 100, 100, true,
         join(join(opening, {"Zoral: Build 100 -> 100", "» setUpStatusItem",
                             "Zoral: Onboard Build 100 -> 100"}),
              grantedCore)},
        {"current build without the permission", 100, 100, false,
         join(join(opening, {"Zoral: Build 100 -> 100", "» setUpStatusItem",
                             "Zoral: Onboard Build 100 -> 100"}),
              missing)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // A launch of its own: the settings and the program's state as a fresh process finds them.
        settings::removeAllKeys(*Defaults::standardSuite());
        if (row.lastBuild != 0)
            Defaults::writeValue(Keys::buildNumber(), row.lastBuild);
        if (row.onboardBuild != 0)
            Defaults::writeValue(Keys::buildNumberOnboard(), row.onboardBuild);
        delegate.reset();
        forgetShortcuts();
        scheduler().runUntilIdle();
        output.clear();

        launch(100, row.trusted);

        // The program's start-up, in order, with the stand-ins' calls among its lines.
        EXPECT_EQ(linesStarting({"io.zoral", "Screens: re-initialized", "Zoral:", "» ",
                                 "AXAccess:", "CGEventTap:", "No IODHIDListenAccess", "---"}),
                  row.expected);
        EXPECT_EQ(delegate->zoralCore() != nullptr, row.trusted);
        EXPECT_EQ(liveTaps(), row.trusted ? 1U : 0U);
        // The ignored system components are on the list, and the display shortcut is attached.
        EXPECT_EQ(Defaults::readValue(Keys::blacklist()).size(), 5U);
        EXPECT_TRUE(shortcuts::GlobalShortcuts::keyUpHandlers().contains(fixPinchAndSwipe()));
        EXPECT_EQ(Defaults::readValue(Keys::buildNumber()), 100);
    }
}

TEST_F(AppDelegateTest, APermissionGrantedLaterBuildsTheCoreAndEachReportReplacesItsTap) {
    launch(100, false);
    EXPECT_EQ(delegate->zoralCore(), nullptr);
    EXPECT_EQ(liveTaps(), 0U);
    output.clear();

    reportPermission(true);
    EXPECT_EQ(linesStarting({"AXAccess:", "CGEventTap:"}),
              (Lines{"AXAccess: true (<time>)", "CGEventTap: initialized"}));
    // Stamped with the local time of the report: 0.2 s after the grant, itself 0.2 s after start.
    EXPECT_EQ(output.lines().at(1), "AXAccess: true (09:00:00.40)");
    ASSERT_NE(delegate->zoralCore(), nullptr);
    const auto firstTap = delegate->zoralCore()->core()->eventTap()->port();
    EXPECT_EQ(sim::EventTaps::of(*world).liveTaps(), std::vector{firstTap});
    output.clear();

    // The system announces a change of the permissions (another program's, say): the report of
    // the same state replaces the core, the old tap stopping before the new one starts.
    platform::DistributedNotificationCenter::defaultCenter().post(
        desktop::AXAccess::changeNotification);
    scheduler().advance(desktop::AXAccess::recheckDelay);
    const Lines taps = linesStarting({"AXAccess:", "CGEventTap:"});
    ASSERT_GE(taps.size(), 3U);
    EXPECT_EQ(taps[0], "AXAccess: true (<time>)");
    EXPECT_EQ(taps[1], "CGEventTap: invalidated");
    EXPECT_EQ(std::ranges::find(taps, "CGEventTap: initialized") - taps.begin(), 2);
    EXPECT_EQ(liveTaps(), 1U);
    EXPECT_FALSE(sim::EventTaps::of(*world).isValid(firstTap));
    output.clear();

    reportPermission(false);
    // (The tap says so again as it goes with its core.)
    const Lines revoked = linesStarting({"AXAccess:", "CGEventTap:"});
    ASSERT_GE(revoked.size(), 2U);
    EXPECT_EQ(Lines(revoked.begin(), revoked.begin() + 2),
              (Lines{"AXAccess: false (<time>)", "CGEventTap: invalidated"}));
    EXPECT_EQ(std::ranges::count(revoked, "CGEventTap: initialized"), 0);
    EXPECT_EQ(delegate->zoralCore(), nullptr);
    EXPECT_EQ(liveTaps(), 0U);
}

TEST_F(AppDelegateTest, AThousandPermissionTogglesLeaveOneLiveTapAndNothingBehind) {
    launch(100, true);
    const auto subscribers = [] {
        return desktop::AXAccess::shared().onChange().signalListeners().size();
    };
    // The first toggles settle what a running program holds.
    for (int i = 0; i < 2; ++i)
        reportPermission(i % 2 != 0);
    reportPermission(true);
    scheduler().advance(1);
    const std::size_t heldSubscribers = subscribers();
    const std::size_t heldPending = scheduler().pendingCount();
    std::weak_ptr<engine::ZoralCore> firstCore;
    for (int i = 0; i < 1000; ++i) {
        reportPermission(i % 2 == 0);
        output.clear();
        if (i == 0)
            firstCore = delegate->zoralCore()->core();
        ASSERT_EQ(liveTaps(), i % 2 == 0 ? 1U : 0U) << "toggle " << i;
    }
    reportPermission(true);
    scheduler().advance(1);
    EXPECT_EQ(liveTaps(), 1U);
    EXPECT_EQ(sim::EventTaps::of(*world).liveTaps(),
              std::vector{delegate->zoralCore()->core()->eventTap()->port()});
    // Every core but the running one is gone, with nothing left waiting or listening.
    EXPECT_TRUE(firstCore.expired());
    EXPECT_EQ(subscribers(), heldSubscribers);
    EXPECT_EQ(scheduler().pendingCount(), heldPending);
}

struct DisplayChangeRow {
    const char* name;
    std::int64_t timeout;
    std::function<void(sim::Displays&)> change;
    Lines atOnce;
    // Whether the snapped window is put back on its span, and when.
    std::optional<double> resnapAfter;
};

TEST_F(AppDelegateTest, DisplayChangesRebuildTheScreensAndResnapAsTheCountAndFramesSay) {
    const auto unplugExternal = [](sim::Displays& displays) { displays.removeDisplay(2); };
    const auto moveDock = [](sim::Displays& displays) {
        displays.placeDock(0, sim::DockInset{sim::DockEdge::left, 80});
    };
    const auto nothing = [](sim::Displays& displays) { displays.setDisplays(displays.displays()); };
    const std::vector<DisplayChangeRow> rows{
        {"count changed, the time-out above 0",
         4,
         unplugExternal,
         {"Screens: re-initialized 1 screens", separator, "Screens: Config changed (<time>)",
          "Screens: 1, Snapped: 1, Minimized: 0", "Resnapping after 4.0s..."},
         4},
        {"count changed, the time-out 0",
         0,
         unplugExternal,
         {"Screens: re-initialized 1 screens", separator, "Screens: Config changed (<time>)",
          "Screens: 1, Snapped: 1, Minimized: 0", "Ignoring screen change...", separator},
         std::nullopt},
        {"count changed, the time-out below 0",
         -1,
         unplugExternal,
         {"Screens: re-initialized 1 screens", separator, "Screens: Config changed (<time>)",
          "Screens: 1, Snapped: 1, Minimized: 0", "Ignoring screen change...", separator},
         std::nullopt},
        {"frames only",
         4,
         moveDock,
         {"Screens: re-initialized 2 screens", separator, "Screens: Config changed (<time>)",
          "Screens: 2, Snapped: 1, Minimized: 0", "Resnapping...", separator},
         0},
        {"nothing changed",
         4,
         nothing,
         {"Screens: re-initialized 2 screens", separator, "Screens: Config changed (<time>)",
          "Screens: 2, Snapped: 1, Minimized: 0"},
         std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // Each row is a program of its own on the world as the file gives it.
        delegate.reset();
        resetWorld();
        Defaults::writeValue(Keys::screenChangeTimeout(), row.timeout);
        launch(100, true);
        snapNotesLeft();
        const platform::CGRect snapped = notesFrame();
        // Away from its span, so that a re-snap shows.
        moveNotesAway();
        scheduler().advance(1 - platform::uptimeSeconds());
        output.clear();

        row.change(sim::Displays::of(*world));
        scheduler().advance(0);
        EXPECT_EQ(linesStarting({"Screens:", "Resnapping", "Ignoring", "---"}), row.atOnce);
        const platform::CGRect moved{300, 300, 500, 400};
        if (!row.resnapAfter) {
            scheduler().advance(10);
            EXPECT_EQ(notesFrame(), moved);
            EXPECT_EQ(linesStarting({"Screens:", "Resnapping", "Ignoring", "---"}), row.atOnce);
            continue;
        }
        if (*row.resnapAfter > 0) {
            scheduler().advance(*row.resnapAfter - 0.01);
            EXPECT_EQ(notesFrame(), moved) << "before the time-out";
            EXPECT_EQ(linesStarting({"---"}).size(), 1U);
        }
        scheduler().advance(0.5);
        // Back on the laptop's left half, the displays' frames as they are now.
        EXPECT_NE(notesFrame(), moved);
        // Beside the Dock on the left when it moved there.
        EXPECT_NEAR(notesFrame().origin.x, row.name == std::string("frames only") ? 80 : 0, 1);
        EXPECT_EQ(linesStarting({"---"}).size(), 2U);
        (void)snapped;
    }
}

TEST_F(AppDelegateTest, TwoCountChangesWithinTheTimeOutResnapTwice) {
    launch(100, true);
    output.clear();
    sim::Displays::of(*world).removeDisplay(2);
    scheduler().advance(1);
    sim::Displays::of(*world).addDisplay(
        {.number = 3, .uuid = "THIRD", .frame = {1440, 0, 1920, 1080}, .menuBarHeight = 25});
    scheduler().advance(2.5);
    EXPECT_EQ(linesStarting({"Resnapping", "---"}), (Lines{separator, "Resnapping after 4.0s...",
                                                           separator, "Resnapping after 4.0s..."}));
    // Each change re-snaps 4 s after itself: the later one does not put the earlier off.
    scheduler().advance(0.6);
    EXPECT_EQ(linesStarting({"---"}).size(), 3U);
    scheduler().advance(1);
    EXPECT_EQ(linesStarting({"---"}).size(), 4U);
}

TEST_F(AppDelegateTest, AnAppearanceChangeRebuildsTheScreensThenResnapsAtOnce) {
    launch(100, true);
    snapNotesLeft();
    const platform::CGRect snapped = notesFrame();
    moveNotesAway();
    scheduler().advance(0.5);
    output.clear();

    sim::setInterfaceStyle("Dark");
    scheduler().advance(0.1);
    const Lines lines = linesStarting({"System:", "Screens:", "---"});
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{separator, "System: Appearance changed to dark (<time>)", separator,
                     "Screens: re-initialized 2 screens"}));
    scheduler().advance(0.5);
    // Back on its span; the dark appearance moves the snap area's edge by a point.
    EXPECT_NEAR(notesFrame().origin.x, snapped.origin.x, 1);
    EXPECT_NEAR(notesFrame().size.width, snapped.size.width, 2);

    output.clear();
    sim::setInterfaceStyle(std::nullopt);
    scheduler().advance(0.1);
    EXPECT_EQ(linesStarting({"System:"}), Lines{"System: Appearance changed to light (<time>)"});
}

TEST_F(AppDelegateTest,
       TheDisplayShortcutsKeyUpSleepsAndWakesTheDisplaysHoldingTheMainQueueOnlyAsLongAsTheCommand) {
    using shortcuts::GlobalShortcuts::Shortcut;
    // Control-Option-D.
    shortcuts::GlobalShortcuts::storeShortcut(Shortcut{2, 0x1000 | 0x0800}, fixPinchAndSwipe());
    launch(100, true);
    scheduler().advance(1);
    sim::Journal::of(*world).clear();

    auto& hardware = sim::HardwareInput::of(*world);
    const double seconds = hardware.play(
        std::vector<sim::HardwareStep>{sim::ModifierChange{platform::CGEventFlags::maskControl |
                                                           platform::CGEventFlags::maskAlternate},
                                       sim::KeyStroke{2}, sim::ModifierChange{}});
    // Work the main queue is given while the command runs waits for it, and no longer.
    double mainQueueFreeAt = -1;
    scheduler().runUntil([&] { return sim::DisplayPower::of(*world).asleep(); }, 5);
    const double sleptAt = platform::uptimeSeconds();
    platform::DispatchQueue::main().async([&] { mainQueueFreeAt = platform::uptimeSeconds(); });
    scheduler().advance(seconds + 3);

    const auto power = sim::Journal::of(*world).recordsOf<sim::DisplaySleep>();
    ASSERT_EQ(power.size(), 2U);
    EXPECT_TRUE(power[0].asleep);
    EXPECT_FALSE(power[1].asleep);
    EXPECT_NEAR(power[1].time - power[0].time, 0.2, 1e-9);
    EXPECT_NEAR(mainQueueFreeAt - sleptAt, 1.2, 1e-9);
    EXPECT_FALSE(sim::DisplayPower::of(*world).asleep());
}

struct ShutDownRow {
    const char* name;
    platform::OperatingSystemVersion system;
    loginitems::LoginItems::LaunchState before;
    loginitems::LoginItems::LaunchState after;
};

TEST_F(AppDelegateTest, QuittingUnsnapsStopsTheTapKeepsTheLoginRuleAndSaysSo) {
    using enum loginitems::LoginItems::LaunchState;
    const std::vector<ShutDownRow> rows{
        {"system 12, launched hidden", {12, 6, 0}, hide, show},
        {"system 12, launched shown", {12, 6, 0}, show, show},
        {"system 12, not launched", {12, 6, 0}, none, none},
        {"system 13, launched", {13, 0, 0}, show, show},
        {"system 14, not launched", {14, 0, 0}, none, none},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        delegate.reset();
        resetWorld();
        sim::SystemVersion::of(*world).setVersion(row.system);
        loginitems::LoginItems::setLaunchState(row.before);
        launch(100, true);
        const platform::CGRect before = notesFrame();
        snapNotesLeft();
        ASSERT_NE(notesFrame(), before);
        const auto tap = delegate->zoralCore()->core()->eventTap()->port();
        output.clear();

        delegate->terminate();
        scheduler().advance(1);

        EXPECT_EQ(notesFrame(), before);
        EXPECT_FALSE(sim::EventTaps::of(*world).isValid(tap));
        EXPECT_NE(delegate->zoralCore(), nullptr) << "the core stays";
        EXPECT_EQ(loginitems::LoginItems::launchState(), row.after);
        const Lines lines = output.lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Zoral: Exiting...");
        EXPECT_EQ(ended, 1);
        // A second request while terminating does nothing more.
        delegate->terminate();
        EXPECT_EQ(ended, 1);
        ended = 0;
    }
}

TEST_F(AppDelegateTest, RelaunchStartsTheProgramWithoutAShellWhateverItsPathHolds) {
    launch(100, true);
    sim::Journal::of(*world).clear();
    delegate.reset();
    const platform::ProcessLaunch command{
        .executable = "/tmp/My \"Apps\"/$HOME/`reboot`; rm -rf ~/zoral", .arguments = {"--x"}};
    auto relaunching = AppDelegate::make({.statusItem = std::make_shared<RecordingStatusItem>(),
                                          .endApplication = [this] { ++ended; },
                                          .relaunchCommand = command});
    relaunching->relaunch(0.5);
    platform::ProcessLaunch expected = command;
    expected.delay = 0.5;
    const std::vector<sim::ProcessLaunched> launched{{platform::uptimeSeconds(), expected}};
    EXPECT_EQ(sim::Journal::of(*world).recordsOf<sim::ProcessLaunched>(), launched);
    EXPECT_TRUE(relaunching->isTerminated());
    EXPECT_EQ(ended, 1);
}

TEST_F(AppDelegateTest, OpeningTheProgramAgainShowsThePreferences) {
    Defaults::writeValue(Keys::buildNumberOnboard(), std::int64_t{100});
    launch(100, true);
    EXPECT_FALSE(delegate->hasPreferencesController());
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(true));
    EXPECT_EQ(preferences->calls(), (Lines{"show", "show"}));
    EXPECT_EQ(appDelegate(), delegate);
}

}  // namespace
}  // namespace zoral::app::testing
