#include "engine/windows/snapped_window_observer.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "desktop/application.h"
#include "desktop/ax_error.h"
#include "desktop/ax_vocabulary.h"
#include "desktop/dispatch_control_item.h"
#include "desktop/rect_edges.h"
#include "engine/model/modifier.h"
#include "engine/windows/snap_engine.h"
#include "engine/windows/snapped_windows.h"
#include "engine/windows/snapping_geometry.h"
#include "platform/accessibility.h"
#include "platform/dispatch.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/workspace.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using desktop::Attribute;
using desktop::AXError;
using desktop::AXNotification;
using desktop::CGRectEdge;
using desktop::EdgeDistances;
using desktop::Window;
using platform::CGRect;
using settings::Defaults::Keys;

// The one drag-resize state of the process, cleared a while after the last resize.
struct ResizeState {
    std::optional<Resizer> resizer;
    desktop::DispatchControlItem clearing{platform::DispatchQueue::main(), {}, {}};
};

ResizeState& resizeState() {
    return platform::processPart<ResizeState>();
}

void print(const char* line) {
    platform::output::printLine(line);
}

bool readFullscreen(const Window& window) {
    return window.attribute<bool>(Attribute::fullscreen).value_or(false);
}

void onResized(const std::shared_ptr<Window>& window, bool& wasFullscreen, bool buttonHeld) {
    const bool fullscreen = readFullscreen(*window);
    if (wasFullscreen && fullscreen) {
        print("Observer: Fullscreen window moved between screens");
    } else if (wasFullscreen) {
        print("Observer: Window leaving fullscreen mode");
        // Back into its cell, on the screen it has come back to.
        if (const auto record = SnappedWindows::shared().record(*window)) {
            if (const auto screen = window->screen())
                snap(window, record->span, *screen);
        }
    } else if (fullscreen) {
        print("Observer: Window entering fullscreen mode");
    } else if (!buttonHeld) {
        print("Observer: Window resize ignored");
    } else if (settings::Defaults::readValue(Keys::snappingResizeAdjacent())) {
        ResizeState& state = resizeState();
        if (!state.resizer)
            state.resizer = Resizer::make(window);
        resizeAdjacentWindows(*state.resizer);
        state.clearing.schedule(resizerLifetime, [] { resizeState().resizer.reset(); });
    } else {
        print("Observer: Window resized by dragging");
        (void)removeSnapRecord(*window);
    }
    wasFullscreen = fullscreen;
}

void onMoved(const std::shared_ptr<Window>& window, bool buttonHeld) {
    if (!buttonHeld || resizeState().resizer) {
        print("Observer: Window move ignored");
        return;
    }
    print("Observer: Window moved after dragging");
    if (!settings::Defaults::readValue(Keys::snappingDragUnsnap())) {
        (void)removeSnapRecord(*window);
        return;
    }
    const auto roles =
        modifiersFromFlags(settings::ModifierFlags(platform::eventSourceFlagsState().rawValue()));
    if (std::find(roles.begin(), roles.end(), Modifier::secondary) != roles.end()) {
        // The window keeps the size the user dragged it at.
        (void)removeSnapRecord(*window);
    } else {
        unsnapAfterDrag(window);
    }
}

void handleWindowNotification(AXNotification notification, const std::weak_ptr<Window>& weak,
                              bool& wasFullscreen) {
    const auto window = weak.lock();
    if (!window)
        return;
    const bool buttonHeld = platform::pressedMouseButtons() != 0;
    switch (notification) {
        case AXNotification::uiElementDestroyed:
            (void)removeSnapRecord(*window);
            return;
        case AXNotification::resized:
            onResized(window, wasFullscreen, buttonHeld);
            return;
        case AXNotification::moved:
            onMoved(window, buttonHeld);
            return;
        default:
            return;
    }
}

// Same coordinate on the side: the neighbour is stacked there and follows the edge.
bool aligned(CGRectEdge edge, const CGRect& snapped, const CGRect& neighbour) {
    switch (edge) {
        case CGRectEdge::left:
            return snapped.minX() == neighbour.minX();
        case CGRectEdge::right:
            return snapped.maxX() == neighbour.maxX();
        case CGRectEdge::top:
            return snapped.minY() == neighbour.minY();
        case CGRectEdge::bottom:
            return snapped.maxY() == neighbour.maxY();
    }
    return false;
}

// The neighbour's edge that faces the side across the gap, if it does.
std::optional<CGRectEdge> facingEdge(CGRectEdge edge, const CGRect& snapped,
                                     const CGRect& neighbour, double gap) {
    switch (edge) {
        case CGRectEdge::left:
            return snapped.minX() - gap == neighbour.maxX() ? std::optional(CGRectEdge::right)
                                                            : std::nullopt;
        case CGRectEdge::right:
            return snapped.maxX() + gap == neighbour.minX() ? std::optional(CGRectEdge::left)
                                                            : std::nullopt;
        case CGRectEdge::top:
            return snapped.minY() - gap == neighbour.maxY() ? std::optional(CGRectEdge::bottom)
                                                            : std::nullopt;
        case CGRectEdge::bottom:
            return snapped.maxY() + gap == neighbour.minY() ? std::optional(CGRectEdge::top)
                                                            : std::nullopt;
    }
    return std::nullopt;
}

