// The two preferences windows, the one built in code and the one built from its interface
// description, side by side: the same tabs in the same order, the same selection by the user and
// by the program, the same tab remembered; and the program choosing one by the system's version.

#include <QPoint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "preferences/window/nib_preferences_controller.h"
#include "preferences/window/preferences_window_adapter.h"
#include "preferences_world.h"
#include "screenshots.h"
#include "sim/program_windows.h"
#include "ui/application.h"

namespace zoral::preferences {
namespace {

using settings::PreferencesTab;

// What a test reads of either window.
struct WindowParts {
    std::function<std::shared_ptr<PreferencesWindowController>(PreferencesEnvironment)> make;
    std::function<ui::TableView&(PreferencesWindowController&)> sidebar;
    // The views of the seven tabs and the view that holds the shown one.
    std::function<const SidebarTabs&(PreferencesWindowController&)> tabs;
    std::function<ui::View&(PreferencesWindowController&)> pageHolder;
    const char* name;
};

const WindowParts codeBuilt{
    .make = [](PreferencesEnvironment environment) -> std::shared_ptr<PreferencesWindowController> {
        return std::make_shared<SwiftPreferencesController>(std::move(environment));
    },
    .sidebar = [](PreferencesWindowController& controller) -> ui::TableView& {
        return *dynamic_cast<SwiftPreferencesController&>(controller)
                    .splitViewController()
                    ->sidebarViewController()
                    ->tableView();
    },
    .tabs = [](PreferencesWindowController& controller) -> const SidebarTabs& {
        return dynamic_cast<SwiftPreferencesController&>(controller)
            .splitViewController()
            ->contentViewControllers();
    },
    .pageHolder = [](PreferencesWindowController& controller) -> ui::View& {
        return *dynamic_cast<SwiftPreferencesController&>(controller)
                    .splitViewController()
                    ->mainViewController()
                    ->mainView();
    },
    .name = "built in code",
};

const WindowParts described{
    .make = [](PreferencesEnvironment environment) -> std::shared_ptr<PreferencesWindowController> {
        return std::make_shared<NibPreferencesController>(std::move(environment));
    },
    .sidebar = [](PreferencesWindowController& controller) -> ui::TableView& {
        return *dynamic_cast<NibPreferencesController&>(controller).tableView();
    },
    .tabs = [](PreferencesWindowController& controller) -> const SidebarTabs& {
        return dynamic_cast<NibPreferencesController&>(controller).viewControllers();
    },
    .pageHolder = [](PreferencesWindowController& controller) -> ui::View& {
        return *dynamic_cast<NibPreferencesController&>(controller).contentView();
    },
    .name = "from its description",
};

class WindowControllersTest : public testing::PreferencesWorldTest,
                              public ::testing::WithParamInterface<const WindowParts*> {
protected:
    ~WindowControllersTest() override { window_.reset(); }

    const WindowParts& parts() const { return *GetParam(); }

    PreferencesWindowController& openWindow() {
        window_.reset();
        window_ = parts().make(PreferencesEnvironment{access.get(), [this] { ++terminations; }});
        return *window_;
    }
    ui::TableView& table() { return parts().sidebar(*window_); }

    // The tab whose page is shown; -1 for none or another view.
    std::int64_t pageShown() {
        const auto& pages = parts().pageHolder(*window_).subviews();
        if (pages.size() != 1)
            return -1;
        const SidebarTabs& tabs = parts().tabs(*window_);
        for (std::size_t index = 0; index < tabs.size(); ++index) {
            if (tabs[index]->isViewLoaded() && tabs[index]->view() == pages.front())
                return static_cast<std::int64_t>(index);
        }
        return -1;
    }

    void clickSidebarRow(std::int64_t row) {
        const double height = table().rowHeight();
        ui::testing::click(
            table(), QPoint(60, static_cast<int>(static_cast<double>(row) * height + height / 2)));
    }

    std::shared_ptr<PreferencesWindowController> window_;
};

TEST_P(WindowControllersTest, ShowTheSameTabsSelectionAndStorage) {
    const std::vector<std::string> titles = {"General", "Windows",  "Snapping", "Apps",
                                             "Menubar", "Advanced", "About"};
    sim::SystemVersion::of(*world).setVersion({10, 15, 7});
    auto defaults = settings::Defaults::standardSuite();
    defaults->setObject(platform::PlistObject::integer(4), "prefsLastTab");

    PreferencesWindowController& opened = openWindow();
    ASSERT_TRUE(opened.window()->isVisible()) << parts().name;
    EXPECT_EQ(opened.window()->delegate(), &opened);
    EXPECT_EQ(table().numberOfRows(), 7);
    for (std::int64_t row = 0; row < 7; ++row) {
        auto cell = std::dynamic_pointer_cast<ui::TableCellView>(table().viewAtRow(row));
        ASSERT_TRUE(cell) << parts().name;
        EXPECT_EQ(cell->textField()->stringValue(), titles[static_cast<std::size_t>(row)]);
        EXPECT_EQ(cell->imageView()->imageName(),
                  parts().tabs(opened)[static_cast<std::size_t>(row)]->imageName());
        EXPECT_TRUE(cell->imageView()->image().has_value());
    }
    EXPECT_EQ(table().selectedRow(), 4) << "opens on the tab shown last";
    EXPECT_EQ(pageShown(), 4);

    // The user's click, the arrow key, the program's showTab and a cleared selection.
    clickSidebarRow(2);
    EXPECT_EQ(pageShown(), 2);
    EXPECT_EQ(storedTab(), 2);
    ui::testing::key(table(), Qt::Key_Down);
    EXPECT_EQ(table().selectedRow(), 3);
    EXPECT_EQ(pageShown(), 3);
    EXPECT_EQ(storedTab(), 3);
    opened.showTab(PreferencesTab::advanced);
    EXPECT_EQ(table().selectedRow(), 5);
    EXPECT_EQ(pageShown(), 5);
    EXPECT_EQ(storedTab(), 5);
    clickSidebarRow(9);
    EXPECT_EQ(table().selectedRow(), 0) << "a cleared selection shows General";
    EXPECT_EQ(pageShown(), 0);
    EXPECT_EQ(storedTab(), 0);

    opened.showTab(PreferencesTab::about);
    openWindow();
    EXPECT_EQ(table().selectedRow(), 6) << "a new window opens where the last one was left";
    EXPECT_EQ(pageShown(), 6);
}

TEST_P(WindowControllersTest, APopoverHangsFromTheAnchorWhichGoesWhenItCloses) {
    PreferencesWindowController& opened = openWindow();
    const auto anchor = opened.popoverAnchor();
    int completions = 0;
    opened.showWhatsNew([&] { ++completions; });
    EXPECT_FALSE(anchor->isHidden());
    EXPECT_EQ(anchor->title(), "What's New");
    turn();
    const auto shown = opened.presentedPopover();
    ASSERT_TRUE(shown && shown->isShown()) << parts().name;
    EXPECT_EQ(shown->positioningView(), anchor);

    clickButton(*shown->contentViewController()->view(), "Close");
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(shown->isShown());
    EXPECT_TRUE(anchor->isHidden() || !anchor->isInVisibleWindow()) << "the anchor is put away";
}

TEST_P(WindowControllersTest, QuitEndsTheApplication) {
    PreferencesWindowController& opened = openWindow();
    ui::View& root = *opened.window()->contentView();
    const ui::View* quitHolder = &root;
    if (opened.window()->toolbar())
        quitHolder = opened.window()->toolbar()->items().front()->view.get();
    clickButton(*quitHolder, "Quit");
    EXPECT_EQ(terminations, 1);
}

INSTANTIATE_TEST_SUITE_P(BothWindows, WindowControllersTest,
                         ::testing::Values(&codeBuilt, &described),
                         [](const ::testing::TestParamInfo<const WindowParts*>& param) {
                             return param.param == &codeBuilt ? std::string("CodeBuilt")
                                                              : std::string("Described");
                         });

class ProgramPreferencesWindowTest : public testing::PreferencesWorldTest {};

// The program's window: the one built in code from system 11 on, the described one before.
TEST_F(ProgramPreferencesWindowTest, TheProgramBuildsTheWindowTheSystemVersionCallsFor) {
    struct Case {
        platform::OperatingSystemVersion version;
        bool codeBuilt;
    };
    const Case cases[] = {
        {{14, 0, 0}, true}, {{11, 0, 0}, true}, {{10, 15, 7}, false}, {{10, 13, 0}, false}};
    for (const Case& test : cases) {
        sim::SystemVersion::of(*world).setVersion(test.version);
        int quits = 0;
        PreferencesWindowAdapter program(PreferencesEnvironment{access.get(), [&] { ++quits; }});
        auto& made = program.windowController();
        EXPECT_EQ(dynamic_cast<SwiftPreferencesController*>(&made) != nullptr, test.codeBuilt);
        EXPECT_EQ(dynamic_cast<NibPreferencesController*>(&made) != nullptr, !test.codeBuilt);
        EXPECT_TRUE(made.window()->isVisible()) << "made with the window open";

        program.showTab(PreferencesTab::snapping);
        EXPECT_EQ(storedTab(), 2);
        made.window()->close();
        program.show();
        EXPECT_TRUE(made.window()->isVisible());
        int done = 0;
        program.requireAccessibility([&] { ++done; });
        EXPECT_EQ(done, 1) << "the permission is there";
    }
}

TEST_F(ProgramPreferencesWindowTest, TheDescribedWindowScreenshots) {
    sim::SystemVersion::of(*world).setVersion({10, 15, 7});
    auto nib =
        std::make_shared<NibPreferencesController>(PreferencesEnvironment{access.get(), [] {}});
    nib->showTab(PreferencesTab::general);
    nib->window()->contentView()->layoutSubtreeIfNeeded();
    ui::testing::expectNothingClippedOrOverlapping(*nib->window()->contentView());
    ui::testing::saveScreenshot(nib->window()->render(), "screenshots", "described-window-general");
    nib->showTab(PreferencesTab::about);
    nib->window()->contentView()->layoutSubtreeIfNeeded();
    ui::testing::saveScreenshot(nib->window()->render(), "screenshots", "described-window-about");
    nib->showWelcome({});
    turn();
    ASSERT_TRUE(nib->presentedPopover()->isShown());
    ui::testing::saveScreenshot(nib->window()->render(), "screenshots", "described-window-welcome");
    nib->presentedPopover()->close();
}

}  // namespace
}  // namespace zoral::preferences
