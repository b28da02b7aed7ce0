#pragma once

// The window server's list of windows, as the system's window services give
// it: one dictionary per window, front to back, with the keys
// "kCGWindowLayer", "kCGWindowOwnerPID", "kCGWindowOwnerName",
// "kCGWindowNumber", "kCGWindowName" (when the window has a title) and
// "kCGWindowBounds" (a dictionary of "X", "Y", "Width" and "Height" in
// top-left coordinates).

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/option_set.h"
#include "platform/plist_object.h"

namespace zoral::platform {

// The keys of one window's dictionary, and of its bounds.
inline constexpr std::string_view windowLayerKey = "kCGWindowLayer";
inline constexpr std::string_view windowOwnerPIDKey = "kCGWindowOwnerPID";
inline constexpr std::string_view windowOwnerNameKey = "kCGWindowOwnerName";
inline constexpr std::string_view windowNumberKey = "kCGWindowNumber";
inline constexpr std::string_view windowNameKey = "kCGWindowName";
inline constexpr std::string_view windowBoundsKey = "kCGWindowBounds";
inline constexpr std::string_view boundsXKey = "X";
inline constexpr std::string_view boundsYKey = "Y";
inline constexpr std::string_view boundsWidthKey = "Width";
inline constexpr std::string_view boundsHeightKey = "Height";

using WindowID = std::uint32_t;
inline constexpr WindowID nullWindowID = 0;

class WindowListOptions : public OptionSet<WindowListOptions, std::uint32_t> {
public:
    using OptionSet::OptionSet;
};

inline constexpr WindowListOptions windowListOptionAll{0u};
inline constexpr WindowListOptions windowListOptionOnScreenOnly{1u << 0};
inline constexpr WindowListOptions windowListOptionOnScreenAboveWindow{1u << 1};
inline constexpr WindowListOptions windowListOptionOnScreenBelowWindow{1u << 2};
inline constexpr WindowListOptions windowListOptionIncludingWindow{1u << 3};
inline constexpr WindowListOptions windowListExcludeDesktopElements{1u << 4};

// None when the window server cannot be asked.
std::optional<std::vector<PlistDictionary>> windowListCopyWindowInfo(WindowListOptions options,
                                                                     WindowID relativeToWindow);

}  // namespace zoral::platform
