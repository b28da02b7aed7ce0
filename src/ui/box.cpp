#include "ui/box.h"

#include <QPainter>

#include "ui/color.h"
#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

class BoxWidget final : public ForwardingWidget<QWidget> {
public:
    BoxWidget(View& owner, BoxType type) : ForwardingWidget<QWidget>(owner), type_(type) {
        if (type == BoxType::separator)
            setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        return type_ == BoxType::separator ? QSize(100, 1) : QSize(100, 100);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor line =
            toQColor(Color(SystemColor::separator).resolved(systemAppearanceName()));
        if (type_ == BoxType::separator) {
            painter.fillRect(QRect(0, height() / 2, width(), 1), line);
            return;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(line, 1));
        painter.setBrush(QColor(0, 0, 0, 10));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    }

private:
    BoxType type_;
};

}  // namespace

Box::Box(BoxType type) : View(std::make_unique<BoxWidget>(*this, type)), type_(type) {}

}  // namespace zoral::ui
