#pragma once

// Between the program's images and the toolkit's; for the drawing code of ui/ only.

#include <QImage>

#include "ui/image.h"

namespace zoral::ui {

QImage toQImage(const Image& image);
Image fromQImage(const QImage& image);

}  // namespace zoral::ui
