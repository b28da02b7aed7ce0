#include "app/versioning.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/recording_controllers.h"
#include "desktop/ax_access.h"
#include "platform/enum_table.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/iohid.h"
#include "sim/system_commands.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::app {
namespace {

using settings::ActionUserType;
using settings::ActionUserTypeSet;
using settings::HotkeysArrowLayout;
using settings::HotkeysCenterLayout;
using settings::TabAppType;
using settings::TabAppTypeSet;
using settings::Defaults::Keys;
namespace Defaults = settings::Defaults;
using enum ActionUserType;

class VersioningTest : public zoral::testing::VirtualClockTest {
protected:
    VersioningTest() {
        for (const auto* key : Keys::all())
            key->registerDefault();
        settings::removeAllKeys(*Defaults::standardSuite());
    }

    // Stores a value as an older build left it: native values as they are, sets as JSON text.
    static void store(const std::string& name, bool value) {
        Defaults::standardSuite()->setObject(platform::PlistObject::boolean(value), name);
    }
    static void store(const std::string& name, const std::string& text) {
        Defaults::standardSuite()->setObject(platform::PlistObject::string(text), name);
    }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
};

ActionUserTypeSet defaultActions() {
    return Keys::actions().defaultValue();
}

ActionUserTypeSet allActions() {
    const auto all = platform::allCases<ActionUserType>();
    return {all.begin(), all.end()};
}

ActionUserTypeSet with(ActionUserTypeSet actions, std::initializer_list<ActionUserType> added) {
    actions.insert(added);
    return actions;
}

struct MigrationRow {
    const char* name;
    std::int64_t lastBuild;
    std::function<void()> stored;
    ActionUserTypeSet actions;
    HotkeysArrowLayout arrows;
    HotkeysCenterLayout undo;
    TabAppTypeSet tabApps;
    std::vector<std::string> log;
};

TEST_F(VersioningTest, MigrationsCarryEachOlderBuildsSettingsForwardStageByStage) {
    using enum TabAppType;
    const TabAppTypeSet defaultTabs = Keys::tabApps().defaultValue();
    const auto nothing = [] {};
    const std::vector<MigrationRow> rows{
        {"first launch: nothing runs",
         0,
         [] { store("hotkeysWASD", true); },
         defaultActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::escape,
         defaultTabs,
         {"Zoral: Build 0 -> 100"}},
        {"from 10: every stage",
         10,
         nothing,
         with(defaultActions(), {tabClose, tabDetach, appHide, snapNinths, windowHide, snapAlmost}),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::backspace,
         defaultTabs,
         {"Zoral: Build 10 -> 100", "No IODHIDListenAccess"}},
        {"from 35 with no old actions: all kinds",
         35,
         nothing,
         allActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::backspace,
         defaultTabs,
         {"Zoral: Build 35 -> 100", "No IODHIDListenAccess"}},
        {"from 35 with an empty old set: all kinds",
         35,
         [] { store("actions", std::string()); },
         allActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::backspace,
         defaultTabs,
         {"Zoral: Build 35 -> 100", "No IODHIDListenAccess"}},
        {"from 41 with old actions",
         41,
         [] { store("actions", std::string(R"(["windowQuit","snapMax"])")); },
         {windowQuit, snapMax, windowHide, snapAlmost},
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::backspace,
         defaultTabs,
         {"Zoral: Build 41 -> 100", "No IODHIDListenAccess"}},
        {"from 43 with WASD and no legacy layout: WASD stays",
         43,
         [] { store("hotkeysWASD", true); },
         with(defaultActions(), {snapAlmost}),
         HotkeysArrowLayout::wasd,
         HotkeysCenterLayout::letterX,
         defaultTabs,
         {"Zoral: Build 43 -> 100", "No IODHIDListenAccess"}},
        {"from 43 with WASD and a stored legacy layout: the layout wins",
         43,
         [] {
             store("hotkeysWASD", true);
             store(std::string(legacyArrowLayoutKey), std::string(R"("dvorak")"));
         },
         with(defaultActions(), {snapAlmost}),
         HotkeysArrowLayout::dvorak,
         HotkeysCenterLayout::letterQ,
         defaultTabs,
         {"Zoral: Build 43 -> 100", "No IODHIDListenAccess"}},
        {"from 47 with hjkl: the undo key stays",
         47,
         [] {
             store(std::string(legacyArrowLayoutKey), std::string(R"("hjkl")"));
             store("hotkeyUndo", std::string(R"("letterO")"));
         },
         with(defaultActions(), {snapAlmost}),
         HotkeysArrowLayout::hjkl,
         HotkeysCenterLayout::letterO,
         defaultTabs,
         {"Zoral: Build 47 -> 100", "No IODHIDListenAccess"}},
        {"from 48 with edge: chrome joins",
         48,
         [] { store("tabApps", std::string(R"(["native","edge"])")); },
         defaultActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::escape,
         {native, edge, safari, chrome, arc, vscode},
         {"Zoral: Build 48 -> 100", "No IODHIDListenAccess"}},
        {"from 57",
         57,
         [] { store("tabApps", std::string(R"(["native"])")); },
         defaultActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::escape,
         {native, vscode},
         {"Zoral: Build 57 -> 100", "No IODHIDListenAccess"}},
        {"from 59: only the input-monitoring check",
         59,
         [] { store("tabApps", std::string(R"(["native"])")); },
         defaultActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::escape,
         {native},
         {"Zoral: Build 59 -> 100", "No IODHIDListenAccess"}},
        {"from 61: nothing runs",
         61,
         [] { store("hotkeysWASD", true); },
         defaultActions(),
         HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::escape,
         defaultTabs,
         {"Zoral: Build 61 -> 100"}},
    };
    // Listening to the input stream is not granted.
    world->component<sim::InputMonitoringAccess>().listen = platform::iohid::AccessType::denied;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings::removeAllKeys(*Defaults::standardSuite());
        if (row.lastBuild != 0)
            Defaults::writeValue(Keys::buildNumber(), row.lastBuild);
        row.stored();
        output.clear();

        migrateSettings(100);

        EXPECT_EQ(Defaults::readValue(Keys::buildNumber()), 100);
        EXPECT_EQ(Defaults::readValue(Keys::actions()), row.actions);
        EXPECT_EQ(Defaults::readValue(Keys::hotkeyArrow()), row.arrows);
        EXPECT_EQ(Defaults::readValue(Keys::hotkeyUndo()), row.undo);
        EXPECT_EQ(Defaults::readValue(Keys::tabApps()), row.tabApps);
        EXPECT_EQ(output.lines(), row.log);
    }
    // The old set's name is today's: reading it registered nothing that a fresh install would
    // read in place of today's default.
    settings::removeAllKeys(*Defaults::standardSuite());
    EXPECT_EQ(Defaults::readValue(Keys::actions()), defaultActions());
    EXPECT_EQ(defaultActions().size(), 20U);
}

