#pragma once

// The colours that the system chooses: the user's accent colour (from the system version that
// introduced it; none before) and the system's blue and grey, each as the current appearance
// shows it.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <optional>
#include <string_view>

namespace zoral::platform {

// Device-independent components in the range 0 to 1.
struct RGBColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    friend constexpr bool operator==(const RGBColor&, const RGBColor&) = default;
};

// The setting under which the system keeps the user's accent colour, in the global domain of the
// user defaults; missing means the default (blue).
inline constexpr std::string_view accentColorKey = "AppleAccentColor";

// NSColor.controlAccentColor; none on a system older than the one that introduced it.
std::optional<RGBColor> controlAccentColor();
// NSColor.systemBlueColor and NSColor.systemGrayColor.
RGBColor systemBlueColor();
RGBColor systemGrayColor();

}  // namespace zoral::platform
