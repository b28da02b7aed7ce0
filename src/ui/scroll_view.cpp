#include "ui/scroll_view.h"

#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

QScrollArea& areaOf(const View& view) {
    return *dynamic_cast<QScrollArea*>(qtWidget(view));
}

}  // namespace

void ClipView::scrollToPoint(platform::CGPoint point) {
    if (area_ == nullptr)
        return;
    flushLayout();
    QScrollBar* vertical = area_->verticalScrollBar();
    QScrollBar* horizontal = area_->horizontalScrollBar();
    const int y = static_cast<int>(std::lround(point.y));
    vertical->setValue(isFlipped() ? y : vertical->maximum() - y);
    horizontal->setValue(static_cast<int>(std::lround(point.x)));
}

platform::CGRect ClipView::documentVisibleRect() const {
    if (area_ == nullptr)
        return {};
    flushLayout();
    const QSize viewport = area_->viewport()->size();
    return {static_cast<double>(area_->horizontalScrollBar()->value()),
            static_cast<double>(area_->verticalScrollBar()->value()),
            static_cast<double>(viewport.width()), static_cast<double>(viewport.height())};
}

ScrollView::ScrollView() : View(std::make_unique<ForwardingWidget<QScrollArea>>(*this)) {
    QScrollArea& area = areaOf(*this);
    area.setWidgetResizable(true);
    area.setFrameShape(QFrame::NoFrame);
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContentView(std::make_shared<ClipView>());
}

ScrollView::~ScrollView() {
    // The document's widget is its view's, not the scroll area's to delete.
    areaOf(*this).takeWidget();
}

void ScrollView::setContentView(std::shared_ptr<ClipView> clip) {
    if (!clip)
        return;
    if (clip_)
        clip_->area_ = nullptr;
    clip_ = std::move(clip);
    clip_->area_ = &areaOf(*this);
    applyClip();
}

void ScrollView::setDocumentView(std::shared_ptr<View> document) {
    QScrollArea& area = areaOf(*this);
    area.takeWidget();
    if (document_)
        document_->removeFromSuperview();
    document_ = std::move(document);
    if (!document_)
        return;
    addSubview(document_);
    area.setWidget(qtWidget(*document_));
    qtWidget(*document_)->setVisible(!document_->isHidden());
    applyClip();
}

void ScrollView::setHasVerticalScroller(bool has) {
    vertical_ = has;
    areaOf(*this).setVerticalScrollBarPolicy(has ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void ScrollView::setHasHorizontalScroller(bool has) {
    horizontal_ = has;
    areaOf(*this).setHorizontalScrollBarPolicy(has ? Qt::ScrollBarAsNeeded
                                                   : Qt::ScrollBarAlwaysOff);
}

void ScrollView::setDrawsBackground(bool draws) {
    areaOf(*this).viewport()->setAutoFillBackground(draws);
}

void ScrollView::applyClip() {
    areaOf(*this).setAlignment(Qt::AlignLeft |
                               (clip_->isFlipped() ? Qt::AlignTop : Qt::AlignBottom));
}

}  // namespace zoral::ui
