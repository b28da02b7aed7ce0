#include "ui/toolbar.h"

#include <algorithm>

namespace zoral::ui {

Toolbar::Toolbar(std::string identifier)
    : identifier_(std::move(identifier)), row_(std::make_shared<StackView>()) {
    row_->setSpacing(8);
}

void Toolbar::insertItem(const std::string& identifier, std::size_t index) {
    if (delegate_ == nullptr)
        return;
    auto item = delegate_->itemForIdentifier(*this, identifier, true);
    if (!item)
        return;
    const std::size_t at = std::min(index, items_.size());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
    if (item->view)
        row_->insertArrangedSubview(item->view, at);
}

void Toolbar::removeItem(std::size_t index) {
    if (index >= items_.size())
        return;
    const auto item = items_[index];
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    if (item->view) {
        row_->removeArrangedSubview(item->view);
        item->view->removeFromSuperview();
    }
}

void Toolbar::fillWithDefaultItems() {
    if (delegate_ == nullptr || !items_.empty())
        return;
    for (const std::string& identifier : delegate_->toolbarDefaultItemIdentifiers(*this))
        insertItem(identifier, items_.size());
}

}  // namespace zoral::ui
