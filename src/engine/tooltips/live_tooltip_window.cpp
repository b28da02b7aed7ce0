#include "engine/tooltips/live_tooltip_window.h"

#include "platform/program_windows.h"
#include "platform/screens.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

ui::WindowConfiguration liveConfiguration() {
    using Configuration = ui::WindowConfiguration;
    Configuration made;
    made.contentRect = {0, 0, 100, 100};
    made.styleMask = Configuration::titled | Configuration::fullSizeContentView;
    made.titlebarAppearsTransparent = true;
    made.ignoresMouseEvents = true;
    made.movableByWindowBackground = true;
    made.animationBehavior = Configuration::animationBehaviorNone;
    made.level = platform::windowLevelForKey(platform::CGWindowLevelKey::floatingWindow);
    made.collectionBehavior = Configuration::canJoinAllSpaces | Configuration::fullScreenAuxiliary;
    return made;
}

}  // namespace

std::shared_ptr<LiveTooltipWindow> LiveTooltipWindow::shared() {
    static const auto window = std::make_shared<LiveTooltipWindow>();
    return window;
}

LiveTooltipWindow::LiveTooltipWindow()
    : ui::Window(liveConfiguration()),
      resizeAnimationTime_(
          settings::Defaults::readValue(settings::Defaults::Keys::tooltipAnimationTime())) {
    contentView().state = ui::VisualEffectView::State::active;
    contentView().blendingMode = ui::VisualEffectView::BlendingMode::behindWindow;
    show();
}

void LiveTooltipWindow::show() {
    if (platform::isOperatingSystemAtLeast({10, 14, 0})) {
        contentView().material = effectiveAppearance() == ui::AppearanceName::darkAqua
                                     ? ui::Material::hudWindow
                                     : ui::Material::light;
    }
    isFading_ = false;
    setAlphaValue(1.0);
    setNeedsDisplay();
}

void LiveTooltipWindow::fadeOut(double duration) {
    isFading_ = true;
    animateAlphaValue(0.0, duration, ui::TimingFunction::standard(), [this] {
        if (!isFading_)
            return;
        isShowing_ = false;
        isFading_ = false;
        orderOut();
    });
}

double LiveTooltipWindow::animationResizeTime(platform::CGRect) const {
    return resizeAnimationTime_;
}

}  // namespace zoral::engine
