#pragma once

// Frames between the system's coordinates (bottom-left origin of the primary display, y upwards)
// and the toolkit's (top-left, y downwards, whole pixels); for the window code of ui/.

#include <QRect>
#include <algorithm>
#include <cmath>

#include "desktop/screen.h"

namespace zoral::ui {

inline QRect topLeftGeometry(const platform::CGRect& frame) {
    const platform::CGRect flipped = desktop::flip(frame);
    return QRect(static_cast<int>(std::lround(flipped.minX())),
                 static_cast<int>(std::lround(flipped.minY())),
                 std::max(1, static_cast<int>(std::lround(flipped.width()))),
                 std::max(1, static_cast<int>(std::lround(flipped.height()))));
}

inline platform::CGRect bottomLeftFrame(const QRect& geometry) {
    return desktop::flip(
        platform::CGRect(geometry.x(), geometry.y(), geometry.width(), geometry.height()));
}

}  // namespace zoral::ui
