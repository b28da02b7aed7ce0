#pragma once

// The start-up steps that look at the program's own build number: the system components that are
// always ignored, the carrying forward of settings from older builds stage by stage, and whether
// the welcome tour or "What's New" is due. Also the two update settings that the preferences
// show, kept by the update framework's updater. Main thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "app/preferences_window_controller.h"

namespace zoral::app {

// Added to "blacklist" at every launch, in this order.
inline constexpr std::array<std::string_view, 5> defaultIgnoredApps{
    "com.apple.notificationcenterui", "com.apple.controlcenter", "com.apple.Spotlight",
    "com.apple.PIPAgent", "com.apple.CharacterPaletteIM"};

// The name under which builds before 48 stored the arrow-key layout of the hot keys.
inline constexpr std::string_view legacyArrowLayoutKey = "hotkeysArrowLayout";

void addDefaultIgnoredApps();

// Records the running build in "buildNumber" and, unless nothing ran before, runs every stage
// whose bound is at least the build that ran last, oldest first.
void migrateSettings(std::int64_t build);

// The stages' bounds, oldest first: a stage runs for a last build at most its bound.
std::span<const std::int64_t> migrationStageBounds();

// Shows the welcome tour on a first launch (after the Accessibility sheet when the permission is
// missing) and "What's New" after an update from a build up to 47; each records the running build
// in "buildNumberOnboard" when the user has gone through it. The controller is asked for only
// when something is shown.
void onboardBuild(const std::function<PreferencesWindowController&()>& preferencesController,
                  std::int64_t build);
void setOnboardBuild(std::int64_t build);

// The update framework's settings. Without an updater (or, for the beta channel, without a feed)
// they read false and 0, and writes do nothing.
namespace UpdaterSettings {
// Where the update feed is; the beta channel's is the same followed by "-beta".
inline constexpr std::string_view feedAddress = "https://updates.zoral.io/appcast";

bool receivesBetaUpdates();
void setReceivesBetaUpdates(bool receives);
// Seconds between automatic checks; 0 when the updater does not check by itself.
std::int64_t updateInterval();
// 0 turns automatic checks off and keeps the interval; any other value turns them on with it.
void setUpdateInterval(std::int64_t seconds);
}  // namespace UpdaterSettings

}  // namespace zoral::app