// Whether the window's process has ended: its element still names it, without asking anyone.
bool processHasEnded(const Window& window) {
    const auto pid = window.pid();
    return pid && !platform::runningApplicationWithProcessIdentifier(*pid);
}

// The window went before its observation began, so no destroyed notification will come: its
// record, which the snap inserts once the observer is made, goes on the main queue's next turn.
std::shared_ptr<desktop::Observer> forgetGoneWindow(const std::weak_ptr<Window>& weak) {
    platform::DispatchQueue::main().async([weak] {
        if (const auto window = weak.lock())
            (void)removeSnapRecord(*window);
    });
    return nullptr;
}

}  // namespace

std::shared_ptr<desktop::Observer> observeSnappedWindow(const std::shared_ptr<Window>& window) {
    if (!window)
        return nullptr;
    const auto application = window->application();
    if (!application)
        return processHasEnded(*window) ? forgetGoneWindow(window) : nullptr;
    auto wasFullscreen = std::make_shared<bool>(false);
    std::weak_ptr<Window> weak = window;
    auto observer = application->makeObserver(
        [weak, wasFullscreen](const std::shared_ptr<desktop::Observer>& notifying,
                              const desktop::UIElementRef&, AXNotification notification,
                              const platform::ax::Info&) {
            // A re-snap from here replaces the record and with it this observer: both it and the
            // box stay alive until the reaction is over.
            const auto keepObserver = notifying;
            const auto keepBox = wasFullscreen;
            handleWindowNotification(notification, weak, *keepBox);
        });
    if (!observer)
        return processHasEnded(*window) ? forgetGoneWindow(window) : nullptr;
    for (const AXNotification notification :
         {AXNotification::moved, AXNotification::resized, AXNotification::uiElementDestroyed}) {
        try {
            observer->addNotification(notification, *window);
        } catch (const AXError& error) {
            // The window has gone already: it will never be heard of again.
            if (error.errorCode() == desktop::AXErrorCode::invalidUIElement)
                return forgetGoneWindow(window);
            // Otherwise the others still tell what they can.
        }
    }
    return observer;
}

Resizer Resizer::make(const std::shared_ptr<Window>& window) {
    Resizer resizer;
    resizer.window = window;
    resizer.offset = GridOffset::fold(settings::Defaults::readValue(Keys::gridOffset()), true);
    SnappedWindows& registry = SnappedWindows::shared();
    const auto record = registry.record(*window);
    const auto onScreen = Window::onScreenWindowList();
    const auto shown = [&](std::int64_t number) {
        return std::any_of(onScreen.begin(), onScreen.end(),
                           [&](const auto& entry) { return entry.number == number; });
    };
    if (record) {
        for (const auto& [other, otherRecord] : registry.entries()) {
            if (*other == *window || otherRecord.screenFrame != record->screenFrame ||
                !otherRecord.windowNumber || !shown(*otherRecord.windowNumber)) {
                continue;
            }
            resizer.frames.emplace_back(other, otherRecord.snappedFrame);
        }
    }
    platform::output::printLine("Resizer: Initialized from " + window->description());
    return resizer;
}

void resizeAdjacentWindows(Resizer& resizer) {
    const auto record = SnappedWindows::shared().record(*resizer.window);
    if (!record)
        return;
    const CGRect& snapped = record->snappedFrame;
    const CGRect current = resizer.window->attribute<CGRect>(Attribute::frame).value_or(CGRect{});
    const EdgeDistances moved = desktop::edgeDistances(current, snapped);
    const double gap = gridGap(resizer.offset);
    resizer.written.resize(resizer.frames.size());
    for (std::size_t index = 0; index < resizer.frames.size(); ++index) {
        const auto& [neighbour, frame] = resizer.frames[index];
        EdgeDistances edges;
        for (const auto& [edge, distance] : moved) {
            if (distance == 0)
                continue;
            if (aligned(edge, snapped, frame)) {
                edges[edge] = distance;
            } else if (const auto facing = facingEdge(edge, snapped, frame, gap)) {
                // Across the gap the neighbour's edge moves the same way, keeping the gap.
                edges[*facing] = -distance;
            }
        }
        const CGRect target = desktop::applyingEdgeDistances(frame, edges);
        if (resizer.written[index] == target)
            continue;
        resizer.written[index] = target;
        neighbour->setSizeAndPosition(target.minX(), target.minY(), target.width(),
                                      target.height());
    }
}

void unsnapAfterDrag(const std::shared_ptr<Window>& window) {
    const auto record = SnappedWindows::shared().record(*window);
    if (!record || !window->canResize()) {
        (void)removeSnapRecord(*window);
        return;
    }
    const CGRect& before = record->frameBeforeSnap;
    const auto screen = window->screen();
    const CGRect area = screen ? screen->snapFrame : CGRect{};
    const CGRect restored{window->position(), before.size};
    const bool inside = !restored.isEmpty() && area.minX() <= restored.minX() &&
                        restored.maxX() <= area.maxX() && area.minY() <= restored.minY() &&
                        restored.maxY() <= area.maxY();
    if (!inside) {
        print("Unsnap: Avoid cropping");
        (void)platform::ax::setAttributeValue(window->element(),
                                              platform::rawValue(Attribute::position),
                                              spanOrigin(before.size, area, record->span));
    }
    (void)platform::ax::setAttributeValue(window->element(), platform::rawValue(Attribute::size),
                                          before.size);
    (void)removeSnapRecord(*window);
}

}  // namespace zoral::engine
