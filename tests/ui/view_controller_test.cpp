#include "ui/view_controller.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/popover.h"
#include "ui/qt_view.h"
#include "ui/split_view_controller.h"
#include "ui/titled_window.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

// A controller that writes down every call of its lifecycle.
class RecordingController : public ViewController {
public:
    RecordingController(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}

    void loadView() override {
        log_.push_back(name_ + " load");
        ViewController::loadView();
    }
    void viewDidLoad() override { log_.push_back(name_ + " didLoad"); }
    void viewWillAppear() override { log_.push_back(name_ + " willAppear"); }
    void viewDidAppear() override { log_.push_back(name_ + " didAppear"); }
    void viewWillDisappear() override { log_.push_back(name_ + " willDisappear"); }
    void viewDidDisappear() override { log_.push_back(name_ + " didDisappear"); }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class ViewControllerTest : public testing::UiWorldTest {
protected:
    std::shared_ptr<RecordingController> controller(const std::string& name) {
        return std::make_shared<RecordingController>(name, log);
    }
    std::vector<std::string> take() { return std::exchange(log, {}); }

    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(ViewControllerTest, LoadsOnceAndAppearsWithItsWindow) {
    const auto tab = controller("tab");
    auto window = std::make_shared<TitledWindow>(platform::CGSize{400, 300});
    EXPECT_TRUE(take().empty()) << "nothing loads before the view is asked for";

    window->setContentView(tab->view());
    (void)tab->view();
    EXPECT_EQ(take(), (Log{"tab load", "tab didLoad"})) << "loaded once";

    window->makeKeyAndOrderFront();
    EXPECT_EQ(take(), (Log{"tab willAppear", "tab didAppear"}));
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(take().empty()) << "already on screen";

    window->close();
    EXPECT_EQ(take(), (Log{"tab willDisappear", "tab didDisappear"}));
    window->makeKeyAndOrderFront();
    EXPECT_EQ(take(), (Log{"tab willAppear", "tab didAppear"})) << "shown again, not reloaded";
    window->close();
}

TEST_F(ViewControllerTest, SwitchingContentMakesOneDisappearAndTheOtherAppear) {
    const auto general = controller("general");
    const auto about = controller("about");
    auto window = std::make_shared<TitledWindow>(platform::CGSize{400, 300});
    auto main = std::make_shared<View>();
    window->setContentView(main);
    window->makeKeyAndOrderFront();

    main->addSubview(general->view());
    EXPECT_EQ(take(),
              (Log{"general load", "general didLoad", "general willAppear", "general didAppear"}));
    general->view()->removeFromSuperview();
    main->addSubview(about->view());
    EXPECT_EQ(take(), (Log{"general willDisappear", "general didDisappear", "about load",
                           "about didLoad", "about willAppear", "about didAppear"}));

    // The window's views outlive it where something else holds them: they are detached from
    // the window's tree, not destroyed with its widgets.
    window->close();
    take();
    window.reset();
    EXPECT_EQ(main->superview(), nullptr);
    EXPECT_EQ(about->view()->superview(), main);
    EXPECT_NE(qtWidget(*about->view())->parentWidget(), nullptr);
    main->addSubview(general->view());
    EXPECT_EQ(main->subviews().size(), 2U) << "still a working tree";
}

TEST_F(ViewControllerTest, SplitItemsPopoversAndSheetsAppearWithWhatShowsThem) {
    const auto sidebar = controller("sidebar");
    const auto content = controller("content");
    auto split = std::make_shared<SplitViewController>();
    split->addSplitViewItem(SplitViewItem::sidebar(sidebar));
    split->addSplitViewItem(SplitViewItem::content(content));
    auto window = TitledWindow::withContentViewController(split);
    take();
    window->makeKeyAndOrderFront();
    EXPECT_EQ(take(), (Log{"sidebar willAppear", "content willAppear", "sidebar didAppear",
                           "content didAppear"}));

    const auto bubble = controller("bubble");
    auto popover = std::make_shared<Popover>();
    popover->setContentViewController(bubble);
    take();
    popover->show({}, *content->view(), RectEdge::maxY);
    EXPECT_EQ(take(), (Log{"bubble willAppear", "bubble didAppear"}));
    popover->close();
    EXPECT_EQ(take(), (Log{"bubble willDisappear", "bubble didDisappear"}));

    const auto sheetContent = controller("sheet");
    auto sheet = TitledWindow::withContentViewController(sheetContent);
    take();
    window->beginSheet(sheet);
    EXPECT_EQ(take(), (Log{"sheet willAppear", "sheet didAppear"}));
    window->close();
    EXPECT_EQ(take(), (Log{"sidebar willDisappear", "content willDisappear", "sheet willDisappear",
                           "sheet didDisappear", "sidebar didDisappear", "content didDisappear"}))
        << "the attached sheet goes with its window";
    window->endSheet(*sheet);
    EXPECT_EQ(take(), Log{}) << "ended off screen: it had disappeared already";
}

TEST_F(ViewControllerTest, ReplacingTheViewOfAShownControllerKeepsItsPlace) {
    const auto step = controller("step");
    auto window = std::make_shared<TitledWindow>(platform::CGSize{400, 300});
    window->setContentView(step->view());
    window->makeKeyAndOrderFront();
    take();

    const auto next = std::make_shared<View>();
    next->setWidth(120);
    next->setHeight(40);
    step->setView(next);
    EXPECT_EQ(take(), Log{}) << "the controller stays on screen";
    EXPECT_EQ(window->contentView(), next);
    EXPECT_TRUE(next->isInVisibleWindow());
    window->close();
    EXPECT_EQ(take(), (Log{"step willDisappear", "step didDisappear"}))
        << "the new view carries the controller";
}

}  // namespace
}  // namespace zoral::ui
