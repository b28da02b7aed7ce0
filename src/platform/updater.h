#pragma once

// The update framework's shared updater, as far as the program's settings reach it: the address
// of the update feed, whether it checks for updates by itself, and how often. There may be no
// updater at all (a build without updates); every call then does nothing and reads as empty.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <optional>
#include <string>

namespace zoral::platform::updater {

bool exists();
// None when the updater has no feed, or when there is no updater.
std::optional<std::string> feedURL();
void setFeedURL(std::optional<std::string> url);
bool automaticallyChecksForUpdates();
void setAutomaticallyChecksForUpdates(bool checks);
// Seconds between automatic checks.
double updateCheckInterval();
void setUpdateCheckInterval(double seconds);
// Checks the feed for a newer version now, as the user asked for it; nothing without an updater.
// The updater shows what it finds in windows of its own.
void checkForUpdates();

}  // namespace zoral::platform::updater
