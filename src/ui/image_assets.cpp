#include "ui/image_assets.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <string>

#include "ui/qt_image.h"
#include "ui/resources.h"

namespace zoral::ui {

namespace {

QString assetPath(std::string_view name) {
    return QString::fromStdString(resourcePath("images/" + std::string(name) + ".svg"));
}

}  // namespace

bool hasImageAsset(std::string_view name) {
    return !name.empty() && QFile::exists(assetPath(name));
}

Image renderImageAsset(std::string_view name, int width, int height) {
    if (width <= 0 || height <= 0 || !hasImageAsset(name))
        return {};
    QSvgRenderer renderer(assetPath(name));
    if (!renderer.isValid())
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, width, height));
    painter.end();
    return fromQImage(image);
}

}  // namespace zoral::ui
