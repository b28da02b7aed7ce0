#include "app/status_bar_item_controller.h"

#include <utility>

#include "app/app_delegate.h"
#include "desktop/ax_access.h"
#include "desktop/run_after_delay.h"
#include "platform/dispatch.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::app {

namespace {

using platform::NSEventType;

// Left releases and right presses, as the system's mask 12 names them.
constexpr platform::NSEventMask monitoredEvents =
    platform::eventMaskFromType(NSEventType::leftMouseUp) |
    platform::eventMaskFromType(NSEventType::rightMouseDown);

static_assert(monitoredEvents == 12);

}  // namespace

StatusBarItemController::StatusBarItemController(std::shared_ptr<platform::Menu> statusMenu)
    : statusMenu_(std::move(statusMenu)) {}

void StatusBarItemController::setUpStatusItem() {
    statusItem_ =
        platform::StatusBar::system().statusItemWithLength(platform::squareStatusItemLength);
    statusItem_->setMenu(statusMenu_);
    statusItem_->setBehavior(platform::StatusItemBehavior::removalAllowed);
    if (auto* button = statusItem_->button())
        button->setAppearsDisabled(false);

    const std::weak_ptr<StatusBarItemController> weak = weak_from_this();
    desktop::AXAccess::shared().onChange().subscribeReplayingLast(
        weak, [weak](const bool& isTrusted) {
            if (const auto self = weak.lock())
                self->updateStatusIcon(isTrusted);
        });
    // The system keeps the monitor for the process's life; its token is not needed.
    (void)platform::addLocalMonitorForEvents(
        monitoredEvents,
        [weak](const platform::NSEvent& event) -> std::optional<platform::NSEvent> {
            if (const auto self = weak.lock())
                return self->statusButtonEventMonitor(event);
            return event;
        });
}

void StatusBarItemController::updateStatusIcon(bool isTrusted) {
    if (!statusItem_)
        return;
    if (auto* button = statusItem_->button())
        button->setImage(isTrusted ? "MenuBarIcon" : "MenuBarIconError");
}

std::optional<platform::NSEvent> StatusBarItemController::statusButtonEventMonitor(
    const platform::NSEvent& event) {
    auto* button = statusItem_ ? statusItem_->button() : nullptr;
    const std::optional<platform::WindowNumber> buttonWindow =
        button ? button->window() : std::nullopt;
    if (event.window != buttonWindow)
        return event;
    switch (event.type) {
        case NSEventType::rightMouseDown:
            // The preferences instead of the menu.
            if (const auto delegate = appDelegate())
                delegate->preferencesController().show();
            return std::nullopt;
        case NSEventType::leftMouseUp: {
            const std::weak_ptr<StatusBarItemController> weak = weak_from_this();
            desktop::runAfterDelay(platform::DispatchQueue::main(), visibilitySaveDelay, [weak] {
                if (const auto self = weak.lock())
                    self->saveStatusItemVisibility();
            });
            return event;
        }
        default:
            return event;
    }
}

void StatusBarItemController::saveStatusItemVisibility() {
    if (statusItem_)
        settings::Defaults::writeValue(settings::Defaults::Keys::showInMenubar(),
                                       statusItem_->isVisible());
}

}  // namespace zoral::app
