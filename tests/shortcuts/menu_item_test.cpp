// Menu items that show a named shortcut, the search for an item that uses a shortcut already,
// and the associations that hold an item's binding.

#include "shortcuts/menu_item.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/object_association.h"
#include "shortcuts/shortcuts_fixture.h"
#include "sim/displays.h"
#include "sim/keyboard_layout.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;
using platform::Menu;
using platform::MenuItem;
using MenuFlags = platform::NSEventModifierFlags;

constexpr MenuFlags menuCommand = MenuFlags::maskCommand;
constexpr MenuFlags menuShift = MenuFlags::maskShift;
constexpr MenuFlags menuControl = MenuFlags::maskControl;
constexpr MenuFlags menuOption = MenuFlags::maskAlternate;
constexpr MenuFlags menuFunction = MenuFlags::maskSecondaryFn;

class MenuItems : public ShortcutsTest {};

std::shared_ptr<Menu> menuOf(std::vector<std::shared_ptr<MenuItem>> items) {
    return std::make_shared<Menu>("", std::move(items));
}

TEST_F(MenuItems, TheConflictSearchAppliesTheShiftRuleOnlyToShiftedShortcuts) {
    const Shortcut commandA{0, 0x100};
    const Shortcut shiftCommandA{0, 0x300};
    struct Case {
        const char* equivalent;
        MenuFlags mask;
        bool matchesCommandA;
        bool matchesShiftCommandA;
    };
    const Case cases[] = {
        {"a", menuCommand, true, false},
        {"A", menuCommand, false, true},
        {"a", menuShift | menuCommand, false, true},
        {"a", menuCommand | menuFunction, false, false},
        {"a", MenuFlags(), false, false},
        {"b", menuCommand, false, false},
    };
    for (const Case& c : cases) {
        const auto item = MenuItem::make("Item", c.equivalent, c.mask);
        const auto menu = menuOf({item});
        SCOPED_TRACE(std::string(c.equivalent) + " " + std::to_string(c.mask.rawValue()));
        EXPECT_EQ(findMenuItemConflict(*menu, commandA) == item, c.matchesCommandA);
        EXPECT_EQ(findMenuItemConflict(*menu, shiftCommandA) == item, c.matchesShiftCommandA);
    }
}

TEST_F(MenuItems, TheConflictSearchIsDepthFirstInMenuOrder) {
    const Shortcut commandA{0, 0x100};
    const auto parent = MenuItem::make("Parent", "a", menuCommand);
    const auto nested = MenuItem::make("Nested", "a", menuCommand);
    const auto later = MenuItem::make("Later", "a", menuCommand);
    const auto folder = MenuItem::make("Folder");
    folder->submenu = menuOf({MenuItem::make("Other", "b", menuCommand), nested});

    EXPECT_EQ(findMenuItemConflict(*menuOf({folder, later}), commandA), nested)
        << "a submenu before the items after its parent";
    parent->submenu = menuOf({nested});
    EXPECT_EQ(findMenuItemConflict(*menuOf({parent, later}), commandA), parent)
        << "an item before its own submenu";
    EXPECT_EQ(findMenuItemConflict(Menu{}, commandA), nullptr);

    // A key without text matches nothing.
    sim::KeyboardLayouts::of(*world).selectLayout(std::nullopt);
    EXPECT_EQ(findMenuItemConflict(*menuOf({later}), commandA), nullptr);
}

TEST_F(MenuItems, ABoundItemShowsTheNamesShortcutAndFollowsItsChanges) {
    const Name name("fixPinchAndSwipe");
    storeShortcut(Shortcut{0, 0x1900}, name);
    const auto item = MenuItem::make("Fix");

    bindKeyboardShortcut(*item, name);
    EXPECT_EQ(item->keyEquivalent, "a");
    EXPECT_EQ(item->keyEquivalentModifierMask, menuControl | menuOption | menuCommand);
    EXPECT_FALSE(item->allowsAutomaticKeyEquivalentLocalization);

    storeShortcut(Shortcut{122, 0x100}, name);
    EXPECT_EQ(item->keyEquivalent, "\uF704");
    EXPECT_EQ(item->keyEquivalentModifierMask, menuCommand);

    // Another name's change leaves the item as it is.
    item->keyEquivalent = "x";
    storeShortcut(Shortcut{1, 0x100}, Name("other"));
    postShortcutChange(Name("other"));
    EXPECT_EQ(item->keyEquivalent, "x");

    updateShortcut(std::nullopt, name);
    EXPECT_EQ(item->keyEquivalent, "");
    EXPECT_EQ(item->keyEquivalentModifierMask, MenuFlags());
    EXPECT_TRUE(item->allowsAutomaticKeyEquivalentLocalization);
}

