#include "preferences/window/swift_preferences_controller.h"

#include <algorithm>

#include "platform/screens.h"
#include "preferences/tabs/preferences_tabs.h"
#include "settings/defaults.h"
#include "ui/image_view.h"
#include "ui/layout_guide.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences {

using settings::PreferencesTab;
using Keys = settings::Defaults::Keys;

namespace {

bool hasSymbols() {
    return platform::isOperatingSystemAtLeast({11, 0, 0});
}

}  // namespace

// --- MainViewController

void MainViewController::loadView() {
    scrollView_ = std::make_shared<ui::ScrollView>();
    clipView_ = std::make_shared<NSFlippedClipView>();
    mainView_ = std::make_shared<ui::View>();
    scrollView_->setContentView(clipView_);
    scrollView_->setDocumentView(mainView_);
    scrollView_->setHasVerticalScroller(true);
    scrollView_->setHasHorizontalScroller(true);
    setView(scrollView_);
}

void MainViewController::setContent(const std::shared_ptr<ui::View>& view) {
    loadViewIfNeeded();
    const auto current = mainView_->subviews();
    for (const auto& subview : current)
        subview->removeFromSuperview();
    ui::pin(*view, *mainView_, 12, ui::PinBottom::atMost);
    clipView_->scrollToPoint({0, 0});
}

// --- SidebarViewController

SidebarViewController::SidebarViewController(SidebarTabs tabs) : tabs_(std::move(tabs)) {}

void SidebarViewController::loadView() {
    scrollView_ = std::make_shared<ui::ScrollView>();
    tableView_ = std::make_shared<ui::TableView>();
    scrollView_->setDocumentView(tableView_);
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    tableView_->setHeaderHidden(true);
    tableView_->setRowHeight(36);
    tableView_->addColumn("col");
    setView(scrollView_);
    tableView_->reloadData();
}

std::int64_t SidebarViewController::numberOfRows(ui::TableView&) {
    return static_cast<std::int64_t>(tabs_.size());
}

std::shared_ptr<ui::View> SidebarViewController::viewForRow(ui::TableView&, const std::string&,
                                                            std::int64_t row) {
    const SidebarTab& tab = *tabs_.at(static_cast<std::size_t>(row));
    auto cell = std::make_shared<ui::TableCellView>();

    auto label = ui::TextField::wrappingLabel(tab.tabTitle());
    label->setSelectable(false);
    label->setFont(ui::Font::system(14));
    label->setTextColor(ui::SystemColor::label);

    // 20 points wide from 4 points in: the image's centre 14 points from the leading edge, the
    // title 32 points from it.
    auto image = std::make_shared<ui::ImageView>(20, 20);
    if (hasSymbols()) {
        image->setSymbol(tab.symbolName(), {.pointSize = 14,
                                            .weight = ui::SymbolWeight::regular,
                                            .scale = ui::SymbolScale::medium});
        image->setAccessibilityDescription(tab.tabTitle());
    } else {
        image->setImage(tab.imageName());
    }
    image->setImageScaling(ui::ImageScaling::proportionallyUpOrDown);

    auto row_ =
        std::make_shared<ui::StackView>(std::vector<std::shared_ptr<ui::View>>{image, label});
    row_->setAlignment(ui::StackAlignment::centerY);
    row_->setSpacing(8);
    row_->setEdgeInsets({0, 4, 0, 0});
    ui::pin(*row_, *cell, 0);
    cell->setImageView(image);
    cell->setTextField(label);
    return cell;
}

void SidebarViewController::selectionDidChange(ui::TableView& table) {
    onSelectionChange(table.selectedRow());
}

// --- SplitViewController

SplitViewController::SplitViewController()
    : main_(std::make_shared<MainViewController>()),
      tabs_(makePreferencesTabs()),
      sidebar_(std::make_shared<SidebarViewController>(tabs_)) {
    sidebar_->onSelectionChange = [this](std::int64_t row) { selectTab(row); };
    setDividerStyle(ui::DividerStyle::thin);
    auto sidebarItem = ui::SplitViewItem::sidebar(sidebar_);
    sidebarItem.canCollapse = false;
    sidebarItem.minimumThickness = 150;
    sidebarItem.maximumThickness = 150;
    auto contentItem = ui::SplitViewItem::content(main_);
    contentItem.minimumThickness = 150;
    addSplitViewItem(sidebarItem);
    addSplitViewItem(contentItem);
    setDividerDraggable(false);
}

