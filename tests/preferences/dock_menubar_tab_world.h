#pragma once

// A tab of gesture rows in a window of its own, on a desktop of the test's own; the user's hands
// on its modifier controls (the popover's key segments) and a reading of its rows.

#include <QPoint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "preferences/widgets/gesture_view.h"
#include "preferences/widgets/mod_key_control.h"
#include "preferences/widgets/small_widgets.h"
#include "settings/defaults.h"
#include "settings/modifier_flags.h"
#include "ui/stack_view.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences::testing {

template <class Tab>
class GestureTabWorldTest : public ui::testing::UiWorldTest {
protected:
    ~GestureTabWorldTest() override {
        if (window)
            window->close();
    }

    // Shows the window with the tab (made the first time, which loads the tab's view), which
    // makes the tab appear.
    void show() {
        if (!window)
            window = ui::TitledWindow::withContentViewController(tab);
        window->makeKeyAndOrderFront();
        window->contentView()->layoutSubtreeIfNeeded();
    }
    void hide() { window->orderOut(); }

    // Opens the control's popover with a click and clicks the segments whose keys differ from
    // the target combination: first those to let go, then those to select; each click proposes
    // the selected keys to the control. Closes the popover again and answers the control's last
    // message ("" when it accepted the last combination).
    static std::string choose(ModKeyControl& control, settings::ModifierFlags target) {
        ui::testing::click(control, QPoint(4, 4));
        EXPECT_TRUE(control.popover()->isShown());
        auto& segments = *control.popoverController()->segmentedControl();
        const auto& keys = modifierKeys();
        for (const bool selecting : {false, true}) {
            for (std::size_t i = 0; i < keys.size(); ++i) {
                const bool wanted = target.contains(keys[i].flags);
                if (wanted == selecting && segments.isSelected(i) != wanted)
                    ui::testing::click(segments, QPoint(static_cast<int>(42 * i + 20), 10));
            }
        }
        std::string answer = message(control);
        control.popover()->close();
        return answer;
    }
    // The control's answer to the last combination proposed in its popover: "" when accepted.
    static std::string message(const ModKeyControl& control) {
        const auto& field = *control.popoverController()->textField();
        return field.isHidden() ? "" : field.stringValue();
    }
    // The segments the control's popover offers, by key: whether each is enabled.
    static std::vector<bool> enabledSegments(ModKeyControl& control) {
        ui::testing::click(control, QPoint(4, 4));
        const auto& segments = *control.popoverController()->segmentedControl();
        std::vector<bool> enabled;
        for (std::size_t i = 0; i < segments.segmentCount(); ++i)
            enabled.push_back(segments.isEnabled(i));
        control.popover()->close();
        return enabled;
    }

    // One choice in a modifier control: the message it answers and what the setting holds then.
    struct Choice {
        const char* what;
        settings::ModifierFlags chosen;
        const char* message;  // "" when accepted
        settings::ModifierFlags stored;
    };
    // Each choice starts from the setting's value as the test left it, shown anew as the tab
    // appears again.
    void expectChoices(ModKeyControl& control,
                       const settings::Defaults::Key<settings::ModifierFlags>& key,
                       const std::vector<Choice>& choices) {
        const settings::ModifierFlags start = settings::Defaults::readValue(key);
        for (const Choice& choice : choices) {
            SCOPED_TRACE(choice.what);
            settings::Defaults::writeValue(key, start);
            hide();
            show();
            EXPECT_EQ(choose(control, choice.chosen), choice.message);
            EXPECT_EQ(settings::Defaults::readValue(key), choice.stored);
            EXPECT_EQ(control.flags, choice.stored);
        }
    }

    static std::vector<std::shared_ptr<GestureView>> rows(const ui::StackView& stack) {
        std::vector<std::shared_ptr<GestureView>> found;
        for (const auto& view : stack.arrangedSubviews()) {
            if (auto row = std::dynamic_pointer_cast<GestureView>(view))
                found.push_back(std::move(row));
        }
        return found;
    }

    std::shared_ptr<Tab> tab = std::make_shared<Tab>();
    std::shared_ptr<ui::TitledWindow> window;
};

// What a row shows, as the user reads it.
struct ExpectedGestureRow {
    settings::ActionUserType action;
    const char* title;
    GestureIcon icon;
    ui::Color tint;
    const char* description;
    const char* infoTip;  // the description's tool tip
    GestureSequences sequences;
};

// The tool tips of the images in a strip, left to right.
inline std::vector<std::string> imageTips(const ui::StackView& strip) {
    std::vector<std::string> tips;
    for (const auto& image : strip.arrangedSubviews())
        tips.push_back(image->toolTip());
    return tips;
}

inline std::vector<std::string> tipsOf(const std::vector<GestureImage>& sequence) {
    std::vector<std::string> tips;
    for (const GestureImage image : sequence)
        tips.emplace_back(tooltip(image));
    return tips;
}

// The rows of the stack are the expected ones, in order: texts, icon, tint and gesture strips
// (one sequence in the full strip, two in the primary and secondary ones).
inline void expectRows(const std::vector<std::shared_ptr<GestureView>>& rows,
                       const std::vector<ExpectedGestureRow>& expected) {
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const GestureView& row = *rows[i];
        const ExpectedGestureRow& want = expected[i];
        SCOPED_TRACE(want.title);
        EXPECT_EQ(row.action(), want.action);
        EXPECT_EQ(row.titleView()->stringValue(), want.title);
        EXPECT_EQ(row.imageView()->imageName(), imageName(want.icon));
        EXPECT_EQ(row.tint(), want.tint);
        EXPECT_EQ(row.infoView()->stringValue(), want.description);
        EXPECT_EQ(row.infoView()->toolTip(), want.infoTip);
        if (want.sequences.size() == 1) {
            EXPECT_FALSE(row.gestureFullView()->isHidden());
            EXPECT_TRUE(row.gesturePrimaryView()->isHidden());
            EXPECT_TRUE(row.gestureSecondaryView()->isHidden());
            EXPECT_EQ(imageTips(*row.gestureFullView()), tipsOf(want.sequences[0]));
        } else {
            ASSERT_EQ(want.sequences.size(), 2U);
            EXPECT_TRUE(row.gestureFullView()->isHidden());
            EXPECT_EQ(imageTips(*row.gesturePrimaryView()), tipsOf(want.sequences[0]));
            EXPECT_EQ(imageTips(*row.gestureSecondaryView()), tipsOf(want.sequences[1]));
        }
    }
}

// A click on each row's header (where the user clicks it, in the tab's layout) switches the row's
// kind in "actions", and the row fades or comes back; a second click undoes it.
inline void expectHeadersToggleTheirKinds(const std::vector<std::shared_ptr<GestureView>>& rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row->titleView()->stringValue());
        const auto enabled = [&] {
            return settings::Defaults::readValue(settings::Defaults::Keys::actions())
                .contains(row->action());
        };
        const bool before = enabled();
        for (const bool expected : {!before, before}) {
            ui::testing::click(*row->headerView(), QPoint(8, 8));
            EXPECT_EQ(enabled(), expected);
            EXPECT_EQ(row->alphaValue(), expected ? 1.0 : 0.4);
            EXPECT_EQ(row->headerView()->toolTip(), expected ? "Enabled" : "Disabled");
        }
    }
}

}  // namespace zoral::preferences::testing
