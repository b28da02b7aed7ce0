#include "engine/tooltips/tooltip_window.h"

#include <utility>

#include "engine/tooltips/tooltip_content.h"
#include "engine/tooltips/tooltip_placement.h"
#include "platform/program_windows.h"
#include "platform/screens.h"

namespace zoral::engine {

namespace {

// The system draws its own appearances from macOS 11 on; before, tooltips were fixed dark.
bool systemHasOwnAppearances() {
    return platform::isOperatingSystemAtLeast({11, 0, 0});
}

ui::WindowConfiguration tooltipConfiguration(double width, double height) {
    using Configuration = ui::WindowConfiguration;
    Configuration made;
    made.contentRect = {0, 0, width, height};
    made.styleMask = Configuration::borderless;
    made.ignoresMouseEvents = true;
    made.movableByWindowBackground = true;
    made.animationBehavior = Configuration::animationBehaviorNone;
    made.level = platform::windowLevelForKey(platform::CGWindowLevelKey::assistiveTechHigh);
    made.collectionBehavior = Configuration::canJoinAllSpaces | Configuration::fullScreenAuxiliary;
    made.opaque = false;
    made.hasShadow = true;
    if (!systemHasOwnAppearances())
        made.appearance = ui::AppearanceName::vibrantDark;
    return made;
}

}  // namespace

TooltipWindow::TooltipWindow(double width, double height, double radius)
    : ui::Window(tooltipConfiguration(width, height)), size_{width, height}, radius_(radius) {
    ui::VisualEffectView& view = contentView();
    if (!systemHasOwnAppearances())
        view.material = ui::Material::ultraDark;
    view.state = ui::VisualEffectView::State::inactive;
    view.blendingMode = ui::VisualEffectView::BlendingMode::behindWindow;
    view.wantsLayer = true;
    view.sublayers = {vfxLayer_};
    // A disc's mask gets one point more of radius, so that its edge stays round when it is drawn.
    const bool isDisc = width == 2 * radius && height == 2 * radius;
    const double maskRadius = isDisc ? radius + 1 : radius;
    view.maskImage = ui::MaskImage{.size = size_,
                                   .cornerRadius = maskRadius,
                                   .capInsets = maskRadius,
                                   .resizingMode = ui::MaskImage::ResizingMode::tile};
    view.cornerRadius = radius;
    view.edgeAntialiasing = true;
    applyAppearance();
}

void TooltipWindow::applyAppearance() {
    if (systemHasOwnAppearances()) {
        contentView().material = effectiveAppearance() == ui::AppearanceName::darkAqua
                                     ? ui::Material::ultraDark
                                     : ui::Material::contentBackground;
    }
    isFading_ = false;
    setAlphaValue(1.0);
    setNeedsDisplay();
}

void TooltipWindow::moveTo(platform::CGPoint point) {
    const platform::CGPoint centre = tooltipCentre(point, size_);
    setFrameOrigin({centre.x - size_.width / 2, centre.y - size_.height / 2});
}

void TooltipWindow::show() {
    applyAppearance();
    orderFront();
}

void TooltipWindow::fade(double duration) {
    isFading_ = true;
    animateAlphaValue(0.0, duration, ui::TimingFunction::standard(), [this] {
        // A show or close since the fade began has cleared the flag: the window stays as it is.
        if (!isFading_)
            return;
        isFading_ = false;
        orderOut();
    });
}

void TooltipWindow::close() {
    isFading_ = false;
    orderOut();
}

void TooltipWindow::drawAction(const Action& action, bool state) {
    isEnabled_ = state;
    replaceContent(contentLayer(action, isEnabled_, size_, effectiveAppearance()));
}

void TooltipWindow::clearContent() {
    replaceContent(ui::Layer{});
}

void TooltipWindow::replaceContent(ui::Layer layer) {
    vfxLayer_ = std::move(layer);
    // Without its layer the view keeps what it shows.
    if (!contentView().wantsLayer)
        return;
    contentView().sublayers = {vfxLayer_};
    setNeedsDisplay();
}

}  // namespace zoral::engine