TEST_F(VersioningTest, OldSwitchesAreCopiedAndTheModifiersResetFromTheOldestBuilds) {
    store("activateAfterSnapping", true);
    store("screenMovingMoveCursor", false);
    store("screenMovingChaining", false);
    store("snappingMovingMoveCursor", true);
    store("showTooltips", false);
    Defaults::writeValue(Keys::generalModifier(), settings::ModifierFlags::option);
    Defaults::writeValue(Keys::tertiaryModifier(), settings::ModifierFlags::option);
    Defaults::writeValue(Keys::buildNumber(), std::int64_t{16});
    migrateSettings(100);
    EXPECT_TRUE(Defaults::readValue(Keys::snappingActivateWindow()));
    EXPECT_FALSE(Defaults::readValue(Keys::screensMoveCursor()));
    EXPECT_FALSE(Defaults::readValue(Keys::screensChainGesture()));
    EXPECT_TRUE(Defaults::readValue(Keys::snappingMoveCursor()));
    EXPECT_FALSE(Defaults::readValue(Keys::tooltipShow()));
    // Reset: nothing stored any more. The tertiary role was not among those reset.
    EXPECT_FALSE(Defaults::standardSuite()
                     ->persistentDomainForName(Defaults::standardSuite()->domainName())
                     .contains("generalModifier"));
    EXPECT_EQ(Defaults::readValue(Keys::tertiaryModifier()), settings::ModifierFlags::option);

    // Never stored: the old keys carry the new settings' defaults over.
    settings::removeAllKeys(*Defaults::standardSuite());
    Defaults::writeValue(Keys::snappingActivateWindow(), true);
    Defaults::writeValue(Keys::buildNumber(), std::int64_t{2});
    migrateSettings(100);
    EXPECT_FALSE(Defaults::readValue(Keys::snappingActivateWindow()));
    EXPECT_TRUE(Defaults::readValue(Keys::screensMoveCursor()));
}

TEST_F(VersioningTest, TheIgnoredSystemComponentsAreAddedAtEveryLaunchBesideTheUsersOwn) {
    const std::set<std::string> components(defaultIgnoredApps.begin(), defaultIgnoredApps.end());
    addDefaultIgnoredApps();
    EXPECT_EQ(Defaults::readValue(Keys::blacklist()), components);

    // The user ignores an application of their own and takes Spotlight off the list.
    Defaults::updateValue(Keys::blacklist(), [](std::set<std::string>& ignored) {
        ignored.insert("org.example.editor");
        ignored.erase("com.apple.Spotlight");
    });
    addDefaultIgnoredApps();
    auto expected = components;
    expected.insert("org.example.editor");
    EXPECT_EQ(Defaults::readValue(Keys::blacklist()), expected);
}

