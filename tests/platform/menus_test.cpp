// The menu model: titles and attributed titles kept in step as the system keeps them, runs of
// text in their fonts, what a menu shows, and values attached to its items.

#include "platform/menus.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/associated_objects.h"
#include "platform/attributed_string.h"

namespace zoral::platform {
namespace {

TEST(Menus, AnAttributedTitleAndThePlainTitleFollowEachOther) {
    const auto italic = Font::systemFontOfSize(0).withSymbolicTraits(FontSymbolicTraits::italic);
    ASSERT_TRUE(italic);
    EXPECT_EQ(italic->pointSize, Font::systemFontSize);
    EXPECT_FALSE(Font::systemFontOfSize(0).withSymbolicTraits(FontSymbolicTraits(1u << 5)))
        << "no face of the system font has that trait";

    AttributedString title("Ignoring ");
    title.append("Editor", italic);
    title.append("", std::nullopt);
    title.append(" (twice)", italic);
    ASSERT_EQ(title.runs().size(), 2u) << "neighbours in one font are one run";
    EXPECT_EQ(title.runs()[1], (AttributedString::Run{"Editor (twice)", italic}));

    const auto item = MenuItem::make("Ignore ? ...");
    EXPECT_EQ(item->keyEquivalentModifierMask, NSEventModifierFlags::maskCommand);
    item->setAttributedTitle(title);
    EXPECT_EQ(item->title(), "Ignoring Editor (twice)");
    EXPECT_EQ(item->displayedTitle(), title);
    item->setTitle("Quit Zoral");
    EXPECT_FALSE(item->attributedTitle());
    EXPECT_EQ(item->displayedTitle(), AttributedString("Quit Zoral"));
}

TEST(Menus, AMenuShowsItsItemsThatAreNotHidden) {
    const auto counter = MenuItem::make("1 Zodiriz");
    const auto access = MenuItem::make("Grant Accessibility Access…");
    access->hidden = true;
    const auto separator = MenuItem::separatorItem();
    const Menu menu("Zoral", {counter, access, separator});
    EXPECT_EQ(menu.visibleItems(), (std::vector<std::shared_ptr<MenuItem>>{counter, separator}));
    EXPECT_EQ(menu.itemWithTitle("Grant Accessibility Access…"), access);
    EXPECT_EQ(menu.itemWithTitle("Nothing"), nullptr);
    EXPECT_TRUE(separator->isSeparatorItem());
    EXPECT_FALSE(separator->enabled);
}

TEST(AssociatedObjects, AReplacedValueIsReleasedOutsideTheObjectsLock) {
    struct Owner : AssociatedObjects {};
    Owner owner;
    static const char key = 0;
    static const char other = 0;

    // Its release attaches a value to the same object: under the lock this would deadlock.
    struct Reattaching {
        Owner* owner;
        ~Reattaching() { owner->setAssociatedObject(&other, std::make_shared<int>(2), true); }
    };
    owner.setAssociatedObject(&key, std::make_shared<Reattaching>(Reattaching{&owner}), true);
    owner.setAssociatedObject(&key, nullptr, true);
    EXPECT_EQ(owner.associatedObject(&key), nullptr);
    ASSERT_NE(owner.associatedObject(&other), nullptr);
    EXPECT_EQ(*std::static_pointer_cast<int>(owner.associatedObject(&other)), 2);

    // Held weakly, a value that is gone reads as none.
    auto value = std::make_shared<int>(3);
    owner.setAssociatedObject(&key, value, false);
    EXPECT_EQ(owner.associatedObject(&key), value);
    value.reset();
    EXPECT_EQ(owner.associatedObject(&key), nullptr);

    // Values belong to the object, not to its copies.
    const Owner copy = owner;
    EXPECT_EQ(copy.associatedObject(&other), nullptr);
}

}  // namespace
}  // namespace zoral::platform
