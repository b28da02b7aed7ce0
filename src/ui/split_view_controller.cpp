#include "ui/split_view_controller.h"

#include <QBoxLayout>
#include <QPainter>
#include <QSplitter>
#include <cmath>

#include "ui/color.h"
#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

// The split view: a splitter whose panes are the items' views.
class SplitView final : public View {
public:
    SplitView() : View(std::make_unique<ForwardingWidget<QSplitter>>(*this, Qt::Horizontal)) {
        auto* splitter = dynamic_cast<QSplitter*>(qtWidget(*this));
        splitter->setChildrenCollapsible(false);
    }

    void addPane(const std::shared_ptr<View>& pane) {
        addSubview(pane);
        auto* splitter = dynamic_cast<QSplitter*>(qtWidget(*this));
        splitter->addWidget(qtWidget(*pane));
        qtWidget(*pane)->setVisible(!pane->isHidden());
    }
};

// A sidebar's pane: its view on the sidebar's own shade.
class SidebarPane final : public View {
public:
    SidebarPane() : View(std::make_unique<Widget>(*this)) {}

private:
    class Widget final : public ForwardingWidget<QWidget> {
    public:
        explicit Widget(View& owner) : ForwardingWidget<QWidget>(owner) {}

    protected:
        void paintEvent(QPaintEvent*) override {
            QPainter painter(this);
            painter.fillRect(rect(), QColor(0xE4, 0xE4, 0xE6));
        }
    };
};

}  // namespace

void SplitViewController::loadView() {
    setView(std::make_shared<SplitView>());
    for (const SplitViewItem& item : items_)
        place(item);
    applyDivider();
}

QSplitter* SplitViewController::splitter() const {
    return isViewLoaded()
               ? dynamic_cast<QSplitter*>(qtWidget(*const_cast<SplitViewController*>(this)->view()))
               : nullptr;
}

void SplitViewController::addSplitViewItem(SplitViewItem item) {
    items_.push_back(std::move(item));
    if (isViewLoaded()) {
        place(items_.back());
        applyDivider();
    }
}

void SplitViewController::place(const SplitViewItem& item) {
    auto& split = dynamic_cast<SplitView&>(*view());
    std::shared_ptr<View> pane = item.viewController->view();
    if (item.kind == SplitItemKind::sidebar) {
        auto background = std::make_shared<SidebarPane>();
        background->addSubview(pane);
        auto* layout = new QHBoxLayout(qtWidget(*background));  // owned by the pane
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(qtWidget(*pane));
        pane = background;
    }
    if (item.minimumThickness > 0)
        pane->setMinimumWidth(item.minimumThickness);
    if (item.maximumThickness > 0)
        pane->setMaximumWidth(item.maximumThickness);
    split.addPane(pane);
    QSplitter* widget = splitter();
    const int index = widget->count() - 1;
    // The sidebar keeps its width when the window grows; the content takes the rest.
    widget->setStretchFactor(index, item.kind == SplitItemKind::sidebar ? 0 : 1);
    widget->setCollapsible(index, item.canCollapse);
}

void SplitViewController::setDividerStyle(DividerStyle style) {
    dividerStyle_ = style;
    applyDivider();
}

void SplitViewController::setDividerDraggable(bool draggable) {
    draggable_ = draggable;
    applyDivider();
}

void SplitViewController::applyDivider() {
    QSplitter* widget = splitter();
    if (widget == nullptr)
        return;
    widget->setHandleWidth(dividerStyle_ == DividerStyle::thin
                               ? 1
                               : pixels(dividerStyle_ == DividerStyle::thick ? 6 : 9));
    for (int i = 0; i < widget->count(); ++i) {
        if (QSplitterHandle* handle = widget->handle(i))
            handle->setEnabled(draggable_);
    }
}

}  // namespace zoral::ui
