#pragma once

// A popover after the toolkit's: a content view controller's view in a bubble next to a view of a
// window, with its arrow at the chosen edge of a rectangle of that view (the view's bounds for an
// empty one; views are flipped, so the minimum-Y edge is the top). A shown popover keeps itself
// alive until it closes. It closes when the program closes it, when its anchor's window goes, and
// for the transient behaviours when the user presses the mouse outside it; its delegate is told
// after it closed. Its content controller appears and disappears with it; replacing the
// controller's view while shown resizes the popover to the new view.
//
// Made with std::make_shared. Main thread only.

#include <cstdint>
#include <memory>

#include "platform/geometry.h"
#include "ui/image.h"
#include "ui/view_controller.h"

class QWidget;

namespace zoral::ui {

class Popover;

class PopoverDelegate {
public:
    virtual ~PopoverDelegate() = default;
    virtual void popoverWillShow(Popover&) {}
    virtual void popoverDidShow(Popover&) {}
    virtual void popoverWillClose(Popover&) {}
    virtual void popoverDidClose(Popover&) {}
};

// The toolkit's numbers.
enum class PopoverBehavior : std::uint8_t {
    applicationDefined = 0,
    transient = 1,
    semitransient = 2
};
enum class RectEdge : std::uint8_t { minX = 0, minY = 1, maxX = 2, maxY = 3 };

class Popover : public ViewHost, public std::enable_shared_from_this<Popover> {
public:
    Popover();
    ~Popover() override;
    Popover(const Popover&) = delete;
    Popover& operator=(const Popover&) = delete;

    const std::shared_ptr<ViewController>& contentViewController() const { return content_; }
    void setContentViewController(std::shared_ptr<ViewController> controller);
    // Not owned; it must outlive the popover or be cleared.
    void setDelegate(PopoverDelegate* delegate) { delegate_ = delegate; }
    PopoverDelegate* delegate() const { return delegate_; }
    PopoverBehavior behavior() const { return behavior_; }
    void setBehavior(PopoverBehavior behavior) { behavior_ = behavior; }
    bool animates() const { return animates_; }
    void setAnimates(bool animates) { animates_ = animates; }
    // Whether a press on the positioning view counts as a press outside (the default) for the
    // transient behaviours; a view that opens its popover on a press and ignores presses while
    // it is shown turns this off, so that such a press leaves the popover as it is.
    bool closesOnPressInAnchor() const { return closesOnPressInAnchor_; }
    void setClosesOnPressInAnchor(bool closes) { closesOnPressInAnchor_ = closes; }

    // Shows the popover at the edge of the rectangle of the view (moving it there when it is shown
    // already). Nothing when the view is in no window on screen.
    void show(platform::CGRect relativeTo, View& positioningView, RectEdge preferredEdge);
    void close();
    bool isShown() const { return shown_; }
    std::shared_ptr<View> positioningView() const { return anchor_.lock(); }
    RectEdge preferredEdge() const { return edge_; }
    // The size of the content.
    platform::CGSize contentSize() const;
    // Where the popover stands, in the system's bottom-left coordinates.
    platform::CGRect frame() const;

    // The popover as drawn: bubble, arrow and content.
    Image render() const;

    bool hostIsVisible() const override { return shown_; }
    TitledWindow* hostWindow() override;

    // The toolkit's widget of the bubble; for the window's drawing.
    QWidget* widget() const;
    // Places the bubble at its anchor again (after the content changed size).
    void reposition();

private:
    struct Parts;

    std::unique_ptr<Parts> parts_;
    std::shared_ptr<ViewController> content_;
    PopoverDelegate* delegate_ = nullptr;
    PopoverBehavior behavior_ = PopoverBehavior::applicationDefined;
    bool animates_ = true;
    bool closesOnPressInAnchor_ = true;
    bool shown_ = false;
    std::weak_ptr<View> anchor_;
    platform::CGRect anchorRect_;
    RectEdge edge_ = RectEdge::maxY;
    std::shared_ptr<Popover> self_;
};

}  // namespace zoral::ui
