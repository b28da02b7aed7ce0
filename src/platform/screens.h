#pragma once

// The displays in the system's terms: each display's frame and visible frame (the frame less the
// menu bar and the Dock) in the bottom-left coordinates of the primary display (y upwards), its
// device description with its number, its UUID; the main screen; the mouse location in the same
// coordinates; the notification that the display configuration changed; and the version of the
// system, which decides what the system offers.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/geometry.h"
#include "platform/plist_object.h"

namespace zoral::platform {

// One display as the application toolkit describes it at the moment it is asked: a snapshot, so a
// later change of the displays does not change it.
class NSScreen {
public:
    NSScreen(CGRect frame, CGRect visibleFrame, PlistDictionary deviceDescription)
        : frame_(frame),
          visibleFrame_(visibleFrame),
          deviceDescription_(std::move(deviceDescription)) {}

    // Every display, the primary one (whose frame's origin is (0, 0)) first.
    static std::vector<NSScreen> screens();
    // The display of the window that takes keyboard input; none without displays.
    static std::optional<NSScreen> main();

    const CGRect& frame() const { return frame_; }
    const CGRect& visibleFrame() const { return visibleFrame_; }
    // Holds the display's number under screenNumberKey.
    const PlistDictionary& deviceDescription() const { return deviceDescription_; }

    friend bool operator==(const NSScreen&, const NSScreen&) = default;

private:
    CGRect frame_;
    CGRect visibleFrame_;
    PlistDictionary deviceDescription_;
};

inline constexpr std::string_view screenNumberKey = "NSScreenNumber";

// Posted on the process's notification centre when displays are added, removed, moved or resized,
// or their visible frames change.
inline constexpr std::string_view applicationDidChangeScreenParametersNotification =
    "NSApplicationDidChangeScreenParametersNotification";

using CGDirectDisplayID = std::uint32_t;

// The display's UUID as text; none for a number that no display has.
std::optional<std::string> displayCreateUUIDFromDisplayID(CGDirectDisplayID display);

// The pointer in bottom-left coordinates.
CGPoint mouseLocation();

struct OperatingSystemVersion {
    std::int64_t majorVersion = 0;
    std::int64_t minorVersion = 0;
    std::int64_t patchVersion = 0;

    friend constexpr auto operator<=>(const OperatingSystemVersion&,
                                      const OperatingSystemVersion&) = default;
};

OperatingSystemVersion operatingSystemVersion();
inline bool isOperatingSystemAtLeast(const OperatingSystemVersion& version) {
    return operatingSystemVersion() >= version;
}

}  // namespace zoral::platform
