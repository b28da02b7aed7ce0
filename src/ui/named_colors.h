#pragma once

// The program's named colours: compiled-in resources, each with a shade for light and one for dark
// appearances, looked up by name.

#include <optional>
#include <string_view>

#include "platform/system_colors.h"
#include "ui/appearance.h"

namespace zoral::ui {

// The colour's shade for the appearance; none for a name the program has no colour for.
std::optional<platform::RGBColor> namedColor(std::string_view name, AppearanceName appearance);

}  // namespace zoral::ui
