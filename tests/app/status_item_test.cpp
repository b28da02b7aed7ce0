// The program's status item and its menu as a user meets them: the simulated hands click the item
// in the menu bar, drag it out with Command and choose from the menu that opens; the effects are
// the icon, the preferences, the settings, the system's files and the journal.

#include <QTest>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/status_bar_item_controller.h"
#include "app/status_menus.h"
#include "app_world.h"
#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/windows/snap_engine.h"
#include "platform/activation_policy.h"
#include "platform/key_codes.h"
#include "platform/user_defaults.h"
#include "shortcuts/global_shortcuts.h"
#include "sim/displays.h"
#include "sim/hands.h"
#include "sim/journal.h"
#include "sim/main_menu.h"
#include "sim/status_bar.h"
#include "sim/system_commands.h"
#include "sim/workspace.h"
#include "sim/world_file.h"
#include "ui/application_activation.h"
#include "ui/button.h"
#include "ui/event_pump.h"
#include "ui/layout_guide.h"
#include "ui/menu_painting.h"
#include "ui/qt_view.h"
#include "ui/status_item_painting.h"
#include "ui/titled_window.h"

namespace zoral::app::testing {
namespace {

using platform::CGMouseButton;
using platform::ControlStateValue;
using platform::MenuItem;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using Titles = std::vector<std::string>;

class StatusItemTest : public AppWorldTest {
protected:
    ~StatusItemTest() override { quitProgram(); }

    // Launches the program with its real status item and menus.
    void launchProgram(bool trusted = true) {
        nib = loadMainNib();
        controller = std::make_shared<StatusBarItemController>(nib.statusMenu);
        statusItemController = controller;
        launch(100, trusted);
        scheduler().advance(0.5);
        // A first launch asks the preferences for its onboarding: that is not the user's doing.
        callsAtLaunch = preferences ? preferences->calls().size() : 0;
    }
    // What the user's doings asked of the preferences since the launch.
    Titles preferencesCalls() const {
        if (!preferences)
            return {};
        const auto& calls = preferences->calls();
        return Titles(calls.begin() + static_cast<std::ptrdiff_t>(callsAtLaunch), calls.end());
    }
    // The program is gone, with its item and menus.
    void quitProgram() {
        delegate.reset();
        statusItemController.reset();
        controller.reset();
        nib = {};
    }

    platform::StatusItem& item() const { return *controller->statusItem(); }
    std::optional<std::string> icon() const { return item().button()->image(); }
    sim::SystemStatusBar& bar() const { return sim::SystemStatusBar::of(*world); }
    sim::Hands& hands() const { return sim::Hands::of(*world); }

    void click(CGMouseButton button = CGMouseButton::left) {
        ASSERT_TRUE(hands().clickStatusItem(item(), button));
        scheduler().advance(0.2);
    }
    // Opens the status menu with a left click: what it shows, the separators as "-----".
    Titles openMenu() {
        click();
        EXPECT_EQ(bar().openMenu(), nib.statusMenu);
        return shown();
    }
    Titles shown() const {
        Titles titles;
        if (const auto menu = bar().openMenu()) {
            for (const auto& entry : menu->visibleItems())
                titles.push_back(entry->isSeparatorItem() ? "-----"
                                                          : entry->displayedTitle().string());
        }
        return titles;
    }
    void closeMenu() {
        hands().pressKey(platform::virtualKey::escape);
        scheduler().advance(0.2);
        ASSERT_FALSE(bar().openMenu());
    }
    // Opens the menu and chooses the item.
    void choose(const std::string& title) {
        openMenu();
        ASSERT_TRUE(hands().chooseMenuItem({title})) << title;
        scheduler().advance(0.2);
    }
    std::shared_ptr<MenuItem> menuItem(const std::weak_ptr<MenuItem>& outlet) const {
        return outlet.lock();
    }
    const StatusMenuController& menuController() const { return *nib.statusMenuController; }

