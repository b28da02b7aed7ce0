#include "ui/stack_view.h"

#include <QBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/box.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

Qt::Alignment itemAlignment(StackAlignment alignment, LayoutOrientation orientation) {
    if (orientation == LayoutOrientation::vertical) {
        switch (alignment) {
            case StackAlignment::leading:
                return Qt::AlignLeft;
            case StackAlignment::trailing:
                return Qt::AlignRight;
            case StackAlignment::centerX:
                return Qt::AlignHCenter;
            default:
                return {};
        }
    }
    switch (alignment) {
        case StackAlignment::top:
        case StackAlignment::firstBaseline:
            return Qt::AlignTop;
        case StackAlignment::bottom:
            return Qt::AlignBottom;
        case StackAlignment::centerY:
            return Qt::AlignVCenter;
        default:
            return {};
    }
}

}  // namespace

StackView::StackView(std::vector<std::shared_ptr<View>> views, LayoutOrientation orientation)
    : orientation_(orientation),
      alignment_(orientation == LayoutOrientation::horizontal ? StackAlignment::centerY
                                                              : StackAlignment::centerX) {
    auto* layout = new QBoxLayout(QBoxLayout::LeftToRight, qtWidget(*this));  // owned by it
    layout->setContentsMargins(0, 0, 0, 0);
    for (auto& view : views)
        arranged_.push_back(std::move(view));
    rebuild();
}

void StackView::addArrangedSubview(std::shared_ptr<View> view) {
    insertArrangedSubview(std::move(view), arranged_.size());
}

void StackView::insertArrangedSubview(std::shared_ptr<View> view, std::size_t index) {
    if (!view)
        return;
    std::erase(arranged_, view);
    arranged_.insert(
        arranged_.begin() + static_cast<std::ptrdiff_t>(std::min(index, arranged_.size())),
        std::move(view));
    rebuild();
}

void StackView::removeArrangedSubview(const std::shared_ptr<View>& view) {
    std::erase(arranged_, view);
    rebuild();
}

void StackView::setOrientation(LayoutOrientation orientation) {
    orientation_ = orientation;
    rebuild();
}

void StackView::setAlignment(StackAlignment alignment) {
    alignment_ = alignment;
    rebuild();
}

void StackView::setDistribution(StackDistribution distribution) {
    distribution_ = distribution;
    rebuild();
}

void StackView::setSpacing(double spacing) {
    spacing_ = spacing;
    rebuild();
}

void StackView::setEdgeInsets(EdgeInsets insets) {
    insets_ = insets;
    rebuild();
}

void StackView::rebuild() {
    auto* layout = dynamic_cast<QBoxLayout*>(qtWidget(*this)->layout());
    while (QLayoutItem* item = layout->takeAt(0))
        delete item;  // the layout's own item; the widgets stay with their views
    const bool vertical = orientation_ == LayoutOrientation::vertical;
    layout->setDirection(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    layout->setSpacing(pixels(spacing_));
    layout->setContentsMargins(pixels(insets_.left), pixels(insets_.top), pixels(insets_.right),
                               pixels(insets_.bottom));
    const Qt::Alignment alignment = itemAlignment(alignment_, orientation_);
    const bool spread = distribution_ == StackDistribution::equalSpacing ||
                        distribution_ == StackDistribution::equalCentering;
    const bool equal = distribution_ == StackDistribution::fillEqually;
    for (std::size_t i = 0; i < arranged_.size(); ++i) {
        const auto& view = arranged_[i];
        if (!view->isSubviewOf(*this))
            addSubview(view);
        if (spread && i > 0)
            layout->addStretch(1);
        // In a column, a separator spans the column whatever the alignment says.
        QWidget* widget = qtWidget(*view);
        const auto* box = dynamic_cast<const Box*>(view.get());
        const bool spans = vertical && box != nullptr && box->boxType() == BoxType::separator;
        layout->addWidget(widget, equal ? 1 : 0, spans ? Qt::Alignment() : alignment);
    }
    // A stack that fills keeps its views at their size from the start of the stack.
    if (distribution_ == StackDistribution::fill ||
        distribution_ == StackDistribution::gravityAreas)
        layout->addStretch(0);
}

}  // namespace zoral::ui
