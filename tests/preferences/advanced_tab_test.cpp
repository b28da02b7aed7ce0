#include "preferences/tabs/advanced_tab.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "advanced_tab_world.h"
#include "platform/key_codes.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "shortcuts/global_shortcuts.h"
#include "sim/alerts.h"
#include "sim/hardware_input.h"
#include "sim/system_commands.h"
#include "ui/box.h"

namespace zoral::preferences {
namespace {

using settings::HotkeysArrowLayout;
using settings::HotkeysCenterLayout;
using settings::ModifierFlags;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using ui::ControlState;
using Lines = std::vector<std::string>;

constexpr ModifierFlags shift = ModifierFlags::shift;
constexpr ModifierFlags control = ModifierFlags::control;
constexpr ModifierFlags option = ModifierFlags::option;
constexpr ModifierFlags command = ModifierFlags::command;
constexpr ModifierFlags function = ModifierFlags::function;

class AdvancedTabTest : public testing::AdvancedTabWorldTest {
protected:
    // The engine's tap now, and what rebuilding it said, since the last call.
    struct Rebuilds {
        std::size_t made;
        Lines lines;
    };
    Rebuilds rebuildsSince(std::size_t madeBefore) {
        Rebuilds rebuilds{tapsMade() - madeBefore, linesStarting({"CGEventTap:"})};
        output.clear();
        return rebuilds;
    }
};

// The base class's column of sections, and what the sidebar reads.
TEST_F(AdvancedTabTest, StacksItsThreeSectionsWithSeparatorsAndNamesItself) {
    launch();
    show();
    const auto& arranged = tab->stackView()->arrangedSubviews();
    ASSERT_EQ(arranged.size(), 5U);
    EXPECT_EQ(arranged[0], tab->modifiersView());
    EXPECT_EQ(arranged[2], tab->advancedView());
    EXPECT_EQ(arranged[4], tab->resetView());
    for (const std::size_t i : {1U, 3U}) {
        const auto* separator = dynamic_cast<const ui::Box*>(arranged[i].get());
        ASSERT_NE(separator, nullptr);
        EXPECT_EQ(separator->boxType(), ui::BoxType::separator);
    }
    // Each asking makes new separators.
    EXPECT_NE(tab->sections()[1], tab->sections()[1]);
    EXPECT_EQ(tab->tabTitle(), "Advanced");
    EXPECT_EQ(tab->imageName(), "PrefsAdvanced");
    EXPECT_EQ(tab->symbolName(), "gearshape.2");
    EXPECT_EQ(tab->nibName(), "AdvancedTab");
    // The Magic Mouse part stays out of sight.
    EXPECT_TRUE(tab->magicMouseView()->isHidden());
    EXPECT_TRUE(tab->recorder()->isSubviewOf(*tab->shortcutView()));
}

// The engine is rebuilt once when the view first loads, and then by exactly the changes that the
// engine reads when it is built: "hotkeys" (from anywhere), a layout, the tap mode. Every rebuild
// invalidates the old tap before the new engine makes its own.
TEST_F(AdvancedTabTest, RebuildsTheEngineForWhatItReadsAtStartOnly) {
    launch();
    ASSERT_EQ(tapsMade(), 1U);
    output.clear();

    writeValue(Keys::hotkeys(), true);
    EXPECT_EQ(tapsMade(), 1U) << "nothing from a tab whose view never loaded";

    show();
    EXPECT_EQ(rebuildsSince(1).made, 1U) << "the first load";
    hide();
    show();
    EXPECT_EQ(rebuildsSince(2).made, 0U) << "a later appearance";

    struct Case {
        const char* what;
        std::function<void()> act;
        std::size_t rebuilds;
    };
    const std::vector<Case> cases{
        {"\"hotkeys\" written elsewhere", [] { writeValue(Keys::hotkeys(), false); }, 1},
        {"the hotkeys box", [&] { click(*tab->hotkeysCheckbox()); }, 1},
        {"an arrow layout", [&] { key(*tab->arrowsSelect(), Qt::Key_Down); }, 1},
        {"a centre key", [&] { key(*tab->centerSelect(), Qt::Key_Down); }, 1},
        {"the tap mode", [&] { click(*tab->stopEventsCheckbox()); }, 1},
        {"the super requirement", [&] { click(*tab->requireSuperModCheckbox()); }, 0},
        {"the re-snap delay", [&] { key(*tab->timeoutSlider(), Qt::Key_Right); }, 0},
        {"a role's keys", [&] { chooseKeys(*tab->generalModKeyControl(), option); }, 0},
        {"the super key", [&] { chooseKeys(*tab->superModKeyControl(), function | shift); }, 0},
        {"the modifier restore", [&] { click(*tab->restoreModKeysButton()); }, 0},
        {"\"hotkeys\" written with its value unchanged", [] { writeValue(Keys::hotkeys(), true); },
         0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const std::size_t before = tapsMade();
        const auto tap = liveTaps().at(0);
        const Rebuilds rebuilds = rebuildsSince(before);
        ASSERT_EQ(rebuilds.made, 0U);
        row.act();
        const Rebuilds after = rebuildsSince(before);
        EXPECT_EQ(after.made, row.rebuilds);
        ASSERT_EQ(liveTaps().size(), 1U);
        if (row.rebuilds == 0) {
            EXPECT_EQ(liveTaps()[0], tap);
            EXPECT_TRUE(after.lines.empty());
        } else {
            EXPECT_FALSE(taps().isValid(tap));
            // The old tap stops before the new one starts.
            ASSERT_GE(after.lines.size(), 2U);
            EXPECT_EQ(after.lines[0], "CGEventTap: invalidated");
            EXPECT_EQ(after.lines[1], "CGEventTap: initialized");
        }
    }
    // The new engine built its tap from the settings as they were.
    EXPECT_FALSE(readValue(Keys::activeTap()));
    EXPECT_TRUE(taps().isListenOnly(liveTaps().at(0)));

    // Once the tab goes, "hotkeys" rebuilds nothing.
    window->close();
    window.reset();
    tab.reset();
    const std::size_t before = tapsMade();
    writeValue(Keys::hotkeys(), false);
    EXPECT_EQ(tapsMade(), before);
}

// Without the permission a rebuild leaves no engine at all: the old tap is gone, and none comes
// until the permission is back.
TEST_F(AdvancedTabTest, WithoutThePermissionARebuildLeavesNoEngine) {
    launch();
    show();
    const auto tap = liveTaps().at(0);
    reportPermission(false);
    ASSERT_EQ(delegate->zoralCore(), nullptr);
    EXPECT_FALSE(taps().isValid(tap));
    const std::size_t made = tapsMade();
    click(*tab->stopEventsCheckbox());
    click(*tab->hotkeysCheckbox());
    key(*tab->arrowsSelect(), Qt::Key_Down);
    EXPECT_EQ(delegate->zoralCore(), nullptr);
    EXPECT_EQ(tapsMade(), made);
    EXPECT_TRUE(liveTaps().empty());

    reportPermission(true);
    ASSERT_NE(delegate->zoralCore(), nullptr);
    EXPECT_EQ(liveTaps().size(), 1U);
    // Built from what the tab stored meanwhile.
    EXPECT_TRUE(taps().isListenOnly(liveTaps().at(0)));
}

// With "hotkeys" off both pop-ups are disabled; the box turns them on. A layout chosen is stored
// by its case, stays shown, and the rebuilt engine listens to its keys.
TEST_F(AdvancedTabTest, AChosenArrowLayoutIsStoredShownAndUsedByTheNewEngine) {
    launch();
    show();
    EXPECT_EQ(tab->hotkeysCheckbox()->state(), ControlState::off);
    EXPECT_FALSE(tab->arrowsSelect()->isEnabled());
    EXPECT_FALSE(tab->centerSelect()->isEnabled());
    click(*tab->hotkeysCheckbox());
    EXPECT_TRUE(readValue(Keys::hotkeys()));
    EXPECT_TRUE(tab->arrowsSelect()->isEnabled());
    EXPECT_TRUE(tab->centerSelect()->isEnabled());

    key(*tab->arrowsSelect(), Qt::Key_Down);
    EXPECT_EQ(readValue(Keys::hotkeyArrow()), HotkeysArrowLayout::wasd);
    EXPECT_EQ(tab->arrowsSelect()->selectedItem()->title, "WASD");

    output.clear();
    auto& hardware = sim::HardwareInput::of(*world);
    const auto fn = platform::CGEventFlags::maskSecondaryFn;
    scheduler().advance(
        hardware.play(std::vector<sim::HardwareStep>{
            sim::ModifierChange{fn}, sim::KeyStroke{platform::virtualKey::leftArrow},
            sim::ModifierChange{}}) +
        1);
    EXPECT_TRUE(linesStarting({"Action: "}).empty()) << "the arrows are no hotkeys now";
    scheduler().advance(hardware.play(std::vector<sim::HardwareStep>{
                            sim::ModifierChange{fn}, sim::KeyStroke{platform::virtualKey::ansiA},
                            sim::ModifierChange{}}) +
                        1);
    EXPECT_EQ(linesStarting({"Action: "}),
              Lines{"Action: snap(start: (0, 0), end: (1, 1), matrix: (2, 1)) true"});
}

// The pop-ups list every layout in case order with its title, identifier and tool tip, and select
// the stored one by its title.
TEST_F(AdvancedTabTest, ThePopUpsListEveryLayoutAndShowTheStoredOnes) {
    writeValue(Keys::hotkeyArrow(), HotkeysArrowLayout::dvorak);
    writeValue(Keys::hotkeyUndo(), HotkeysCenterLayout::return_);
    launch();
    show();
    const std::vector<ui::MenuItem> arrows{{"\u2190\u2191\u2193\u2192", "arrows", "Arrow keys"},
                                           {"WASD", "wasd", "WASD keys"},
                                           {"HJKL", "hjkl", "HJKL keys"},
                                           {"IJKL", "ijkl", "IJKL keys"},
                                           {",AOE", "dvorak", "Dvorak keys"}};
    const std::vector<ui::MenuItem> centres{{"Esc", "escape", "Escape"},
                                            {"\u232B", "backspace", "Backspace/Delete"},
                                            {"\u21A9", "return", "Return/Enter"},
                                            {"X", "letterX", "X key"},
                                            {"Q", "letterQ", "Q key"},
                                            {"O", "letterO", "O key"}};
    EXPECT_EQ(tab->arrowsSelect()->items(), arrows);
    EXPECT_EQ(tab->centerSelect()->items(), centres);
    EXPECT_EQ(tab->arrowsSelect()->indexOfSelectedItem(), 4);
    EXPECT_EQ(tab->centerSelect()->indexOfSelectedItem(), 2);

    // Written elsewhere (the welcome tour), "hotkeys" shows here at once.
    writeValue(Keys::hotkeys(), true);
    EXPECT_EQ(tab->hotkeysCheckbox()->state(), ControlState::on);
    EXPECT_TRUE(tab->arrowsSelect()->isEnabled());
    key(*tab->centerSelect(), Qt::Key_Up);
    EXPECT_EQ(readValue(Keys::hotkeyUndo()), HotkeysCenterLayout::backspace);
    EXPECT_EQ(tab->centerSelect()->selectedItem()->title, "\u232B");
}

// A new super key that shares a key with any role moves all four roles onto the keys it leaves
// free (control, command, shift, option, function, in that order), and the role controls show
// them at once; one that shares none moves nothing.
TEST_F(AdvancedTabTest, ANewSuperKeyMovesTheRolesOffItsKeys) {
    struct Roles {
        ModifierFlags general, screen, secondary, tertiary;
    };
    struct Case {
        const char* what;
        Roles before;
        // Chosen one after the other.
        std::vector<ModifierFlags> superKeys;
        Roles after;
        // The titles of the general, secondary, tertiary and screen controls.
        std::vector<std::string> titles;
    };
    const Roles defaults{control, command, shift, shift | option};
    const std::vector<Case> cases{
        {"control over the default roles",
         defaults,
         {control},
         {command, shift, option, option | function},
         {"\u2318", "\u2325", "fn \u2325", "\u21E7"}},
        {"control, then option too: three keys left",
         defaults,
         {control, control | option},
         {command, shift, function, function | command},
         {"\u2318", "fn", "fn \u2318", "\u21E7"}},
        {"command, which only the screen role used",
         defaults,
         {command},
         {control, shift, option, option | function},
         {"\u2303", "\u2325", "fn \u2325", "\u21E7"}},
        {"option, which no role uses",
         {control, command, shift, shift | command},
         {option},
         {control, command, shift, shift | command},
         {"\u2303", "\u21E7", "\u21E7 \u2318", "\u2318"}},
    };
    launch();
    show();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        writeValue(Keys::superModifier(), function);
        writeValue(Keys::generalModifier(), row.before.general);
        writeValue(Keys::screenModifier(), row.before.screen);
        writeValue(Keys::secondaryModifier(), row.before.secondary);
        writeValue(Keys::tertiaryModifier(), row.before.tertiary);
        // What other tabs change shows when this one appears again.
        hide();
        show();
        for (const ModifierFlags keys : row.superKeys)
            EXPECT_EQ(chooseKeys(*tab->superModKeyControl(), keys), "");
        EXPECT_EQ(readValue(Keys::superModifier()), row.superKeys.back());
        EXPECT_EQ(readValue(Keys::generalModifier()), row.after.general);
        EXPECT_EQ(readValue(Keys::screenModifier()), row.after.screen);
        EXPECT_EQ(readValue(Keys::secondaryModifier()), row.after.secondary);
        EXPECT_EQ(readValue(Keys::tertiaryModifier()), row.after.tertiary);
        const std::vector<std::string> titles{
            tab->generalModKeyControl()->title(), tab->secondaryModKeyControl()->title(),
            tab->tertiaryModKeyControl()->title(), tab->screenModKeyControl()->title()};
        EXPECT_EQ(titles, row.titles);
    }
}

// The free keys as a table: with fewer than three left nothing is written.
TEST(AdvancedTabRoles, TheRolesTakeTheFreeKeysInOrder) {
    EXPECT_EQ(rolesFreeOf(function), (RoleModifiers{control, command, shift, shift | option}));
    EXPECT_EQ(rolesFreeOf(shift | command),
              (RoleModifiers{control, option, function, function | control}));
    EXPECT_EQ(rolesFreeOf(control | command | shift), std::nullopt);
}

// The super key takes one or two keys and never none; a role may not use the super key's keys
// nor exactly another role's keys. A refusal leaves the setting and the title as they were.
TEST_F(AdvancedTabTest, TheModifierControlsRefuseWhatTheirRulesForbid) {
    launch();
    show();
    auto& superKey = *tab->superModKeyControl();
    EXPECT_EQ(chooseKeys(superKey, {}), "Keys cannot be empty.");
    EXPECT_EQ(readValue(Keys::superModifier()), function);
    EXPECT_EQ(chooseKeys(superKey, function | shift), "");
    EXPECT_EQ(chooseKeys(superKey, function | shift | control), "Maximum keys reached.");
    EXPECT_EQ(readValue(Keys::superModifier()), function | shift);
    EXPECT_EQ(superKey.title(), "\u21E7 fn");

    // The super key took shift from the roles, which moved onto the three keys left: general
    // control, screen command, secondary option, tertiary option and control.
    auto& general = *tab->generalModKeyControl();
    click(general);
    const auto& segments = *general.popoverController()->segmentedControl();
    EXPECT_FALSE(segments.isEnabled(0)) << "shift belongs to the super key";
    EXPECT_FALSE(segments.isEnabled(1)) << "so does fn";
    EXPECT_TRUE(segments.isEnabled(2));
    general.popover()->close();
    settle();
    EXPECT_EQ(chooseKeys(general, option), "Keys already in use.") << "the secondary role's";
    EXPECT_EQ(chooseKeys(general, command), "Keys already in use.") << "the screen role's";
    EXPECT_EQ(chooseKeys(general, control | option), "Keys already in use.") << "the tertiary's";
    EXPECT_EQ(readValue(Keys::generalModifier()), control);
    EXPECT_EQ(chooseKeys(general, control | command), "") << "a superset of a role's keys passes";
    EXPECT_EQ(readValue(Keys::generalModifier()), control | command);
    EXPECT_EQ(general.title(), "\u2303 \u2318");
}

// The re-snap delay in whole seconds, in words.
TEST_F(AdvancedTabTest, TheTimeoutLabelSaysTheDelayInWords) {
    struct Case {
        std::int64_t seconds;
        const char* text;
    };
    for (const Case& row : std::vector<Case>{{0, "Off"},
                                             {1, "1 Seconds"},
                                             {4, "4 Seconds"},
                                             {10, "10 Seconds"},
                                             {-2, "-2 Seconds"}})
        EXPECT_EQ(screenChangeTimeoutText(row.seconds), row.text);

    launch();
    show();
    EXPECT_EQ(tab->timeoutSlider()->integerValue(), 4);
    EXPECT_EQ(tab->timeoutLabel()->stringValue(), "4 Seconds");
    struct Step {
        Qt::Key key;
        std::int64_t stored;
        const char* label;
    };
    for (const Step& step : std::vector<Step>{{Qt::Key_Home, 0, "Off"},
                                              {Qt::Key_Right, 1, "1 Seconds"},
                                              {Qt::Key_End, 10, "10 Seconds"}}) {
        SCOPED_TRACE(step.label);
        key(*tab->timeoutSlider(), step.key);
        EXPECT_EQ(readValue(Keys::screenChangeTimeout()), step.stored);
        EXPECT_EQ(tab->timeoutLabel()->stringValue(), step.label);
    }
}

// The checkboxes start from their settings and write them; the Magic Mouse box says the opposite
// of its setting.
TEST_F(AdvancedTabTest, TheCheckboxesStartFromAndWriteTheirSettings) {
    writeValue(Keys::requireSuperMod(), true);
    writeValue(Keys::activeTap(), false);
    writeValue(Keys::tapMagicMouse(), false);
    launch();
    show();
    EXPECT_EQ(tab->requireSuperModCheckbox()->state(), ControlState::on);
    EXPECT_EQ(tab->stopEventsCheckbox()->state(), ControlState::off);
    EXPECT_EQ(tab->magicMouseCheckbox()->state(), ControlState::on);
    click(*tab->requireSuperModCheckbox());
    EXPECT_FALSE(readValue(Keys::requireSuperMod()));
    click(*tab->stopEventsCheckbox());
    EXPECT_TRUE(readValue(Keys::activeTap()));

    // Its part of the tab is hidden; the box itself still works when shown.
    tab->magicMouseView()->setHidden(false);
    settle();
    click(*tab->magicMouseCheckbox());
    EXPECT_TRUE(readValue(Keys::tapMagicMouse()));
    click(*tab->magicMouseCheckbox());
    EXPECT_FALSE(readValue(Keys::tapMagicMouse()));
}

// Restoring the modifier keys resets the five and nothing else, and the controls show them.
TEST_F(AdvancedTabTest, RestoringTheModifierKeysResetsTheFiveOnly) {
    writeValue(Keys::superModifier(), control);
    writeValue(Keys::generalModifier(), command);
    writeValue(Keys::screenModifier(), shift);
    writeValue(Keys::secondaryModifier(), option);
    writeValue(Keys::tertiaryModifier(), option | function);
    writeValue(Keys::requireSuperMod(), true);
    launch();
    show();
    EXPECT_EQ(tab->superModKeyControl()->title(), "\u2303");
    click(*tab->restoreModKeysButton());
    EXPECT_EQ(readValue(Keys::superModifier()), function);
    EXPECT_EQ(readValue(Keys::generalModifier()), control);
    EXPECT_EQ(readValue(Keys::screenModifier()), command);
    EXPECT_EQ(readValue(Keys::secondaryModifier()), shift);
    EXPECT_EQ(readValue(Keys::tertiaryModifier()), shift | option);
    EXPECT_TRUE(readValue(Keys::requireSuperMod()));
    const std::vector<std::pair<std::shared_ptr<ModKeyControl>, std::string>> shown{
        {tab->superModKeyControl(), "fn"},         {tab->generalModKeyControl(), "\u2303"},
        {tab->secondaryModKeyControl(), "\u21E7"}, {tab->tertiaryModKeyControl(), "\u21E7 \u2325"},
        {tab->screenModKeyControl(), "\u2318"},
    };
    for (const auto& [shownBy, title] : shown)
        EXPECT_EQ(shownBy->title(), title);
}

// Restore all asks first. Cancel keeps everything; Confirm removes every setting, the stored
// display shortcut among them, and starts the program again without a shell half a second later.
TEST_F(AdvancedTabTest, RestoreAllAsksThenRemovesEverySettingAndRelaunches) {
    using shortcuts::GlobalShortcuts::Shortcut;
    launch();
    shortcuts::GlobalShortcuts::storeShortcut(Shortcut{2, 0x1000 | 0x0800},
                                              app::fixPinchAndSwipe());
    writeValue(Keys::screenChangeTimeout(), std::int64_t{7});
    writeValue(Keys::hotkeys(), true);
    show();
    sim::Journal::of(*world).clear();
    auto& alerts = sim::Alerts::of(*world);

    click(*tab->restoreAllButton());
    ASSERT_EQ(alerts.onScreen().size(), 1U);
    const sim::AlertShown shown = alerts.onScreen()[0];
    EXPECT_EQ(shown.messageText, "Are you sure?");
    EXPECT_EQ(shown.informativeText, "Remove all Zoral settings and restart the app.");
    EXPECT_EQ(shown.buttons, (Lines{"Confirm", "Cancel"}));
    EXPECT_EQ(shown.style, platform::AlertStyle::critical);
    EXPECT_EQ(shown.sheetWindow, window->windowNumber());
    ASSERT_TRUE(alerts.answer("Cancel"));
    settle();
    EXPECT_EQ(readValue(Keys::screenChangeTimeout()), 7);
    EXPECT_TRUE(shortcuts::GlobalShortcuts::storedShortcut(app::fixPinchAndSwipe()));
    EXPECT_TRUE(sim::Journal::of(*world).recordsOf<sim::ProcessLaunched>().empty());
    EXPECT_FALSE(delegate->isTerminated());

    click(*tab->restoreAllButton());
    ASSERT_TRUE(alerts.answer("Confirm"));
    settle();
    EXPECT_TRUE(
        platform::UserDefaults::standard().persistentDomainForName("io.zoral.Zoral").empty())
        << "nothing stored";
    EXPECT_EQ(readValue(Keys::screenChangeTimeout()), 4);
    EXPECT_FALSE(readValue(Keys::hotkeys()));
    EXPECT_FALSE(
        platform::UserDefaults::standard().objectForKey("GlobalShortcuts_fixPinchAndSwipe"));
    const auto launched = sim::Journal::of(*world).recordsOf<sim::ProcessLaunched>();
    ASSERT_EQ(launched.size(), 1U);
    EXPECT_EQ(launched[0].launch.executable, "/opt/Zoral/zoral");
    EXPECT_TRUE(launched[0].launch.arguments.empty());
    EXPECT_EQ(launched[0].launch.delay, 0.5);
    EXPECT_TRUE(delegate->isTerminated());
    EXPECT_EQ(ended, 1);
}

// A tab whose view is in no window has nowhere to ask: restore all removes nothing.
TEST_F(AdvancedTabTest, RestoreAllInNoWindowAsksNothingAndKeepsEverything) {
    launch();
    writeValue(Keys::screenChangeTimeout(), std::int64_t{7});
    tab->loadViewIfNeeded();
    sim::Journal::of(*world).clear();
    click(*tab->requireSuperModCheckbox());
    ASSERT_TRUE(readValue(Keys::requireSuperMod())) << "the tab's controls take clicks";
    click(*tab->restoreAllButton());
    EXPECT_TRUE(sim::Alerts::of(*world).onScreen().empty());
    EXPECT_EQ(readValue(Keys::screenChangeTimeout()), 7);
    EXPECT_TRUE(sim::Journal::of(*world).recordsOf<sim::ProcessLaunched>().empty());
    EXPECT_FALSE(delegate->isTerminated());
}

// The recorder in the tab stores the display shortcut; pressing it then sleeps and wakes the
// displays. The button does the same at once.
TEST_F(AdvancedTabTest, TheRecordedDisplayShortcutAndTheButtonSleepAndWakeTheDisplays) {
    launch();
    show();
    clickInWindow(*tab->recorder());
    ASSERT_TRUE(tab->recorder()->isRecording());
    type(Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(tab->recorder()->isRecording());
    EXPECT_EQ(shortcuts::GlobalShortcuts::storedShortcut(app::fixPinchAndSwipe()),
              (shortcuts::GlobalShortcuts::Shortcut{2, 0x1000 | 0x0800}));
    EXPECT_EQ(tab->recorder()->stringValue(), "\u2303\u2325D");

    auto& journal = sim::Journal::of(*world);
    journal.clear();
    auto& hardware = sim::HardwareInput::of(*world);
    scheduler().advance(hardware.play(std::vector<sim::HardwareStep>{
                            sim::ModifierChange{platform::CGEventFlags::maskControl |
                                                platform::CGEventFlags::maskAlternate},
                            sim::KeyStroke{2}, sim::ModifierChange{}}) +
                        3);
    auto power = journal.recordsOf<sim::DisplaySleep>();
    ASSERT_EQ(power.size(), 2U);
    EXPECT_TRUE(power[0].asleep);
    EXPECT_FALSE(power[1].asleep);

    // Hotkeys and the tap off make no difference to the button.
    journal.clear();
    click(*tab->stopEventsCheckbox());
    click(*tab->reactivateNowButton());
    scheduler().advance(3);
    power = journal.recordsOf<sim::DisplaySleep>();
    ASSERT_EQ(power.size(), 2U);
    EXPECT_NEAR(power[1].time - power[0].time, 0.2, 1e-9);
}

// The tutorial button replays the welcome tour through the preferences window.
TEST_F(AdvancedTabTest, TheTutorialButtonReplaysTheWelcomeTour) {
    writeValue(Keys::buildNumberOnboard(), std::int64_t{100});
    launch();
    show();
    click(*tab->tutorialButton());
    ASSERT_NE(preferences, nullptr);
    EXPECT_EQ(preferences->calls(), Lines{"showWelcome"});
}

}  // namespace
}  // namespace zoral::preferences
