#pragma once

// The view tree of the program's regular windows (the preferences window, its popovers and
// sheets), after the toolkit's views: a view has a superview and subviews, a size that its
// constraints fix or bound, a visibility, an alpha, a tool tip and a cursor over its bounds, and
// is told of the mouse: presses and releases (whose default is the view's own behaviour, so a
// subclass that overrides them replaces it), and the mouse entering and leaving its bounds.
//
// A superview owns its subviews; a view knows its superview without owning it. A view's
// coordinates are flipped: the origin is the top-left corner, y grows downwards. Views are made
// with std::make_shared (a view hands out references to itself).
//
// A view controller's view (ui/view_controller.h) tells its controller when it appears (enters a
// window on screen) and disappears (leaves it, or the window goes off screen).
//
// Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "ui/event.h"
#include "ui/image.h"

class QWidget;

namespace zoral::ui {

class TitledWindow;
class ViewController;
class ViewHost;

enum class Cursor : std::uint8_t { arrow, pointingHand };

enum class LayoutOrientation : std::uint8_t { horizontal = 0, vertical = 1 };

class View : public std::enable_shared_from_this<View> {
public:
    // A plain view that draws nothing of its own.
    View();
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // --- The tree
    // Adds the view in front of the other subviews, taking it from its former superview.
    void addSubview(std::shared_ptr<View> view);
    // The replacement takes the old view's place (and its pinning); nothing when the old view is
    // not a subview.
    void replaceSubview(const std::shared_ptr<View>& old, std::shared_ptr<View> replacement);
    void removeFromSuperview();
    std::shared_ptr<View> superview() const;
    bool isSubviewOf(const View& other) const { return superview_ == &other; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    // Whether the view is this one or lies inside it.
    bool isDescendantOf(const View& other) const;
    // The regular window the view is in; none while it is in no window (or in a popover's).
    TitledWindow* window() const;
    // Whether the view is in a window or popover that is on screen (its controller has appeared).
    bool isInVisibleWindow() const;

    // --- Look
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    double alphaValue() const { return alpha_; }
    void setAlphaValue(double alpha);
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip);
    Cursor cursor() const { return cursor_; }
    // The cursor shown while the pointer is over the view's bounds.
    void setCursor(Cursor cursor);

    // --- Size. Each call replaces the earlier bound of the same kind; a negative value lifts it.
    void setWidth(double width);
    void setHeight(double height);
    void setMinimumWidth(double width);
    void setMaximumWidth(double width);
    void setMinimumHeight(double height);
    void setMaximumHeight(double height);
    // Where the view stands in its superview (top-left coordinates) when no layout places it.
    void setFrame(platform::CGRect frame);
    platform::CGRect frame() const;
    platform::CGRect bounds() const { return {0, 0, frame().width(), frame().height()}; }
    // The size its content asks for.
    platform::CGSize fittingSize() const;
    // A point of its window's (bottom-left origin, the title bar included, as events give it) in
    // the view's own coordinates.
    platform::CGPoint convertPointFromWindow(platform::CGPoint point) const;
    // Kept for the layouts that read it; higher holds the view closer to its content size.
    void setContentHuggingPriority(float priority, LayoutOrientation orientation);
    float contentHuggingPriority(LayoutOrientation orientation) const;

    // --- Mouse. The defaults run the view's own behaviour (a button's click, a slider's drag).
    virtual void mouseDown(const Event& event);
    virtual void mouseUp(const Event& event);
    // The pointer entered or left the view's bounds; the defaults do nothing.
    virtual void mouseEntered(const Event& event);
    virtual void mouseExited(const Event& event);
    // Runs the handler on every click of the left button (a press and a release inside).
    void addClickHandler(std::function<void()> handler);

    // What the view shows, drawn at its size.
    Image render() const;

    // Lays out the window or popover that holds the view, so that sizes and frames are current.
    void layoutSubtreeIfNeeded();

protected:
    // For subclasses that draw with a widget of their own; the view takes it.
    explicit View(std::unique_ptr<QWidget> widget);
    // Drops the widget's space when hidden (stacks close up), as the toolkit does.
    virtual void didChangeHidden() {}

private:
    friend class ViewController;
    friend class ViewHost;
    friend struct ViewAccess;

    void attach(const std::shared_ptr<View>& view);
    void detach(View& view);
    // Runs the default mouse behaviour of the event being handled.
    void runDefaultMouse();

    std::unique_ptr<QWidget> widget_;
    // Not owned: the superview owns this view, and clears this when it goes.
    View* superview_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    ViewController* controller_ = nullptr;
    ViewHost* host_ = nullptr;
    bool hidden_ = false;
    double alpha_ = 1;
    std::string toolTip_;
    Cursor cursor_ = Cursor::arrow;
    float hugging_[2] = {250, 250};
    std::vector<std::function<void()>> clickHandlers_;
    const std::function<void()>* defaultMouse_ = nullptr;
    bool pressed_ = false;
};

// What holds a tree of views at its root: a window or a popover. Its root view and the views
// inside appear while the host is on screen.
class ViewHost {
public:
    virtual ~ViewHost() = default;
    virtual bool hostIsVisible() const = 0;
    // The regular window, for a host that is one (or a sheet of one).
    virtual TitledWindow* hostWindow() { return nullptr; }

protected:
    friend class View;

    // Makes the view the root of this host, or no longer.
    void adopt(View& root) { root.host_ = this; }
    void release(View& root) {
        if (root.host_ == this)
            root.host_ = nullptr;
    }
    // Tells the view controllers in the tree that the host comes on screen or leaves it: the
    // "will" messages, then the change, then the "did" messages.
    static void changeVisibility(View& root, bool visible, const std::function<void()>& change);
};

}  // namespace zoral::ui
