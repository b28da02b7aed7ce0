#pragma once

// Where the program's compiled-in resources (images, named colours) are found.

#include <string>
#include <string_view>

namespace zoral::ui {

// The resource path of a file of src/ui/resources, such as "images/TooltipX.svg".
std::string resourcePath(std::string_view relative);

}  // namespace zoral::ui
