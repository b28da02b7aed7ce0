#pragma once

// One tooltip window: a small borderless, click-through, rounded, translucent window above every
// other (and on every space) that shows one symbol, a colour fill or a snap span for an action.
// A tooltip container on its own, and the building block of the screens and spaces groups.

#include "engine/model/action.h"
#include "engine/tooltips/tooltip_container.h"
#include "platform/geometry.h"
#include "ui/layer.h"
#include "ui/window.h"

namespace zoral::engine {

class TooltipWindow : public ui::Window, public TooltipContainer {
public:
    // Off screen until shown.
    TooltipWindow(double width, double height, double radius);

    platform::CGSize size() const { return size_; }
    // The box used when the window is placed on its own: its size.
    platform::CGSize totalSize() const { return size_; }
    double radius() const { return radius_; }
    bool isFading() const { return isFading_; }
    bool isEnabled() const { return isEnabled_; }
    void setEnabled(bool enabled) { isEnabled_ = enabled; }
    // The current content layer.
    const ui::Layer& vfxLayer() const { return vfxLayer_; }

    // The material for the effective appearance; opaque and not fading.
    virtual void applyAppearance();

    void moveTo(platform::CGPoint point) override;
    // The appearance, then on screen in front.
    void show() override;
    void fade(double duration) override;
    void close() override;
    void drawAction(const Action& action, bool state) override;
    void clearContent() override;

private:
    void replaceContent(ui::Layer layer);

    platform::CGSize size_;
    double radius_;
    ui::Layer vfxLayer_;
    bool isFading_ = false;
    bool isEnabled_ = true;
};

}  // namespace zoral::engine