TEST_F(MenuItems, BindingAgainReplacesTheEarlierObserver) {
    const Name first("first");
    const Name second("second");
    storeShortcut(Shortcut{0, 0x100}, first);
    storeShortcut(Shortcut{1, 0x100}, second);
    const auto item = MenuItem::make("Fix");

    // The status menu binds its item each time it opens.
    std::vector<std::weak_ptr<void>> observers;
    for (int opening = 0; opening < 3; ++opening) {
        bindKeyboardShortcut(*item, first);
        observers.push_back(shortcutObserverAssociation().get(*item));
    }
    EXPECT_TRUE(observers[0].expired());
    EXPECT_TRUE(observers[1].expired());
    EXPECT_FALSE(observers[2].expired());

    // An earlier binding no longer acts.
    bindKeyboardShortcut(*item, second);
    EXPECT_EQ(item->keyEquivalent, "s");
    storeShortcut(Shortcut{2, 0x100}, first);
    EXPECT_EQ(item->keyEquivalent, "s");

    // Unbinding clears the item and removes the observer.
    bindKeyboardShortcut(*item, std::nullopt);
    EXPECT_EQ(item->keyEquivalent, "");
    EXPECT_EQ(shortcutObserverAssociation().get(*item), nullptr);
    storeShortcut(Shortcut{3, 0x100}, second);
    EXPECT_EQ(item->keyEquivalent, "");

    // An item that goes takes its observer along.
    std::weak_ptr<MenuItem> gone;
    {
        const auto transient = MenuItem::make("Transient");
        bindKeyboardShortcut(*transient, second);
        gone = transient;
    }
    EXPECT_TRUE(gone.expired());
    storeShortcut(Shortcut{4, 0x100}, second);
}

TEST_F(MenuItems, BeforeSystem12TheLocalizationSwitchIsLeftAlone) {
    sim::SystemVersion::of(*world).setVersion({11, 7, 0});
    const Name name("name");
    storeShortcut(Shortcut{0, 0x100}, name);
    const auto item = MenuItem::make("Fix");
    bindKeyboardShortcut(*item, name);
    EXPECT_EQ(item->keyEquivalent, "a");
    EXPECT_TRUE(item->allowsAutomaticKeyEquivalentLocalization);
    item->allowsAutomaticKeyEquivalentLocalization = false;
    bindKeyboardShortcut(*item, std::nullopt);
    EXPECT_FALSE(item->allowsAutomaticKeyEquivalentLocalization);
}

TEST_F(MenuItems, OnABackgroundActivityQueueTheItemChangesLaterOnTheMainQueue) {
    const auto item = MenuItem::make("Fix");
    const platform::DispatchQueue activity("com.apple.xpc.activity.refresh");
    const platform::DispatchQueue other("com.example.refresh");
    activity.async([&] { applyKeyboardShortcut(*item, Shortcut{0, 0x100}); });
    other.async([&] { EXPECT_EQ(item->keyEquivalent, ""); });
    scheduler().runUntilIdle();
    EXPECT_EQ(item->keyEquivalent, "a");

    other.async([&] { applyKeyboardShortcut(*item, std::nullopt); });
    other.async([&] { EXPECT_EQ(item->keyEquivalent, "") << "other queues apply at once"; });
    scheduler().runUntilIdle();
}

TEST(ObjectAssociation, EachPolicyHoldsTheValueItsWay) {
    struct Owner : AssociatedObjects {};
    Owner owner;
    const ObjectAssociation<std::string> retained(AssociationPolicy::retain);
    const ObjectAssociation<std::string> assigned(AssociationPolicy::assign);
    const ObjectAssociation<std::string> copied(AssociationPolicy::copyNonatomic);

    auto value = std::make_shared<std::string>("value");
    std::weak_ptr<std::string> watch = value;
    retained.set(owner, value);
    assigned.set(owner, value);
    copied.set(owner, value);
    EXPECT_EQ(retained.get(owner), value) << "associations never collide";
    EXPECT_EQ(assigned.get(owner), value);
    EXPECT_NE(copied.get(owner), value);
    EXPECT_EQ(*copied.get(owner), "value");

    value.reset();
    EXPECT_FALSE(watch.expired()) << "retained";
    retained.set(owner, nullptr);
    EXPECT_TRUE(watch.expired()) << "removing releases";
    EXPECT_EQ(assigned.get(owner), nullptr) << "an assigned value that is gone reads as none";
    EXPECT_EQ(*copied.get(owner), "value");
}

}  // namespace
}  // namespace zoral::shortcuts::testing
