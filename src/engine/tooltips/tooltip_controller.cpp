#include "engine/tooltips/tooltip_controller.h"

#include <algorithm>
#include <utility>

#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_group.h"
#include "engine/tooltips/tooltip_window.h"
#include "engine/windows/snap_engine.h"
#include "platform/cursor.h"
#include "platform/dispatch.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using settings::Defaults::Keys;
using settings::Defaults::readValue;

struct FadeRow {
    TooltipFade fade;
    double seconds;
};

// The fixed paces; byAction takes one of them by the action's variant.
constexpr FadeRow fadePaces[] = {
    {TooltipFade::immediate, 0.0},
    {TooltipFade::quick, 0.1},
    {TooltipFade::normal, 0.3},
};

constexpr double defaultFade = 0.3;

// The part of a that lies in b; none when they do not meet (touching edges meet in an empty
// rectangle).
std::optional<platform::CGRect> intersection(const platform::CGRect& a, const platform::CGRect& b) {
    const double minX = std::max(a.minX(), b.minX());
    const double maxX = std::min(a.maxX(), b.maxX());
    const double minY = std::max(a.minY(), b.minY());
    const double maxY = std::min(a.maxY(), b.maxY());
    if (maxX < minX || maxY < minY)
        return std::nullopt;
    return platform::CGRect{minX, minY, maxX - minX, maxY - minY};
}

}  // namespace

double tooltipFadeDuration(TooltipFade fade, const std::optional<Action>& action) {
    if (fade == TooltipFade::byAction) {
        if (!action)
            return defaultFade;
        fade = static_cast<TooltipFade>(action->tooltipStyle().variant);
    }
    for (const FadeRow& row : fadePaces) {
        if (row.fade == fade)
            return row.seconds;
    }
    return defaultFade;
}

std::shared_ptr<TooltipController> TooltipController::shared() {
    static const auto controller = make(LiveTooltipWindow::shared());
    return controller;
}

std::shared_ptr<TooltipController> TooltipController::make(
    std::shared_ptr<LiveTooltipWindow> live) {
    auto controller = std::make_shared<TooltipController>(Passkey{}, std::move(live));
    controller->rebuildTooltips();
    return controller;
}

TooltipController::TooltipController(Passkey, std::shared_ptr<LiveTooltipWindow> live)
    : unhideCursorDispatchItem_{platform::DispatchQueue::main(), [] {}, {}},
      live_(std::move(live)) {}

TooltipController::~TooltipController() {
    unhideCursorDispatchItem_.pendingItem.cancel();
    unhideCursor();
}

void TooltipController::rebuildTooltips() {
    const auto s = static_cast<double>(readValue(Keys::tooltipSize()));
    std::map<TooltipShape, std::shared_ptr<TooltipContainer>> rebuilt;
    rebuilt.emplace(TooltipShape::circle, std::make_shared<TooltipWindow>(5 * s, 5 * s, 2.5 * s));
    rebuilt.emplace(TooltipShape::window, std::make_shared<TooltipWindow>(8 * s, 6 * s, 2 * s));
    rebuilt.emplace(TooltipShape::spaces, std::make_shared<SpacesTooltipWindow>(s));
    rebuilt.emplace(TooltipShape::screens, std::make_shared<ScreensTooltipWindow>(s));
    tooltips_ = std::move(rebuilt);
}

void TooltipController::closeOtherTooltips(const Action& action) {
    const TooltipShape shape = action.tooltipStyle().shape;
    for (const auto& [key, container] : tooltips_) {
        if (key != shape)
            container->close();
    }
}

void TooltipController::update(const Action& action, TooltipDrawing drawing,
                               platform::CGPoint point) {
    closeOtherTooltips(action);
    const auto found = tooltips_.find(action.tooltipStyle().shape);
    if (found == tooltips_.end())
        return;
    TooltipContainer& container = *found->second;
    if (drawing.clear)
        container.clearContent();
    else
        container.drawAction(action, drawing.state);
    container.moveTo(point);
    if (drawing.show)
        container.show();
}

void TooltipController::hide() {
    if (!readValue(Keys::tooltipHideCursor()))
        return;
    // A return of the cursor scheduled by an earlier fade must not show it under this tooltip.
    unhideCursorDispatchItem_.pendingItem.cancel();
    if (!isHidingCursor_) {
        platform::cursorHide();
        isHidingCursor_ = true;
    }
}

void TooltipController::unhideCursor() {
    if (!isHidingCursor_)
        return;
    platform::cursorUnhide();
    isHidingCursor_ = false;
}

void TooltipController::fadeTooltips(double duration) {
    // The settings may have changed since the previews went up: what was shown and hidden is
    // undone as it stands, or a tooltip would stay on screen and the cursor hidden for good.
    for (const auto& entry : tooltips_)
        entry.second->fade(duration);
    if (isHidingCursor_) {
        unhideCursorDispatchItem_.schedule(duration, [weak = weak_from_this()] {
            if (const auto controller = weak.lock())
                controller->unhideCursor();
        });
    }
    if (live_->isShowing())
        live_->fadeOut(duration);
}

void TooltipController::livePreview(const Action& action,
                                    const std::shared_ptr<desktop::Window>& window,
                                    const desktop::Screen& screen) {
    if (!readValue(Keys::tooltipLive()))
        return;
    const auto span = action.span();
    if (!window || action.kind() != Action::Kind::snap || !span) {
        live_->fadeOut(defaultFade);
        return;
    }
    const platform::CGRect target = desktop::flip(snapTargetFrame(*window, *span, screen));
    const platform::CGRect current = desktop::flip(window->frame());
    if (!live_->isShowing())
        live_->setFrame(intersection(current, screen.nsScreen.visibleFrame()).value_or(current));
    live_->show();
    live_->orderFront();
    live_->setShowing(true);
    live_->setFrameAnimated(target);
}

}  // namespace zoral::engine
