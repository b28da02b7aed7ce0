#include "shortcuts/menu_item.h"

#include <any>
#include <utility>

#include "platform/dispatch.h"
#include "platform/notification_center.h"
#include "platform/screens.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcut_display.h"
#include "shortcuts/unicode_text.h"

namespace zoral::shortcuts::GlobalShortcuts {

namespace {

using settings::ModifierFlags;

// Queues of the system's scheduled background activities: menu items are not touched there.
constexpr std::string_view backgroundActivityQueuePrefix = "com.apple.xpc.activity.";

bool localizesKeyEquivalents() {
    return platform::isOperatingSystemAtLeast({12, 0, 0});
}

// A binding's registration with the notification centre, removed when the binding goes.
class ShortcutObserver {
public:
    explicit ShortcutObserver(platform::ObserverToken token) : token_(token) {}
    ~ShortcutObserver() { platform::NotificationCenter::defaultCenter().removeObserver(token_); }
    ShortcutObserver(const ShortcutObserver&) = delete;
    ShortcutObserver& operator=(const ShortcutObserver&) = delete;

private:
    platform::ObserverToken token_;
};

std::shared_ptr<MenuItem> findIn(const Menu& menu, const Shortcut& shortcut,
                                 const std::string& key) {
    const ModifierFlags modifiers = shortcut.modifiers();
    for (const std::shared_ptr<MenuItem>& item : menu.items) {
        std::string equivalent = item->keyEquivalent;
        ModifierFlags mask = item->keyEquivalentModifierMask;
        if (modifiers.contains(ModifierFlags::shift)) {
            // An upper-case equivalent is the lower-case letter with Shift.
            if (std::string lower = lowerCased(equivalent); lower != equivalent) {
                equivalent = std::move(lower);
                mask = mask | ModifierFlags::shift;
            }
        }
        if (equivalent == key && mask == modifiers)
            return item;
        if (item->submenu) {
            if (auto found = findIn(*item->submenu, shortcut, key))
                return found;
        }
    }
    return nullptr;
}

}  // namespace

std::shared_ptr<MenuItem> MenuItem::make(std::string title, std::string keyEquivalent,
                                         ModifierFlags keyEquivalentModifierMask) {
    struct Made : MenuItem {};
    auto item = std::make_shared<Made>();
    item->title = std::move(title);
    item->keyEquivalent = std::move(keyEquivalent);
    item->keyEquivalentModifierMask = keyEquivalentModifierMask;
    return item;
}

const ObjectAssociation<void>& shortcutObserverAssociation() {
    static const ObjectAssociation<void> association(AssociationPolicy::retainNonatomic);
    return association;
}

void MenuItem::bindKeyboardShortcut(const std::optional<Name>& name) {
    if (!name) {
        keyEquivalent.clear();
        keyEquivalentModifierMask = ModifierFlags();
        if (localizesKeyEquivalents())
            allowsAutomaticKeyEquivalentLocalization = true;
        shortcutObserverAssociation().set(*this, nullptr);
        return;
    }
    applyKeyboardShortcut(storedShortcut(*name));
    std::weak_ptr<MenuItem> weakItem = weak_from_this();
    const platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserver(
        std::string(shortcutByNameDidChange), nullptr,
        [bound = *name, weakItem](const platform::Notification& notification) {
            const auto value = notification.userInfo.find(nameUserInfoKey);
            if (value == notification.userInfo.end())
                return;
            const Name* changed = std::any_cast<Name>(&value->second);
            if (changed == nullptr || changed->rawValue != bound.rawValue)
                return;
            if (const auto item = weakItem.lock())
                item->applyKeyboardShortcut(storedShortcut(bound));
        });
    // Replacing the earlier observer removes it from the centre, so that bindings never pile up.
    shortcutObserverAssociation().set(*this, std::make_shared<ShortcutObserver>(token));
}

void MenuItem::applyKeyboardShortcut(const std::optional<Shortcut>& shortcut) {
    if (platform::DispatchQueue::currentLabel().starts_with(backgroundActivityQueuePrefix)) {
        platform::DispatchQueue::main().async(
            [item = shared_from_this(), shortcut] { item->applyKeyboardShortcut(shortcut); });
        return;
    }
    if (shortcut) {
        keyEquivalent = menuKeyEquivalent(*shortcut);
        keyEquivalentModifierMask = shortcut->modifiers();
    } else {
        keyEquivalent.clear();
        keyEquivalentModifierMask = ModifierFlags();
    }
    if (localizesKeyEquivalents())
        allowsAutomaticKeyEquivalentLocalization = !shortcut.has_value();
}

std::shared_ptr<MenuItem> findMenuItemConflict(const Menu& menu, const Shortcut& shortcut) {
    const std::optional<std::string> key = keyString(shortcut);
    if (!key)
        return nullptr;
    return findIn(menu, shortcut, *key);
}

}  // namespace zoral::shortcuts::GlobalShortcuts
