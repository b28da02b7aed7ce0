#include "ui/system_tray.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <optional>
#include <utility>

#include "platform/local_events.h"
#include "platform/scheduler.h"
#include "ui/application.h"
#include "ui/qt_image.h"
#include "ui/qt_menu.h"
#include "ui/status_item_painting.h"

namespace zoral::ui {

namespace {

// How often the tray looks at the item again.
constexpr int refreshMilliseconds = 250;

}  // namespace

struct SystemTray::State {
    std::shared_ptr<platform::StatusItem> item;
    QSystemTrayIcon icon;
    QTimer timer;
    std::unique_ptr<QMenu> menu;
    std::optional<std::string> shownImage;
    bool shownDisabled = false;
    AppearanceName shownAppearance = AppearanceName::aqua;

    // The item's button's event of the type; none when the item has no button.
    std::optional<platform::NSEvent> event(platform::NSEventType type,
                                           platform::CGMouseButton button) const {
        platform::StatusBarButton* itemButton = item->button();
        if (itemButton == nullptr)
            return std::nullopt;
        return platform::NSEvent{.type = type,
                                 .clickCount = 1,
                                 .buttonNumber = static_cast<std::int64_t>(button),
                                 .window = itemButton->window(),
                                 .timestamp = platform::uptimeSeconds()};
    }
};

bool SystemTray::isAvailable() {
    ensureApplication();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

SystemTray::SystemTray(std::shared_ptr<platform::StatusItem> item)
    : state_(std::make_unique<State>()) {
    ensureApplication();
    state_->item = std::move(item);
    QObject::connect(&state_->icon, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Context)
                             click(platform::CGMouseButton::right);
                         else if (reason == QSystemTrayIcon::Trigger)
                             click(platform::CGMouseButton::left);
                     });
    QObject::connect(&state_->timer, &QTimer::timeout, [this] { refresh(); });
    refresh();
    if (isAvailable())
        state_->timer.start(refreshMilliseconds);
}

SystemTray::~SystemTray() = default;

void SystemTray::refresh() {
    platform::StatusBarButton* button = state_->item->button();
    const auto image = button != nullptr ? button->image() : std::nullopt;
    const bool disabled = button != nullptr && button->appearsDisabled();
    const AppearanceName appearance = systemAppearanceName();
    if (image != state_->shownImage || disabled != state_->shownDisabled ||
        appearance != state_->shownAppearance || state_->icon.icon().isNull()) {
        state_->shownImage = image;
        state_->shownDisabled = disabled;
        state_->shownAppearance = appearance;
        const Image drawn = renderStatusItem(
            *state_->item, {.appearance = appearance, .thickness = 24, .scale = 2});
        state_->icon.setIcon(QIcon(QPixmap::fromImage(toQImage(drawn))));
    }
    state_->icon.setVisible(state_->item->isVisible() && isAvailable());
}

bool SystemTray::click(platform::CGMouseButton button) {
    const bool left = button == platform::CGMouseButton::left;
    const auto press = state_->event(
        left ? platform::NSEventType::leftMouseDown : platform::NSEventType::rightMouseDown,
        button);
    if (!press || !platform::passThroughLocalMonitors(*press))
        return false;
    bool opened = false;
    const auto menu = state_->item->menu();
    if (menu && !isMenuOpen()) {
        if (const auto delegate = menu->delegate.lock())
            delegate->menuWillOpen(*menu);
        state_->menu = makeQMenu(*menu, systemAppearanceName());
        QObject::connect(state_->menu.get(), &QMenu::aboutToHide,
                         [weakMenu = std::weak_ptr<platform::Menu>(menu)] {
                             const auto closed = weakMenu.lock();
                             if (!closed)
                                 return;
                             if (const auto delegate = closed->delegate.lock())
                                 delegate->menuDidClose(*closed);
                         });
        state_->menu->popup(QCursor::pos());
        opened = true;
    }
    if (left) {
        if (const auto release = state_->event(platform::NSEventType::leftMouseUp, button))
            platform::passThroughLocalMonitors(*release);
    }
    return opened;
}

bool SystemTray::isMenuOpen() const {
    return state_->menu && state_->menu->isVisible();
}

}  // namespace zoral::ui
