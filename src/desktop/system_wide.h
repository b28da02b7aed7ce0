#pragma once

// The system-wide accessibility element: which application and window have the keyboard focus,
// and which element lies at a point or under the pointer. Its own queries read afresh each time.

#include <memory>

#include "desktop/ui_element.h"

namespace zoral::desktop {

class Application;
class Window;

class SystemWide : public UIElement {
public:
    // The process's instance, made on first use. The system hands out one system-wide element
    // for the whole session; should it hand out another (a new session), the instance follows.
    static std::shared_ptr<SystemWide> shared();

    explicit SystemWide(platform::ax::Element element);

    // The focused application, or the workspace's front-most one when the system names none.
    std::shared_ptr<Application> focusedApplication() const;
    // The focused application's focused window; when it names none, its first window that is not
    // minimised.
    std::shared_ptr<Window> focusedWindow() const;
    using UIElement::elementAtPosition;
    // Top-left coordinates of the main display.
    UIElementRef elementAtPosition(double x, double y) const;
    // The element under the pointer; none when the pointer's location cannot be read.
    UIElementRef elementUnderMouse() const;
};

}  // namespace zoral::desktop
