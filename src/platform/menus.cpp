#include "platform/menus.h"

#include <utility>

namespace zoral::platform {

namespace {

struct MadeItem : MenuItem {};

}  // namespace

std::shared_ptr<MenuItem> MenuItem::make(std::string title, std::string keyEquivalent,
                                         NSEventModifierFlags keyEquivalentModifierMask) {
    auto item = std::make_shared<MadeItem>();
    item->title_ = std::move(title);
    item->keyEquivalent = std::move(keyEquivalent);
    item->keyEquivalentModifierMask = keyEquivalentModifierMask;
    return item;
}

std::shared_ptr<MenuItem> MenuItem::separatorItem() {
    auto item = make("", "", {});
    item->separator_ = true;
    item->enabled = false;
    return item;
}

void MenuItem::setTitle(std::string title) {
    title_ = std::move(title);
    attributedTitle_.reset();
}

void MenuItem::setAttributedTitle(std::optional<AttributedString> title) {
    if (title)
        title_ = title->string();
    attributedTitle_ = std::move(title);
}

AttributedString MenuItem::displayedTitle() const {
    return attributedTitle_ ? *attributedTitle_ : AttributedString(title_);
}

std::shared_ptr<MenuItem> Menu::itemWithTitle(std::string_view wanted) const {
    for (const auto& item : items) {
        if (item->title() == wanted)
            return item;
    }
    return nullptr;
}

std::vector<std::shared_ptr<MenuItem>> Menu::visibleItems() const {
    std::vector<std::shared_ptr<MenuItem>> shown;
    for (const auto& item : items) {
        if (!item->hidden)
            shown.push_back(item);
    }
    return shown;
}

}  // namespace zoral::platform
