#pragma once

// The element of one top-level window of another application. Its identity is its accessibility
// element: two windows are equal when their elements are, and hash by `id`, the element's hash
// taken when the window was made. Every capability and state is read afresh.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "desktop/screen.h"
#include "desktop/ui_element.h"
#include "promises/promises.h"

namespace zoral::desktop {

// One ordinary window of the window server's on-screen list.
struct OnScreenWindow {
    platform::ProcessId ownerPid = 0;
    std::string ownerName;
    std::int64_t number = 0;
    std::optional<std::string> name;
    // Top-left coordinates.
    platform::CGRect bounds;

    friend bool operator==(const OnScreenWindow&, const OnScreenWindow&) = default;
};

// A screen with the area (square points) of a window's frame that lies on it.
struct ScreenOverlap {
    Screen screen;
    double area = 0;
};

class Window final : public UIElement {
    struct Passkey {};

public:
    // No window when the element's role (read through its cache) is not "AXWindow".
    static std::shared_ptr<Window> make(const UIElement& element);
    Window(Passkey, platform::ax::Element element);

    std::int64_t id() const { return id_; }
    void setId(std::int64_t id) { id_ = id; }

    std::size_t hash() const { return static_cast<std::size_t>(id()); }

    // Capabilities; an unreadable one counts as "cannot".
    bool canResize() const;
    bool canClose() const;
    bool canMinimize() const;
    bool canFullscreen() const;

    // None when the state cannot be read, so that "not minimised" stays distinguishable.
    std::optional<bool> isMinimized() const;
    std::optional<bool> isFullscreen() const;

    // Leaves full screen and polls (every 0.05 s, 40 retries) until the window is back among its
    // application's visible windows; fails with PromiseError::default_() when it never is.
    promises::Promise<promises::Unit> exitFullscreen();

    // The screen the window overlaps most (the first among equals, and the first for a window
    // whose frame cannot be read); none while no screens are listed.
    std::optional<Screen> screen() const;
    ScreenOverlap frameOnScreens(const Screen& screen) const;
    // The screen a window with this frame (top-left coordinates) belongs to, by the rule of
    // screen(), for a caller that has just read the frame.
    static std::optional<Screen> screenOfFrame(const platform::CGRect& frame);
    // The same among the given screens, converting with the given primary display's height.
    static std::optional<Screen> screenOfFrame(const platform::CGRect& frame,
                                               std::span<const Screen> screens,
                                               double primaryHeight);

    // The window server's on-screen windows of layer 0, front to back.
    static std::vector<OnScreenWindow> onScreenWindowList();

private:
    std::int64_t id_;
};

}  // namespace zoral::desktop

template <>
struct std::hash<zoral::desktop::Window> {
    std::size_t operator()(const zoral::desktop::Window& window) const noexcept {
        return window.hash();
    }
};
