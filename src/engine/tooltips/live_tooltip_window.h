#pragma once

// The live snapping preview: a translucent rectangle above ordinary windows (and on every space)
// that shows the frame a snap action will give a window, gliding from frame to frame as the span
// changes, and fading out when the gesture ends or turns to another action. Its frame animations
// last "tooltipAnimationTime" seconds, read when the window is made.

#include <memory>

#include "platform/geometry.h"
#include "ui/window.h"

namespace zoral::engine {

class LiveTooltipWindow : public ui::Window {
public:
    // The process's one live window, made on first use.
    static std::shared_ptr<LiveTooltipWindow> shared();

    // Off screen, opaque.
    LiveTooltipWindow();

    platform::CGSize size() const { return {100, 100}; }
    double resizeAnimationTime() const { return resizeAnimationTime_; }
    // From the first preview until the window has faded out.
    bool isShowing() const { return isShowing_; }
    void setShowing(bool showing) { isShowing_ = showing; }
    bool isFading() const { return isFading_; }

    // The material for the effective appearance, opaque and not fading; it neither orders the
    // window in nor moves it.
    virtual void show();
    // Animates to transparent over the duration, then off screen (unless shown meanwhile).
    virtual void fadeOut(double duration);

    // Every frame change of this window lasts the resize animation time.
    double animationResizeTime(platform::CGRect newFrame) const override;

private:
    double resizeAnimationTime_;
    bool isShowing_ = false;
    bool isFading_ = false;
};

}  // namespace zoral::engine