struct OnboardingRow {
    const char* name;
    std::int64_t stored;
    bool trusted;
    std::vector<std::string> calls;
    // What the user's part completes, and the stored build afterwards.
    std::function<bool(RecordingPreferencesController&)> complete;
    std::int64_t storedAfter;
};

TEST_F(VersioningTest, OnboardingShowsTheTourOnAFirstLaunchAndTheNewsUpToBuild47) {
    const bool wasTrusted = desktop::AXAccess::shared().isTrusted();
    const auto tour = [](RecordingPreferencesController& controller) {
        controller.endAccessibilitySheet();
        return controller.finishWelcome();
    };
    const auto news = [](RecordingPreferencesController& controller) {
        return controller.finishWhatsNew();
    };
    const auto none = [](RecordingPreferencesController&) { return false; };
    const std::vector<OnboardingRow> rows{
        {"first launch", 0, true, {"requireAccessibility", "showWelcome"}, tour, 100},
        {"first launch without the permission",
         0,
         false,
         {"requireAccessibility", "accessibilitySheet"},
         tour,
         100},
        {"tour left unfinished", 0, true, {"requireAccessibility", "showWelcome"}, none, 0},
        {"from 1", 1, true, {"showWhatsNew"}, news, 100},
        {"from 30", 30, true, {"showWhatsNew"}, news, 100},
        {"from 47", 47, true, {"showWhatsNew"}, news, 100},
        {"from 48", 48, true, {}, none, 48},
        {"current", 100, true, {}, none, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        settings::removeAllKeys(*Defaults::standardSuite());
        if (row.stored != 0)
            setOnboardBuild(row.stored);
        desktop::AXAccess::shared().setIsTrusted(row.trusted);
        std::shared_ptr<RecordingPreferencesController> controller;
        output.clear();

        onboardBuild(
            [&]() -> PreferencesWindowController& {
                controller = std::make_shared<RecordingPreferencesController>();
                return *controller;
            },
            100);

        EXPECT_EQ(output.lines(), std::vector<std::string>{"Zoral: Onboard Build " +
                                                           std::to_string(row.stored) + " -> 100"});
        // Nothing to show: the window is not even made.
        EXPECT_EQ(controller != nullptr, !row.calls.empty());
        if (!controller)
            continue;
        EXPECT_EQ(controller->calls(), row.calls);
        EXPECT_EQ(Defaults::readValue(Keys::buildNumberOnboard()), row.stored);
        row.complete(*controller);
        EXPECT_EQ(Defaults::readValue(Keys::buildNumberOnboard()), row.storedAfter);
    }
    desktop::AXAccess::shared().setIsTrusted(wasTrusted);
}

TEST_F(VersioningTest, UpdateSettingsGoThroughTheUpdaterAndAreInertWithoutOne) {
    using namespace UpdaterSettings;
    // No updater.
    setReceivesBetaUpdates(true);
    setUpdateInterval(86400);
    EXPECT_FALSE(receivesBetaUpdates());
    EXPECT_EQ(updateInterval(), 0);
    EXPECT_FALSE(sim::Updater::of(*world).state());

    // An updater without a feed reads no beta channel.
    sim::Updater::of(*world).setState(
        sim::Updater::State{.automaticallyChecksForUpdates = true, .updateCheckInterval = 3600.9});
    EXPECT_FALSE(receivesBetaUpdates());
    EXPECT_EQ(updateInterval(), 3600);

    setReceivesBetaUpdates(true);
    EXPECT_TRUE(receivesBetaUpdates());
    EXPECT_EQ(sim::Updater::of(*world).state()->feedURL, std::string(feedAddress) + "-beta");
    setReceivesBetaUpdates(false);
    EXPECT_FALSE(receivesBetaUpdates());
    EXPECT_EQ(sim::Updater::of(*world).state()->feedURL, std::string(feedAddress));

    setUpdateInterval(0);
    EXPECT_EQ(updateInterval(), 0);
    EXPECT_FALSE(sim::Updater::of(*world).state()->automaticallyChecksForUpdates);
    EXPECT_EQ(sim::Updater::of(*world).state()->updateCheckInterval, 3600.9) << "kept";
    setUpdateInterval(86400);
    EXPECT_EQ(updateInterval(), 86400);
    EXPECT_TRUE(sim::Updater::of(*world).state()->automaticallyChecksForUpdates);
}

}  // namespace
}  // namespace zoral::app
