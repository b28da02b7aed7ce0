#include "ui/table_view.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "ui/color.h"
#include "ui/painting.h"
#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

// Rows stand inset from the sides, as a sidebar's do, with the selection rounded.
constexpr int sideInset = 8;

class TableWidget final : public ForwardingWidget<QWidget> {
public:
    explicit TableWidget(View& owner) : ForwardingWidget<QWidget>(owner) {
        setFocusPolicy(Qt::StrongFocus);
    }

    QSize sizeHint() const override {
        const auto& table = dynamic_cast<const TableView&>(owner());
        return {120, static_cast<int>(std::lround(table.rowHeight() *
                                                  static_cast<double>(table.numberOfRows())))};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ForwardingWidget<QWidget>::mousePressEvent(event);
        event->accept();
        auto& table = dynamic_cast<TableView&>(owner());
        const auto row =
            static_cast<std::int64_t>(std::floor(event->position().y() / table.rowHeight()));
        table.userSelectRow(row < table.numberOfRows() ? row : -1);
    }

    void keyPressEvent(QKeyEvent* event) override {
        auto& table = dynamic_cast<TableView&>(owner());
        const std::int64_t selected = table.selectedRow();
        if (event->key() == Qt::Key_Down && selected + 1 < table.numberOfRows()) {
            table.userSelectRow(selected + 1);
        } else if (event->key() == Qt::Key_Up && selected > 0) {
            table.userSelectRow(selected - 1);
        } else {
            ForwardingWidget<QWidget>::keyPressEvent(event);
            return;
        }
        event->accept();
    }

    void resizeEvent(QResizeEvent* event) override {
        ForwardingWidget<QWidget>::resizeEvent(event);
        dynamic_cast<TableView&>(owner()).tile();
    }

    void paintEvent(QPaintEvent*) override {
        const auto& table = dynamic_cast<const TableView&>(owner());
        if (table.selectedRow() < 0)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double top = table.rowHeight() * static_cast<double>(table.selectedRow());
        QPainterPath path;
        path.addRoundedRect(
            QRectF(sideInset, top + 1, width() - 2 * sideInset, table.rowHeight() - 2), 5, 5);
        painter.fillPath(path, QColor(0, 0, 0, 28));
    }
};

}  // namespace

TableView::TableView() : View(std::make_unique<TableWidget>(*this)) {}

void TableView::addColumn(std::string identifier) {
    columns_.push_back(std::move(identifier));
}

void TableView::setRowHeight(double height) {
    rowHeight_ = height;
    tile();
}

void TableView::reloadData() {
    for (const auto& row : rows_) {
        if (row)
            row->removeFromSuperview();
    }
    rows_.clear();
    const std::int64_t count = dataSource_ != nullptr ? dataSource_->numberOfRows(*this) : 0;
    const std::string column = columns_.empty() ? std::string() : columns_.front();
    for (std::int64_t row = 0; row < count; ++row) {
        auto view = delegate_ != nullptr ? delegate_->viewForRow(*this, column, row) : nullptr;
        if (view)
            addSubview(view);
        rows_.push_back(std::move(view));
    }
    if (selected_ >= count)
        selected_ = -1;
    tile();
}

bool TableCellView::connectOutlet(const std::string& name, const std::shared_ptr<View>& view) {
    if (name == "imageView") {
        imageView_ = std::dynamic_pointer_cast<ImageView>(view);
        return imageView_ != nullptr;
    }
    if (name == "textField") {
        textField_ = std::dynamic_pointer_cast<TextField>(view);
        return textField_ != nullptr;
    }
    return false;
}

void TableView::registerView(const std::string& identifier, ViewMaker maker) {
    makers_[identifier] = std::move(maker);
}

std::shared_ptr<View> TableView::makeView(const std::string& identifier) const {
    const auto found = makers_.find(identifier);
    return found != makers_.end() && found->second ? found->second() : nullptr;
}

std::shared_ptr<View> TableView::viewAtRow(std::int64_t row) const {
    if (row < 0 || row >= numberOfRows())
        return nullptr;
    return rows_[static_cast<std::size_t>(row)];
}

void TableView::selectRow(std::int64_t row) {
    selected_ = row >= 0 && row < numberOfRows() ? row : -1;
    qtWidget(*this)->update();
}

void TableView::userSelectRow(std::int64_t row) {
    const std::int64_t before = selected_;
    selectRow(row);
    if (selected_ != before && delegate_ != nullptr)
        delegate_->selectionDidChange(*this);
}

void TableView::tile() {
    QWidget* widget = qtWidget(*this);
    const int width = std::max(widget->width(), widget->sizeHint().width());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i])
            continue;
        rows_[i]->setFrame({static_cast<double>(sideInset), rowHeight_ * static_cast<double>(i),
                            static_cast<double>(width - 2 * sideInset), rowHeight_});
    }
    widget->updateGeometry();
}

}  // namespace zoral::ui
