#include "ui/titled_window.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/program_windows.h"
#include "toolbar_items.h"
#include "ui/button.h"
#include "ui/window_controller.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::ui {
namespace {

// Records what a window tells its delegate.
class RecordingDelegate final : public WindowDelegate {
public:
    bool windowShouldClose(TitledWindow&) override {
        log.push_back("shouldClose");
        return allowClose;
    }
    void windowWillClose(TitledWindow&) override { log.push_back("willClose"); }
    void windowWillEnterFullScreen(TitledWindow&) override { log.push_back("willEnterFullScreen"); }
    void windowDidEnterFullScreen(TitledWindow&) override { log.push_back("didEnterFullScreen"); }
    void windowWillExitFullScreen(TitledWindow&) override { log.push_back("willExitFullScreen"); }
    void windowDidExitFullScreen(TitledWindow&) override { log.push_back("didExitFullScreen"); }

    std::vector<std::string> log;
    bool allowClose = true;
};

class TitledWindowTest : public testing::UiWorldTest {
protected:
    // The title bar's buttons, by their place: close, minimise, zoom.
    void clickTitleBarButton(TitledWindow& window, int index) {
        const auto& root = qtWidget(*window.contentView())->window();
        QWidget* header = root->childAt(20 + 20 * index, 10);
        ASSERT_NE(header, nullptr);
        const QPoint inHeader = header->mapFrom(root, QPoint(20 + 20 * index, 14));
        QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier, inHeader);
    }

    std::vector<std::string> identifiers(const Toolbar& toolbar) {
        std::vector<std::string> result;
        for (const auto& item : toolbar.items())
            result.push_back(item->identifier);
        return result;
    }
};

using Log = std::vector<std::string>;

