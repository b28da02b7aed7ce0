#include "engine/input/input_settings.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/input/core_world.h"
#include "engine/input/held_flags.h"
#include "platform/identity.h"
#include "platform/key_codes.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_observation.h"

namespace zoral::engine::testing {
namespace {

using platform::CGEventFlags;
using platform::PlistObject;
using platform::UserDefaults;
using settings::ModifierFlags;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;
using sim::KeyStroke;
using sim::ModifierChange;
using sim::ScrollStroke;
namespace vk = platform::virtualKey;

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : " ") + part;
    return text.empty() ? "-" : text;
}

// The core made before the settings change, with the hotkeys on; each probe plays the user's hands
// through the simulated event tap and tells what the core made of them. Public, so that the rows
// of table tests reach the probes.
class InputSettingsTest : public CoreWorldTest {
public:
    InputSettingsTest() { writeValue(Keys::hotkeys(), true); }

    // As the fixtures reset the process between tests: no core, no stored settings, the user
    // defaults read again from the home, the defaults registered as at launch.
    void resetSettings() {
        if (core)
            core->eventTap()->invalidate();
        core.reset();
        std::filesystem::remove_all(home.preferences());
        UserDefaults::resetForTesting();
        for (const auto* key : Keys::all())
            key->registerDefault();
        writeValue(Keys::hotkeys(), true);
    }

    // Whether a two-finger scroll (or a touch mouse's) over the title bar starts a gesture.
    std::string scroll(bool fromMouse = false) {
        output.clear();
        play(below(plain, 10),
             {ScrollStroke{.moves = {{.travel = {-100, 0}, .events = 8}}, .fromMouse = fromMouse}});
        return linesStarting("Origin: ").empty() ? "passed" : "taken";
    }

    // The phases of fingers that rest on the title bar and lift.
    std::string rest() {
        output.clear();
        play(below(plain, 10), {ScrollStroke{.restBefore = 0.05}});
        return joined(linesStarting("Phase: "));
    }

    // The engine that the next scroll makes: its sensitivity's first figure and its cancel
    // time-out.
    std::string nextTouchEngine() {
        input().movePointer(below(plain, 10));
        hardware().play(
            ScrollStroke{.moves = {{.travel = {-100, 0}, .events = 5, .holdAfter = 0.3}}});
        scheduler().runFor(0.2);
        const auto engine = core->touchEngine();
        const std::string figures =
            engine ? std::to_string(engine->parameters().scrollStartEvents) + " events, " +
                         std::to_string(engine->cancelTimeout()).substr(0, 3) + " s"
                   : "no engine";
        scheduler().runFor(2);
        return figures;
    }

    // The roles, directions and phases of the hotkey gesture that pressing the key with the
    // modifiers held starts; released again afterwards.
    std::string hotkey(CGEventFlags held, platform::CGKeyCode key = vk::leftArrow) {
        play({700, 450}, {ModifierChange{held}, KeyStroke{.keyCode = key}}, 0.01);
        std::string made = "no gesture";
        if (core->keyEngine())
            made = describe(core->keyEngine()->gesture());
        play({700, 450}, {ModifierChange{}});
        return made;
    }

    static std::string describe(const Gesture& gesture) {
        std::vector<std::string> roles;
        for (const Modifier role : gesture.modifiers())
            roles.emplace_back(platform::caseName(role));
        std::vector<std::string> directions;
        for (const auto direction : gesture.directions())
            directions.emplace_back(platform::caseName(direction));
        std::vector<std::string> phases;
        for (const Phase phase : gesture.phases())
            phases.emplace_back(platform::caseName(phase));
        return joined(roles) + " | " + joined(directions) + " | " + joined(phases);
    }

    // Every value the core's settings hold is the one a read through the settings store gives.
    void expectFollowsTheStore() const {
        const InputSettings& cached = *core->settings();
        EXPECT_EQ(cached.requireSuperMod(), readValue(Keys::requireSuperMod()));
        EXPECT_EQ(cached.tapMagicMouse(), readValue(Keys::tapMagicMouse()));
        EXPECT_EQ(cached.tapAndHold(), readValue(Keys::tapAndHold()));
        EXPECT_EQ(cached.modifierRoleFlags(), currentModifierRoleFlags());
        EXPECT_EQ(cached.sensitivity().scrollStartEvents,
                  sensitivityParameters(readValue(Keys::scrollingSensitivity())).scrollStartEvents);
        EXPECT_EQ(cached.cancelTimeout(),
                  static_cast<double>(readValue(Keys::cancelTimeout())) / 1000);
        EXPECT_EQ(cached.hotkeyArrow(), readValue(Keys::hotkeyArrow()));
        EXPECT_EQ(cached.hotkeyUndo(), readValue(Keys::hotkeyUndo()));
    }
};

