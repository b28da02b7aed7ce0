// Registering stored shortcuts as system hot keys, and handing their presses and releases to the
// handlers and the event streams.

#include "platform/hot_keys.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shortcuts/carbon_global_shortcuts.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/hot_key_dispatch.h"
#include "shortcuts/key_event_streams.h"
#include "shortcuts/shortcuts_fixture.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;
namespace carbon = platform::carbon;

constexpr std::uint32_t tqkv = 0x54514B56;

class HotKeys : public ShortcutsTest {
protected:
    // What ran, in order.
    std::vector<std::string> log;

    Handler record(std::string what) {
        return [this, what = std::move(what)] { log.push_back(what); };
    }

    static platform::OSStatus handle(const carbon::Event& event) {
        return CarbonGlobalShortcuts::handleCarbonEvent(carbon::EventHandlerCallRef(1), &event,
                                                        nullptr);
    }
};

TEST_F(HotKeys, IdentifiersCountFromOneAndARefusalUsesOneUp) {
    EXPECT_EQ(tqkv, CarbonGlobalShortcuts::signature);
    hotKeys().holdCombination({49, 0x100});

    storeShortcut(commandSpace, Name("held"));
    storeShortcut(controlOptionA, Name("first"));
    storeShortcut(shiftCommandF1, Name("second"));

    EXPECT_EQ(CarbonGlobalShortcuts::hotKeyIdCounter(), 3);
    EXPECT_EQ(registeredIds(), (std::vector<std::uint32_t>{2, 3}));
    for (const auto& registration : hotKeys().registrations())
        EXPECT_EQ(registration.identifier.signature, tqkv);
    // The refused one counts as registered all the same.
    EXPECT_EQ(registeredShortcuts(),
              (std::unordered_set<Shortcut>{commandSpace, controlOptionA, shiftCommandF1}));

    // Storing the same shortcut again releases it and asks anew, under a new identifier.
    ChangeRecorder changes;
    storeShortcut(controlOptionA, Name("first"));
    EXPECT_EQ(registeredIds(), (std::vector<std::uint32_t>{3, 4}));
    EXPECT_EQ(changes.names().size(), 1u);
}

TEST_F(HotKeys, ARefusedShortcutIsNotAskedForAgainUntilItIsReleased) {
    hotKeys().holdCombination({49, 0x100});
    storeShortcut(commandSpace, Name("a"));
    const std::int64_t asked = CarbonGlobalShortcuts::hotKeyIdCounter();

    // The other program lets go; attaching and registering do not try again.
    hotKeys().releaseHeldCombination({49, 0x100});
    attachKeyUpHandler(Name("a"), record("a"));
    registerStoredShortcut(Name("a"));
    storeShortcut(commandSpace, Name("b"));
    EXPECT_EQ(CarbonGlobalShortcuts::hotKeyIdCounter(), asked);
    press(commandSpace);
    EXPECT_TRUE(log.empty()) << "pressing it does nothing";

    // Released and registered again, it works.
    unregisterStoredShortcut(Name("a"));
    registerStoredShortcut(Name("a"));
    press(commandSpace);
    EXPECT_TRUE(log.empty()) << "a key-up handler runs on the release only";
    release(commandSpace);
    EXPECT_EQ(log, std::vector<std::string>{"a"});
}

TEST_F(HotKeys, ValuesBeyond32BitsAreRefusedBeforeTheSystemIsAsked) {
    const Shortcut tooLarge{4294967296, 0x100};
    const Shortcut negative{49, -1};
    storeShortcut(tooLarge, Name("large"));
    storeShortcut(negative, Name("negative"));

    EXPECT_EQ(CarbonGlobalShortcuts::hotKeyIdCounter(), 0);
    EXPECT_TRUE(hotKeys().registrations().empty());
    EXPECT_EQ(output.lines(),
              (std::vector<std::string>{
                  "GlobalShortcuts: not registering key code 4294967296 with modifiers 256: a "
                  "system hot key takes only values from 0 to 4294967295",
                  "GlobalShortcuts: not registering key code 49 with modifiers -1: a system hot "
                  "key takes only values from 0 to 4294967295"}));
    // Stored all the same, and counted as registered like any refusal.
    EXPECT_EQ(storedShortcut(Name("large")), tooLarge);
    EXPECT_TRUE(registeredShortcuts().contains(tooLarge));
}