TEST_F(TitledWindowTest, TheCloseAndZoomButtonsAskAndTellTheDelegate) {
    auto window = std::make_shared<TitledWindow>(platform::CGSize{500, 300});
    window->setContentView(std::make_shared<View>());
    RecordingDelegate delegate;
    window->setDelegate(&delegate);
    window->makeKeyAndOrderFront();

    clickTitleBarButton(*window, 2);
    EXPECT_EQ(delegate.log, (Log{"willEnterFullScreen", "didEnterFullScreen"}));
    EXPECT_TRUE(window->isFullScreen());
    EXPECT_EQ(window->frame(), platform::CGRect(0, 0, 1440, 900)) << "the whole display";
    window->toggleFullScreen();
    EXPECT_FALSE(window->isFullScreen());
    delegate.log.clear();

    delegate.allowClose = false;
    clickTitleBarButton(*window, 0);
    EXPECT_EQ(delegate.log, (Log{"shouldClose"}));
    EXPECT_TRUE(window->isVisible()) << "the delegate kept it open";
    delegate.allowClose = true;
    clickTitleBarButton(*window, 0);
    EXPECT_EQ(delegate.log, (Log{"shouldClose", "shouldClose", "willClose"}));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(TitledWindowTest, IsAWindowOfTheDesktopWhileItIsShown) {
    auto window = std::make_shared<TitledWindow>(platform::CGSize{780, 474});
    window->setTitle("Zoral");
    window->center();
    const auto& desktop = sim::ProgramWindows::of(*world);
    const auto number = window->windowNumber();
    ASSERT_TRUE(desktop.window(number));
    EXPECT_FALSE(desktop.window(number)->orderedIn);
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(desktop.window(number)->orderedIn);
    const platform::CGRect frame = window->frame();
    EXPECT_EQ(frame.width(), 780);
    EXPECT_EQ(frame.height(), 474 + TitledWindow::titleBarHeight);
    EXPECT_EQ(desktop.window(number)->frame, frame);
    // Centred in the visible frame (below the menu bar).
    EXPECT_EQ(frame.midX(), 720);
    EXPECT_NEAR(frame.midY(), (900 - 25) / 2.0, 1);
    window->close();
    EXPECT_FALSE(desktop.window(number)->orderedIn);
    window.reset();
    EXPECT_FALSE(desktop.window(number)) << "gone from the desktop with the window";
}

TEST_F(TitledWindowTest, TheToolbarStartsWithItsDefaultItemsAndTakesInsertionsInOrder) {
    testing::ToolbarItems items;
    auto toolbar = std::make_shared<Toolbar>("Preferences");
    toolbar->setDelegate(&items);
    auto window = std::make_shared<TitledWindow>(platform::CGSize{500, 300});
    window->setContentView(std::make_shared<View>());
    window->setToolbar(toolbar);
    EXPECT_EQ(identifiers(*toolbar), (std::vector<std::string>{"Quit"}));
    EXPECT_EQ(window->contentSize(), (platform::CGSize{500, 300})) << "the title bar grew";
    EXPECT_EQ(window->frame().height(), 300 + TitledWindow::toolbarTitleBarHeight);

    // Replacing every item: remove them all, then insert the new ones at the front, last first.
    while (!toolbar->items().empty())
        toolbar->removeItem(0);
    for (const char* identifier : {"Quit", "Onboard"})
        toolbar->insertItem(identifier, 0);
    EXPECT_EQ(identifiers(*toolbar), (std::vector<std::string>{"Onboard", "Quit"}));
    EXPECT_EQ(toolbar->itemsView()->arrangedSubviews().size(), 2U);
    EXPECT_EQ(toolbar->items()[0]->view->window(), window.get()) << "item views are the window's";
}

TEST_F(TitledWindowTest, ASheetEndsWithItsResponseAndTheNextOneWaitsItsTurn) {
    auto window = std::make_shared<TitledWindow>(platform::CGSize{500, 300});
    const auto content = Button::pushButton("Behind the sheet");
    window->setContentView(content);
    window->makeKeyAndOrderFront();
    std::vector<std::int64_t> responses;

    auto first = std::make_shared<TitledWindow>(platform::CGSize{300, 120});
    const auto close = Button::pushButton("Close");
    first->setContentView(close);
    close->setAction([&](Control&) { window->endSheet(*first, 0); });
    auto second = std::make_shared<TitledWindow>(platform::CGSize{300, 120});
    second->setContentView(std::make_shared<View>());

    window->beginSheet(first, [&](std::int64_t response) { responses.push_back(response); });
    window->beginSheet(second, [&](std::int64_t response) { responses.push_back(response * 10); });
    EXPECT_EQ(window->attachedSheet(), first);
    EXPECT_EQ(first->sheetParent(), window);
    EXPECT_TRUE(close->isInVisibleWindow());
    EXPECT_EQ(close->window(), first.get());

    int clicks = 0;
    content->setAction([&](Control&) { ++clicks; });
    testing::click(*content);
    EXPECT_EQ(clicks, 0) << "the window takes no input under its sheet";

    testing::click(*close);
    EXPECT_EQ(responses, (std::vector<std::int64_t>{0}));
    EXPECT_EQ(window->attachedSheet(), second) << "the waiting sheet comes next";
    EXPECT_EQ(first->sheetParent(), nullptr);
    window->endSheet(*second, modalResponse::alertFirstButton);
    EXPECT_EQ(responses, (std::vector<std::int64_t>{0, 10000}));
    EXPECT_EQ(window->attachedSheet(), nullptr);
    window->endSheet(*second, 5);
    EXPECT_EQ(responses.size(), 2U) << "a sheet ends once";

    testing::click(*content);
    EXPECT_EQ(clicks, 1);
    window->close();
}

TEST_F(TitledWindowTest, TheFirstResponderIsAViewOfTheWindow) {
    auto window = std::make_shared<TitledWindow>(platform::CGSize{300, 200});
    const auto step = std::make_shared<View>();
    window->setContentView(step);
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(window->makeFirstResponder(step.get()));
    EXPECT_EQ(window->firstResponder(), step.get());
    const auto elsewhere = std::make_shared<View>();
    EXPECT_FALSE(window->makeFirstResponder(elsewhere.get())) << "not a view of this window";
    EXPECT_EQ(window->firstResponder(), step.get());
    EXPECT_TRUE(window->makeFirstResponder(nullptr));
    EXPECT_EQ(window->firstResponder(), nullptr);
    window->close();
}

TEST_F(TitledWindowTest, AWindowControllerLoadsItsWindowOnceOnFirstUse) {
    class Controller final : public WindowController {
    public:
        int loads = 0;
        int didLoads = 0;

    protected:
        void loadWindow() override {
            ++loads;
            setWindow(std::make_shared<TitledWindow>(platform::CGSize{200, 100}));
        }
        void windowDidLoad() override { ++didLoads; }
    };
    Controller controller;
    EXPECT_FALSE(controller.isWindowLoaded());
    controller.showWindow();
    controller.showWindow();
    EXPECT_EQ(controller.loads, 1);
    EXPECT_EQ(controller.didLoads, 1);
    EXPECT_TRUE(controller.window()->isVisible());
    controller.close();
    EXPECT_FALSE(controller.window()->isVisible());
}

}  // namespace
}  // namespace zoral::ui
