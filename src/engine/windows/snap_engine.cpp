#include "engine/windows/snap_engine.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "desktop/application.h"
#include "desktop/ax_vocabulary.h"
#include "desktop/conversation.h"
#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snapped_window_observer.h"
#include "engine/windows/snapped_windows.h"
#include "engine/windows/snapping_geometry.h"
#include "engine/windows/window_operations.h"
#include "platform/accessibility.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/workspace.h"

namespace zoral::engine {

namespace {

using desktop::Attribute;
using desktop::Screen;
using desktop::Window;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

// The main-window write of an activation waits this long, on the accessibility queue.
constexpr double mainWriteDelay = 0.01;

std::optional<CGSize> readSize(const Window& window) {
    return window.attribute<CGSize>(Attribute::size);
}

// The snap does not depend on the result.
void write(Window& window, Attribute attribute, const platform::ax::Value& value) {
    (void)window.trySetAttribute(platform::rawValue(attribute), value);
}

void writeFrame(Window& window, const CGPoint& origin, const CGSize& size) {
    write(window, Attribute::size, size);
    write(window, Attribute::position, origin);
    write(window, Attribute::size, size);
}

// The area of the intersection of the two rectangles.
double sharedArea(const CGRect& a, const CGRect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return width > 0 && height > 0 ? width * height : 0;
}

double roundedHalfAway(double value) {
    return std::round(value);
}

// The application's enhanced interface is off for the life of this object, and restored after.
class EnhancedInterfaceOff {
public:
    explicit EnhancedInterfaceOff(std::shared_ptr<desktop::Application> application)
        : application_(std::move(application)) {
        if (application_)
            application_->disableEnhancedUI();
    }
    ~EnhancedInterfaceOff() {
        if (application_)
            application_->restoreEnhancedUI();
    }
    EnhancedInterfaceOff(const EnhancedInterfaceOff&) = delete;
    EnhancedInterfaceOff& operator=(const EnhancedInterfaceOff&) = delete;

private:
    std::shared_ptr<desktop::Application> application_;
};

// Brings the window's application in front and makes the window main; the focus poll runs on
// and nothing waits for it.
void activateWindow(const std::shared_ptr<Window>& window) {
    if (const auto application = window->application())
        (void)platform::activate(application->nsApp(), platform::activateIgnoringOtherApps);
    window->setAttributeAfter(Attribute::main, platform::ax::Value(true), mainWriteDelay);
    focusWithRetries(window).handleError([](const platform::ErrorRef&) {});
}

void warpBelowTopEdge(double midX, double minY) {
    (void)platform::warpMouseCursorPosition({midX, minY + cursorBelowTopEdge});
}

// A size a window could be given: a zero or negative one would shrink it to nothing.
bool isUsable(const CGSize& size) {
    return size.width > 0 && size.height > 0;
}

// The snap from the frame the caller has just read.
void snapFrom(const std::shared_ptr<Window>& window, const GridSpan& span, const Screen& screen,
              SnapOptions options, const CGRect& frame) {
    const auto application = window->application();
    const EnhancedInterfaceOff enhancedOff(application);
    if (options.activate)
        activateWindow(window);

    SnappedWindows& registry = SnappedWindows::shared();
    const CGRect frameBeforeSnap = registry.frameBeforeSnap(*window).value_or(frame);
    // A window's number never changes: a snapped window's is known; another's is asked of the
    // window itself, one round trip however many windows the desktop has. Only the resize observer
    // reads it, checking then that the window is on screen.
    const auto known = registry.record(*window);
    const auto windowNumber =
        known && known->windowNumber ? known->windowNumber : window->windowNumber();
    // The old observer goes before the writes, so that it reports none of them.
    (void)registry.remove(*window);

    const CGRect& area = screen.snapFrame;
    const CGSize size = spanSize(area, span, currentGridOffset());
    if (window->canResize()) {
        writeFrame(*window, spanOrigin(size, area, span), size);
        // A window that keeps a size of its own is aligned to the span with that size.
        const CGSize taken = readSize(*window).value_or(CGSize{});
        write(*window, Attribute::position, spanOrigin(taken, area, span));
    } else {
        write(*window, Attribute::position, spanOrigin(frameBeforeSnap.size, area, span));
    }

    const auto readBack = window->attribute<CGRect>(Attribute::frame);
    if (!readBack) {
        // The window stopped answering (or went) during the writes: where it is now is unknown,
        // and a record with no frame would later restore or compare against nothing.
        platform::output::printLine("Window: Snapped frame unknown");
        return;
    }
    const CGRect snappedFrame = *readBack;
    const auto nowOn = Window::screenOfFrame(snappedFrame);
    registry.insert(window, {
                                .windowNumber = windowNumber,
                                .span = span,
                                .frameBeforeSnap = frameBeforeSnap,
                                .snappedFrame = snappedFrame,
                                .screenFrame = nowOn ? nowOn->uiFrame : CGRect{},
                                .observer = observeSnappedWindow(window),
                            });
    if (options.moveCursor)
        warpBelowTopEdge(snappedFrame.midX(), snappedFrame.minY());
}

}  // namespace

CGRect snapTargetFrame(const Window& window, const GridSpan& span, const Screen& screen) {
    const desktop::Conversation conversation(window);
    const CGRect& area = screen.snapFrame;
    const CGSize size = window.canResize() ? spanSize(area, span, currentGridOffset())
                                           : readSize(window).value_or(CGSize{});
    return {spanOrigin(size, area, span), size};
}

void snap(const std::shared_ptr<Window>& window, const GridSpan& span, const Screen& screen,
          SnapOptions options) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    // Read first: a window whose frame cannot be read is neither moved nor recorded, since its
    // frame could never be restored.
    const auto frame = window->attribute<CGRect>(Attribute::frame);
    if (!frame) {
        platform::output::printLine("Window: Cannot snap, frame unknown");
        return;
    }
    snapFrom(window, span, screen, options, *frame);
}

