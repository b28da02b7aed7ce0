// The window server's hot keys: registration, the key events they take, and the events the
// program's handlers get.

#include "platform/hot_keys.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/events.h"
#include "sim/hot_keys.h"
#include "sim/world.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

namespace carbon = platform::carbon;
using platform::CGEventFlags;
using platform::CGEventType;
using platform::OSStatus;
using platform::PlistObject;

constexpr carbon::EventHotKeyID firstId{platform::fourCharCode("TEST"), 1};
constexpr carbon::EventHotKeyID secondId{platform::fourCharCode("TEST"), 2};

platform::CGEvent key(CGEventType type, platform::CGKeyCode code, CGEventFlags flags = {}) {
    platform::CGEvent event;
    event.type = type;
    event.keyCode = code;
    event.flags = flags;
    return event;
}

class HotKeysTest : public zoral::testing::VirtualClockTest {
protected:
    HotKeys& hotKeys() { return HotKeys::of(*world); }

    carbon::EventHotKeyRef registerCombination(std::uint32_t code, std::uint32_t modifiers,
                                               carbon::EventHotKeyID id) {
        carbon::EventHotKeyRef ref;
        EXPECT_EQ(carbon::registerEventHotKey(code, modifiers, id,
                                              carbon::getEventDispatcherTarget(), 0, &ref),
                  carbon::noErr);
        return ref;
    }

    // Installs a handler that records the events it gets and answers with the status.
    void installRecorder(OSStatus answer, std::string name) {
        const std::array types{
            carbon::EventTypeSpec{carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed},
            carbon::EventTypeSpec{carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased}};
        carbon::EventHandlerRef ref;
        ASSERT_EQ(
            carbon::installEventHandler(
                carbon::getEventDispatcherTarget(),
                [this, answer, name](carbon::EventHandlerCallRef, carbon::EventRef event, void*) {
                    carbon::EventHotKeyID id;
                    std::array<std::uint8_t, sizeof id> bytes{};
                    EXPECT_EQ(carbon::getEventParameter(event, carbon::kEventParamDirectObject,
                                                        carbon::typeEventHotKeyID, nullptr, bytes,
                                                        nullptr),
                              carbon::noErr);
                    std::memcpy(&id, bytes.data(), sizeof id);
                    received.push_back(name + " " + std::to_string(carbon::getEventKind(event)) +
                                       " " + std::to_string(id.id));
                    return answer;
                },
                types, nullptr, &ref),
            carbon::noErr);
    }

    std::vector<std::string> received;
    ScopedWorld world;
};

TEST_F(HotKeysTest, ACombinationIsRegisteredOnceByAnyone) {
    hotKeys().holdCombination({49, 0x100});
    carbon::EventHotKeyRef ref;
    const carbon::EventTargetRef target = carbon::getEventDispatcherTarget();
    EXPECT_EQ(carbon::registerEventHotKey(49, 0x100, firstId, target, 0, &ref),
              carbon::eventHotKeyExistsErr)
        << "another program holds it";
    EXPECT_FALSE(ref) << "no reference without a registration";

    const auto mine = registerCombination(0, 0x1800, firstId);
    EXPECT_EQ(carbon::registerEventHotKey(0, 0x1800, secondId, target, 0, &ref),
              carbon::eventHotKeyExistsErr);
    EXPECT_EQ(carbon::registerEventHotKey(0, 0x1800, secondId, {}, 0, &ref), carbon::paramErr);
    EXPECT_EQ(carbon::registerEventHotKey(1, 0x1800, secondId, target, 0, nullptr),
              carbon::paramErr);

    EXPECT_EQ(carbon::unregisterEventHotKey(mine), carbon::noErr);
    EXPECT_EQ(carbon::unregisterEventHotKey(mine), carbon::eventHotKeyInvalidErr);
    EXPECT_TRUE(hotKeys().registrations().empty());
    const auto again = registerCombination(0, 0x1800, secondId);
    EXPECT_NE(again, mine);
    EXPECT_EQ(hotKeys().registrations(),
              (std::vector<HotKeyRegistration>{{again, {0, 0x1800}, secondId}}));
}