TEST_F(HotKeys, APressRunsTheHandlersOfEveryNameStoringItThenTheStreams) {
    const Name first("first");
    const Name second("second");
    storeShortcut(commandSpace, first);
    storeShortcut(commandSpace, second);
    EXPECT_EQ(hotKeys().registrations().size(), 1u) << "one hot key serves both names";

    attachKeyDownHandler(second, record("second down"));
    attachKeyDownHandler(first, record("first down"));
    attachKeyDownHandler(first, record("first down"));
    attachKeyUpHandler(first, record("first up"));
    auto stream = keyEventStream(second);
    scheduler().runUntilIdle();

    press(commandSpace);
    EXPECT_EQ(log, (std::vector<std::string>{"first down", "first down", "second down"}));
    EXPECT_EQ(stream.poll(), EventType::keyDown) << "the stream gets it after the handlers";
    release(commandSpace);
    EXPECT_EQ(log.back(), "first up");
    EXPECT_EQ(stream.poll(), EventType::keyUp);

    // The hot key took both events, and the handler answered that it handled them.
    ASSERT_EQ(hotKeys().deliveries().size(), 2u);
    for (const sim::HotKeyDelivery& delivery : hotKeys().deliveries()) {
        EXPECT_EQ(delivery.identifier.signature, tqkv);
        EXPECT_EQ(delivery.status, carbon::noErr);
    }
    EXPECT_EQ(hotKeys().deliveries()[0].kind, carbon::kEventHotKeyPressed);
    EXPECT_EQ(hotKeys().deliveries()[1].kind, carbon::kEventHotKeyReleased);
}

TEST_F(HotKeys, NamesAreMatchedByWhatTheyStoreAtThePress) {
    const Name name("name");
    storeShortcut(commandSpace, name);
    attachKeyDownHandler(name, record("down"));
    // Another program's write of the stored text (no store, so no new registration): the old
    // hot key still fires, but the name stores something else now.
    platform::UserDefaults::standard().setObject(
        platform::PlistObject::string(R"({"carbonKeyCode":0,"carbonModifiers":6144})"),
        "GlobalShortcuts_name");
    press(commandSpace);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(hotKeys().deliveries().back().status, carbon::noErr);
}

TEST_F(HotKeys, HandlersAttachedByAHandlerJoinFromTheNextPress) {
    const Name name("name");
    storeShortcut(commandSpace, name);
    attachKeyDownHandler(name, [&] {
        log.push_back("outer");
        attachKeyDownHandler(name, record("inner"));
    });
    press(commandSpace);
    EXPECT_EQ(log, std::vector<std::string>{"outer"});
    release(commandSpace);
    press(commandSpace);
    EXPECT_EQ(log, (std::vector<std::string>{"outer", "outer", "inner"}));
}

TEST_F(HotKeys, NothingRunsWhileRecordingIsPaused) {
    const Name name("name");
    storeShortcut(commandSpace, name);
    attachKeyDownHandler(name, record("down"));
    auto stream = keyEventStream(name);
    scheduler().runUntilIdle();

    setRecordingPause(true);
    press(commandSpace);
    release(commandSpace);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(stream.poll(), std::nullopt);
    // The events were the hot key's all the same: handled, and taken from the applications.
    EXPECT_EQ(hotKeys().deliveries().size(), 2u);
    EXPECT_EQ(hotKeys().deliveries()[0].status, carbon::noErr);

    setRecordingPause(false);
    press(commandSpace);
    EXPECT_EQ(log, std::vector<std::string>{"down"});
}

TEST_F(HotKeys, EventsThatAreNotThePackagesAreNotHandled) {
    storeShortcut(commandSpace, Name("name"));
    attachKeyDownHandler(Name("name"), record("down"));
    attachKeyUpHandler(Name("name"), record("up"));
    const std::uint32_t id = registeredIds().at(0);

    struct Case {
        const char* what;
        std::optional<carbon::Event> event;
        platform::OSStatus expected;
    };
    carbon::Event noIdentifier(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed);
    carbon::Event wrongType(carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed);
    wrongType.setParameter(carbon::kEventParamDirectObject, {platform::fourCharCode("long"), {1}});
    const Case cases[] = {
        {"no event", std::nullopt, carbon::eventNotHandledErr},
        {"another signature",
         carbon::Event::hotKeyEvent(carbon::kEventHotKeyPressed,
                                    {platform::fourCharCode("ABCD"), id}),
         carbon::eventNotHandledErr},
        {"an unknown identifier",
         carbon::Event::hotKeyEvent(carbon::kEventHotKeyPressed, {tqkv, id + 1}),
         carbon::eventNotHandledErr},
        {"another kind", carbon::Event::hotKeyEvent(7, {tqkv, id}), carbon::eventNotHandledErr},
        {"no identifier", noIdentifier, carbon::eventParameterNotFoundErr},
        {"an identifier of another type", wrongType, carbon::errAECoercionFail},
    };
    for (const Case& c : cases) {
        const platform::OSStatus status =
            c.event ? handle(*c.event)
                    : CarbonGlobalShortcuts::handleCarbonEvent({}, nullptr, nullptr);
        EXPECT_EQ(status, c.expected) << c.what;
    }
    EXPECT_TRUE(log.empty());

    EXPECT_EQ(handle(carbon::Event::hotKeyEvent(carbon::kEventHotKeyReleased, {tqkv, id})),
              carbon::noErr);
    EXPECT_EQ(log, std::vector<std::string>{"up"});

    // Once released, its identifier is unknown.
    unregisterStoredShortcut(Name("name"));
    EXPECT_EQ(handle(carbon::Event::hotKeyEvent(carbon::kEventHotKeyPressed, {tqkv, id})),
              carbon::eventNotHandledErr);
}

