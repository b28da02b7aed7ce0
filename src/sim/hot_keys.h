#pragma once

// The window server's hot keys: the combinations registered for the program's event target, the
// handlers installed there, and the combinations other programs hold. A key event that matches a
// registered combination is the hot key's: the window server takes it (no application sees it)
// and sends the program a hot-key pressed event, and the matching key up a hot-key released
// event, each carrying the registration's signature and identifier, to the handlers on the main
// queue, as the program's event dispatch does.
//
// Also the system's symbolic hot keys, from the file in the user's home that the system keeps
// them in, over the system's defaults for the entries the file lacks.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/events.h"
#include "platform/hot_keys.h"

namespace zoral::sim {

class World;

// A combination as the window server matches it: a virtual key code and the event manager's
// modifier mask.
struct HotKeyCombination {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    friend constexpr auto operator<=>(const HotKeyCombination&, const HotKeyCombination&) = default;
};

struct HotKeyRegistration {
    platform::carbon::EventHotKeyRef ref;
    HotKeyCombination combination;
    platform::carbon::EventHotKeyID identifier;

    friend bool operator==(const HotKeyRegistration&, const HotKeyRegistration&) = default;
};

// One hot-key event sent to the program, and what its handlers answered (none when no handler
// was installed for it).
struct HotKeyDelivery {
    std::uint32_t kind = 0;
    platform::carbon::EventHotKeyID identifier;
    std::optional<platform::OSStatus> status;

    friend bool operator==(const HotKeyDelivery&, const HotKeyDelivery&) = default;
};

class HotKeys {
public:
    // The program's one event-dispatcher target.
    static constexpr platform::carbon::EventTargetRef programTarget{1};

    HotKeys();

    static HotKeys& of(World& world);
    static HotKeys& current();

    // --- The input pipeline's entry point
    // Offers a key event (key down or key up) to the hot keys. True when a hot key takes it: the
    // event then goes no further, and the program's handlers get the hot-key event on the main
    // queue. A key down takes the combination it matches exactly (key code and the four
    // modifiers command, shift, option and control); the key up of that key then takes the
    // release, whatever modifiers are held by then. A key down repeated while the hot key is
    // held is taken without a second pressed event. Combinations that another program holds are
    // taken too, and nothing reaches this program.
    bool offerKeyEvent(const platform::CGEvent& event);

    // --- World settings
    // A combination another program has registered: the program's registrations of it are
    // refused, and its key events are that program's.
    void holdCombination(HotKeyCombination combination);
    void releaseHeldCombination(HotKeyCombination combination);
    std::set<HotKeyCombination> heldCombinations() const;
    // Makes installing an event handler fail (paramErr), as when the system is out of memory.
    void setInstallEventHandlerFails(bool fails);
    bool installEventHandlerFails() const;
    // Makes the list of symbolic hot keys unavailable (paramErr).
    void setSymbolicHotKeysUnavailable(bool unavailable);

    // --- What the program did
    std::vector<HotKeyRegistration> registrations() const;
    std::size_t installedHandlerCount() const;
    // Every hot-key event sent to the program, once its handlers have run, in order.
    std::vector<HotKeyDelivery> deliveries() const;

    // --- Used by the platform calls
    platform::OSStatus registerHotKey(HotKeyCombination combination,
                                      platform::carbon::EventHotKeyID identifier,
                                      platform::carbon::EventTargetRef target,
                                      platform::carbon::EventHotKeyRef* outRef);
    platform::OSStatus unregisterHotKey(platform::carbon::EventHotKeyRef ref);
    platform::OSStatus installHandler(platform::carbon::EventTargetRef target,
                                      platform::carbon::EventHandlerProc handler,
                                      std::vector<platform::carbon::EventTypeSpec> types,
                                      void* userData, platform::carbon::EventHandlerRef* outRef);
    bool symbolicHotKeysUnavailable() const;

private:
    struct State;
    void send(std::uint32_t kind, platform::carbon::EventHotKeyID identifier);

    std::shared_ptr<State> state_;
};

// The event manager's modifier mask of event flags: the four modifiers, caps lock, the function
// key (0x20000) and the numeric pad (0x10000); every other bit is dropped.
std::uint32_t carbonModifiersOfEventFlags(platform::CGEventFlags flags);

// The system's symbolic hot keys as dictionaries with the keys kHISymbolicHotKeyEnabled,
// kHISymbolicHotKeyCode and kHISymbolicHotKeyModifiers (the event manager's mask), ordered by
// their identifiers. Read from "AppleSymbolicHotKeys" in
// Library/Preferences/com.apple.symbolichotkeys.plist under HOME (the file the desktop model
// reads), where each entry holds "enabled" and "value" with "parameters" (a character, the key
// code, the event flags); values of another type pass as they are stored. The system's defaults
// stand for the entries the file lacks, and for all when it is missing or unreadable.
platform::PlistArray symbolicHotKeyDictionaries();

}  // namespace zoral::sim
