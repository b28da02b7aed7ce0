#pragma once

// The window server's spaces: for each display, its identifier, its current space and its spaces
// (desktops and applications in full screen), read through the process's default connection.
//
// Only the declarations live here; the simulated desktop (sim/) defines them. The result keeps the
// window server's own shape (an array with one dictionary per display), because callers must
// tolerate entries that lack a key.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/plist_object.h"

namespace zoral::platform {

using CGSConnectionID = std::int32_t;

// The keys of one display's dictionary and of its spaces.
inline constexpr std::string_view displayIdentifierKey = "Display Identifier";
inline constexpr std::string_view currentSpaceKey = "Current Space";
inline constexpr std::string_view spacesKey = "Spaces";
inline constexpr std::string_view managedSpaceIDKey = "ManagedSpaceID";
// Present, as a dictionary, on a space that holds an application in full screen.
inline constexpr std::string_view tileLayoutManagerKey = "TileLayoutManager";

// The process's connection to the window server.
CGSConnectionID cgsDefaultConnection();

// An array with one dictionary per display, in the window server's order; none when the window
// server answers nothing.
std::optional<PlistObject> cgsCopyManagedDisplaySpaces(CGSConnectionID connection);

}  // namespace zoral::platform
