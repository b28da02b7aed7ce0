// The opened menu as the toolkit's own menu widget draws it: what each item shows (its title with
// the italic run of an attributed title, its check mark, its key equivalent), what it leaves out
// (hidden items), and a screenshot of the status menu to look at.

#include "ui/menu_painting.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/menus.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using platform::AttributedString;
using platform::ControlStateValue;
using platform::Menu;
using platform::MenuItem;
using Flags = platform::NSEventModifierFlags;

std::shared_ptr<MenuItem> item(std::string title, std::string key = "",
                               Flags mask = Flags::maskCommand) {
    return MenuItem::make(std::move(title), std::move(key), mask);
}

AttributedString ignoring(const std::string& name, bool italic) {
    AttributedString title("Ignoring ");
    title.append(name, italic ? platform::Font::systemFontOfSize(0).withSymbolicTraits(
                                    platform::FontSymbolicTraits::italic)
                              : std::nullopt);
    return title;
}

// The rows of pixels that differ between two images of one size.
int differingRows(const Image& a, const Image& b) {
    int rows = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.argb(x, y) != b.argb(x, y)) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

// The leftmost and rightmost columns that differ.
std::pair<int, int> differingColumns(const Image& a, const Image& b) {
    int left = a.width();
    int right = -1;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.argb(x, y) != b.argb(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

TEST(MenuPainting, KeyEquivalentsReadAsTheSystemWritesThem) {
    struct Case {
        const char* key;
        Flags mask;
        const char* text;
    };
    const Case cases[] = {
        {"a", Flags::maskControl | Flags::maskAlternate | Flags::maskCommand, "⌃⌥⌘A"},
        {"A", Flags::maskCommand, "⇧⌘A"},
        {",", Flags::maskCommand, "⌘,"},
        {"\uF708", Flags::maskCommand, "⌘F5"},
        {"\uF726", Flags(), "F35"},
        {"↩", Flags(), "↩"},
        {"\r", Flags::maskShift, "⇧↩"},
        {" ", Flags::maskAlternate, "⌥Space"},
        {"\uF702", Flags::maskCommand | Flags::maskSecondaryFn, "⌘←"},
        {"", Flags::maskCommand, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(keyEquivalentText(*item("Item", c.key, c.mask)), c.text);
    }
}

class MenuPaintingTest : public testing::UiWorldTest {};

TEST_F(MenuPaintingTest, AKeyEquivalentShowsAtTheRightAndADisabledItemIsDimmed) {
    // The darkest red of the first item's row, left and right of the menu's middle.
    const auto firstRow = [](std::string key, bool enabled) {
        const auto entry = item("Quit Zoral", std::move(key));
        entry->enabled = enabled;
        const Image image = renderMenu(Menu("", {entry, item("Fix Pinch and Swipe", "a")}),
                                       AppearanceName::aqua, 2);
        std::pair<double, double> darkest{1, 1};
        for (int y = 4; y < 40; ++y) {
            // Inside the menu's frame.
            for (int x = 6; x < image.width() - 6; ++x) {
                double& side = x < image.width() / 2 ? darkest.first : darkest.second;
                side = std::min(side, image.pixel(x, y).red);
            }
        }
        return darkest;
    };
    const auto withKey = firstRow("q", true);
    const auto withoutKey = firstRow("", true);
    const auto disabled = firstRow("q", false);
    EXPECT_LT(withKey.first, 0.3) << "the title";
    EXPECT_LT(withKey.second, 0.3) << "the key, at the right";
    EXPECT_GT(withoutKey.second, 0.9) << "nothing at the right";
    EXPECT_GT(disabled.first, 0.5) << "a disabled title is dimmed";
    EXPECT_GT(disabled.second, 0.5) << "and so is its key";
}

TEST_F(MenuPaintingTest, AnItalicRunAndACheckMarkShowWhereTheyBelong) {
    const auto draw = [](const AttributedString& title, ControlStateValue state,
                         std::vector<std::shared_ptr<MenuItem>> more = {}) {
        const auto first = item("");
        first->setAttributedTitle(title);
        first->state = state;
        std::vector<std::shared_ptr<MenuItem>> items;
        items.reserve(more.size() + 2);
        items.push_back(first);
        for (auto& next : more)
            items.push_back(std::move(next));
        // A wider item, checked, fixes the menu's width and its check column.
        const auto wide = item("Stage Manager, a rather longer title");
        wide->state = ControlStateValue::on;
        items.push_back(wide);
        return renderMenu(Menu("", std::move(items)), AppearanceName::aqua, 2);
    };
    const Image plain = draw(ignoring("Editor", false), ControlStateValue::on);
    const Image italic = draw(ignoring("Editor", true), ControlStateValue::on);
    const Image unchecked = draw(ignoring("Editor", true), ControlStateValue::off);
    ASSERT_FALSE(plain.isEmpty());
    ASSERT_EQ(plain.width(), italic.width());
    ASSERT_EQ(plain.height(), italic.height());

    // The italic run differs from the plain one, and "Ignoring " before it does not.
    const auto [runLeft, runRight] = differingColumns(plain, italic);
    ASSERT_LE(runLeft, runRight);
    const Image prefixOnly = draw(AttributedString("Ignoring "), ControlStateValue::on);
    const auto [prefixLeft, prefixRight] = differingColumns(prefixOnly, plain);
    // Where "Editor" starts in both; an italic glyph leans a pixel or two to the left.
    EXPECT_GT(runLeft, prefixLeft - 3) << "the plain text before the run is drawn as it is";
    EXPECT_GE(prefixLeft, 0);
    (void)prefixRight;

    // The check mark lies left of the title.
    ASSERT_EQ(unchecked.width(), italic.width());
    const auto [markLeft, markRight] = differingColumns(unchecked, italic);
    EXPECT_LT(markRight, prefixLeft);
    EXPECT_LE(markLeft, markRight);

    // A hidden item takes no room; a shown one does.
    const auto hidden = item("Hidden");
    hidden->hidden = true;
    EXPECT_EQ(draw(ignoring("Editor", true), ControlStateValue::on, {hidden}).height(),
              italic.height());
    EXPECT_GT(draw(ignoring("Editor", true), ControlStateValue::on, {item("Shown")}).height(),
              italic.height());
    EXPECT_GT(differingRows(plain, italic), 0);
}

TEST_F(MenuPaintingTest, ScreenshotOfTheStatusMenu) {
    const auto counter = item("1 Zodiriz");
    counter->enabled = false;
    const auto access = item("Grant Accessibility Access…");
    access->hidden = true;
    const auto ignore = item("");
    ignore->setAttributedTitle(ignoring("Editor", true));
    ignore->state = ControlStateValue::on;
    const auto fix = item("Fix Pinch and Swipe", "a",
                          Flags::maskControl | Flags::maskAlternate | Flags::maskCommand);
    const auto stage = item("Stage Manager");
    stage->state = ControlStateValue::on;
    const Menu menu("Zoral", {counter, access, MenuItem::separatorItem(), ignore, fix, stage,
                              MenuItem::separatorItem(), item("Preferences…", ","),
                              item("Restart Zoral", "r", Flags::maskShift | Flags::maskCommand),
                              item("Quit Zoral", "q")});
    for (const auto appearance : {AppearanceName::aqua, AppearanceName::darkAqua}) {
        const Image shot = renderMenu(menu, appearance, 2);
        ASSERT_FALSE(shot.isEmpty());
        const std::string file =
            std::string("status_menu_") + (isDark(appearance) ? "dark" : "light") + ".png";
        ASSERT_TRUE(shot.savePng(file)) << file;
    }
}

}  // namespace
}  // namespace zoral::ui
