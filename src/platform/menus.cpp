#include "platform/menus.h"

#include <utility>

namespace zoral::platform {

namespace {

struct MadeItem : MenuItem {};

// The modifiers a key equivalent names.
constexpr CGEventFlags equivalentModifiers = CGEventFlags::maskCommand |
                                             CGEventFlags::maskAlternate |
                                             CGEventFlags::maskControl | CGEventFlags::maskShift;

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char16_t lowered(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool typesEquivalent(const MenuItem& item, const NSEvent& event) {
    // Key equivalents are single characters of the keyboard's plain range.
    if (item.keyEquivalent.size() != 1 || event.charactersIgnoringModifiers.size() != 1)
        return false;
    const auto equivalent =
        static_cast<char16_t>(static_cast<unsigned char>(item.keyEquivalent[0]));
    const char16_t typed = event.charactersIgnoringModifiers[0];
    CGEventFlags wanted = item.keyEquivalentModifierMask & equivalentModifiers;
    CGEventFlags held = event.modifierFlags & equivalentModifiers;
    if (isAsciiLetter(equivalent)) {
        if (lowered(typed) != lowered(equivalent))
            return false;
        if (equivalent != lowered(equivalent))
            wanted |= CGEventFlags::maskShift;
    } else {
        if (typed != equivalent)
            return false;
        // The character itself may need Shift on the user's keyboard.
        if (!wanted.contains(CGEventFlags::maskShift))
            held &= ~CGEventFlags::maskShift;
    }
    return held == wanted;
}

bool performIn(Menu& menu, const NSEvent& event) {
    // A copy: an action may change the menu.
    const auto items = menu.items;
    for (const auto& item : items) {
        if (item->hidden || item->isSeparatorItem())
            continue;
        if (item->enabled && item->action && !item->submenu && typesEquivalent(*item, event)) {
            const auto chosen = item;
            chosen->action(*chosen);
            return true;
        }
        if (item->submenu && performIn(*item->submenu, event))
            return true;
    }
    return false;
}

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

bool Menu::performKeyEquivalent(const NSEvent& event) {
    if (event.type != NSEventType::keyDown)
        return false;
    return performIn(*this, event);
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
