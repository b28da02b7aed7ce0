#pragma once

// The preferences window built in code: a toolbar over a split view, a sidebar of the seven tabs
// at the left (150 points wide, the divider held in place) and the selected tab's page in a
// scroll view at the right, laid out from the top. Making the controller opens the window on the
// tab shown last. The toolbar holds "Quit", or the onboarding button alone while an onboarding
// popover hangs from it.
//
// The controllers are not widgets: the tabs' views belong to the window's view tree, and are
// taken out of it before the window goes. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "preferences/widgets/small_widgets.h"
#include "preferences/window/preferences_window_controller.h"
#include "preferences/window/sidebar_tab.h"
#include "ui/scroll_view.h"
#include "ui/split_view_controller.h"
#include "ui/table_view.h"
#include "ui/toolbar.h"

namespace zoral::preferences {

// The right pane: the tab's page in a scroll view whose flipped clip view keeps it at the top.
class MainViewController final : public ui::ViewController {
public:
    void loadView() override;
    // Puts the view in the pane, 12 points in from every side (it may grow downwards beyond the
    // pane, which then scrolls), and scrolls to the top.
    void setContent(const std::shared_ptr<ui::View>& view);

    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<NSFlippedClipView>& clipView() const { return clipView_; }
    const std::shared_ptr<ui::View>& mainView() const { return mainView_; }

private:
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<NSFlippedClipView> clipView_;
    std::shared_ptr<ui::View> mainView_;
};

// The left pane: one row per tab, a symbol (an image before system 11) and the tab's title.
class SidebarViewController final : public ui::ViewController,
                                    public ui::TableViewDataSource,
                                    public ui::TableViewDelegate {
public:
    explicit SidebarViewController(SidebarTabs tabs);

    void loadView() override;
    std::int64_t numberOfRows(ui::TableView& table) override;
    std::shared_ptr<ui::View> viewForRow(ui::TableView& table, const std::string& column,
                                         std::int64_t row) override;
    void selectionDidChange(ui::TableView& table) override;

    // Told the row the user selected (-1 when the user cleared the selection).
    std::function<void(std::int64_t row)> onSelectionChange = [](std::int64_t) {};

    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }

private:
    SidebarTabs tabs_;
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::TableView> tableView_;
};

class SplitViewController final : public ui::SplitViewController {
public:
    SplitViewController();
    ~SplitViewController() override;

    // Selects the tab's row (an index out of range counts as the nearest tab), shows the tab's
    // page at its top and remembers the tab in "prefsLastTab".
    void selectTab(std::int64_t index);

    const std::shared_ptr<SidebarViewController>& sidebarViewController() const { return sidebar_; }
    const std::shared_ptr<MainViewController>& mainViewController() const { return main_; }
    const SidebarTabs& contentViewControllers() const { return tabs_; }

private:
    std::shared_ptr<MainViewController> main_;
    SidebarTabs tabs_;
    std::shared_ptr<SidebarViewController> sidebar_;
};

class SwiftPreferencesController final : public PreferencesWindowController,
                                         public ui::ToolbarDelegate {
public:
    // Opens the window.
    explicit SwiftPreferencesController(PreferencesEnvironment environment);
    ~SwiftPreferencesController() override;

    void showTab(settings::PreferencesTab tab) override;
    std::shared_ptr<ui::Button> popoverAnchor() override;
    void showPopoverAnchor() override;

    // The toolbar with its onboarding button alone, or with "Quit".
    void updateToolbarItems(bool onboarding);

    std::vector<std::string> toolbarDefaultItemIdentifiers(ui::Toolbar& toolbar) override;
    std::vector<std::string> toolbarAllowedItemIdentifiers(ui::Toolbar& toolbar) override;
    std::shared_ptr<ui::ToolbarItem> itemForIdentifier(ui::Toolbar& toolbar,
                                                       const std::string& identifier,
                                                       bool willBeInserted) override;

    const std::shared_ptr<ui::Toolbar>& toolbar() const { return toolbar_; }
    const std::shared_ptr<SplitViewController>& splitViewController() const { return split_; }

protected:
    void hidePopoverAnchor() override { updateToolbarItems(false); }

private:
    void toolbarQuit();

    std::shared_ptr<ui::Toolbar> toolbar_;
    std::shared_ptr<SplitViewController> split_;
    std::shared_ptr<ui::Button> onboardingButton_;
};

}  // namespace zoral::preferences
