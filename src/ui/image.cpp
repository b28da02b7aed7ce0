#include "ui/image.h"

#include <algorithm>
#include <cstring>

#include "ui/qt_image.h"

namespace zoral::ui {

Image::Image(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

std::uint32_t Image::argb(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Image::setArgb(int x, int y, std::uint32_t argb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = argb;
}

platform::RGBColor Image::pixel(int x, int y) const {
    const std::uint32_t value = argb(x, y);
    const double alpha = static_cast<double>((value >> 24) & 0xFF) / 255.0;
    if (alpha == 0)
        return {0, 0, 0, 0};
    const auto channel = [&](int shift) {
        return static_cast<double>((value >> shift) & 0xFF) / 255.0 / alpha;
    };
    return {channel(16), channel(8), channel(0), alpha};
}

bool Image::savePng(const std::string& path) const {
    return !isEmpty() && toQImage(*this).save(QString::fromStdString(path), "PNG");
}

QImage toQImage(const Image& image) {
    QImage result(image.width(), image.height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(result.scanLine(y),
                    image.data().data() +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width()),
                    static_cast<std::size_t>(image.width()) * sizeof(std::uint32_t));
    }
    return result;
}

Image fromQImage(const QImage& source) {
    const QImage converted = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Image image(converted.width(), converted.height());
    for (int y = 0; y < converted.height(); ++y) {
        std::memcpy(image.data().data() +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width()),
                    converted.constScanLine(y),
                    static_cast<std::size_t>(image.width()) * sizeof(std::uint32_t));
    }
    return image;
}

}  // namespace zoral::ui
