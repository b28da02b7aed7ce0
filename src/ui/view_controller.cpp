#include "ui/view_controller.h"

namespace zoral::ui {

ViewController::~ViewController() {
    if (view_ && view_->controller_ == this)
        view_->controller_ = nullptr;
}

std::shared_ptr<View> ViewController::view() {
    if (!view_ && !loading_) {
        loading_ = true;
        loadView();
        if (!view_)
            setView(std::make_shared<View>());
        loading_ = false;
        viewDidLoad();
    }
    return view_;
}

void ViewController::loadView() {
    setView(std::make_shared<View>());
}

void ViewController::setView(std::shared_ptr<View> view) {
    if (view == view_)
        return;
    std::shared_ptr<View> old = std::move(view_);
    view_ = std::move(view);
    if (old && old->controller_ == this)
        old->controller_ = nullptr;
    if (view_)
        view_->controller_ = this;
    if (!old || !view_)
        return;
    if (auto parent = old->superview()) {
        parent->replaceSubview(old, view_);
    }
}

}  // namespace zoral::ui
