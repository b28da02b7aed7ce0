// A window holding every control of the toolkit, drawn to PNG files (screenshots/ beside the test
// binary) with a popover and with a sheet, so that a person can look at them; and checked for what
// a person would notice: controls cut short or lying over each other.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screenshots.h"
#include "toolbar_items.h"
#include "ui/box.h"
#include "ui/button.h"
#include "ui/image_view.h"
#include "ui/layout_guide.h"
#include "ui/pop_up_button.h"
#include "ui/popover.h"
#include "ui/qt_view.h"
#include "ui/scroll_view.h"
#include "ui/segmented_control.h"
#include "ui/slider.h"
#include "ui/split_view_controller.h"
#include "ui/stack_view.h"
#include "ui/table_view.h"
#include "ui/text_field.h"
#include "ui/titled_window.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using Views = std::vector<std::shared_ptr<View>>;

std::shared_ptr<StackView> row(Views views, double spacing = 8) {
    auto stack = std::make_shared<StackView>(std::move(views), LayoutOrientation::horizontal);
    stack->setSpacing(spacing);
    return stack;
}

std::shared_ptr<StackView> column(Views views, double spacing = 10) {
    auto stack = std::make_shared<StackView>(std::move(views), LayoutOrientation::vertical);
    stack->setAlignment(StackAlignment::leading);
    stack->setSpacing(spacing);
    return stack;
}

std::shared_ptr<TextField> heading(const std::string& text) {
    auto label = TextField::label(text);
    label->setFont(Font::boldSystem(13));
    return label;
}

// The sidebar: seven rows of a symbol and a title.
class Sidebar final : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    void loadView() override {
        auto scroll = std::make_shared<ScrollView>();
        table_ = std::make_shared<TableView>();
        table_->addColumn("col");
        table_->setRowHeight(36);
        table_->setHeaderHidden(true);
        table_->setDataSource(this);
        table_->setDelegate(this);
        scroll->setDocumentView(table_);
        setView(scroll);
        table_->reloadData();
        table_->selectRow(1);
    }
    std::int64_t numberOfRows(TableView&) override { return 7; }
    std::shared_ptr<View> viewForRow(TableView&, const std::string&, std::int64_t row) override {
        static const char* const titles[] = {"General", "Windows",  "Snapping", "Apps",
                                             "Menubar", "Advanced", "About"};
        static const char* const symbols[] = {
            "gearshape",      "macwindow.on.rectangle", "rectangle.lefthalf.inset.fill",
            "dock.rectangle", "menubar.rectangle",      "gearshape.2",
            "info.circle"};
        auto cell = std::make_shared<TableCellView>();
        auto image = std::make_shared<ImageView>();
        image->setSymbol(symbols[row], {.pointSize = 14});
        image->setTintColor(SystemColor::controlAccent);
        auto label = TextField::label(titles[row]);
        label->setFont(Font::system(14));
        pin(*row_(image, label), *cell, 0);
        cell->setImageView(image);
        cell->setTextField(label);
        return cell;
    }

private:
    static std::shared_ptr<View> row_(std::shared_ptr<View> image, std::shared_ptr<View> label) {
        auto stack = row({std::move(image), std::move(label)}, 10);
        stack->setEdgeInsets({0, 6, 0, 0});
        return stack;
    }
    std::shared_ptr<TableView> table_;
};

