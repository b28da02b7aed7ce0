#pragma once

// The package's part of the process's state (platform/process_state.h), made on first use. Only the
// main thread touches it, so it takes no lock.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <unordered_set>

#include "platform/hot_keys.h"
#include "shortcuts/carbon_global_shortcuts.h"
#include "shortcuts/global_shortcuts.h"

namespace zoral::shortcuts {

namespace detail {

// A hot key the system accepted.
struct HotKey {
    GlobalShortcuts::Shortcut shortcut;
    std::int64_t carbonHotKeyId = 0;
    platform::carbon::EventHotKeyRef carbonHotKey;
    CarbonGlobalShortcuts::Callback onKeyDown;
    CarbonGlobalShortcuts::Callback onKeyUp;
};

struct State {
    std::unordered_set<GlobalShortcuts::Shortcut> registeredShortcuts;
    GlobalShortcuts::HandlerTable keyDownHandlers;
    GlobalShortcuts::HandlerTable keyUpHandlers;
    bool recordingPause = false;
    GlobalShortcuts::ContinuationTable keyDownContinuations;
    GlobalShortcuts::ContinuationTable keyUpContinuations;

    std::map<std::int64_t, HotKey> hotKeys;
    std::int64_t hotKeyIdCounter = 0;
    std::optional<platform::carbon::EventHandlerRef> hotKeyEventHandler;
};

State& state();

}  // namespace detail

}  // namespace zoral::shortcuts
