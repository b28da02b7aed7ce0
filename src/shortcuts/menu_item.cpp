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

using platform::Menu;
using platform::MenuItem;
using platform::NSEventModifierFlags;

// The shortcut's modifiers as a menu item's mask holds them.
NSEventModifierFlags maskOf(const Shortcut& shortcut) {
    return NSEventModifierFlags(shortcut.modifiers().rawValue());
}

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
    const NSEventModifierFlags modifiers = maskOf(shortcut);
    for (const std::shared_ptr<MenuItem>& item : menu.items) {
        std::string equivalent = item->keyEquivalent;
        NSEventModifierFlags mask = item->keyEquivalentModifierMask;
        if (modifiers.contains(NSEventModifierFlags::maskShift)) {
            // An upper-case equivalent is the lower-case letter with Shift.
            if (std::string lower = lowerCased(equivalent); lower != equivalent) {
                equivalent = std::move(lower);
                mask = mask | NSEventModifierFlags::maskShift;
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

const ObjectAssociation<void>& shortcutObserverAssociation() {
    static const ObjectAssociation<void> association(AssociationPolicy::retainNonatomic);
    return association;
}

void bindKeyboardShortcut(MenuItem& item, const std::optional<Name>& name) {
    if (!name) {
        item.keyEquivalent.clear();
        item.keyEquivalentModifierMask = NSEventModifierFlags();
        if (localizesKeyEquivalents())
            item.allowsAutomaticKeyEquivalentLocalization = true;
        shortcutObserverAssociation().set(item, nullptr);
        return;
    }
    applyKeyboardShortcut(item, storedShortcut(*name));
    std::weak_ptr<MenuItem> weakItem = item.weak_from_this();
    const platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserver(
        std::string(shortcutByNameDidChange), nullptr,
        [bound = *name, weakItem](const platform::Notification& notification) {
            const auto value = notification.userInfo.find(nameUserInfoKey);
            if (value == notification.userInfo.end())
                return;
            const Name* changed = std::any_cast<Name>(&value->second);
            if (changed == nullptr || changed->rawValue != bound.rawValue)
                return;
            if (const auto target = weakItem.lock())
                applyKeyboardShortcut(*target, storedShortcut(bound));
        });
    // Replacing the earlier observer removes it from the centre, so that bindings never pile up.
    shortcutObserverAssociation().set(item, std::make_shared<ShortcutObserver>(token));
}

void applyKeyboardShortcut(MenuItem& item, const std::optional<Shortcut>& shortcut) {
    if (platform::DispatchQueue::currentLabel().starts_with(backgroundActivityQueuePrefix)) {
        platform::DispatchQueue::main().async(
            [held = item.shared_from_this(), shortcut] { applyKeyboardShortcut(*held, shortcut); });
        return;
    }
    if (shortcut) {
        item.keyEquivalent = menuKeyEquivalent(*shortcut);
        item.keyEquivalentModifierMask = maskOf(*shortcut);
    } else {
        item.keyEquivalent.clear();
        item.keyEquivalentModifierMask = NSEventModifierFlags();
    }
    if (localizesKeyEquivalents())
        item.allowsAutomaticKeyEquivalentLocalization = !shortcut.has_value();
}

std::shared_ptr<MenuItem> findMenuItemConflict(const Menu& menu, const Shortcut& shortcut) {
    const std::optional<std::string> key = keyString(shortcut);
    if (!key)
        return nullptr;
    return findIn(menu, shortcut, *key);
}

}  // namespace zoral::shortcuts::GlobalShortcuts
