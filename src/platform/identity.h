#pragma once

// The program's identity: the one place where its name, bundle identifier and
// versions are fixed.

#include <string_view>

namespace zoral::platform::identity {

inline constexpr std::string_view appName = "Zoral";
inline constexpr std::string_view bundleIdentifier = "io.zoral.Zoral";
inline constexpr std::string_view shortVersion = "1.0";
// Increases with every release; settings migrations and onboarding compare it.
inline constexpr int buildVersion = 100;

}  // namespace zoral::platform::identity
