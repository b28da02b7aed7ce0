#pragma once

// A view controller after the toolkit's: it owns a view, loads it once on first use (loadView,
// then viewDidLoad), and is told when the view appears and disappears: viewWillAppear and
// viewDidAppear when the view enters a window or popover on screen (or its window comes on
// screen), viewWillDisappear and viewDidDisappear when it leaves or the window goes. Switching a
// window's content between controllers' views, showing and closing a window or popover, and
// attaching and ending a sheet all produce these calls.
//
// Main thread only.

#include <memory>
#include <string>

#include "ui/view.h"

namespace zoral::ui {

class ViewController : public std::enable_shared_from_this<ViewController> {
public:
    ViewController() = default;
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // The view, loaded on first use.
    std::shared_ptr<View> view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void loadViewIfNeeded() { (void)view(); }
    // Makes the view the controller's; where the former view stood in a tree (a window's or a
    // popover's content), the new one takes its place and the host fits itself to it.
    void setView(std::shared_ptr<View> view);

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    // Whether the view has appeared and not disappeared since.
    bool isAppeared() const { return appeared_; }

    // Makes the view; the default makes a plain one. Called once, by view().
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear() {}

private:
    friend class ViewHost;
    friend class View;

    std::shared_ptr<View> view_;
    std::string title_;
    bool loading_ = false;
    bool appeared_ = false;
};

}  // namespace zoral::ui
