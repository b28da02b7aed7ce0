#pragma once

// The simulated system's colours: the user's accent colour, kept where the system keeps it (an
// integer under "AppleAccentColor" in the global domain: -1 graphite, 0 red, 1 orange, 2 yellow,
// 3 green, 4 blue, 5 purple, 6 pink; missing means blue), offered from system version 10.14 on,
// and the system's blue and grey. Each colour has a light and a dark shade, chosen by the
// appearance ("AppleInterfaceStyle" in the global domain).

#include <cstdint>
#include <optional>

namespace zoral::sim {

// Stores the accent colour's number, or removes it with none (the default blue).
void setAccentColor(std::optional<std::int64_t> accent);

}  // namespace zoral::sim