TEST_F(HotKeys, ReleasingACombinationSharedByTwoNamesReleasesItForBoth) {
    const Name first("first");
    const Name second("second");
    storeShortcut(commandSpace, first);
    storeShortcut(commandSpace, second);
    attachKeyDownHandler(second, record("second"));

    updateShortcut(std::nullopt, first);
    EXPECT_TRUE(hotKeys().registrations().empty());
    EXPECT_FALSE(registeredShortcuts().contains(commandSpace));
    press(commandSpace);
    EXPECT_TRUE(log.empty()) << "the second name keeps its shortcut, unregistered";
    EXPECT_EQ(storedShortcut(second), commandSpace);

    registerStoredShortcut(second);
    release(commandSpace);
    press(commandSpace);
    EXPECT_EQ(log, std::vector<std::string>{"second"});

    // Releasing a combination never registered does nothing.
    CarbonGlobalShortcuts::unregisterHotKey(shiftCommandF1);
    EXPECT_EQ(hotKeys().registrations().size(), 1u);
}

TEST_F(HotKeys, AStoredShortcutWithoutHandlersIsRegisteredAndDoesNothing) {
    storeShortcut(commandSpace, Name("recorded"));
    press(commandSpace);
    ASSERT_EQ(hotKeys().deliveries().size(), 1u);
    EXPECT_EQ(hotKeys().deliveries()[0].status, carbon::noErr);
}

TEST_F(HotKeys, DroppingAllHandlersKeepsTheShortcutsOfStreams) {
    const Name handled("handled");
    const Name streamed("streamed");
    const Name both("both");
    storeShortcut(commandSpace, handled);
    storeShortcut(controlOptionA, streamed);
    storeShortcut(shiftCommandF1, both);
    attachKeyDownHandler(handled, record("handled"));
    attachKeyDownHandler(both, record("both"));
    auto streamedEvents = keyEventStream(streamed);
    auto bothEvents = keyEventStream(both);
    scheduler().runUntilIdle();

    dropAllHandlers();

    EXPECT_TRUE(keyDownHandlers().empty());
    EXPECT_EQ(registeredShortcuts(),
              (std::unordered_set<Shortcut>{controlOptionA, shiftCommandF1}));
    EXPECT_EQ(storedShortcut(handled), commandSpace) << "released, not cleared";
    press(shiftCommandF1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(bothEvents.poll(), EventType::keyDown);
    press(controlOptionA);
    EXPECT_EQ(streamedEvents.poll(), EventType::keyDown);
}

TEST_F(HotKeys, TheHandlerIsInstalledOnceAfterTheFirstAcceptedRegistration) {
    hotKeys().holdCombination({49, 0x100});
    storeShortcut(commandSpace, Name("refused"));
    EXPECT_EQ(hotKeys().installedHandlerCount(), 0u);

    // Installing fails: it is tried again after the next accepted registration.
    hotKeys().setInstallEventHandlerFails(true);
    storeShortcut(controlOptionA, Name("first"));
    EXPECT_EQ(CarbonGlobalShortcuts::hotKeyEventHandler(), std::nullopt);
    hotKeys().setInstallEventHandlerFails(false);
    storeShortcut(shiftCommandF1, Name("second"));
    EXPECT_NE(CarbonGlobalShortcuts::hotKeyEventHandler(), std::nullopt);

    // Kept when every hot key is gone, and never installed twice.
    updateShortcut(std::nullopt, Name("first"));
    updateShortcut(std::nullopt, Name("second"));
    storeShortcut(controlOptionA, Name("first"));
    EXPECT_EQ(hotKeys().installedHandlerCount(), 1u);
}

}  // namespace
}  // namespace zoral::shortcuts::testing
