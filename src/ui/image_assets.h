#pragma once

// The program's image assets: compiled-in vector images, looked up by name and drawn at any size.
// Most are template images, drawn in black on transparency for use as alpha masks and for tints;
// a few (the status lights) are drawn in their own colours. Symbols are template images too, kept
// apart under the names of the system's symbol set.

#include <string_view>

#include "platform/geometry.h"
#include "ui/image.h"

namespace zoral::ui {

bool hasImageAsset(std::string_view name);
bool hasSymbol(std::string_view name);

// The asset drawn to fill a width x height image; an empty image for a name without an asset.
Image renderImageAsset(std::string_view name, int width, int height);
Image renderSymbol(std::string_view name, int width, int height);

// False for an asset drawn in its own colours; true for a template and for no asset.
bool isTemplateImageAsset(std::string_view name);
// The size the asset is drawn at by default; zero for no asset.
platform::CGSize imageAssetSize(std::string_view name);

}  // namespace zoral::ui
