#pragma once

// Menus as the system shows them: items with a title (or an attributed title, which the menu
// shows in its place), a state drawn as a check mark, a key equivalent (the character that
// triggers the item) with its modifier mask, an action, and a submenu; separators; items that are
// hidden (the menu leaves them out) or disabled (shown, never chosen). A menu tells its delegate
// before it opens, so that the delegate can bring its items up to date, and when it has closed.
// The application has one main menu, which the system searches for key equivalents.
//
// Menus and items are plain objects of the program; every item can carry associated values.
// Main thread only, like the system's menus.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/associated_objects.h"
#include "platform/attributed_string.h"
#include "platform/events.h"
#include "platform/local_events.h"

namespace zoral::platform {

class Menu;

// The state an item shows, with the system's numbers.
enum class ControlStateValue : std::int64_t { mixed = -1, off = 0, on = 1 };

class MenuItem : public AssociatedObjects, public std::enable_shared_from_this<MenuItem> {
public:
    using Action = std::function<void(MenuItem& sender)>;

    // An item with the title and key equivalent; the mask is Command unless given, as the system
    // makes items.
    static std::shared_ptr<MenuItem> make(
        std::string title, std::string keyEquivalent = "",
        NSEventModifierFlags keyEquivalentModifierMask = NSEventModifierFlags::maskCommand);
    static std::shared_ptr<MenuItem> separatorItem();

    // Setting the title drops the attributed title; setting an attributed title makes the title
    // its text.
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::optional<AttributedString>& attributedTitle() const { return attributedTitle_; }
    void setAttributedTitle(std::optional<AttributedString> title);
    // What the menu shows: the attributed title, or the title in the menu's font.
    AttributedString displayedTitle() const;

    bool isSeparatorItem() const { return separator_; }

    std::string keyEquivalent;
    NSEventModifierFlags keyEquivalentModifierMask;
    // Whether the system may move the key equivalent to where the user's layout has its
    // character (systems 12 and later).
    bool allowsAutomaticKeyEquivalentLocalization = true;
    ControlStateValue state = ControlStateValue::off;
    bool hidden = false;
    bool enabled = true;
    std::int64_t tag = 0;
    // Sent when the user chooses the item; an item without one cannot be chosen.
    Action action;
    std::shared_ptr<Menu> submenu;

protected:
    MenuItem() = default;

private:
    std::string title_;
    std::optional<AttributedString> attributedTitle_;
    bool separator_ = false;
};

class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    // Before the menu shows its items, each time it opens.
    virtual void menuWillOpen(Menu& /*menu*/) {}
    virtual void menuDidClose(Menu& /*menu*/) {}
};

class Menu {
public:
    Menu() = default;
    explicit Menu(std::string menuTitle, std::vector<std::shared_ptr<MenuItem>> menuItems = {})
        : title(std::move(menuTitle)), items(std::move(menuItems)) {}

    std::string title;
    std::vector<std::shared_ptr<MenuItem>> items;
    // Held weakly, as the system holds delegates.
    std::weak_ptr<MenuDelegate> delegate;

    void addItem(std::shared_ptr<MenuItem> item) { items.push_back(std::move(item)); }
    // The first item with the title, hidden or not; none when no item has it.
    std::shared_ptr<MenuItem> itemWithTitle(std::string_view wanted) const;
    // The items a user sees, in order: hidden ones left out.
    std::vector<std::shared_ptr<MenuItem>> visibleItems() const;

    // A key typed in one of the application's windows: the first item of the menu tree (each item
    // before its own submenu) that the key down types, with exactly the item's modifiers among
    // Command, Option, Control and Shift, runs its action, and the key goes no further. An
    // upper-case letter asks for Shift; a character that Shift types (such as "?") may come with
    // it. Hidden and disabled items, separators and items without an action are passed over, as
    // are hidden submenus. False when no item took the key.
    bool performKeyEquivalent(const NSEvent& event);
};

// The application's main menu; none until the program sets one.
std::shared_ptr<Menu> mainMenu();
void setMainMenu(std::shared_ptr<Menu> menu);

}  // namespace zoral::platform