// Each setting the callback and its engines read, changed while the core runs: the next event
// sees the new value. The engines' own settings are read when the next gesture makes its engine.
TEST_F(InputSettingsTest, AChangeOfEachSettingIsSeenByTheNextEvent) {
    struct Row {
        const char* name;
        std::function<void()> change;
        std::function<std::string(InputSettingsTest&)> probe;
        std::string before;
        std::string after;
    };
    const auto role = [](Modifier changed) {
        return [changed] { writeValue(settingsKey(changed), ModifierFlags::option); };
    };
    const auto withOption = [](InputSettingsTest& f) { return f.hotkey(fn | option); };
    const std::vector<Row> rows{
        {"requireSuperMod", [] { writeValue(Keys::requireSuperMod(), true); },
         [](InputSettingsTest& f) { return f.scroll(); }, "taken", "passed"},
        {"tapMagicMouse", [] { writeValue(Keys::tapMagicMouse(), false); },
         [](InputSettingsTest& f) { return f.scroll(true); }, "taken", "passed"},
        {"tapAndHold", [] { writeValue(Keys::tapAndHold(), false); },
         [](InputSettingsTest& f) { return f.rest(); }, "Phase: rested Phase: released",
         "Phase: released"},
        {"superModifier", [] { writeValue(Keys::superModifier(), ModifierFlags::control); },
         [](InputSettingsTest& f) { return f.hotkey(control); }, "no gesture",
         "super | left | scrolled paused"},
        {"generalModifier", role(Modifier::general), withOption, "super | left | scrolled paused",
         "super general | left | scrolled paused"},
        {"secondaryModifier", role(Modifier::secondary), withOption,
         "super | left | scrolled paused", "super secondary | left | scrolled paused"},
        {"tertiaryModifier", role(Modifier::tertiary), withOption, "super | left | scrolled paused",
         "super tertiary | left | scrolled paused"},
        {"screenModifier", role(Modifier::screen), withOption, "super | left | scrolled paused",
         "super screen | left | scrolled paused"},
        {"scrollingSensitivity",
         [] { writeValue(Keys::scrollingSensitivity(), settings::MultitouchSensitivity::low); },
         [](InputSettingsTest& f) { return f.nextTouchEngine(); }, "4 events, 0.8 s",
         "8 events, 0.8 s"},
        {"cancelTimeout", [] { writeValue(Keys::cancelTimeout(), std::int64_t{1500}); },
         [](InputSettingsTest& f) { return f.nextTouchEngine(); }, "4 events, 0.8 s",
         "4 events, 1.5 s"},
        // The tap still listens for the keys it was made with: the arrow is pressed, but in the
        // new layout it is no direction.
        {"hotkeyArrow", [] { writeValue(Keys::hotkeyArrow(), settings::HotkeysArrowLayout::wasd); },
         [](InputSettingsTest& f) { return f.hotkey(fn); }, "super | left | scrolled paused",
         "super | - | -"},
        {"hotkeyUndo",
         [] { writeValue(Keys::hotkeyUndo(), settings::HotkeysCenterLayout::letterQ); },
         [](InputSettingsTest& f) { return f.hotkey(fn, vk::escape); }, "super | - | tapped",
         "super | - | -"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        resetSettings();
        startCore();
        EXPECT_EQ(row.probe(*this), row.before);
        row.change();
        EXPECT_EQ(row.probe(*this), row.after);
        expectFollowsTheStore();
    }
}

// However the value a read gives changes (the settings store, the user defaults themselves, the
// global domain, the registration, a reload of the file, a write that notifies no observation of
// settings), the next event sees it; and a reset of the settings leaves nothing behind.
TEST_F(InputSettingsTest, EveryWayTheStoredValueChangesReachesTheNextEvent) {
    auto& defaults = UserDefaults::standard();
    const std::string name = Keys::requireSuperMod().name();
    const auto file =
        home.preferences() / (std::string(platform::identity::bundleIdentifier) + ".plist");
    struct Row {
        const char* name;
        std::function<void()> change;
    };
    const std::vector<Row> rows{
        {"the settings store", [] { writeValue(Keys::requireSuperMod(), true); }},
        {"the user defaults", [&] { defaults.setBool(true, name); }},
        {"a number", [&] { defaults.setObject(PlistObject::integer(1), name); }},
        {"the global domain",
         [&] {
             defaults.setPersistentDomain({{name, PlistObject::boolean(true)}},
                                          UserDefaults::globalDomainName);
         }},
        {"the registration",
         [&] {
             defaults.registerDefaults({{name, PlistObject::boolean(true)}});
         }},
        {"without notifying observations",
         [] {
             settings::Defaults::updateWithoutNotifying(
                 [] { writeValue(Keys::requireSuperMod(), true); });
         }},
        {"a reload of the file",
         [&] {
             writeValue(Keys::requireSuperMod(), true);
             ASSERT_TRUE(defaults.synchronize());
             const auto saved = file.string() + ".saved";
             std::filesystem::copy_file(file, saved);
             writeValue(Keys::requireSuperMod(), false);
             ASSERT_TRUE(defaults.synchronize());
             std::filesystem::rename(saved, file);
             defaults.reload();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // After the last row's change: the reset leaves no value of it behind.
        resetSettings();
        startCore();
        EXPECT_EQ(scroll(), "taken");
        row.change();
        EXPECT_EQ(scroll(), "passed");
        expectFollowsTheStore();
    }
}

// A gesture in flight reads what it reads per event at that event: the roles at a modifier change,
// tap and hold when the fingers have rested long enough.
TEST_F(InputSettingsTest, AChangeWhileAGestureRunsReachesItsNextEvent) {
    startCore();
    play({700, 450}, {ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow}}, 0.01);
    ASSERT_TRUE(core->keyEngine());
    const auto hotkeyGesture = core->keyEngine()->sharedGesture();
    writeValue(Keys::secondaryModifier(), ModifierFlags::option);
    play({700, 450}, {ModifierChange{fn | option}}, 0.01);
    EXPECT_EQ(hotkeyGesture->modifiers(), (std::vector{Modifier::super, Modifier::secondary}));
    play({700, 450}, {ModifierChange{}});

    input().movePointer(below(plain, 10));
    hardware().play(ScrollStroke{.moves = {{.travel = {-100, 0}, .events = 5, .holdAfter = 0.3}}});
    scheduler().runFor(0.1);
    ASSERT_TRUE(core->touchEngine());
    const auto touchGesture = core->touchEngine()->sharedGesture();
    writeValue(Keys::generalModifier(), ModifierFlags::option);
    hardware().play(ModifierChange{fn | option}, 0);
    scheduler().runFor(0.01);
    EXPECT_EQ(touchGesture->modifiers(), (std::vector{Modifier::super, Modifier::general}));
    scheduler().runFor(1);
    play({700, 450}, {ModifierChange{}});

    // The fingers come down; tap and hold goes off before they have rested long enough.
    output.clear();
    input().movePointer(below(plain, 10));
    hardware().play(ScrollStroke{.restBefore = 0.05});
    scheduler().runFor(0.03);
    ASSERT_TRUE(core->touchEngine());
    writeValue(Keys::tapAndHold(), false);
    scheduler().runFor(0.5);
    EXPECT_EQ(linesStarting("Phase: "), std::vector<std::string>{"Phase: released"});
}

// Settings written on other threads while events arrive on the main thread: two threads write the
// same setting at once, so their observers may run in either order; once they are done, the core
// holds what the store holds, and the next event acts on it.
TEST_F(InputSettingsTest, WritesFromOtherThreadsLandWhileEventsArrive) {
    startCore();
    constexpr int writes = 50;
    std::atomic<int> running = 3;
    const auto writer = [&](const std::function<void(int)>& write) {
        return std::thread([&running, write] {
            for (int i = 0; i < writes; ++i)
                write(i);
            --running;
        });
    };
    std::vector<std::thread> threads;
    threads.push_back(writer([](int i) {
        writeValue(Keys::superModifier(), i % 2 ? ModifierFlags::control : ModifierFlags::function);
    }));
    threads.push_back(writer([](int i) {
        writeValue(Keys::superModifier(), i % 2 ? ModifierFlags::function : ModifierFlags::control);
    }));
    threads.push_back(writer([](int i) {
        UserDefaults::standard().setBool(i % 2 == 0, Keys::tapAndHold().name());
        writeValue(Keys::generalModifier(), i % 2 ? ModifierFlags::option : ModifierFlags::control);
    }));
    int events = 0;
    while (running > 0 || events == 0) {
        play({700, 450}, {ModifierChange{fn}, KeyStroke{.keyCode = vk::leftArrow}}, 0.01);
        play({700, 450}, {ModifierChange{}}, 0.01);
        const ModifierFlags super = core->settings()->superModifier();
        EXPECT_TRUE(super == ModifierFlags::function || super == ModifierFlags::control);
        ++events;
    }
    for (auto& thread : threads)
        thread.join();
    expectFollowsTheStore();
    const bool fnIsSuper = readValue(Keys::superModifier()) == ModifierFlags::function;
    EXPECT_EQ(hotkey(fn) == "no gesture", !fnIsSuper);
    EXPECT_EQ(hotkey(control) == "no gesture", fnIsSuper);
}

}  // namespace
}  // namespace zoral::engine::testing
