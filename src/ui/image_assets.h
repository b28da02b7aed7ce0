#pragma once

// The program's image assets: compiled-in vector symbols, looked up by name and drawn at any size.
// They are drawn in black on transparency, for use as alpha masks and template images.

#include <string_view>

#include "ui/image.h"

namespace zoral::ui {

bool hasImageAsset(std::string_view name);

// The asset drawn to fill a width x height image; an empty image for a name without an asset.
Image renderImageAsset(std::string_view name, int width, int height);

}  // namespace zoral::ui
