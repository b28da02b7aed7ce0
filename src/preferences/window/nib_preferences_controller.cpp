#include "preferences/window/nib_preferences_controller.h"

#include <algorithm>

#include "preferences/tabs/preferences_tabs.h"
#include "settings/defaults.h"
#include "ui/interface_description.h"
#include "ui/layout_guide.h"

namespace zoral::preferences {

using settings::PreferencesTab;
using Keys = settings::Defaults::Keys;

bool TableCellView::connectOutlet(const std::string& name, const std::shared_ptr<ui::View>& view) {
    if (name == "statusImageView") {
        statusImageView_ = std::dynamic_pointer_cast<ui::ImageView>(view);
        return statusImageView_ != nullptr;
    }
    return ui::TableCellView::connectOutlet(name, view);
}

NibPreferencesController::NibPreferencesController(PreferencesEnvironment environment)
    : PreferencesWindowController(std::move(environment)), tabs_(makePreferencesTabs()) {
    show();
}

NibPreferencesController::~NibPreferencesController() {
    detachFromWindow();
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
    // The pages are the tabs' views: take them out of the window's tree while their controllers
    // are still there to be told.
    for (const auto& tab : tabs_) {
        if (tab->isViewLoaded())
            tab->view()->removeFromSuperview();
    }
}

void NibPreferencesController::loadWindow() {
    const ui::InterfaceDescription::Owner owner{
        .classes = {{"TableCellView", [] { return std::make_shared<TableCellView>(); }}},
        .actions = {{"onQuit:", [this](ui::Control&) { onQuit(); }}},
    };
    const auto built = ui::InterfaceDescription::named("PrefsWindow").instantiate(owner);
    tableView_ = built.outlet<ui::TableView>("tableView");
    contentView_ = built.outlet<ui::View>("contentView");
    clipView_ = built.outlet<ui::ClipView>("clipView");
    windowTitle_ = built.outlet<ui::TextField>("windowTitle");
    newsButton_ = built.outlet<ui::Button>("newsButton");
    setWindow(built.window);
}

void NibPreferencesController::windowDidLoad() {
    const auto shown = window();
    shown->setDelegate(this);
    shown->setMovableByWindowBackground(true);
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    tableView_->reloadData();
    windowTitle_->setStringValue("Zoral");
    selectTab(static_cast<std::int64_t>(settings::Defaults::readValue(Keys::prefsLastTab())));
}

void NibPreferencesController::showTab(PreferencesTab tab) {
    selectTab(static_cast<std::int64_t>(tab));
}

void NibPreferencesController::selectTab(std::int64_t index) {
    if (!window())
        return;
    const auto last = static_cast<std::int64_t>(tabs_.size()) - 1;
    index = std::clamp<std::int64_t>(index, 0, last);
    if (tableView_->selectedRow() != index)
        tableView_->selectRow(index);
    const auto current = contentView_->subviews();
    for (const auto& subview : current)
        subview->removeFromSuperview();
    ui::pin(*tabs_[static_cast<std::size_t>(index)]->view(), *contentView_, 0);
    clipView_->scrollToPoint({0, 0});
    settings::Defaults::writeValue(Keys::prefsLastTab(), static_cast<PreferencesTab>(index));
}

std::shared_ptr<ui::Button> NibPreferencesController::popoverAnchor() {
    (void)window();
    return newsButton_;
}

void NibPreferencesController::showPopoverAnchor() {
    popoverAnchor()->setHidden(false);
}

void NibPreferencesController::hidePopoverAnchor() {
    popoverAnchor()->setHidden(true);
}

std::int64_t NibPreferencesController::numberOfRows(ui::TableView&) {
    return static_cast<std::int64_t>(tabs_.size());
}

std::shared_ptr<ui::View> NibPreferencesController::viewForRow(ui::TableView& table,
                                                               const std::string& column,
                                                               std::int64_t row) {
    auto cell = std::dynamic_pointer_cast<TableCellView>(table.makeView(column));
    if (!cell || !cell->textField() || !cell->imageView() || !cell->statusImageView())
        return nullptr;
    const SidebarTab& tab = *tabs_.at(static_cast<std::size_t>(row));
    cell->textField()->setStringValue(tab.tabTitle());
    cell->imageView()->setImage(tab.imageName());
    cell->statusImageView()->setHidden(true);
    return cell;
}

void NibPreferencesController::selectionDidChange(ui::TableView& table) {
    selectTab(table.selectedRow());
}

void NibPreferencesController::onQuit() {
    if (environment().terminate)
        environment().terminate();
}

}  // namespace zoral::preferences
