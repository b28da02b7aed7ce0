#include "ui/window_controller.h"

namespace zoral::ui {

WindowController::WindowController(std::shared_ptr<TitledWindow> window)
    : window_(std::move(window)) {}

WindowController::~WindowController() = default;

std::shared_ptr<TitledWindow> WindowController::window() {
    if (!window_ && !loading_) {
        loading_ = true;
        loadWindow();
        loading_ = false;
        if (window_)
            windowDidLoad();
    }
    return window_;
}

void WindowController::setWindow(std::shared_ptr<TitledWindow> window) {
    window_ = std::move(window);
}

void WindowController::showWindow() {
    if (auto shown = window())
        shown->makeKeyAndOrderFront();
}

void WindowController::close() {
    if (window_)
        window_->close();
}

}  // namespace zoral::ui
