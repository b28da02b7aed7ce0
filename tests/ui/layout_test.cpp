#include <QWidget>
#include <string>

#include <gtest/gtest.h>

#include "ui/layout_guide.h"
#include "ui/qt_view.h"
#include "ui/scroll_view.h"
#include "ui/stack_view.h"
#include "ui/table_view.h"
#include "ui/text_field.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::ui {
namespace {

class LayoutTest : public testing::UiWorldTest {
protected:
    static std::shared_ptr<View> sized(double width, double height) {
        auto view = std::make_shared<View>();
        view->setWidth(width);
        view->setHeight(height);
        return view;
    }
};

TEST_F(LayoutTest, PinLeavesTheInsetOnEverySide) {
    auto window = std::make_shared<TitledWindow>(platform::CGSize{300, 200});
    auto container = std::make_shared<View>();
    window->setContentView(container);
    auto inner = std::make_shared<View>();
    pin(*inner, *container, 16);
    window->makeKeyAndOrderFront();
    container->layoutSubtreeIfNeeded();
    EXPECT_EQ(inner->frame(), platform::CGRect(16, 16, 300 - 32, 200 - 32));

    // Held at the top with its own height.
    auto top = sized(-1, 40);
    pin(*top, *container, 12, PinBottom::atMost);
    inner->removeFromSuperview();
    container->layoutSubtreeIfNeeded();
    EXPECT_EQ(top->frame(), platform::CGRect(12, 12, 300 - 24, 40));
    window->close();
}

TEST_F(LayoutTest, AStackClosesUpOverAHiddenView) {
    auto first = sized(50, 20);
    auto second = sized(60, 20);
    auto third = sized(70, 20);
    auto stack = std::make_shared<StackView>(
        std::vector<std::shared_ptr<View>>{first, second, third}, LayoutOrientation::vertical);
    stack->setSpacing(6);
    stack->setAlignment(StackAlignment::leading);
    stack->setEdgeInsets({10, 10, 10, 10});
    auto window = std::make_shared<TitledWindow>(platform::CGSize{200, 200});
    window->setContentView(stack);
    window->makeKeyAndOrderFront();
    stack->layoutSubtreeIfNeeded();
    EXPECT_EQ(stack->subviews().size(), 3U) << "each arranged view once";
    EXPECT_EQ(first->superview(), stack) << "views arranged from the start know their stack";
    EXPECT_EQ(first->window(), window.get());
    EXPECT_EQ(first->frame(), platform::CGRect(10, 10, 50, 20));
    EXPECT_EQ(third->frame().minY(), 10 + 20 + 6 + 20 + 6);
    second->setHidden(true);
    stack->layoutSubtreeIfNeeded();
    EXPECT_EQ(third->frame().minY(), 10 + 20 + 6) << "the hidden view takes no space";
    EXPECT_EQ(third->frame().minX(), 10) << "leading";
    window->close();
}

// A flipped clip view lays its document out from the top: the point (0, 0) is the top; an
// unflipped one from the bottom.
TEST_F(LayoutTest, AWrappingLabelGivenAWidthAsksForTheHeightOfItsLinesThere) {
    const std::string text =
        "Zoral moves and resizes windows for your gestures, and for that it needs the "
        "Accessibility permission of the system, which it asks for once.";
    const auto heightAt = [&](double width) {
        auto label = TextField::wrappingLabel(text);
        label->setWidth(width);
        return label->fittingSize().height;
    };
    auto line = TextField::label("Zoral");
    const double lineHeight = line->fittingSize().height;
    EXPECT_LE(heightAt(1000), lineHeight + 2) << "one line when it all fits";
    EXPECT_GT(heightAt(200), heightAt(400)) << "narrower, more lines";
    EXPECT_LE(heightAt(400), 3 * lineHeight + 2) << "no room asked for beyond its lines";

    // A column of such a label and a button fits them without a gap below.
    auto label = TextField::wrappingLabel(text);
    label->setWidth(400);
    auto column = std::make_shared<StackView>(std::vector<std::shared_ptr<View>>{label},
                                              LayoutOrientation::vertical);
    column->setEdgeInsets({16, 16, 16, 16});
    EXPECT_EQ(column->fittingSize().height, heightAt(400) + 32);
}

// A wrapping label in a column gets the height its text needs at the width it is given: a short
// text on one line at its own width, a long one wrapped across the column, a label of a fixed
// width wrapped at that width. None is cut short, none wrapped narrower than its room.
TEST_F(LayoutTest, WrappingLabelsTakeTheHeightOfTheirTextAtTheirWidth) {
    const std::string longText =
        "Go to System Settings, then Trackpad, then Scroll and Zoom, and make sure that the "
        "option to zoom in or out is enabled for every trackpad you use.";
    auto oneLine = TextField::label("One line");
    auto shortText = TextField::wrappingLabel("Smart Zoom is not enabled.");
    auto longLabel = TextField::wrappingLabel(longText);
    auto fixed = TextField::wrappingLabel(longText);
    fixed->setWidth(150);
    auto column = std::make_shared<StackView>(
        std::vector<std::shared_ptr<View>>{oneLine, shortText, longLabel, fixed},
        LayoutOrientation::vertical);
    column->setAlignment(StackAlignment::leading);
    auto row = std::make_shared<StackView>(std::vector<std::shared_ptr<View>>{column});
    row->setAlignment(StackAlignment::top);
    row->setWidth(300);
    auto window = std::make_shared<TitledWindow>(platform::CGSize{300, 400});
    window->setContentView(row);
    window->makeKeyAndOrderFront();
    row->layoutSubtreeIfNeeded();

    EXPECT_EQ(shortText->frame().height(), oneLine->frame().height()) << "one line";
    EXPECT_GT(shortText->frame().width(), 100) << "not wrapped narrower than its room";
    EXPECT_EQ(longLabel->frame().width(), column->frame().width()) << "wrapped across the column";
    EXPECT_EQ(fixed->frame().width(), 150);
    for (const auto& label : {shortText, longLabel, fixed}) {
        const QWidget* widget = qtWidget(*label);
        SCOPED_TRACE(label->stringValue() + " at " + std::to_string(widget->width()));
        EXPECT_GE(widget->height(), widget->heightForWidth(widget->width())) << "cut short";
    }
    EXPECT_GT(fixed->frame().height(), longLabel->frame().height());
    window->close();
}

TEST_F(LayoutTest, TheFlippedClipViewScrollsToTheTop) {
    for (const bool flipped : {true, false}) {
        SCOPED_TRACE(flipped ? "flipped" : "unflipped");
        auto scroll = std::make_shared<ScrollView>();
        scroll->setContentView(std::make_shared<ClipView>(flipped));
        scroll->setHasVerticalScroller(true);
        auto document = sized(-1, 1000);
        scroll->setDocumentView(document);
        auto window = std::make_shared<TitledWindow>(platform::CGSize{300, 200});
        window->setContentView(scroll);
        window->makeKeyAndOrderFront();
        scroll->contentView()->scrollToPoint({0, 300});
        scroll->contentView()->scrollToPoint({0, 0});
        const platform::CGRect visible = scroll->contentView()->documentVisibleRect();
        EXPECT_EQ(visible.minY(), flipped ? 0 : 1000 - visible.height());
        EXPECT_EQ(visible.height(), 200);
        window->close();
    }

    // A short document stands at the top of a flipped clip and fills at least the visible area.
    auto scroll = std::make_shared<ScrollView>();
    scroll->setContentView(std::make_shared<ClipView>(true));
    auto document = std::make_shared<View>();
    scroll->setDocumentView(document);
    auto window = std::make_shared<TitledWindow>(platform::CGSize{300, 200});
    window->setContentView(scroll);
    window->makeKeyAndOrderFront();
    scroll->layoutSubtreeIfNeeded();
    EXPECT_EQ(document->frame(), platform::CGRect(0, 0, 300, 200));
    window->close();
}

// A table that asks its delegate for its rows and tells it of the user's selections only.
class Sidebar final : public TableViewDataSource, public TableViewDelegate {
public:
    std::int64_t numberOfRows(TableView&) override { return 3; }
    std::shared_ptr<View> viewForRow(TableView&, const std::string& column,
                                     std::int64_t row) override {
        columns.push_back(column);
        auto cell = std::make_shared<TableCellView>();
        auto label = TextField::label("Row " + std::to_string(row));
        cell->setTextField(label);
        pin(*label, *cell, 0);
        return cell;
    }
    void selectionDidChange(TableView& table) override {
        selections.push_back(table.selectedRow());
    }

