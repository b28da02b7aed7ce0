#include "ui/image_assets.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <string>

#include "ui/application.h"
#include "ui/qt_image.h"
#include "ui/resources.h"

namespace zoral::ui {

namespace {

QString assetPath(std::string_view folder, std::string_view name) {
    return QString::fromStdString(
        resourcePath(std::string(folder) + "/" + std::string(name) + ".svg"));
}

bool exists(std::string_view folder, std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           QFile::exists(assetPath(folder, name));
}

Image render(std::string_view folder, std::string_view name, int width, int height) {
    if (width <= 0 || height <= 0 || !exists(folder, name))
        return {};
    // Images with text need the toolkit's fonts, which its application object brings.
    ensureApplication();
    QSvgRenderer renderer(assetPath(folder, name));
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

// An asset in its own colours says so in its first line.
constexpr const char* fullColourMark = "<!-- full colour -->";

}  // namespace

bool hasImageAsset(std::string_view name) {
    return exists("images", name);
}

bool hasSymbol(std::string_view name) {
    return exists("symbols", name);
}

Image renderImageAsset(std::string_view name, int width, int height) {
    return render("images", name, width, height);
}

Image renderSymbol(std::string_view name, int width, int height) {
    return render("symbols", name, width, height);
}

bool isTemplateImageAsset(std::string_view name) {
    if (!hasImageAsset(name))
        return true;
    QFile file(assetPath("images", name));
    if (!file.open(QIODevice::ReadOnly))
        return true;
    return !file.readLine().contains(fullColourMark);
}

platform::CGSize imageAssetSize(std::string_view name) {
    if (!hasImageAsset(name))
        return {};
    const QSvgRenderer renderer(assetPath("images", name));
    const QSize size = renderer.defaultSize();
    return {static_cast<double>(size.width()), static_cast<double>(size.height())};
}

}  // namespace zoral::ui