SplitViewController::~SplitViewController() {
    // The pages are the tabs' views: take them out of the window's tree while their controllers
    // are still there to be told.
    for (const auto& tab : tabs_) {
        if (tab->isViewLoaded())
            tab->view()->removeFromSuperview();
    }
}

void SplitViewController::selectTab(std::int64_t index) {
    const auto last = static_cast<std::int64_t>(tabs_.size()) - 1;
    index = std::clamp<std::int64_t>(index, 0, last);
    sidebar_->loadViewIfNeeded();
    sidebar_->tableView()->selectRow(index);
    main_->setContent(tabs_[static_cast<std::size_t>(index)]->view());
    settings::Defaults::writeValue(Keys::prefsLastTab(), static_cast<PreferencesTab>(index));
}

// --- SwiftPreferencesController

SwiftPreferencesController::SwiftPreferencesController(PreferencesEnvironment environment)
    : PreferencesWindowController(std::move(environment)),
      toolbar_(std::make_shared<ui::Toolbar>("Preferences")),
      split_(std::make_shared<SplitViewController>()) {
    auto window = ui::TitledWindow::withContentViewController(split_);
    setWindow(window);
    window->setDelegate(this);
    window->setStyleMask(window->styleMask() | ui::TitledWindow::fullSizeContentView);
    window->setCollectionBehavior(ui::TitledWindow::fullScreenPrimary);
    window->setMovableByWindowBackground(true);
    window->setContentMinSize({300, 150});
    window->setContentSize({780, 474});
    window->center();
    setTitle("Zoral", std::nullopt, "\u2014");

    toolbar_->setDelegate(this);
    toolbar_->setAllowsUserCustomization(false);
    toolbar_->setDisplayMode(ui::ToolbarDisplayMode::iconOnly);
    window->setToolbar(toolbar_);

    split_->selectTab(
        static_cast<std::int64_t>(settings::Defaults::readValue(Keys::prefsLastTab())));
    show();
}

SwiftPreferencesController::~SwiftPreferencesController() {
    detachFromWindow();
    toolbar_->setDelegate(nullptr);
}

void SwiftPreferencesController::showTab(PreferencesTab tab) {
    split_->selectTab(static_cast<std::int64_t>(tab));
}

std::shared_ptr<ui::Button> SwiftPreferencesController::popoverAnchor() {
    if (!onboardingButton_)
        onboardingButton_ = ui::Button::pushButton("Onboarding");
    return onboardingButton_;
}

void SwiftPreferencesController::showPopoverAnchor() {
    setToolbarItems({"Onboard"});
}

void SwiftPreferencesController::updateToolbarItems(bool onboarding) {
    setToolbarItems({onboarding ? "Onboard" : "Quit"});
}

std::vector<std::string> SwiftPreferencesController::toolbarDefaultItemIdentifiers(ui::Toolbar&) {
    return {"Quit"};
}

std::vector<std::string> SwiftPreferencesController::toolbarAllowedItemIdentifiers(ui::Toolbar&) {
    return {"Onboard", "Quit"};
}

std::shared_ptr<ui::ToolbarItem> SwiftPreferencesController::itemForIdentifier(
    ui::Toolbar&, const std::string& identifier, bool) {
    auto item = std::make_shared<ui::ToolbarItem>();
    item->identifier = identifier;
    item->label = identifier;
    if (identifier == "Quit") {
        auto quit = ui::Button::pushButton("Quit");
        quit->setAction([this](ui::Control&) { toolbarQuit(); });
        item->view = quit;
    } else if (identifier == "Onboard") {
        item->view = popoverAnchor();
    } else {
        item->view = ui::Button::pushButton("Button");
    }
    return item;
}

void SwiftPreferencesController::toolbarQuit() {
    if (environment().terminate)
        environment().terminate();
}

}  // namespace zoral::preferences
