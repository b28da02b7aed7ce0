#include "preferences/tabs/about_tab.h"

#include <cmath>
#include <cstdint>

#include "app/versioning.h"
#include "platform/bundle.h"
#include "platform/updater.h"
#include "preferences/tabs/tab_layout.h"
#include "settings/defaults.h"
#include "ui/image_view.h"
#include "ui/stack_view.h"

namespace zoral::preferences {

namespace {

using layout::column;
using layout::heading;
using layout::isOn;
using layout::note;
using layout::row;
using layout::stateOf;
using layout::Views;
using settings::Defaults::Keys;
namespace UpdaterSettings = app::UpdaterSettings;

// Automatic checks turned on again take up the interval the updater kept; an updater that never
// had one checks daily.
constexpr std::int64_t dailySeconds = 86400;

bool checksAutomatically() {
    return UpdaterSettings::updateInterval() != 0;
}

void setChecksAutomatically(bool on) {
    if (!on) {
        UpdaterSettings::setUpdateInterval(0);
        return;
    }
    const auto kept =
        static_cast<std::int64_t>(std::trunc(platform::updater::updateCheckInterval()));
    UpdaterSettings::setUpdateInterval(kept > 0 ? kept : dailySeconds);
}

}  // namespace

// --- AboutPopoverController

void AboutPopoverController::loadView() {
    automaticCheckbox_ = ui::Button::checkbox("Check for updates automatically");
    automaticCheckbox_->setAction([this](ui::Control& sender) {
        setChecksAutomatically(isOn(sender));
        refresh();
        onChange();
    });
    betaCheckbox_ = ui::Button::checkbox("Include beta versions");
    betaCheckbox_->setAction([this](ui::Control& sender) {
        UpdaterSettings::setReceivesBetaUpdates(isOn(sender));
        refresh();
        onChange();
    });
    checkNowButton_ = ui::Button::pushButton("Check Now");
    checkNowButton_->setAction([](ui::Control&) { platform::updater::checkForUpdates(); });
    setView(
        column({heading("Updates"), automaticCheckbox_, betaCheckbox_,
                note("Beta versions come sooner and may be less polished.", 240), checkNowButton_},
               8, {14, 16, 14, 16}));
    refresh();
}

void AboutPopoverController::viewWillAppear() {
    ui::ViewController::viewWillAppear();
    refresh();
}

void AboutPopoverController::refresh() {
    automaticCheckbox_->setState(stateOf(checksAutomatically()));
    betaCheckbox_->setState(stateOf(UpdaterSettings::receivesBetaUpdates()));
}

// --- AboutTabController

AboutTabController::~AboutTabController() {
    if (popover_) {
        popover_->setDelegate(nullptr);
        popover_->close();
    }
}

ui::Control::Action AboutTabController::action(void (AboutTabController::*member)(ui::Control&)) {
    return [weak = weak_from_this(), member](ui::Control& sender) {
        if (const auto self = std::static_pointer_cast<AboutTabController>(weak.lock()))
            ((*self).*member)(sender);
    };
}

void AboutTabController::loadNib() {
    auto icon = std::make_shared<ui::ImageView>(64, 64);
    icon->setImage("MenuBarIcon");
    icon->setImageScaling(ui::ImageScaling::proportionallyUpOrDown);
    auto name = ui::TextField::label("Zoral");
    name->setFont(ui::Font::boldSystem(20));
    versionLabel_ = ui::TextField::label("Version ");
    versionLabel_->setTextColor(ui::SystemColor::secondaryLabel);
    numberOfZodirizLabel_ = ui::TextField::label("0 Zodiriz");
    releaseNotesButton_ = ui::Button::pushButton("Release Notes");
    releaseNotesButton_->setAction(action(&AboutTabController::releaseNotesClicked));
    aboutView_ = row({icon, column({name, versionLabel_, numberOfZodirizLabel_}, 4, {})});
    std::static_pointer_cast<ui::StackView>(aboutView_)->setEdgeInsets({20, 20, 0, 20});
    std::static_pointer_cast<ui::StackView>(aboutView_)->setSpacing(16);

    updateCheckbox_ = ui::Button::checkbox("Check for updates automatically");
    updateCheckbox_->setAction(action(&AboutTabController::updateClicked));
    updaterView_ =
        column({heading("Updates"), updateCheckbox_, releaseNotesButton_}, 8, {0, 20, 0, 20});

    openSourceButton_ = ui::Button::pushButton("Open Source");
    openSourceButton_->setAction(action(&AboutTabController::openSourceClicked));
    openSourceView_ = note(
        "Zoral is built with open-source software, each part used under its own licence: "
        "Qt (LGPL 3.0), Boost.Context (Boost Software License 1.0).",
        380);
    creditsView_ = column({heading("Credits"),
                           note("Made by the Zoral developers. Thanks to everyone who sent "
                                "reports and ideas.",
                                380),
                           openSourceButton_, openSourceView_},
                          8, {0, 20, 20, 20});
}

std::vector<std::shared_ptr<ui::View>> AboutTabController::sections() const {
    return separated({aboutView_, updaterView_, creditsView_});
}

void AboutTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    versionLabel_->setStringValue("Version " +
                                  std::string(platform::Bundle::main().shortVersion()));
    openSourceView_->setHidden(true);
    showAutomaticChecks();
}

void AboutTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    numberOfZodirizLabel_->setStringValue(
        std::to_string(settings::Defaults::readValue(Keys::numberOfZodiriz())) + " Zodiriz");
    showAutomaticChecks();
}

void AboutTabController::showAutomaticChecks() {
    updateCheckbox_->setState(stateOf(checksAutomatically()));
}

ui::Popover& AboutTabController::updatePopover() {
    if (!popover_) {
        popover_ = std::make_shared<ui::Popover>();
        popover_->setDelegate(this);
        popover_->setAnimates(true);
        popover_->setBehavior(ui::PopoverBehavior::semitransient);
        auto content = std::make_shared<AboutPopoverController>();
        content->onChange = [weak = weak_from_this()] {
            if (const auto self = std::static_pointer_cast<AboutTabController>(weak.lock()))
                self->showAutomaticChecks();
        };
        popover_->setContentViewController(std::move(content));
    }
    return *popover_;
}

void AboutTabController::updateClicked(ui::Control& sender) {
    // The checkbox switches what it shows; without an updater it stays as it was.
    setChecksAutomatically(isOn(sender));
    showAutomaticChecks();
    ui::Popover& popover = updatePopover();
    if (const auto content =
            std::dynamic_pointer_cast<AboutPopoverController>(popover.contentViewController());
        content && content->isViewLoaded()) {
        content->refresh();
    }
    popover.show({}, *updateCheckbox_, ui::RectEdge::maxX);
}

void AboutTabController::openSourceClicked(ui::Control&) {
    openSourceView_->setHidden(!openSourceView_->isHidden());
}

void AboutTabController::releaseNotesClicked(ui::Control&) {}

}  // namespace zoral::preferences