void center(const std::shared_ptr<Window>& window, const Screen& screen, CenterOptions options) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    const EnhancedInterfaceOff enhancedOff(window->application());
    if (options.activate)
        activateWindow(window);

    // After centring the window is not snapped, whichever size it gets.
    const auto record = removeSnapRecord(*window);
    std::optional<CGSize> size;
    if (options.restore && record && isUsable(record->frameBeforeSnap.size))
        size = record->frameBeforeSnap.size;
    else
        size = readSize(*window);
    if (!size || !isUsable(*size)) {
        // Writing a zero size would shrink the window to nothing.
        platform::output::printLine("Window: Cannot center, size unknown");
        return;
    }
    const CGRect& area = screen.snapFrame;
    const CGPoint origin{roundedHalfAway(area.midX() - size->width / 2),
                         roundedHalfAway(area.midY() - size->height / 2)};
    writeFrame(*window, origin, *size);
    if (options.moveCursor)
        warpBelowTopEdge(origin.x + size->width / 2, origin.y);
}

void unsnap(const std::shared_ptr<Window>& window) {
    if (!window)
        return;
    const desktop::Conversation conversation(*window);
    SnappedWindows& registry = SnappedWindows::shared();
    const auto record = registry.record(*window);
    if (!record)
        return;
    const CGRect& before = record->frameBeforeSnap;
    if (!isUsable(before.size)) {
        // Nothing to go back to: the window stays as it is.
        (void)registry.remove(*window);
        return;
    }
    const auto screen = window->screen();
    if (!screen ||
        sharedArea(desktop::flip(screen->uiFrame), before) > before.width() * before.height() / 2) {
        const EnhancedInterfaceOff enhancedOff(window->application());
        window->setSizeAndPosition(before.minX(), before.minY(), before.width(), before.height());
    } else {
        // Most of the old frame is off this screen (it came from another display): bring the
        // window back here at its old size.
        center(window, *screen, {.restore = true});
    }
    (void)registry.remove(*window);
}

void unsnapAllWindows() {
    // One pass: an application that stopped answering holds it up once, not once a window.
    const desktop::Conversation conversation;
    for (const auto& window : SnappedWindows::shared().windows())
        unsnap(window);
}

void resnapAllWindows() {
    const desktop::Conversation conversation;
    SnappedWindows& registry = SnappedWindows::shared();
    for (const auto& window : registry.windows()) {
        const auto record = registry.record(*window);
        if (!record)
            continue;
        // One read of the frame finds the screen and starts the snap; a window whose frame cannot
        // be read keeps its record for the next pass.
        const auto frame = window->attribute<CGRect>(Attribute::frame);
        const auto screen = frame ? Window::screenOfFrame(*frame) : std::nullopt;
        if (screen)
            snapFrom(window, record->span, *screen, {}, *frame);
    }
}

}  // namespace zoral::engine
