#pragma once

// The program's regular windows (the preferences window and the windows shown as its sheets),
// after the toolkit's titled windows: a title bar with the close, minimise and zoom buttons, a
// title and a subtitle, an optional toolbar in the title bar, and a content view or content view
// controller below. A window is also a window of the desktop, registered with the window server
// while it exists. Its delegate hears of closing and of full screen; the user's close button asks
// windowShouldClose first, as the toolkit's does, and the zoom button enters full screen.
//
// A sheet is another window attached to this one: it shows at the top of the window's content,
// the window takes no input until it ends, and ending it runs the completion with a response.
// A window takes one sheet at a time; sheets begun meanwhile wait their turn.
//
// Frames are in the system's bottom-left coordinates. Made with std::make_shared. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/program_windows.h"
#include "ui/image.h"
#include "ui/toolbar.h"
#include "ui/view_controller.h"

namespace zoral::ui {

class TitledWindow;
class Popover;

class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual bool windowShouldClose(TitledWindow&) { return true; }
    virtual void windowWillClose(TitledWindow&) {}
    virtual void windowWillEnterFullScreen(TitledWindow&) {}
    virtual void windowDidEnterFullScreen(TitledWindow&) {}
    virtual void windowWillExitFullScreen(TitledWindow&) {}
    virtual void windowDidExitFullScreen(TitledWindow&) {}
};

// The toolkit's modal responses.
namespace modalResponse {
inline constexpr std::int64_t ok = 1;
inline constexpr std::int64_t cancel = 0;
inline constexpr std::int64_t stop = -1000;
inline constexpr std::int64_t abort = -1001;
inline constexpr std::int64_t continue_ = -1002;  // "continue" is a keyword
inline constexpr std::int64_t alertFirstButton = 1000;
inline constexpr std::int64_t alertSecondButton = 1001;
inline constexpr std::int64_t alertThirdButton = 1002;
}  // namespace modalResponse

class TitledWindow : public ViewHost, public std::enable_shared_from_this<TitledWindow> {
public:
    // The toolkit's style-mask and collection-behaviour bits.
    static constexpr std::uint64_t titled = 1;
    static constexpr std::uint64_t closable = 2;
    static constexpr std::uint64_t miniaturizable = 4;
    static constexpr std::uint64_t resizable = 8;
    static constexpr std::uint64_t fullSizeContentView = 1u << 15;
    static constexpr std::uint64_t fullScreenPrimary = 0x80;

    // The title bar's height, and its height with a toolbar.
    static constexpr double titleBarHeight = 28;
    static constexpr double toolbarTitleBarHeight = 52;

    explicit TitledWindow(platform::CGSize contentSize,
                          std::uint64_t styleMask = titled | closable | miniaturizable | resizable);
    // A window sized to the controller's view, which becomes its content.
    static std::shared_ptr<TitledWindow> withContentViewController(
        std::shared_ptr<ViewController> controller);
    ~TitledWindow() override;
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;

    platform::WindowNumber windowNumber() const { return number_; }

    // --- Title bar
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const std::string& subtitle() const { return subtitle_; }
    void setSubtitle(std::string subtitle);
    const std::shared_ptr<Toolbar>& toolbar() const { return toolbar_; }
    // The toolbar starts with its default items when it has none.
    void setToolbar(std::shared_ptr<Toolbar> toolbar);

    // --- Content
    std::shared_ptr<View> contentView() const;
    void setContentView(std::shared_ptr<View> view);
    const std::shared_ptr<ViewController>& contentViewController() const { return controller_; }
    void setContentViewController(std::shared_ptr<ViewController> controller);

    // The view that takes the keyboard's input; none to leave the window without one. False,
    // changing nothing, for a view that is not in this window.
    bool makeFirstResponder(View* view);
    // The view with the keyboard's focus in this window; none when no view has it.
    View* firstResponder() const;

    // --- Frame
    platform::CGRect frame() const;
    platform::CGSize contentSize() const;
    void setContentSize(platform::CGSize size);
    void setContentMinSize(platform::CGSize size);
    platform::CGSize contentMinSize() const { return minSize_; }
    void setFrameOrigin(platform::CGPoint origin);
    // Centres the window in the visible frame of its display (the main display when it lies on
    // none).
    void center();

    std::uint64_t styleMask() const { return styleMask_; }
    void setStyleMask(std::uint64_t mask) { styleMask_ = mask; }
    std::uint64_t collectionBehavior() const { return collectionBehavior_; }
    void setCollectionBehavior(std::uint64_t behavior) { collectionBehavior_ = behavior; }
    bool isMovableByWindowBackground() const { return movable_; }
    void setMovableByWindowBackground(bool movable) { movable_ = movable; }

    // Not owned; it must outlive the window or be cleared.
    void setDelegate(WindowDelegate* delegate) { delegate_ = delegate; }
    WindowDelegate* delegate() const { return delegate_; }

    // --- On screen
    bool isVisible() const { return visible_; }
    void makeKeyAndOrderFront();
    void orderFront() { makeKeyAndOrderFront(); }
    void orderOut();
    // Tells the delegate that the window will close, closes its popovers and takes it off screen.
    void close();
    // The close button: asks the delegate, then closes.
    void performClose();
    bool isFullScreen() const { return fullScreen_; }
    // Enters or leaves full screen, telling the delegate before and after.
    void toggleFullScreen();

    // --- Sheets
    void beginSheet(std::shared_ptr<TitledWindow> sheet,
                    std::function<void(std::int64_t response)> completion = {});
    // Ends the sheet (attached or waiting) with the response; nothing for a window that is no
    // sheet of this one.
    void endSheet(TitledWindow& sheet, std::int64_t response = modalResponse::stop);
    std::shared_ptr<TitledWindow> attachedSheet() const { return sheet_; }
    std::shared_ptr<TitledWindow> sheetParent() const { return parent_.lock(); }

    // The window as it is drawn, its title bar, attached sheet and open popovers included.
    Image render() const;

    bool hostIsVisible() const override;
    TitledWindow* hostWindow() override { return this; }

private:
    friend class Popover;
    struct Parts;
    struct PendingSheet {
        std::shared_ptr<TitledWindow> sheet;
        std::function<void(std::int64_t)> completion;
    };

    void attachSheet(PendingSheet pending);
    void setShown(bool shown);
    void updateServerFrame();
    void addPopover(const std::shared_ptr<Popover>& popover);
    double headerHeight() const;
    void relayoutHeader();

    std::unique_ptr<Parts> parts_;
    std::string title_;
    std::string subtitle_;
    std::shared_ptr<Toolbar> toolbar_;
    std::shared_ptr<ViewController> controller_;
    platform::CGSize minSize_;
    std::uint64_t styleMask_;
    std::uint64_t collectionBehavior_ = 0;
    bool movable_ = false;
    WindowDelegate* delegate_ = nullptr;
    bool visible_ = false;
    bool fullScreen_ = false;
    platform::WindowNumber number_ = 0;
    std::shared_ptr<TitledWindow> sheet_;
    std::function<void(std::int64_t)> sheetCompletion_;
    std::vector<PendingSheet> waitingSheets_;
    std::weak_ptr<TitledWindow> parent_;
    std::vector<std::weak_ptr<Popover>> popovers_;
};

}  // namespace zoral::ui