    std::vector<std::string> columns;
    std::vector<std::int64_t> selections;
};

TEST_F(LayoutTest, ATableTellsItsDelegateOfTheUsersSelections) {
    Sidebar sidebar;
    auto table = std::make_shared<TableView>();
    table->addColumn("col");
    table->setRowHeight(36);
    table->setDataSource(&sidebar);
    table->setDelegate(&sidebar);
    table->reloadData();
    EXPECT_EQ(sidebar.columns, (std::vector<std::string>{"col", "col", "col"}));
    auto window = std::make_shared<TitledWindow>(platform::CGSize{150, 200});
    window->setContentView(table);
    window->makeKeyAndOrderFront();
    table->layoutSubtreeIfNeeded();
    EXPECT_EQ(table->viewAtRow(1)->frame().minY(), 36);

    table->selectRow(2);
    EXPECT_TRUE(sidebar.selections.empty()) << "selecting from code tells nothing";
    testing::click(*table->viewAtRow(1), {10, 10});
    testing::click(*table, {10, 36 * 2 + 5});
    testing::key(*table, Qt::Key_Up);
    testing::click(*table, {10, 36 * 3 + 20});
    EXPECT_EQ(sidebar.selections, (std::vector<std::int64_t>{1, 2, 1, -1}))
        << "a row, another, the key, then below the rows";
    EXPECT_EQ(table->selectedRow(), -1);
    window->close();
}

}  // namespace
}  // namespace zoral::ui
