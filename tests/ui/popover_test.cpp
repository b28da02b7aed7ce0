#include "ui/popover.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/button.h"
#include "ui/stack_view.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::ui {
namespace {

class RecordingPopoverDelegate final : public PopoverDelegate {
public:
    void popoverWillShow(Popover&) override { log.push_back("willShow"); }
    void popoverDidShow(Popover&) override { log.push_back("didShow"); }
    void popoverWillClose(Popover&) override { log.push_back("willClose"); }
    void popoverDidClose(Popover&) override { log.push_back("didClose"); }
    std::vector<std::string> log;
};

// A window with a row of two buttons; the first anchors the popovers.
class PopoverTest : public testing::UiWorldTest {
protected:
    PopoverTest() {
        window->setContentView(buttons);
        window->makeKeyAndOrderFront();
        buttons->setEdgeInsets({20, 20, 20, 20});
        buttons->layoutSubtreeIfNeeded();
        content->view()->setWidth(200);
        content->view()->setHeight(80);
        popover->setContentViewController(content);
        popover->setDelegate(&delegate);
    }
    ~PopoverTest() override {
        popover->close();
        window->close();
    }

    // A rectangle in global top-left coordinates.
    static QRect global(const View& view) {
        const QWidget* widget = qtWidget(view);
        return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
    }
    QRect bubble() const { return {popover->widget()->pos(), popover->widget()->size()}; }

    std::shared_ptr<TitledWindow> window =
        std::make_shared<TitledWindow>(platform::CGSize{600, 400});
    std::shared_ptr<Button> anchor = Button::pushButton("Diagnostics");
    std::shared_ptr<Button> other = Button::pushButton("Elsewhere");
    std::shared_ptr<StackView> buttons =
        std::make_shared<StackView>(std::vector<std::shared_ptr<View>>{anchor, other});
    std::shared_ptr<ViewController> content = std::make_shared<ViewController>();
    std::shared_ptr<Popover> popover = std::make_shared<Popover>();
    RecordingPopoverDelegate delegate;
};

using Log = std::vector<std::string>;

TEST_F(PopoverTest, StandsAtTheChosenEdgeOfItsAnchor) {
    struct Case {
        RectEdge edge;
        std::function<bool(const QRect& bubble, const QRect& anchor)> placed;
    };
    const std::vector<Case> cases{
        {RectEdge::maxY, [](const QRect& b, const QRect& a) { return b.top() == a.bottom() + 1; }},
        {RectEdge::minY, [](const QRect& b, const QRect& a) { return b.bottom() + 1 == a.top(); }},
        {RectEdge::maxX, [](const QRect& b, const QRect& a) { return b.left() == a.right() + 1; }},
        {RectEdge::minX, [](const QRect& b, const QRect& a) { return b.right() + 1 == a.left(); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(static_cast<int>(row.edge));
        popover->show({}, *anchor, row.edge);
        ASSERT_TRUE(popover->isShown());
        const QRect a = global(*anchor);
        const QRect b = bubble();
        EXPECT_TRUE(row.placed(b, a))
            << "bubble " << b.x() << "," << b.y() << " " << b.width() << "x" << b.height()
            << " anchor " << a.x() << "," << a.y() << " " << a.width() << "x" << a.height();
        const bool vertical = row.edge == RectEdge::maxY || row.edge == RectEdge::minY;
        if (vertical)
            EXPECT_NEAR(b.center().x(), a.center().x(), 1) << "centred on the anchor";
        else
            EXPECT_NEAR(b.center().y(), a.center().y(), 1);
        EXPECT_EQ(popover->contentSize(), (platform::CGSize{200, 80}));
    }
}

TEST_F(PopoverTest, TheDelegateHearsOfTheCloseAndTheBehaviourDecidesWhoCloses) {
    popover->show({}, *anchor, RectEdge::maxY);
    EXPECT_EQ(delegate.log, (Log{"willShow", "didShow"}));
    testing::click(*other);
    EXPECT_TRUE(popover->isShown()) << "an application-defined popover stays";

    popover->close();
    EXPECT_EQ(delegate.log, (Log{"willShow", "didShow", "willClose", "didClose"}));
    popover->close();
    EXPECT_EQ(delegate.log.size(), 4U) << "closed once";

    popover->setBehavior(PopoverBehavior::transient);
    popover->show({}, *anchor, RectEdge::maxY);
    testing::click(*content->view());
    EXPECT_TRUE(popover->isShown()) << "a press inside keeps it";
    testing::click(*other);
    EXPECT_FALSE(popover->isShown()) << "a press outside closes a transient popover";
    EXPECT_EQ(delegate.log.back(), "didClose");
}

TEST_F(PopoverTest, APressOnTheAnchorClosesATransientPopoverUnlessItIsExempt) {
    popover->setBehavior(PopoverBehavior::transient);
    for (const bool closes : {true, false}) {
        SCOPED_TRACE(closes);
        popover->setClosesOnPressInAnchor(closes);
        popover->show({}, *anchor, RectEdge::maxY);
        testing::press(*anchor, QPoint(5, 5));
        EXPECT_EQ(popover->isShown(), !closes);
        testing::click(*other);
        EXPECT_FALSE(popover->isShown()) << "a press elsewhere still closes it";
    }
}

TEST_F(PopoverTest, ShowsOnlyFromAViewOnScreenAndGoesWithItsWindow) {
    const auto loose = Button::pushButton("In no window");
    popover->show({}, *loose, RectEdge::maxY);
    EXPECT_FALSE(popover->isShown());
    EXPECT_TRUE(delegate.log.empty());

    popover->show({}, *anchor, RectEdge::maxY);
    window->close();
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(delegate.log.back(), "didClose");
}

TEST_F(PopoverTest, FollowsTheSizeOfANewContentView) {
    popover->show({}, *anchor, RectEdge::maxY);
    const QRect before = bubble();
    auto step = std::make_shared<View>();
    step->setWidth(320);
    step->setHeight(150);
    content->setView(step);
    step->layoutSubtreeIfNeeded();
    EXPECT_EQ(popover->contentSize(), (platform::CGSize{320, 150}));
    EXPECT_EQ(bubble().width(), before.width() + 120);
    EXPECT_EQ(bubble().height(), before.height() + 70);
    EXPECT_NEAR(bubble().center().x(), global(*anchor).center().x(), 1) << "still at the anchor";
}

}  // namespace
}  // namespace zoral::ui
