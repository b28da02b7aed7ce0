#include "ui/status_item_painting.h"

#include <QImage>
#include <QPainter>
#include <cmath>

#include "ui/application.h"
#include "ui/image_assets.h"
#include "ui/painting.h"
#include "ui/qt_image.h"

namespace zoral::ui {

platform::RGBColor menuBarColour(AppearanceName appearance) {
    return isDark(appearance) ? platform::RGBColor{0.16, 0.16, 0.17, 1}
                              : platform::RGBColor{0.93, 0.93, 0.94, 1};
}

platform::RGBColor menuBarTextColour(AppearanceName appearance) {
    return isDark(appearance) ? platform::RGBColor{1, 1, 1, 0.88}
                              : platform::RGBColor{0, 0, 0, 0.85};
}

Image renderStatusItem(platform::StatusItem& item, const StatusItemLook& look) {
    platform::StatusBarButton* button = item.button();
    if (button == nullptr || !item.isVisible() || look.thickness <= 0 || look.scale <= 0)
        return {};
    ensureApplication();
    const double width = item.length() >= 0 ? item.length() : look.thickness;
    const int pixelWidth = static_cast<int>(std::lround(width * look.scale));
    const int pixelHeight = static_cast<int>(std::lround(look.thickness * look.scale));
    if (pixelWidth <= 0 || pixelHeight <= 0)
        return {};
    QImage piece(pixelWidth, pixelHeight, QImage::Format_ARGB32_Premultiplied);
    piece.fill(toQColor(menuBarColour(look.appearance)));
    QPainter painter(&piece);
    painter.setRenderHint(QPainter::Antialiasing);
    if (look.highlighted) {
        const platform::RGBColor highlight = isDark(look.appearance)
                                                 ? platform::RGBColor{1, 1, 1, 0.2}
                                                 : platform::RGBColor{0, 0, 0, 0.1};
        const double inset = 2 * look.scale;
        painter.setPen(Qt::NoPen);
        painter.setBrush(toQColor(highlight));
        painter.drawRoundedRect(QRectF(0, inset, pixelWidth, pixelHeight - 2 * inset),
                                4 * look.scale, 4 * look.scale);
    }
    if (const auto name = button->image()) {
        const int side = static_cast<int>(std::lround(statusItemImageSize * look.scale));
        QImage shape = toQImage(renderImageAsset(*name, side, side));
        if (!shape.isNull()) {
            // A template: its alpha is the shape, the bar gives the colour.
            QPainter tint(&shape);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(shape.rect(), toQColor(menuBarTextColour(look.appearance)));
            tint.end();
            painter.setOpacity(button->appearsDisabled() ? 0.5 : 1.0);
            painter.drawImage(QPointF((pixelWidth - side) / 2.0, (pixelHeight - side) / 2.0),
                              shape);
        }
    }
    painter.end();
    return fromQImage(piece);
}

}  // namespace zoral::ui
