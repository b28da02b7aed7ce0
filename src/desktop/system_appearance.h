#pragma once

// The system's light or dark appearance, and its change notification.

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/enum_table.h"
#include "platform/notification_center.h"

namespace zoral::desktop {

enum class SystemAppearance : std::uint8_t { light, dark };

}  // namespace zoral::desktop

namespace zoral::platform {

template <>
struct EnumTable<desktop::SystemAppearance> {
    using enum desktop::SystemAppearance;
    static constexpr std::array<NamedCase<desktop::SystemAppearance>, 2> cases{{
        {light, "light"},
        {dark, "dark"},
    }};
};

static_assert(tableFollowsDeclarationOrder<desktop::SystemAppearance>());

}  // namespace zoral::platform

namespace zoral::desktop {

inline constexpr std::string_view interfaceStyleKey = "AppleInterfaceStyle";
inline constexpr std::string_view themeChangedNotification =
    "AppleInterfaceThemeChangedNotification";

// Whether the system has a dark appearance at all: from 10.14 on. Older systems have none and
// always look light, whatever the user defaults hold.
bool systemHasDarkAppearance();

// dark when the user defaults hold the string "Dark" under "AppleInterfaceStyle", light otherwise
// (also when the key is missing).
SystemAppearance currentSystemAppearance();

// Calls the handler with the appearance read at that moment whenever the system announces a theme
// change (on the main queue). The program registers once and keeps the registration; the token
// lets tests remove it.
platform::ObserverToken observeThemeChanges(std::function<void(SystemAppearance)> handler);

}  // namespace zoral::desktop