TEST_F(HotKeysTest, TheHotKeyTakesItsKeyEventsAndTheHandlersGetThemOnTheMainQueue) {
    registerCombination(49, 0x100, firstId);
    installRecorder(carbon::noErr, "handler");
    const CGEventFlags command = CGEventFlags::maskCommand;

    EXPECT_TRUE(hotKeys().offerKeyEvent(key(CGEventType::keyDown, 49, command)));
    EXPECT_TRUE(received.empty()) << "delivered on the main queue";
    scheduler().runUntilIdle();
    EXPECT_TRUE(hotKeys().offerKeyEvent(key(CGEventType::keyDown, 49, command)))
        << "a repeat is taken";
    // The release is the hot key's whatever is still held.
    EXPECT_TRUE(hotKeys().offerKeyEvent(key(CGEventType::keyUp, 49)));
    scheduler().runUntilIdle();
    EXPECT_EQ(received, (std::vector<std::string>{"handler 5 1", "handler 6 1"}));
    EXPECT_EQ(hotKeys().deliveries(), (std::vector<HotKeyDelivery>{{5, firstId, carbon::noErr},
                                                                   {6, firstId, carbon::noErr}}));

    // Anything else goes on to the applications.
    struct Case {
        const char* what;
        platform::CGEvent event;
    };
    const Case others[] = {
        {"no command", key(CGEventType::keyDown, 49)},
        {"more modifiers", key(CGEventType::keyDown, 49, command | CGEventFlags::maskShift)},
        {"another key", key(CGEventType::keyDown, 48, command)},
        {"a release never pressed", key(CGEventType::keyUp, 49, command)},
        {"no key event", key(CGEventType::flagsChanged, 49, command)},
    };
    for (const Case& c : others)
        EXPECT_FALSE(hotKeys().offerKeyEvent(c.event)) << c.what;

    // Caps lock and the function key do not stop a match.
    EXPECT_TRUE(hotKeys().offerKeyEvent(
        key(CGEventType::keyDown, 49,
            command | CGEventFlags::maskAlphaShift | CGEventFlags::maskSecondaryFn)));
}

TEST_F(HotKeysTest, HandlersRunNewestFirstUntilOneHandlesTheEvent) {
    registerCombination(49, 0x100, firstId);
    installRecorder(carbon::noErr, "older");
    installRecorder(carbon::eventNotHandledErr, "newer");
    hotKeys().offerKeyEvent(key(CGEventType::keyDown, 49, CGEventFlags::maskCommand));
    scheduler().runUntilIdle();
    EXPECT_EQ(received, (std::vector<std::string>{"newer 5 1", "older 5 1"}));
    EXPECT_EQ(hotKeys().deliveries().back().status, carbon::noErr);

    // While the world makes installing fail, no handler is added.
    HotKeys::of(*world).setInstallEventHandlerFails(true);
    carbon::EventHandlerRef ref;
    EXPECT_EQ(carbon::installEventHandler(
                  carbon::getEventDispatcherTarget(),
                  [](auto, auto, auto) { return carbon::noErr; }, {}, nullptr, &ref),
              carbon::paramErr);
    EXPECT_EQ(hotKeys().installedHandlerCount(), 2u);
}

TEST_F(HotKeysTest, AnotherProgramsCombinationIsTakenAndNeverReachesTheProgram) {
    hotKeys().holdCombination({49, 0x100});
    installRecorder(carbon::noErr, "handler");
    EXPECT_TRUE(hotKeys().offerKeyEvent(key(CGEventType::keyDown, 49, CGEventFlags::maskCommand)));
    EXPECT_TRUE(hotKeys().offerKeyEvent(key(CGEventType::keyUp, 49)));
    scheduler().runUntilIdle();
    EXPECT_TRUE(received.empty());
    EXPECT_TRUE(hotKeys().deliveries().empty());
}

TEST_F(HotKeysTest, AHotKeyReleasedWhileHeldTakesItsKeyUpSilently) {
    const auto ref = registerCombination(49, 0x100, firstId);
    installRecorder(carbon::noErr, "handler");
    hotKeys().offerKeyEvent(key(CGEventType::keyDown, 49, CGEventFlags::maskCommand));
    carbon::unregisterEventHotKey(ref);
    EXPECT_TRUE(hotKeys().offerKeyEvent(key(CGEventType::keyUp, 49)));
    scheduler().runUntilIdle();
    EXPECT_EQ(received, std::vector<std::string>{"handler 5 1"});
}

