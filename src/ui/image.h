#pragma once

// Pixels drawn by the program: a width x height image of premultiplied 32-bit ARGB pixels, row by
// row from the top. What a window renders offscreen, what an image asset draws to.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_colors.h"

namespace zoral::ui {

class Image {
public:
    Image() = default;
    // Fully transparent.
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }

    // The premultiplied pixel; 0 outside the image.
    std::uint32_t argb(int x, int y) const;
    // The pixel's colour with its alpha (not premultiplied); transparent outside the image.
    platform::RGBColor pixel(int x, int y) const;
    void setArgb(int x, int y, std::uint32_t argb);

    std::vector<std::uint32_t>& data() { return pixels_; }
    const std::vector<std::uint32_t>& data() const { return pixels_; }

    // Writes a PNG file; false when it cannot be written.
    bool savePng(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

}  // namespace zoral::ui
