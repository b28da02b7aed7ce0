#pragma once

// Where a gesture starts: the classification of the accessibility element under the pointer (for a
// trackpad gesture) or of the focused window (for a hotkey) into one of the origin types. Runs on
// the main thread inside the event tap's callback, synchronously, so the cheap tests come before
// the walks over a window's descendants that measure its title bar. Every failed read is absorbed:
// no error leaves; no origin means no gesture.

#include <map>
#include <optional>
#include <string>

#include "engine/model/origin.h"
#include "platform/events.h"

namespace zoral::engine {

// The title-bar height assumed when a window's own cannot be measured or was not cached.
inline constexpr double defaultTitlebarHeight = 23.0;
// How far below a window's top edge the pointer may be for any window-part origin.
inline constexpr double originTopZone = 120.0;

// The origin of a trackpad gesture beginning with the event; none where no gesture may start.
std::optional<Origin> originAtPointer(const platform::CGEvent& event);

// The origin of a hotkey gesture: the focused window; none while Mission Control shows, without a
// focused window or for a blacklisted application.
std::optional<Origin> originForHotkey();

// The title-bar height last measured per application (bundle identifier, empty without one), kept
// as long as the process's state. Main thread only.
std::map<std::string, double>& titlebarHeightCache();

}  // namespace zoral::engine
