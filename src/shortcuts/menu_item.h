#pragma once

// Menu items (platform/menus.h) as far as shortcuts concern them: an item can be bound to a
// shortcut's name, so that it shows the name's stored shortcut as its key equivalent and follows
// every change of it; and a menu tree can be searched for an item that uses a shortcut already.

#include <memory>
#include <optional>

#include "platform/menus.h"
#include "shortcuts/name.h"
#include "shortcuts/object_association.h"
#include "shortcuts/shortcut.h"

namespace zoral::shortcuts::GlobalShortcuts {

// Shows the name's stored shortcut now and after every change of it; none clears the key
// equivalent and unbinds. Binding again replaces the earlier binding and its observer.
void bindKeyboardShortcut(platform::MenuItem& item, const std::optional<Name>& name);
// Sets the key equivalent and mask from the shortcut, or clears them. On a queue whose label
// begins with "com.apple.xpc.activity." this happens later, on the main queue.
void applyKeyboardShortcut(platform::MenuItem& item, const std::optional<Shortcut>& shortcut);

// Where an item keeps the observer of its binding.
const ObjectAssociation<void>& shortcutObserverAssociation();

// The first item of the menu tree that uses the shortcut already, searched depth first: each
// item before its own submenu, a submenu before the items after its parent. An item with an
// upper-case key equivalent counts as that letter with Shift, but only when the shortcut has
// Shift. None for a shortcut whose key has no text.
std::shared_ptr<platform::MenuItem> findMenuItemConflict(const platform::Menu& menu,
                                                         const Shortcut& shortcut);

}  // namespace zoral::shortcuts::GlobalShortcuts
