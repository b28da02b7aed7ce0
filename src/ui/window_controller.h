#pragma once

// A window controller after the toolkit's: it owns a window (made at construction, or on first
// use by loadWindow, after which windowDidLoad runs once) and shows it. It is no view and no
// widget: the window's views belong to the window's view tree. Main thread only.

#include <memory>

#include "ui/titled_window.h"

namespace zoral::ui {

class WindowController {
public:
    explicit WindowController(std::shared_ptr<TitledWindow> window = nullptr);
    virtual ~WindowController();
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    // The window, loaded on first use; none when the controller makes none.
    std::shared_ptr<TitledWindow> window();
    bool isWindowLoaded() const { return window_ != nullptr; }
    void setWindow(std::shared_ptr<TitledWindow> window);

    // Brings the window on screen in front.
    void showWindow();
    void close();

protected:
    // Makes the window (with setWindow); the default makes none.
    virtual void loadWindow() {}
    virtual void windowDidLoad() {}

private:
    std::shared_ptr<TitledWindow> window_;
    bool loading_ = false;
};

}  // namespace zoral::ui
