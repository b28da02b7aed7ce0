#include "ui/pop_up_button.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

QComboBox& boxOf(const View& view) {
    return *dynamic_cast<QComboBox*>(qtWidget(view));
}

}  // namespace

PopUpButton::PopUpButton() : Control(std::make_unique<ForwardingWidget<QComboBox>>(*this)) {
    QComboBox& box = boxOf(*this);
    box.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QObject::connect(&box, &QComboBox::activated, [this](int) { sendAction(); });
}

void PopUpButton::removeAllItems() {
    QComboBox& box = boxOf(*this);
    const QSignalBlocker quiet(box);
    box.clear();
    items_.clear();
}

void PopUpButton::addItem(MenuItem item) {
    QComboBox& box = boxOf(*this);
    const QSignalBlocker quiet(box);
    box.addItem(QString::fromStdString(item.title));
    box.setItemData(box.count() - 1, QString::fromStdString(item.toolTip), Qt::ToolTipRole);
    items_.push_back(std::move(item));
}

int PopUpButton::indexOfSelectedItem() const {
    return boxOf(*this).currentIndex();
}

std::optional<MenuItem> PopUpButton::selectedItem() const {
    const int index = indexOfSelectedItem();
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size())
        return std::nullopt;
    return items_[static_cast<std::size_t>(index)];
}

void PopUpButton::selectItem(int index) {
    QComboBox& box = boxOf(*this);
    const QSignalBlocker quiet(box);
    box.setCurrentIndex(index >= 0 && index < box.count() ? index : -1);
}

bool PopUpButton::selectItemWithTitle(const std::string& title) {
    const auto found = std::ranges::find(items_, title, &MenuItem::title);
    if (found == items_.end())
        return false;
    selectItem(static_cast<int>(found - items_.begin()));
    return true;
}

void PopUpButton::setBordered(bool bordered) {
    bordered_ = bordered;
    boxOf(*this).setFrame(bordered);
}

}  // namespace zoral::ui
