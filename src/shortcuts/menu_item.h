#pragma once

// Menus as far as shortcuts concern them: items with a title, a key equivalent (the character
// that triggers the item) and its modifier mask, and submenus. An item can be bound to a
// shortcut's name, so that it shows the name's stored shortcut and follows every change of it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/modifier_flags.h"
#include "shortcuts/name.h"
#include "shortcuts/object_association.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::GlobalShortcuts {

class MenuItem;

struct Menu {
    std::string title;
    std::vector<std::shared_ptr<MenuItem>> items;
};

class MenuItem : public AssociatedObjects, public std::enable_shared_from_this<MenuItem> {
public:
    static std::shared_ptr<MenuItem> make(std::string title, std::string keyEquivalent = "",
                                          settings::ModifierFlags keyEquivalentModifierMask = {});

    std::string title;
    std::string keyEquivalent;
    settings::ModifierFlags keyEquivalentModifierMask;
    std::shared_ptr<Menu> submenu;
    // Whether the system may move the key equivalent to where the user's layout has its
    // character (systems 12 and later).
    bool allowsAutomaticKeyEquivalentLocalization = true;

    // Shows the name's stored shortcut now and after every change of it; none clears the key
    // equivalent and unbinds. Binding again replaces the earlier binding and its observer.
    void bindKeyboardShortcut(const std::optional<Name>& name);
    // Sets the key equivalent and mask from the shortcut, or clears them. On a queue whose label
    // begins with "com.apple.xpc.activity." this happens later, on the main queue.
    void applyKeyboardShortcut(const std::optional<Shortcut>& shortcut);

protected:
    MenuItem() = default;
};

// Where an item keeps the observer of its binding.
const ObjectAssociation<void>& shortcutObserverAssociation();

// The first item of the menu tree that uses the shortcut already, searched depth first: each
// item before its own submenu, a submenu before the items after its parent. An item with an
// upper-case key equivalent counts as that letter with Shift, but only when the shortcut has
// Shift. None for a shortcut whose key has no text.
std::shared_ptr<MenuItem> findMenuItemConflict(const Menu& menu, const Shortcut& shortcut);

}  // namespace zoral::shortcuts::GlobalShortcuts