    MainNib nib;
    std::shared_ptr<StatusBarItemController> controller;
    std::size_t callsAtLaunch = 0;
};

TEST_F(StatusItemTest, TheItemIsASquareThatMayBeRemovedWithAnIconThatFollowsThePermissionAtOnce) {
    launchProgram(false);
    EXPECT_EQ(item().length(), platform::squareStatusItemLength);
    EXPECT_EQ(item().behavior(), platform::StatusItemBehavior::removalAllowed);
    EXPECT_EQ(item().menu(), nib.statusMenu);
    EXPECT_FALSE(item().button()->appearsDisabled());
    EXPECT_EQ(icon(), "MenuBarIconError");
    ASSERT_TRUE(bar().frameOf(item()));

    // Each report changes the icon, before any menu opens.
    reportPermission(true);
    EXPECT_EQ(icon(), "MenuBarIcon");
    reportPermission(false);
    EXPECT_EQ(icon(), "MenuBarIconError");
    EXPECT_EQ(bar().menuOpenings(), 0u);
}

TEST_F(StatusItemTest, ARightClickOpensThePreferencesAndNoMenuALeftClickTheMenu) {
    launchProgram();
    click(CGMouseButton::right);
    EXPECT_EQ(preferencesCalls(), Titles{"show"});
    EXPECT_FALSE(bar().openMenu());
    EXPECT_EQ(bar().menuOpenings(), 0u);

    click();
    EXPECT_EQ(bar().openMenu(), nib.statusMenu);
    EXPECT_EQ(preferencesCalls(), Titles{"show"});
    // A right click while the menu is open only closes it, as any press does.
    click(CGMouseButton::right);
    EXPECT_FALSE(bar().openMenu());
    EXPECT_EQ(preferencesCalls(), Titles{"show"});
}

TEST_F(StatusItemTest, ALeftClickSavesTheItemsVisibilityATenthOfASecondLater) {
    launchProgram();
    // What the setting says is not what the bar shows: only the save brings them together.
    writeValue(Keys::showInMenubar(), false);
    ASSERT_TRUE(hands().clickStatusItem(item()));
    scheduler().advance(0.09);
    EXPECT_FALSE(readValue(Keys::showInMenubar()));
    scheduler().advance(0.02);
    EXPECT_TRUE(readValue(Keys::showInMenubar()));
    closeMenu();

    // A right click saves nothing.
    writeValue(Keys::showInMenubar(), false);
    click(CGMouseButton::right);
    scheduler().advance(1);
    EXPECT_FALSE(readValue(Keys::showInMenubar()));
}

// The monitor looks at the application's every left release and right press: those of the
// program's own windows pass on untouched, open nothing and save nothing.
TEST_F(StatusItemTest, ClicksInTheProgramsOwnWindowsAreNoneOfTheItemsBusiness) {
    launchProgram();
    int pressed = 0;
    const auto button = ui::Button::pushButton("OK");
    button->setAction([&pressed](ui::Control&) { ++pressed; });
    auto content = std::make_shared<ui::View>();
    ui::pin(*button, *content, 20, ui::PinBottom::atMost);
    const auto window = std::make_shared<ui::TitledWindow>(platform::CGSize{200, 80});
    window->setContentView(content);
    window->makeKeyAndOrderFront();
    ui::processToolkitEvents();
    ui::flushLayout();
    writeValue(Keys::showInMenubar(), false);

    QTest::mouseClick(ui::qtWidget(*button), Qt::RightButton);
    QTest::mouseClick(ui::qtWidget(*button), Qt::LeftButton);
    scheduler().advance(1);
    EXPECT_EQ(pressed, 1) << "the left click reached the button";
    EXPECT_TRUE(preferencesCalls().empty());
    EXPECT_FALSE(readValue(Keys::showInMenubar()));
    EXPECT_EQ(bar().menuOpenings(), 0u);
    window->close();
}

TEST_F(StatusItemTest, ACommandDragOutStoresFalseAndTheItemStaysOutAtTheNextLaunch) {
    launchProgram();
    ASSERT_TRUE(readValue(Keys::showInMenubar()));
    ASSERT_TRUE(hands().dragStatusItemOut(item()));
    while (hands().isBusy())
        scheduler().advance(sim::Hands::defaultInterval);
    scheduler().advance(0.2);
    EXPECT_FALSE(item().isVisible());
    EXPECT_FALSE(readValue(Keys::showInMenubar()));
    EXPECT_EQ(bar().menuOpenings(), 0u);
    EXPECT_FALSE(hands().clickStatusItem(item()));

    // The program ends; the desktop it leaves is the one it starts on next.
    const platform::Json desktop = sim::dumpWorld(*world);
    quitProgram();
    resetWorld(desktop);
    launchProgram();
    EXPECT_FALSE(item().isVisible());
    EXPECT_FALSE(bar().frameOf(item()));
    EXPECT_EQ(icon(), "MenuBarIcon")
        << "an item out of the bar follows the permission all the same";
}

TEST_F(StatusItemTest, TheMenuShowsTheCounterOrThePromptAsThePermissionAllowsAtEachOpening) {
    launchProgram(false);
    EXPECT_EQ(openMenu(), (Titles{"Grant Accessibility Access…", "-----", "Ignore Editor ...",
                                  "Fix Pinch and Swipe", "Stage Manager", "-----", "Preferences…",
                                  "-----", "Quit Zoral", "Restart Zoral"}));
    ASSERT_TRUE(hands().chooseMenuItem({"Grant Accessibility Access…"}));
    scheduler().advance(0.2);
    EXPECT_EQ(world->trustPrompts(), 1);

    reportPermission(true);
    struct Count {
        std::int64_t gestures;
        const char* title;
    };
    for (const Count count :
         {Count{1, "1 Zodiriz"}, Count{0, "0 Zodiriz"}, Count{12, "12 Zodiriz"}}) {
        SCOPED_TRACE(count.title);
        writeValue(Keys::numberOfZodiriz(), count.gestures);
        const Titles titles = openMenu();
        ASSERT_FALSE(titles.empty());
        EXPECT_EQ(titles.front(), count.title);
        EXPECT_EQ(std::count(titles.begin(), titles.end(), "Grant Accessibility Access…"), 0);
        // Between openings the menu stays as it was made.
        writeValue(Keys::numberOfZodiriz(), count.gestures + 1);
        EXPECT_EQ(shown().front(), count.title);
        closeMenu();
    }
    // The counter only tells.
    openMenu();
    EXPECT_FALSE(hands().chooseMenuItem({"13 Zodiriz"}));
}

TEST_F(StatusItemTest, TheFixItemCarriesTheStoredShortcutFollowsItsChangesAndSleepsTheDisplays) {
    using shortcuts::GlobalShortcuts::Shortcut;
    launchProgram();
    const auto fix = menuItem(menuController().fixBugItem);
    ASSERT_TRUE(fix);
    openMenu();
    EXPECT_EQ(fix->keyEquivalent, "");
    closeMenu();

    // Control-Option-D, then Command-Shift-F5 while the menu is closed.
    shortcuts::GlobalShortcuts::storeShortcut(Shortcut{2, 0x1000 | 0x0800}, fixPinchAndSwipe());
    openMenu();
    EXPECT_EQ(fix->keyEquivalent, "d");
    EXPECT_EQ(fix->keyEquivalentModifierMask,
              platform::CGEventFlags::maskControl | platform::CGEventFlags::maskAlternate);
    closeMenu();
    shortcuts::GlobalShortcuts::storeShortcut(Shortcut{96, 0x0100 | 0x0200}, fixPinchAndSwipe());
    EXPECT_EQ(fix->keyEquivalentModifierMask,
              platform::CGEventFlags::maskCommand | platform::CGEventFlags::maskShift);
    EXPECT_NE(fix->keyEquivalent, "d");

    sim::Journal::of(*world).clear();
    choose("Fix Pinch and Swipe");
    scheduler().advance(2);
    const auto power = sim::Journal::of(*world).recordsOf<sim::DisplaySleep>();
    ASSERT_EQ(power.size(), 2u);
    EXPECT_TRUE(power[0].asleep);
    EXPECT_FALSE(power[1].asleep);
}

TEST_F(StatusItemTest, StageManagerIsHiddenBeforeTheSystemThatHasIt) {
    struct Row {
        platform::OperatingSystemVersion system;
        bool shown;
    };
    for (const Row row : {Row{{12, 6, 0}, false}, Row{{13, 0, 0}, true}, Row{{14, 0, 0}, true}}) {
        SCOPED_TRACE(row.system.majorVersion);
        quitProgram();
        resetWorld();
        sim::SystemVersion::of(*world).setVersion(row.system);
        launchProgram();
        const Titles titles = openMenu();
        EXPECT_EQ(std::count(titles.begin(), titles.end(), "Stage Manager"), row.shown ? 1 : 0);
        closeMenu();
    }
}

TEST_F(StatusItemTest, TheStageManagerToggleWritesBothSettingsRebuildsTheScreensAndResnaps) {
    launchProgram();
    const auto notesNode = world->resolve(*sim::elementNamed(*world, "notes"));
    engine::snap(desktop::Window::make(desktop::UIElement(*sim::elementNamed(*world, "notes"))),
                 {{0, 0}, {1, 1}, {2, 1}}, desktop::Screen::screens().at(0), {});
    scheduler().advance(0.5);
    const platform::CGRect halfWithoutStage = *notesNode->frame();
    const auto windowManager = platform::UserDefaults::suite("com.apple.WindowManager");
    ASSERT_TRUE(windowManager);
    const auto stage = menuItem(menuController().stageManagerItem);

    for (const bool on : {true, false}) {
        SCOPED_TRACE(on);
        choose("Stage Manager");
        EXPECT_EQ(readValue(Keys::stageManagerMode()), on);
        EXPECT_EQ(windowManager->boolForKey("GloballyEnabled"), on);
        // The strip of Stage Manager takes the left of the screen: the half is narrower.
        if (on) {
            EXPECT_GT(notesNode->frame()->minX(), halfWithoutStage.minX());
            EXPECT_LT(notesNode->frame()->width(), halfWithoutStage.width());
        } else {
            EXPECT_EQ(*notesNode->frame(), halfWithoutStage);
        }
        openMenu();
        EXPECT_EQ(stage->state, on ? ControlStateValue::on : ControlStateValue::off);
        closeMenu();
    }
}

TEST_F(StatusItemTest, TheIgnoreItemNamesTheFrontmostApplicationInItalicsAndTogglesIt) {
    launchProgram();
    const auto ignore = menuItem(menuController().blacklistItem);
    ASSERT_TRUE(ignore);
    const platform::Font italic = *platform::Font::systemFontOfSize(0).withSymbolicTraits(
        platform::FontSymbolicTraits::italic);
    ASSERT_FALSE(readValue(Keys::blacklist()).contains("org.example.editor"));

    // Each choice turns the item over; the other ignored applications stay in the list.
    const std::size_t listed = readValue(Keys::blacklist()).size();
    struct Step {
        const char* plain;
        const char* emphasised;
        ControlStateValue state;
        bool ignoredAfter;
    };
    for (const Step step : {Step{"Ignore ", "Editor ...", ControlStateValue::off, true},
                            Step{"Ignoring ", "Editor", ControlStateValue::on, false}}) {
        SCOPED_TRACE(step.plain);
        openMenu();
        platform::AttributedString title(step.plain);
        title.append(step.emphasised, italic);
        EXPECT_EQ(ignore->attributedTitle(), title);
        EXPECT_EQ(ignore->state, step.state);
        ASSERT_TRUE(hands().chooseMenuItem({title.string()}));
        scheduler().advance(0.2);
        EXPECT_EQ(readValue(Keys::blacklist()).contains("org.example.editor"), step.ignoredAfter);
        EXPECT_EQ(readValue(Keys::blacklist()).size(), listed + (step.ignoredAfter ? 1 : 0));
    }
    EXPECT_EQ(openMenu().at(2), "Ignore Editor ...");
    closeMenu();

    // With every application hidden none is frontmost: the item reads "?" and changes nothing.
    for (const platform::ProcessId pid : world->processIds()) {
        if (pid != world->programPid())
            sim::workspace(*world).setHidden(*world, pid, true);
    }
    const auto before = readValue(Keys::blacklist());
    EXPECT_EQ(openMenu().at(2), "Ignore ? ...");
    ASSERT_TRUE(hands().chooseMenuItem({"Ignore ? ..."}));
    scheduler().advance(0.2);
    EXPECT_EQ(readValue(Keys::blacklist()), before);
}

TEST_F(StatusItemTest, PreferencesQuitAndRestartFromTheMenu) {
    launchProgram();
    choose("Preferences…");
    EXPECT_EQ(preferencesCalls(), Titles{"show"});
    EXPECT_FALSE(delegate->isTerminated());

    sim::Journal::of(*world).clear();
    choose("Restart Zoral");
    // Started again after half a second, straight from the program's path: no shell between.
    const auto launched = sim::Journal::of(*world).recordsOf<sim::ProcessLaunched>();
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0].launch.executable, "/opt/Zoral/zoral");
    EXPECT_EQ(launched[0].launch.delay, 0.5);
    EXPECT_TRUE(delegate->isTerminated());
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(output.lines().back(), "Zoral: Exiting...");