TEST_F(HotKeysTest, EventParametersAreReadByNameAndType) {
    const carbon::Event event = carbon::Event::hotKeyEvent(carbon::kEventHotKeyPressed, firstId);
    EXPECT_EQ(carbon::getEventClass(&event), carbon::kEventClassKeyboard);
    EXPECT_EQ(carbon::getEventKind(&event), carbon::kEventHotKeyPressed);

    std::array<std::uint8_t, 8> buffer{};
    platform::FourCharCode type = 0;
    std::size_t size = 0;
    EXPECT_EQ(carbon::getEventParameter(&event, carbon::kEventParamDirectObject,
                                        carbon::typeEventHotKeyID, &type, buffer, &size),
              carbon::noErr);
    EXPECT_EQ(type, carbon::typeEventHotKeyID);
    EXPECT_EQ(size, 8u);
    carbon::EventHotKeyID read;
    std::memcpy(&read, buffer.data(), sizeof read);
    EXPECT_EQ(read, firstId);

    EXPECT_EQ(carbon::getEventParameter(&event, platform::fourCharCode("what"),
                                        carbon::typeEventHotKeyID, nullptr, buffer, nullptr),
              carbon::eventParameterNotFoundErr);
    EXPECT_EQ(carbon::getEventParameter(&event, carbon::kEventParamDirectObject,
                                        platform::fourCharCode("long"), nullptr, buffer, nullptr),
              carbon::errAECoercionFail);
    EXPECT_EQ(carbon::getEventParameter(nullptr, carbon::kEventParamDirectObject,
                                        carbon::typeEventHotKeyID, nullptr, buffer, nullptr),
              carbon::paramErr);
}

class SymbolicHotKeysFile : public zoral::testing::VirtualClockTest {
protected:
    std::filesystem::path file() const {
        return home.preferences() / "com.apple.symbolichotkeys.plist";
    }
    zoral::testing::TemporaryHome home;
    ScopedWorld world;
};

TEST_F(SymbolicHotKeysFile, TheFileOverridesTheDefaultsEntryByEntry) {
    const auto dictionary = [](std::optional<PlistObject> enabled, std::optional<PlistObject> code,
                               std::optional<PlistObject> modifiers) {
        platform::PlistDictionary result;
        if (enabled)
            result.emplace(carbon::kHISymbolicHotKeyEnabled, *enabled);
        if (code)
            result.emplace(carbon::kHISymbolicHotKeyCode, *code);
        if (modifiers)
            result.emplace(carbon::kHISymbolicHotKeyModifiers, *modifiers);
        return PlistObject::dictionary(result);
    };
    const auto integer = [](std::int64_t value) { return PlistObject::integer(value); };
    const auto yes = PlistObject::boolean(true);

    std::optional<PlistObject> array;
    ASSERT_EQ(carbon::copySymbolicHotKeys(&array), carbon::noErr);
    EXPECT_EQ(array, PlistObject::array({dictionary(yes, integer(123), integer(0x21000)),
                                         dictionary(yes, integer(124), integer(0x21000))}))
        << "without a file: the system's own";

    // The file's entries in the system's order, parts passed as stored, flags converted.
    std::filesystem::create_directories(home.preferences());
    std::filesystem::copy_file(
        std::filesystem::path(ZORAL_FIXTURES_DIR) / "plist" / "symbolic_hot_keys.binary.plist",
        file());
    ASSERT_EQ(carbon::copySymbolicHotKeys(&array), carbon::noErr);
    const auto& entries = array->get<platform::PlistArray>();
    ASSERT_EQ(entries.size(), 11u);
    EXPECT_EQ(entries[0], dictionary(PlistObject::boolean(false), integer(126), integer(0x21000)))
        << "32";
    EXPECT_EQ(entries[1], dictionary(yes, integer(49), integer(0x1000))) << "60";
    EXPECT_EQ(entries[3], dictionary(yes, integer(123), integer(0x21200))) << "80";
    EXPECT_EQ(entries[9], dictionary(integer(1), integer(21), integer(0x1000))) << "121";
    EXPECT_EQ(entries[10], dictionary(PlistObject::boolean(false), std::nullopt, std::nullopt))
        << "164";

    // A file that does not read leaves the defaults.
    std::filesystem::remove(file());
    std::ofstream(file()) << "not a property list";
    ASSERT_EQ(carbon::copySymbolicHotKeys(&array), carbon::noErr);
    EXPECT_EQ(array->get<platform::PlistArray>().size(), 2u);

    HotKeys::of(*world).setSymbolicHotKeysUnavailable(true);
    EXPECT_EQ(carbon::copySymbolicHotKeys(&array), carbon::paramErr);
}

TEST(EventFlags, TheEventManagersMaskKeepsItsOwnBits) {
    struct Case {
        std::uint64_t flags;
        std::uint32_t carbon;
    };
    const Case cases[] = {
        {0x100000, 0x100}, {0x20000, 0x200},    {0x10000, 0x400},    {0x80000, 0x800},
        {0x40000, 0x1000}, {0x200000, 0x10000}, {0x800000, 0x20000}, {0x400000 | 0x100 | 0xFF, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(carbonModifiersOfEventFlags(CGEventFlags(c.flags)), c.carbon) << c.flags;
}

}  // namespace
}  // namespace zoral::sim
