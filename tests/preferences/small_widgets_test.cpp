#include "preferences/widgets/small_widgets.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/url_opening.h"
#include "ui/qt_view.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using ui::ControlState;

class SmallWidgetsTest : public ui::testing::UiWorldTest {
protected:
    // Puts the view in a window on screen, so that it takes clicks as a user's view does.
    std::shared_ptr<ui::TitledWindow> show(const std::shared_ptr<ui::View>& view) {
        auto window = std::make_shared<ui::TitledWindow>(platform::CGSize{300, 200});
        window->setContentView(view);
        window->makeKeyAndOrderFront();
        view->layoutSubtreeIfNeeded();
        return window;
    }

    std::vector<std::string> openedURLs() {
        std::vector<std::string> urls;
        for (const auto& opened : sim::URLOpening::of(*world).opened())
            urls.push_back(opened.url);
        return urls;
    }
};

TEST_F(SmallWidgetsTest, AnUnmixedCheckboxLeavesTheMixedStateForOnAndThenAlternates) {
    struct Case {
        ControlState start;
        std::vector<ControlState> afterClicks;
    };
    const Case cases[] = {
        {ControlState::mixed, {ControlState::on, ControlState::off, ControlState::on}},
        {ControlState::off, {ControlState::on, ControlState::off, ControlState::on}},
        {ControlState::on, {ControlState::off, ControlState::on, ControlState::off}},
    };
    for (const Case& test : cases) {
        auto checkbox = std::make_shared<UnmixedCheckboxButtonCell>("Tabs");
        // As a nib may leave it: the mixed state allowed, which a plain checkbox would cycle into.
        checkbox->setAllowsMixedState(true);
        checkbox->setState(test.start);
        std::vector<ControlState> sent;
        checkbox->setAction([&](ui::Control&) { sent.push_back(checkbox->state()); });
        auto window = show(checkbox);
        for (std::size_t click = 0; click < test.afterClicks.size(); ++click) {
            ui::testing::click(*checkbox, QPoint(5, 5));
            EXPECT_EQ(checkbox->state(), test.afterClicks[click])
                << "from " << static_cast<int>(test.start) << ", click " << click + 1;
        }
        EXPECT_EQ(sent, test.afterClicks) << "each click sends the action with the new state";
        window->close();
    }
}

TEST_F(SmallWidgetsTest, ALinkOpensOnlyAnAddressAndLosesItsUnderlineOnRelease) {
    struct Case {
        std::string href;
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        {"", {}},
        {"no address at all", {}},
        {"https://zoral.example/help", {"https://zoral.example/help"}},
    };
    for (const Case& test : cases) {
        auto link = std::make_shared<HyperlinkUnderlineTextField>("Website", test.href);
        auto window = show(link);
        const std::size_t before = openedURLs().size();

        ui::testing::hover(*link, true);
        EXPECT_EQ(link->underlineStyle(), 1) << "underlined while the pointer is over it";
        ui::testing::click(*link, QPoint(3, 3));
        EXPECT_EQ(link->underlineStyle(), 0) << "href \"" << test.href << "\"";

        const auto all = openedURLs();
        EXPECT_EQ(
            std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()),
            test.opened)
            << "href \"" << test.href << "\"";
        ui::testing::hover(*link, false);
        EXPECT_EQ(link->underlineStyle(), 0);
        window->close();
    }
}

TEST_F(SmallWidgetsTest, TheCursorViewsShowThePointingHandOverTheirWholeBounds) {
    const std::vector<std::shared_ptr<ui::View>> views = {
        std::make_shared<HyperlinkUnderlineTextField>("Website"),
        std::make_shared<CursorButton>(ui::ButtonKind::push, "Gesture"),
        std::make_shared<CursorStackView>(),
    };
    for (const auto& view : views) {
        EXPECT_EQ(view->cursor(), ui::Cursor::pointingHand);
        EXPECT_EQ(ui::qtWidget(*view)->cursor().shape(), Qt::PointingHandCursor);
    }
}

TEST_F(SmallWidgetsTest, ACursorTrackingViewSendsItsActionOnEnteringAndLeaving) {
    auto tracking = std::make_shared<CursorTrackingView>();
    EXPECT_FALSE(tracking->containsMouse());
    std::vector<bool> seen;
    tracking->setAction([&](ui::Control& sender) {
        seen.push_back(dynamic_cast<CursorTrackingView&>(sender).containsMouse());
    });
    tracking->setWidth(100);
    tracking->setHeight(40);
    auto window = show(tracking);

    ui::testing::hover(*tracking, true);
    ui::testing::hover(*tracking, false);
    ui::testing::hover(*tracking, true);
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(tracking->containsMouse());
    window->close();
}

TEST_F(SmallWidgetsTest, AFlippedClipViewKeepsTheDocumentAtTheTopAndScrollsToItsTop) {
    auto scroll = std::make_shared<ui::ScrollView>();
    auto clip = std::make_shared<NSFlippedClipView>();
    EXPECT_TRUE(clip->isFlipped());
    scroll->setContentView(clip);
    scroll->setHasVerticalScroller(true);
    auto document = std::make_shared<ui::View>();
    document->setHeight(1000);
    scroll->setDocumentView(document);
    auto window = show(scroll);

    clip->scrollToPoint({0, 600});
    scroll->layoutSubtreeIfNeeded();
    ASSERT_GT(clip->documentVisibleRect().minY(), 0);
    clip->scrollToPoint({0, 0});
    EXPECT_EQ(clip->documentVisibleRect().minY(), 0) << "(0, 0) is the top of the document";
    window->close();
}

}  // namespace
}  // namespace zoral::preferences