    quitProgram();
    resetWorld();
    ended = 0;
    launchProgram();
    choose("Quit Zoral");
    EXPECT_TRUE(delegate->isTerminated());
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(output.lines().back(), "Zoral: Exiting...");
    EXPECT_TRUE(sim::Journal::of(*world).recordsOf<sim::ProcessLaunched>().empty());
}

// While the preferences window makes the program a regular application in front, the menu bar
// shows its main menu.
TEST_F(StatusItemTest, TheMainMenusPreferencesAboutAndHelpOpenTheirTabs) {
    launchProgram();
    EXPECT_EQ(platform::mainMenu(), nib.mainMenu);
    EXPECT_FALSE(sim::MainMenu::choose(*world, {"Zoral", "Preferences…"}))
        << "an accessory program shows no menus";
    ASSERT_TRUE(platform::setActivationPolicy(platform::ActivationPolicy::regular));
    ui::Application::activateIgnoringOtherApps();
    scheduler().advance(1);
    ASSERT_TRUE(sim::MainMenu::isShown(*world));

    Titles expected;
    const std::pair<Titles, const char*> rows[] = {
        {{"Zoral", "Preferences…"}, "showTab(general)"},
        {{"Zoral", "About Zoral"}, "showTab(about)"},
        {{"Help", "Zoral Help"}, "showTab(about)"},
    };
    for (const auto& [path, tab] : rows) {
        ASSERT_TRUE(sim::MainMenu::choose(*world, path)) << path.back();
        scheduler().advance(0.2);
        expected.insert(expected.end(), {"show", tab});
    }
    EXPECT_EQ(preferencesCalls(), expected);
}

