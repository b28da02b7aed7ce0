#include "shortcuts/carbon_global_shortcuts.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "platform/output.h"
#include "shortcuts/shortcut_state.h"

namespace zoral::shortcuts::CarbonGlobalShortcuts {

namespace carbon = platform::carbon;
using GlobalShortcuts::Shortcut;

namespace {

constexpr std::array<carbon::EventTypeSpec, 2> hotKeyEventTypes{{
    {carbon::kEventClassKeyboard, carbon::kEventHotKeyPressed},
    {carbon::kEventClassKeyboard, carbon::kEventHotKeyReleased},
}};

bool fitsInHotKey(std::int64_t value) {
    return value >= 0 && value <= std::numeric_limits<std::uint32_t>::max();
}

void installEventHandlerOnce() {
    detail::State& state = detail::state();
    if (state.hotKeyEventHandler)
        return;
    const carbon::EventTargetRef target = carbon::getEventDispatcherTarget();
    if (!target)
        return;
    carbon::EventHandlerRef handler;
    if (carbon::installEventHandler(target, &handleCarbonEvent, hotKeyEventTypes, nullptr,
                                    &handler) == carbon::noErr &&
        handler) {
        state.hotKeyEventHandler = handler;
    }
}

}  // namespace

void registerHotKey(const Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp) {
    if (!fitsInHotKey(shortcut.carbonKeyCode) || !fitsInHotKey(shortcut.carbonModifiers)) {
        platform::output::printLine("GlobalShortcuts: not registering key code " +
                                    std::to_string(shortcut.carbonKeyCode) + " with modifiers " +
                                    std::to_string(shortcut.carbonModifiers) +
                                    ": a system hot key takes only values from 0 to 4294967295");
        return;
    }
    detail::State& state = detail::state();
    const std::int64_t id = ++state.hotKeyIdCounter;
    carbon::EventHotKeyRef reference;
    const platform::OSStatus status =
        carbon::registerEventHotKey(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                    static_cast<std::uint32_t>(shortcut.carbonModifiers),
                                    {signature, static_cast<std::uint32_t>(id)},
                                    carbon::getEventDispatcherTarget(), 0, &reference);
    if (status != carbon::noErr || !reference)
        return;
    state.hotKeys.insert_or_assign(
        id, detail::HotKey{shortcut, id, reference, std::move(onKeyDown), std::move(onKeyUp)});
    installEventHandlerOnce();
}

void unregisterHotKey(const Shortcut& shortcut) {
    std::erase_if(detail::state().hotKeys, [&](const auto& entry) {
        if (entry.second.shortcut != shortcut)
            return false;
        // The entry goes whatever the system answers.
        carbon::unregisterEventHotKey(entry.second.carbonHotKey);
        return true;
    });
}

platform::OSStatus handleCarbonEvent(carbon::EventHandlerCallRef nextHandler,
                                     carbon::EventRef event, void* userData) {
    (void)nextHandler;
    (void)userData;
    if (event == nullptr)
        return carbon::eventNotHandledErr;
    carbon::EventHotKeyID identifier;
    std::array<std::uint8_t, sizeof identifier> bytes{};
    const platform::OSStatus status = carbon::getEventParameter(
        event, carbon::kEventParamDirectObject, carbon::typeEventHotKeyID, nullptr, bytes, nullptr);
    if (status != carbon::noErr)
        return status;
    std::memcpy(&identifier, bytes.data(), sizeof identifier);
    if (identifier.signature != signature)
        return carbon::eventNotHandledErr;
    const auto& hotKeys = detail::state().hotKeys;
    const auto found = hotKeys.find(identifier.id);
    if (found == hotKeys.end())
        return carbon::eventNotHandledErr;
    // Copied: a callback may register or release hot keys, this one among them.
    const Shortcut shortcut = found->second.shortcut;
    Callback callback;
    switch (carbon::getEventKind(event)) {
        case carbon::kEventHotKeyPressed:
            callback = found->second.onKeyDown;
            break;
        case carbon::kEventHotKeyReleased:
            callback = found->second.onKeyUp;
            break;
        default:
            return carbon::eventNotHandledErr;
    }
    if (callback)
        callback(shortcut);
    return carbon::noErr;
}

std::int64_t hotKeyIdCounter() {
    return detail::state().hotKeyIdCounter;
}

std::optional<carbon::EventHandlerRef> hotKeyEventHandler() {
    return detail::state().hotKeyEventHandler;
}

}  // namespace zoral::shortcuts::CarbonGlobalShortcuts
