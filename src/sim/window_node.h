#pragma once

// A top-level window of a simulated application. Its position and size are
// its stored "AXPosition" and "AXSize", always a finite point and a finite,
// non-negative size: a value of another kind is not stored. Writes act as on
// the real system: a size is kept within the window's limits (a fixed-size
// window refuses it), a value of the wrong kind is an illegal argument, and a
// change sends the moved or resized notifications ("AXMoved" and "AXWindowMoved",
// "AXResized" and "AXWindowResized"), whoever made it. "AXFrame" follows from the
// two. "AXMain" says whether it is its application's main window, and writing
// true makes it so; "AXMinimized" minimises and restores it, and
// "AXFullScreen" enters and leaves full screen, each after the world's latency
// for it. Each of the last two is settable when the world says so.

#include <cstdint>
#include <functional>
#include <optional>

#include "sim/node.h"

namespace zoral::sim {

struct WindowLimits {
    std::optional<platform::CGSize> minimum;
    std::optional<platform::CGSize> maximum;
    // Refuses every size: the size attribute is not settable.
    bool fixedSize = false;

    friend bool operator==(const WindowLimits&, const WindowLimits&) = default;
};

class WindowNode : public Node {
public:
    static constexpr std::string_view role = ax::role::window;

    WindowNode(platform::ProcessId pid, std::int64_t windowNumber, WindowLimits limits = {});

    // The window server's number for the window.
    std::int64_t windowNumber() const { return windowNumber_; }
    const WindowLimits& limits() const { return limits_; }
    void setLimits(WindowLimits limits);
    // The window server's level: 0 for ordinary windows. Before the window is placed on the
    // desktop, the level it will be given.
    int layer() const;
    void setLayer(int layer);
    int initialLevel() const { return layer_; }

    platform::CGPoint position() const;
    platform::CGSize size() const;
    std::optional<platform::CGRect> frame() const override;

    bool isMinimized() const;
    // Minimises or restores the window at once, with the notification; the frame is kept. What
    // a world starts with, or what a test sets up.
    void setMinimized(World& world, bool minimized);
    // Minimises or restores the window as the system does: after the world's latency for it.
    void minimize(World& world, bool minimized);
    bool isFullScreen() const;
    // True from leaving full screen until the window is back: meanwhile its
    // application does not list it.
    bool isLeavingFullScreen() const { return transition_ == Transition::leavingFullScreen; }
    // Fills the display that holds the window's centre on a full-screen space of its own, or
    // leaves full screen and returns to the frame it had, after the world's latency for each.
    void setFullScreen(World& world, bool fullScreen);
    // The frame the window goes back to when it leaves full screen; what a world starts with.
    std::optional<platform::CGRect> frameBeforeFullScreen() const { return frameBeforeFullScreen_; }
    void setFrameBeforeFullScreen(std::optional<platform::CGRect> frame) {
        frameBeforeFullScreen_ = frame;
    }

    // Closes the window: it tells its observers it is destroyed, leaves its
    // application and, with everything in it, answers nothing any more.
    void close(World& world);

    // Makes it its application's main window, in front of the others.
    void makeMain(World& world);

    // Moves and resizes as a user would, with the notifications.
    void moveTo(World& world, platform::CGPoint position);
    void resizeTo(World& world, platform::CGSize size);
    platform::CGSize clamped(platform::CGSize size) const;

    void set(std::string_view attribute, ax::Value value) override;
    ax::Result<ax::Value> read(World& world, std::string_view attribute) const override;
    std::vector<std::string> attributeNames() const override;
    ax::Result<bool> isSettable(std::string_view attribute) const override;
    ax::Error write(World& world, std::string_view attribute, const ax::Value& value) override;

private:
    // What the window is on its way to; one change at a time.
    enum class Transition { none, minimizing, restoring, enteringFullScreen, leavingFullScreen };

    bool storedFlag(std::string_view attribute) const;
    void notifyFrameChanged(World& world, bool moved, bool resized);
    // Runs the change after the delay, unless the window or the world is gone by then.
    void after(World& world, double delay, Transition transition,
               std::function<void(World&, WindowNode&)> change);
    void enterFullScreen(World& world);
    void leaveFullScreen(World& world);

    const std::int64_t windowNumber_;
    WindowLimits limits_;
    int layer_ = 0;
    std::optional<platform::CGRect> frameBeforeFullScreen_;
    Transition transition_ = Transition::none;
};

}  // namespace zoral::sim