// For a person to look at (screenshots/ beside the test binary): the item in the bar with and
// without the permission, open and closed, and the menu it opens in both cases.
TEST_F(StatusItemTest, ScreenshotsOfTheItemAndItsMenuWithAndWithoutThePermission) {
    using shortcuts::GlobalShortcuts::Shortcut;
    const std::string folder = "screenshots";
    std::filesystem::create_directories(folder);
    const auto save = [&folder](const ui::Image& image, const std::string& name) {
        ASSERT_FALSE(image.isEmpty()) << name;
        EXPECT_TRUE(image.savePng(folder + "/" + name + ".png")) << name;
    };
    shortcuts::GlobalShortcuts::storeShortcut(Shortcut{2, 0x1000 | 0x0800}, fixPinchAndSwipe());
    launchProgram(false);
    save(ui::renderStatusItem(item(), {.scale = 4}), "status-item-without-permission");
    openMenu();
    save(ui::renderStatusItem(item(), {.highlighted = true, .scale = 4}),
         "status-item-open-without-permission");
    const ui::Image without = ui::renderMenu(*bar().openMenu(), ui::AppearanceName::aqua);
    save(without, "status-menu-without-permission");
    closeMenu();

    reportPermission(true);
    writeValue(Keys::numberOfZodiriz(), std::int64_t{42});
    writeValue(Keys::stageManagerMode(), true);
    auto ignored = readValue(Keys::blacklist());
    ignored.insert("org.example.editor");
    writeValue(Keys::blacklist(), ignored);
    save(ui::renderStatusItem(item(), {.scale = 4}), "status-item-permission");
    openMenu();
    save(ui::renderStatusItem(item(), {.highlighted = true, .scale = 4}),
         "status-item-open-permission");
    const ui::Image with = ui::renderMenu(*bar().openMenu(), ui::AppearanceName::aqua);
    save(with, "status-menu-permission");
    save(ui::renderMenu(*bar().openMenu(), ui::AppearanceName::darkAqua),
         "status-menu-permission-dark");
    // The counter takes the prompt's place: one row for one row.
    EXPECT_EQ(with.height(), without.height());
}

}  // namespace
}  // namespace zoral::app::testing