// The content: every control, in sections parted by separators, in a flipped scroll view.
class Controls final : public ViewController {
public:
    void loadView() override {
        auto scroll = std::make_shared<ScrollView>();
        scroll->setContentView(std::make_shared<ClipView>(true));
        scroll->setHasVerticalScroller(true);
        auto document = std::make_shared<View>();
        scroll->setDocumentView(document);

        auto haptic = Button::checkbox("Haptic feedback");
        haptic->setState(ControlState::on);
        auto mixed = Button::checkbox("Some tab applications");
        mixed->setState(ControlState::mixed);
        auto disabled = Button::checkbox("Hide the cursor (disabled)");
        disabled->setEnabled(false);
        auto help = Button::helpButton();
        help->setToolTip("What the check looks at");
        auto status = std::make_shared<ImageView>(18, 18);
        status->setImage("NSStatusAvailable");
        auto diagnostics = row({status, TextField::label("Diagnostics"), help,
                                Button::pushButton("Show Diagnostics…")});

        auto slider = std::make_shared<Slider>(1, 4, 3);
        slider->setNumberOfTickMarks(4);
        slider->setAllowsTickMarkValuesOnly(true);
        slider->setWidth(180);
        auto sensitivity =
            row({TextField::label("Sensitivity"), slider, TextField::label("Very Snappy")});

        auto arrows = std::make_shared<PopUpButton>();
        for (const char* title : {"←↑↓→", "WASD", "HJKL", "IJKL", ",AOE"})
            arrows->addItem({title, title, ""});
        arrows->selectItem(1);
        auto modifiers = std::make_shared<SegmentedControl>(
            std::vector<std::string>{"shift", "fn", "ctrl", "alt", "cmd"},
            SegmentTracking::selectAny);
        for (std::size_t i = 0; i < 5; ++i)
            modifiers->setWidth(42, i);
        modifiers->setSelected(true, 0);
        modifiers->setSelected(true, 3);
        modifiers->setEnabled(false, 1);
        auto modKey = std::make_shared<Button>(ButtonKind::push, "⇧ ⌥");
        modKey->setBezelStyle(BezelStyle::regularSquare);
        modKey->setControlSize(ControlSize::small);
        auto keys = row({TextField::label("Arrows"), arrows, modKey, modifiers});

        Views gestures;
        for (const char* name : {"GestureLeft", "GestureRight", "GestureInwards", "GestureHold",
                                 "GestureTap", "GestureMod2"}) {
            auto image = std::make_shared<ImageView>(24, 24);
            image->setImage(name);
            gestures.push_back(image);
        }
        auto icon = std::make_shared<ImageView>(24, 24);
        icon->setImage("ActionSnapHalves");
        icon->setTintColor(*Color::named("Zoral"));
        auto title = TextField::label("Halves");
        title->setFont(Font::boldSystem(13));
        title->setWidth(90);
        auto gestureStrip = row(std::move(gestures), 0);
        auto description = TextField::wrappingLabel(
            "Swipe horizontally to snap to the left or right half of the screen.");
        description->setFont(Font::system(12));
        description->setTextColor(SystemColor::secondaryLabel);
        description->setWidth(220);
        auto gestureRow = row({icon, title, gestureStrip, description}, 10);

        auto link = TextField::label("Website");
        link->setTextColor(SystemColor::systemBlue);
        link->setUnderlineStyle(1);
        link->setCursor(Cursor::pointingHand);

        auto sections =
            column({heading("General"), haptic, mixed, disabled, diagnostics,
                    std::make_shared<Box>(), heading("Gestures"), sensitivity, gestureRow,
                    std::make_shared<Box>(), heading("Keys"), keys, std::make_shared<Box>(), link});
        for (const auto& box : sections->arrangedSubviews()) {
            if (dynamic_cast<Box*>(box.get()) != nullptr)
                box->setWidth(560);
        }
        pin(*sections, *document, 20, PinBottom::atMost);
        setView(scroll);
    }
};

class GalleryTest : public testing::UiWorldTest {
protected:
    void save(const Image& image, const std::string& name) {
        testing::saveScreenshot(image, folder, name);
    }

    const std::string folder = "screenshots";
};

TEST_F(GalleryTest, DrawsEveryControlAPopoverAndASheet) {
    auto split = std::make_shared<SplitViewController>();
    auto sidebar = SplitViewItem::sidebar(std::make_shared<Sidebar>());
    sidebar.minimumThickness = sidebar.maximumThickness = 150;
    split->addSplitViewItem(sidebar);
    auto content = SplitViewItem::content(std::make_shared<Controls>());
    content.minimumThickness = 150;
    split->addSplitViewItem(content);
    split->setDividerStyle(DividerStyle::thin);
    split->setDividerDraggable(false);

    testing::ToolbarItems items;
    auto toolbar = std::make_shared<Toolbar>("Preferences");
    toolbar->setDelegate(&items);

    auto window = std::make_shared<TitledWindow>(platform::CGSize{780, 474});
    window->setContentViewController(split);
    window->setTitle("Zoral");
    window->setSubtitle("Gallery");
    window->setToolbar(toolbar);
    window->setContentMinSize({300, 150});
    window->center();
    window->makeKeyAndOrderFront();
    window->contentView()->layoutSubtreeIfNeeded();
    testing::expectNothingClippedOrOverlapping(*window->contentView());
    save(window->render(), "gallery");

    // A popover from the toolbar's onboarding button.
    toolbar->removeItem(0);
    toolbar->insertItem("Onboard", 0);
    auto welcome = std::make_shared<ViewController>();
    auto text = TextField::wrappingLabel(
        "Welcome! Swipe with two fingers on a window's title bar to snap it. The next steps show "
        "the gestures of each tab.");
    text->setWidth(280);
    auto next = Button::pushButton("Next");
    auto steps =
        column({heading("Welcome to Zoral"), text, row({Button::pushButton("Close"), next})});
    steps->setEdgeInsets({16, 16, 16, 16});
    welcome->setView(steps);
    auto popover = std::make_shared<Popover>();
    popover->setContentViewController(welcome);
    popover->show({}, *items.onboarding, RectEdge::maxY);
    ASSERT_TRUE(popover->isShown());
    testing::expectNothingClippedOrOverlapping(*steps);
    save(window->render(), "gallery-popover");
    popover->close();

    // A sheet.
    auto sheet = std::make_shared<TitledWindow>(platform::CGSize{420, 150});
    auto request = Button::pushButton("Open System Settings");
    auto close = Button::pushButton("Close");
    auto explanation = TextField::wrappingLabel(
        "Zoral needs the Accessibility permission to move and resize windows.");
    explanation->setWidth(380);
    auto body = column({heading("Accessibility"), explanation, row({close, request})});
    body->setEdgeInsets({20, 20, 20, 20});
    sheet->setContentView(body);
    std::int64_t response = -1;
    window->beginSheet(sheet, [&](std::int64_t code) { response = code; });
    testing::expectNothingClippedOrOverlapping(*body);
    save(window->render(), "gallery-sheet");
    window->endSheet(*sheet, 0);
    EXPECT_EQ(response, 0);
    window->close();
}

}  // namespace
}  // namespace zoral::ui
