#pragma once

// The base of the program's own windows: a toolkit window (frameless, translucent, drawn by the
// program) that is also a window of the desktop, registered with the window server at its level,
// frame and alpha, so that what the program shows can be asked of the desktop. Frames are in the
// bottom-left coordinates of the primary display, as the system's toolkit gives them.
//
// The window's content is a model (a visual-effect view with its layers) that the window paints;
// callers change the model and ask for a redraw. Animations of the alpha and the frame run on the
// program's scheduler (ui/animator.h).
//
// Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/geometry.h"
#include "platform/program_windows.h"
#include "platform/screens.h"
#include "ui/animator.h"
#include "ui/appearance.h"
#include "ui/image.h"
#include "ui/visual_effect_view.h"

namespace zoral::ui {

// What a window is made with, after the toolkit's window properties.
struct WindowConfiguration {
    // The toolkit's style-mask bits.
    static constexpr std::uint64_t borderless = 0;
    static constexpr std::uint64_t titled = 1;
    static constexpr std::uint64_t fullSizeContentView = 1u << 15;
    // The toolkit's collection-behaviour bits.
    static constexpr std::uint64_t canJoinAllSpaces = 1;
    static constexpr std::uint64_t fullScreenAuxiliary = 1u << 8;
    // The toolkit's animation behaviours.
    static constexpr std::int64_t animationBehaviorNone = 2;

    platform::CGRect contentRect;
    std::uint64_t styleMask = borderless;
    std::int64_t level = 0;
    bool ignoresMouseEvents = false;
    bool movableByWindowBackground = false;
    std::int64_t animationBehavior = 0;
    std::uint64_t collectionBehavior = 0;
    bool opaque = true;
    bool hasShadow = false;
    bool titlebarAppearsTransparent = false;
    // None: the window shows the system's appearance.
    std::optional<AppearanceName> appearance;
};

class Window {
public:
    explicit Window(const WindowConfiguration& configuration);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const WindowConfiguration& configuration() const { return configuration_; }
    platform::WindowNumber windowNumber() const { return number_; }
    AppearanceName effectiveAppearance() const;

    // --- Frame
    platform::CGRect frame() const { return frame_; }
    // Moves and resizes at once, ending a running frame animation.
    void setFrame(platform::CGRect frame);
    void setFrameOrigin(platform::CGPoint origin);
    // Glides to the frame over animationResizeTime(frame) seconds.
    void setFrameAnimated(platform::CGRect frame);
    // How long an animated frame change lasts.
    virtual double animationResizeTime(platform::CGRect newFrame) const;
    bool isAnimatingFrame() const { return frameAnimator_.isRunning(); }
    // The display that holds the largest part of the window; none when it lies on none.
    std::optional<platform::NSScreen> screen() const;
    // Centres the window in its display's visible frame; a window on no display stays.
    void centerOnScreen();

    // --- Alpha
    double alphaValue() const { return alpha_; }
    // Sets the alpha at once, ending a running alpha animation.
    void setAlphaValue(double alpha);
    // Animates the alpha to the target with the timing function over the duration; the completion
    // runs when it ends, and never when the animation is stopped (by a new animation or a direct
    // setAlphaValue).
    void animateAlphaValue(double target, double duration, TimingFunction timing,
                           std::function<void()> completion);
    bool isAnimatingAlpha() const { return alphaAnimator_.isRunning(); }

    // --- On screen
    bool isVisible() const { return visible_; }
    // Brings the window on screen in front of its level (the program never becomes active for
    // it, so this also stands for making it key).
    void orderFront();
    void orderOut();

    // --- Content
    VisualEffectView& contentView() { return contentView_; }
    const VisualEffectView& contentView() const { return contentView_; }
    // Asks for the content to be painted again.
    void setNeedsDisplay();
    // Paints the window's content offscreen at its size, as the user would see it at alpha 1.
    Image render() const;

private:
    struct Widget;

    void applyFrame(platform::CGRect frame);
    void applyAlpha(double alpha);

    WindowConfiguration configuration_;
    platform::CGRect frame_;
    double alpha_ = 1;
    bool visible_ = false;
    VisualEffectView contentView_;
    platform::WindowNumber number_ = 0;
    Animator alphaAnimator_;
    Animator frameAnimator_;
    std::unique_ptr<Widget> widget_;
};

}  // namespace zoral::ui
