#include "ui/layout_guide.h"

#include <QGridLayout>
#include <cmath>

#include "ui/qt_view.h"

namespace zoral::ui {

void pin(View& view, View& other, double inset, PinBottom bottom) {
    if (!view.isSubviewOf(other))
        other.addSubview(view.shared_from_this());
    QWidget* container = qtWidget(other);
    auto* grid = dynamic_cast<QGridLayout*>(container->layout());
    if (grid == nullptr) {
        grid = new QGridLayout(container);  // owned by the container
        grid->setSpacing(0);
    }
    const int margin = static_cast<int>(std::lround(inset));
    grid->setContentsMargins(margin, margin, margin, margin);
    QWidget* widget = qtWidget(view);
    grid->removeWidget(widget);
    grid->addWidget(widget, 0, 0, bottom == PinBottom::equal ? Qt::Alignment() : Qt::AlignTop);
    if (bottom == PinBottom::atMost)
        grid->setRowStretch(0, 1);
}

}  // namespace zoral::ui
