#pragma once

// A gesture tab (Windows, Snapping) in a window of its own, on one of the simulated desktops, and
// the user's hands on its modifier controls: a click opens the control's popover, a click on a
// segment toggles that key.

#include <QPoint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "preferences/widgets/gesture_view.h"
#include "preferences/widgets/mod_key_control.h"
#include "settings/action_user_type.h"
#include "settings/modifier_flags.h"
#include "ui/popover.h"
#include "ui/segmented_control.h"
#include "ui/titled_window.h"
#include "widget_driver.h"

namespace zoral::preferences::testing {

// One row as a tab should list it; no title for the centring row, whose pop-up stands in its place.
struct ExpectedRow {
    settings::ActionUserType action;
    const char* title;
    const ui::Color& (*tint)();
    GestureSequences sequences;
};

// The strips a row shows, by the tool tips of their images: the full strip alone, or the primary
// and the secondary strip.
template <class Row>
std::vector<std::vector<std::string>> shownStrips(const Row& row) {
    std::vector<std::vector<std::string>> strips;
    for (const auto* strip : {row.gestureFullView().get(), row.gesturePrimaryView().get(),
                              row.gestureSecondaryView().get()}) {
        if (strip->isHidden())
            continue;
        std::vector<std::string> images;
        for (const auto& image : strip->arrangedSubviews())
            images.push_back(image->toolTip());
        strips.push_back(std::move(images));
    }
    return strips;
}

template <class Row>
void expectRow(const Row& row, const ExpectedRow& expected) {
    EXPECT_EQ(row.action(), expected.action);
    EXPECT_EQ(row.tint(), expected.tint());
    std::vector<std::vector<std::string>> strips;
    for (const auto& sequence : expected.sequences) {
        std::vector<std::string> images;
        for (const GestureImage image : sequence)
            images.emplace_back(tooltip(image));
        strips.push_back(std::move(images));
    }
    EXPECT_EQ(shownStrips(row), strips);
}

// The stack holds exactly these rows, in this order.
inline void expectRows(const ui::StackView& stack, const std::vector<ExpectedRow>& expected) {
    const auto& rows = stack.arrangedSubviews();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        if (const auto* row = dynamic_cast<const GestureView*>(rows[i].get())) {
            expectRow(*row, expected[i]);
            EXPECT_EQ(row->titleView()->stringValue(), expected[i].title);
        } else if (const auto* centre = dynamic_cast<const CenterGestureView*>(rows[i].get())) {
            expectRow(*centre, expected[i]);
            EXPECT_EQ(expected[i].title, nullptr) << "a centring row in place of a plain one";
        } else {
            ADD_FAILURE() << "not a gesture row";
        }
    }
}

template <class Tab, class Desktop>
class GestureTabWorld : public Desktop {
protected:
    ~GestureTabWorld() override {
        if (window)
            window->close();
    }

    // Shows the window with the tab (made the first time, which loads the tab's view), which makes
    // the tab appear.
    void show() {
        if (!window)
            window = ui::TitledWindow::withContentViewController(tab);
        window->makeKeyAndOrderFront();
        window->contentView()->layoutSubtreeIfNeeded();
    }
    void hide() { window->orderOut(); }
    // A new tab in a new window, whose view loads from the settings as they are now.
    void reopen() {
        if (window)
            window->close();
        window.reset();
        tab = std::make_shared<Tab>();
        show();
    }

    // The user opens the control's popover and clicks the segments of the keys that differ from
    // what the segments show, so that exactly `keys` are selected; answers the popover's message
    // ("" when it is hidden) and closes the popover.
    static std::string pick(ModKeyControl& control, settings::ModifierFlags keys) {
        ui::testing::click(control);
        EXPECT_TRUE(control.popover()->isShown());
        const auto& segments = *control.popoverController()->segmentedControl();
        const auto& table = modifierKeys();
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (segments.isSelected(i) != keys.contains(table[i].flags))
                ui::testing::click(segments, QPoint(static_cast<int>(42 * i + 20), 10));
        }
        const auto& message = *control.popoverController()->textField();
        std::string said = message.isHidden() ? "" : message.stringValue();
        control.popover()->close();
        return said;
    }

    std::shared_ptr<Tab> tab = std::make_shared<Tab>();
    std::shared_ptr<ui::TitledWindow> window;
};

}  // namespace zoral::preferences::testing
