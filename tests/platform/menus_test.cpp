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

TEST(Menus, AKeyDownRunsTheItemWhoseKeyEquivalentAndModifiersItTypes) {
    std::vector<std::string> ran;
    const auto item = [&ran](std::string title, std::string key,
                             NSEventModifierFlags mask = NSEventModifierFlags::maskCommand) {
        auto made = MenuItem::make(title, std::move(key), mask);
        made->action = [&ran](MenuItem& sender) { ran.push_back(sender.title()); };
        return made;
    };
    const auto hidden = item("Hidden", "x");
    hidden->hidden = true;
    const auto disabled = item("Disabled", "y");
    disabled->enabled = false;
    const auto file = MenuItem::make("File");
    file->submenu = std::make_shared<Menu>("File", std::vector{item("Close", "w")});
    const auto hiddenMenu = MenuItem::make("Hidden Menu");
    hiddenMenu->hidden = true;
    hiddenMenu->submenu = std::make_shared<Menu>("Hidden Menu", std::vector{item("Gone", "g")});
    Menu menu("Main",
              {item("Preferences…", ","),
               item("Hide Others", "h",
                    NSEventModifierFlags::maskCommand | NSEventModifierFlags::maskAlternate),
               item("Zoral Help", "?"), item("Redo", "Z"), MenuItem::make("Inert", "n"), hidden,
               disabled, MenuItem::separatorItem(), file, hiddenMenu, item("Second Close", "w")});

    const NSEventModifierFlags command = NSEventModifierFlags::maskCommand;
    const NSEventModifierFlags shift = NSEventModifierFlags::maskShift;
    const NSEventModifierFlags option = NSEventModifierFlags::maskAlternate;
    struct Case {
        std::u16string typed;
        NSEventModifierFlags held;
        const char* runs;  // none when no item takes the key
        NSEventType type = NSEventType::keyDown;
    };
    const Case cases[] = {
        {u",", command, "Preferences…"},
        {u",", NSEventModifierFlags(), nullptr},
        {u",", command | NSEventModifierFlags::maskControl, nullptr},
        {u"h", command | option, "Hide Others"},
        {u"h", command, nullptr},
        {u"?", command | shift, "Zoral Help"},
        {u"?", command, "Zoral Help"},
        {u"z", command | shift, "Redo"},
        {u"Z", command | shift, "Redo"},
        {u"z", command, nullptr},
        {u"n", command, nullptr},
        {u"x", command, nullptr},
        {u"y", command, nullptr},
        {u"w", command, "Close"},
        {u"g", command, nullptr},
        // Device bits and the like beside the modifiers do not count.
        {u",", command | NSEventModifierFlags::maskNumericPad, "Preferences…"},
        {u",", command, nullptr, NSEventType::keyUp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed.begin(), c.typed.end()) + " " +
                     std::to_string(c.held.rawValue()));
        ran.clear();
        const NSEvent event{
            .type = c.type, .modifierFlags = c.held, .charactersIgnoringModifiers = c.typed};
        EXPECT_EQ(menu.performKeyEquivalent(event), c.runs != nullptr);
        EXPECT_EQ(ran, c.runs ? std::vector<std::string>{c.runs} : std::vector<std::string>{});
    }
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
