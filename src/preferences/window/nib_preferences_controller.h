#pragma once

// The preferences window of systems before 11, built from its interface description "PrefsWindow"
// when first needed: a sidebar table of the seven tabs with the window's title above it and the
// news and Quit buttons below, and the selected tab's page in a scroll view beside it, laid out
// from the top. Making the controller opens the window on the tab shown last. The onboarding
// popovers hang from the news button, which shows only while one is presented.
//
// The controller is not a widget: the tabs' views belong to the window's view tree, and are taken
// out of it before the window goes. Made with std::make_shared. Main thread only.

#include <cstdint>
#include <memory>
#include <string>

#include "preferences/window/preferences_window_controller.h"
#include "preferences/window/sidebar_tab.h"
#include "ui/image_view.h"
#include "ui/scroll_view.h"
#include "ui/table_view.h"
#include "ui/text_field.h"

namespace zoral::preferences {

// The sidebar's row view of the description: an image, a title and a status light.
class TableCellView final : public ui::TableCellView {
public:
    const std::shared_ptr<ui::ImageView>& statusImageView() const { return statusImageView_; }
    bool connectOutlet(const std::string& name, const std::shared_ptr<ui::View>& view) override;

private:
    std::shared_ptr<ui::ImageView> statusImageView_;
};

class NibPreferencesController final : public PreferencesWindowController,
                                       public ui::TableViewDataSource,
                                       public ui::TableViewDelegate {
public:
    // Opens the window.
    explicit NibPreferencesController(PreferencesEnvironment environment);
    ~NibPreferencesController() override;

    void showTab(settings::PreferencesTab tab) override;
    std::shared_ptr<ui::Button> popoverAnchor() override;
    void showPopoverAnchor() override;

    // Selects the tab's row (an index out of range counts as the nearest tab), shows the tab's
    // page at its top and remembers the tab in "prefsLastTab".
    void selectTab(std::int64_t index);

    std::int64_t numberOfRows(ui::TableView& table) override;
    std::shared_ptr<ui::View> viewForRow(ui::TableView& table, const std::string& column,
                                         std::int64_t row) override;
    void selectionDidChange(ui::TableView& table) override;

    const SidebarTabs& viewControllers() const { return tabs_; }
    // The outlets, once the window has loaded.
    const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
    const std::shared_ptr<ui::View>& contentView() const { return contentView_; }
    const std::shared_ptr<ui::ClipView>& clipView() const { return clipView_; }
    const std::shared_ptr<ui::TextField>& windowTitle() const { return windowTitle_; }
    const std::shared_ptr<ui::Button>& newsButton() const { return newsButton_; }

protected:
    void loadWindow() override;
    void windowDidLoad() override;
    void hidePopoverAnchor() override;

private:
    void onQuit();

    SidebarTabs tabs_;
    std::shared_ptr<ui::TableView> tableView_;
    std::shared_ptr<ui::View> contentView_;
    std::shared_ptr<ui::ClipView> clipView_;
    std::shared_ptr<ui::TextField> windowTitle_;
    std::shared_ptr<ui::Button> newsButton_;
};

}  // namespace zoral::preferences
