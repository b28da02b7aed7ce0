#include "sim/hot_keys.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "platform/dispatch.h"
#include "platform/home.h"
#include "platform/plist_serialization.h"
#include "platform/thread_safety.h"
#include "sim/system_settings.h"
#include "sim/world.h"

namespace zoral::sim {

namespace carbon = platform::carbon;
using platform::CGEventFlags;
using platform::CGEventType;
using platform::OSStatus;
using platform::PlistObject;

namespace {

struct FlagBit {
    CGEventFlags flag;
    std::uint32_t carbon;
};

constexpr std::array<FlagBit, 7> flagBits{{
    {CGEventFlags::maskCommand, carbon::cmdKey},
    {CGEventFlags::maskShift, carbon::shiftKey},
    {CGEventFlags::maskAlphaShift, carbon::alphaLock},
    {CGEventFlags::maskAlternate, carbon::optionKey},
    {CGEventFlags::maskControl, carbon::controlKey},
    {CGEventFlags::maskNumericPad, carbon::kEventKeyModifierNumLockMask},
    {CGEventFlags::maskSecondaryFn, carbon::kEventKeyModifierFnMask},
}};

// What a hot key is matched on: the four modifiers, never caps lock or the device bits.
constexpr std::uint32_t matchedModifiers =
    carbon::cmdKey | carbon::shiftKey | carbon::optionKey | carbon::controlKey;

struct Handler {
    carbon::EventHandlerRef ref;
    carbon::EventTargetRef target;
    carbon::EventHandlerProc proc;
    std::vector<carbon::EventTypeSpec> types;
    void* userData = nullptr;
};

}  // namespace

struct HotKeys::State {
    mutable platform::Mutex mutex;
    std::vector<HotKeyRegistration> registrations ZORAL_GUARDED_BY(mutex);
    std::vector<Handler> handlers ZORAL_GUARDED_BY(mutex);
    std::set<HotKeyCombination> held ZORAL_GUARDED_BY(mutex);
    // The key codes whose key down a hot key took, with the registration it went to (none for a
    // combination another program holds).
    std::map<std::uint32_t, std::optional<carbon::EventHotKeyRef>> pressed ZORAL_GUARDED_BY(mutex);
    std::vector<HotKeyDelivery> deliveries ZORAL_GUARDED_BY(mutex);
    std::uint64_t nextReference ZORAL_GUARDED_BY(mutex) = 1;
    bool installFails ZORAL_GUARDED_BY(mutex) = false;
    bool symbolicHotKeysUnavailable ZORAL_GUARDED_BY(mutex) = false;
};

HotKeys::HotKeys() : state_(std::make_shared<State>()) {}

HotKeys& HotKeys::of(World& world) {
    return world.component<HotKeys>();
}

HotKeys& HotKeys::current() {
    return of(World::current());
}

std::uint32_t carbonModifiersOfEventFlags(CGEventFlags flags) {
    std::uint32_t modifiers = 0;
    for (const FlagBit& bit : flagBits) {
        if (flags.contains(bit.flag))
            modifiers |= bit.carbon;
    }
    return modifiers;
}

bool HotKeys::offerKeyEvent(const platform::CGEvent& event) {
    if (event.type != CGEventType::keyDown && event.type != CGEventType::keyUp)
        return false;
    const std::uint32_t keyCode = event.keyCode;
    std::optional<std::pair<std::uint32_t, carbon::EventHotKeyID>> toSend;
    {
        const platform::MutexLock lock(state_->mutex);
        if (event.type == CGEventType::keyUp) {
            const auto found = state_->pressed.find(keyCode);
            if (found == state_->pressed.end())
                return false;
            const std::optional<carbon::EventHotKeyRef> ref = found->second;
            state_->pressed.erase(found);
            const auto registration =
                std::ranges::find(state_->registrations, ref, &HotKeyRegistration::ref);
            // A hot key unregistered while held takes its key up all the same: the key down
            // never reached anybody.
            if (ref && registration != state_->registrations.end())
                toSend.emplace(carbon::kEventHotKeyReleased, registration->identifier);
        } else {
            const HotKeyCombination combination{
                keyCode, carbonModifiersOfEventFlags(event.flags) & matchedModifiers};
            if (state_->pressed.contains(keyCode))
                return true;
            const auto registration = std::ranges::find(state_->registrations, combination,
                                                        &HotKeyRegistration::combination);
            if (registration != state_->registrations.end()) {
                state_->pressed.emplace(keyCode, registration->ref);
                toSend.emplace(carbon::kEventHotKeyPressed, registration->identifier);
            } else if (state_->held.contains(combination)) {
                state_->pressed.emplace(keyCode, std::nullopt);
            } else {
                return false;
            }
        }
    }
    if (toSend)
        send(toSend->first, toSend->second);
    return true;
}

void HotKeys::send(std::uint32_t kind, carbon::EventHotKeyID identifier) {
    std::weak_ptr<State> weakState = state_;
    platform::DispatchQueue::main().async([weakState, kind, identifier] {
        const auto state = weakState.lock();
        if (!state)
            return;
        std::vector<Handler> handlers;
        {
            const platform::MutexLock lock(state->mutex);
            const carbon::EventTypeSpec type{carbon::kEventClassKeyboard, kind};
            for (const Handler& handler : state->handlers) {
                if (handler.target == programTarget && std::ranges::count(handler.types, type) > 0)
                    handlers.push_back(handler);
            }
        }
        // The most recently installed handler first; one that does not handle the event passes
        // it to the one before.
        std::optional<OSStatus> status;
        const carbon::Event event = carbon::Event::hotKeyEvent(kind, identifier);
        std::uint64_t call = 1;
        for (auto handler = handlers.rbegin(); handler != handlers.rend(); ++handler) {
            status = handler->proc(carbon::EventHandlerCallRef(call++), &event, handler->userData);
            if (*status != carbon::eventNotHandledErr)
                break;
        }
        const platform::MutexLock lock(state->mutex);
        state->deliveries.push_back({kind, identifier, status});
    });
}

void HotKeys::holdCombination(HotKeyCombination combination) {
    const platform::MutexLock lock(state_->mutex);
    state_->held.insert(combination);
}

void HotKeys::releaseHeldCombination(HotKeyCombination combination) {
    const platform::MutexLock lock(state_->mutex);
    state_->held.erase(combination);
}

std::set<HotKeyCombination> HotKeys::heldCombinations() const {
    const platform::MutexLock lock(state_->mutex);
    return state_->held;
}

void HotKeys::setInstallEventHandlerFails(bool fails) {
    const platform::MutexLock lock(state_->mutex);
    state_->installFails = fails;
}

bool HotKeys::installEventHandlerFails() const {
    const platform::MutexLock lock(state_->mutex);
    return state_->installFails;
}

void HotKeys::setSymbolicHotKeysUnavailable(bool unavailable) {
    const platform::MutexLock lock(state_->mutex);
    state_->symbolicHotKeysUnavailable = unavailable;
}

bool HotKeys::symbolicHotKeysUnavailable() const {
    const platform::MutexLock lock(state_->mutex);
    return state_->symbolicHotKeysUnavailable;
}

std::vector<HotKeyRegistration> HotKeys::registrations() const {
    const platform::MutexLock lock(state_->mutex);
    return state_->registrations;
}

std::size_t HotKeys::installedHandlerCount() const {
    const platform::MutexLock lock(state_->mutex);
    return state_->handlers.size();
}

std::vector<HotKeyDelivery> HotKeys::deliveries() const {
    const platform::MutexLock lock(state_->mutex);
    return state_->deliveries;
}

OSStatus HotKeys::registerHotKey(HotKeyCombination combination, carbon::EventHotKeyID identifier,
                                 carbon::EventTargetRef target, carbon::EventHotKeyRef* outRef) {
    if (target != programTarget || outRef == nullptr)
        return carbon::paramErr;
    const platform::MutexLock lock(state_->mutex);
    if (state_->held.contains(combination) ||
        std::ranges::count(state_->registrations, combination, &HotKeyRegistration::combination) >
            0) {
        return carbon::eventHotKeyExistsErr;
    }
    const carbon::EventHotKeyRef ref(state_->nextReference++);
    state_->registrations.push_back({ref, combination, identifier});
    *outRef = ref;
    return carbon::noErr;
}

OSStatus HotKeys::unregisterHotKey(carbon::EventHotKeyRef ref) {
    const platform::MutexLock lock(state_->mutex);
    const auto erased = std::erase_if(
        state_->registrations, [&](const HotKeyRegistration& entry) { return entry.ref == ref; });
    return erased > 0 ? carbon::noErr : carbon::eventHotKeyInvalidErr;
}

OSStatus HotKeys::installHandler(carbon::EventTargetRef target, carbon::EventHandlerProc handler,
                                 std::vector<carbon::EventTypeSpec> types, void* userData,
                                 carbon::EventHandlerRef* outRef) {
    const platform::MutexLock lock(state_->mutex);
    if (state_->installFails || target != programTarget || !handler)
        return carbon::paramErr;
    const carbon::EventHandlerRef ref(state_->nextReference++);
    state_->handlers.push_back({ref, target, std::move(handler), std::move(types), userData});
    if (outRef != nullptr)
        *outRef = ref;
    return carbon::noErr;
}

namespace {

PlistObject symbolicHotKey(bool enabled, std::int64_t keyCode, std::uint64_t eventFlags) {
    return PlistObject::dictionary({
        {carbon::kHISymbolicHotKeyEnabled, PlistObject::boolean(enabled)},
        {carbon::kHISymbolicHotKeyCode, PlistObject::integer(keyCode)},
        {carbon::kHISymbolicHotKeyModifiers,
         PlistObject::integer(carbonModifiersOfEventFlags(CGEventFlags(eventFlags)))},
    });
}

// The entries the system has without the user's file: one space left and right, with Control
// and the function key on the arrows.
std::map<std::int64_t, PlistObject> defaultSymbolicHotKeys() {
    return {{79, symbolicHotKey(true, 123, 0x840000)}, {81, symbolicHotKey(true, 124, 0x840000)}};
}

std::optional<PlistObject> readSymbolicHotKeysFile() {
    const auto path = platform::preferencesFile(symbolicHotKeysDomain);
    if (!path)
        return std::nullopt;
    std::ifstream file(*path, std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    try {
        return platform::readPlist(bytes).object;
    } catch (const platform::PlistSerializationError&) {
        return std::nullopt;
    }
}

// The file's entry as the system hands it out: the parts it has, the modifiers converted to the
// event manager's mask when they are an integer.
PlistObject dictionaryOfEntry(const PlistObject& entry) {
    platform::PlistDictionary dictionary;
    if (const PlistObject* enabled = entry.find("enabled"))
        dictionary.emplace(carbon::kHISymbolicHotKeyEnabled, *enabled);
    const PlistObject* value = entry.find("value");
    const PlistObject* parameters = value != nullptr ? value->find("parameters") : nullptr;
    const auto* array = parameters != nullptr ? parameters->getIf<platform::PlistArray>() : nullptr;
    if (array != nullptr && array->size() > 1)
        dictionary.emplace(carbon::kHISymbolicHotKeyCode, (*array)[1]);
    if (array != nullptr && array->size() > 2) {
        const PlistObject& flags = (*array)[2];
        const auto integer = flags.integerValue();
        const auto bits = integer ? integer->uint64Value() : std::nullopt;
        dictionary.emplace(
            carbon::kHISymbolicHotKeyModifiers,
            bits ? PlistObject::integer(carbonModifiersOfEventFlags(CGEventFlags(*bits))) : flags);
    }
    return PlistObject::dictionary(std::move(dictionary));
}

}  // namespace

platform::PlistArray symbolicHotKeyDictionaries() {
    std::map<std::int64_t, PlistObject> entries = defaultSymbolicHotKeys();
    const std::optional<PlistObject> root = readSymbolicHotKeysFile();
    const PlistObject* hotKeys = root ? root->find("AppleSymbolicHotKeys") : nullptr;
    if (const auto* dictionary =
            hotKeys != nullptr ? hotKeys->getIf<platform::PlistDictionary>() : nullptr) {
        for (const auto& [name, entry] : *dictionary) {
            std::int64_t identifier = 0;
            const auto [end, error] =
                std::from_chars(name.data(), name.data() + name.size(), identifier);
            // The system's identifiers are numbers; anything else in the file is no hot key.
            if (error != std::errc() || end != name.data() + name.size())
                continue;
            entries.insert_or_assign(identifier, dictionaryOfEntry(entry));
        }
    }
    platform::PlistArray result;
    for (auto& [identifier, dictionary] : entries)
        result.push_back(std::move(dictionary));
    return result;
}

}  // namespace zoral::sim

namespace zoral::platform::carbon {

using sim::HotKeys;

EventTargetRef getEventDispatcherTarget() {
    return HotKeys::programTarget;
}

OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                             EventHotKeyID identifier, EventTargetRef target, std::uint32_t options,
                             EventHotKeyRef* outRef) {
    // The only option the system knows asks for exclusive use, which every hot key has here.
    (void)options;
    return HotKeys::current().registerHotKey({keyCode, modifiers}, identifier, target, outRef);
}

OSStatus unregisterEventHotKey(EventHotKeyRef hotKey) {
    return HotKeys::current().unregisterHotKey(hotKey);
}

OSStatus installEventHandler(EventTargetRef target, EventHandlerProc handler,
                             std::span<const EventTypeSpec> types, void* userData,
                             EventHandlerRef* outRef) {
    return HotKeys::current().installHandler(target, std::move(handler),
                                             {types.begin(), types.end()}, userData, outRef);
}

OSStatus copySymbolicHotKeys(std::optional<PlistObject>* outArray) {
    if (outArray == nullptr || HotKeys::current().symbolicHotKeysUnavailable())
        return paramErr;
    *outArray = PlistObject::array(sim::symbolicHotKeyDictionaries());
    return noErr;
}

}  // namespace zoral::platform::carbon
