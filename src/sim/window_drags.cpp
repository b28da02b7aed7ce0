#include "sim/window_drags.h"

#include <algorithm>
#include <memory>

#include "sim/input_pipeline.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

using platform::CGPoint;
using platform::CGRect;

class MoveGrab : public PointerGrab {
public:
    MoveGrab(const std::shared_ptr<WindowNode>& window, CGPoint start)
        : window_(window), last_(start) {}

    void dragged(World& world, const platform::CGEvent& event) override {
        // The window goes as far as the pointer went since the last event, from wherever it is:
        // a frame the program wrote meanwhile stays, and a release where the last drag ended
        // moves nothing.
        const CGPoint delta{event.location.x - last_.x, event.location.y - last_.y};
        last_ = event.location;
        if (delta.x == 0 && delta.y == 0)
            return;
        if (const auto window = window_.lock()) {
            const CGPoint at = window->position();
            window->moveTo(world, {at.x + delta.x, at.y + delta.y});
        }
    }
    void released(World& world, const platform::CGEvent& event) override {
        dragged(world, event);
        WindowServer::of(world).setHeldWindow(nullptr);
    }

private:
    std::weak_ptr<WindowNode> window_;
    CGPoint last_;
};

class ResizeGrab : public PointerGrab {
public:
    ResizeGrab(const std::shared_ptr<WindowNode>& window, std::uint8_t edges, CGPoint start)
        : window_(window), edges_(edges), start_(start), last_(start), frame_(*window->frame()) {}

    void dragged(World& world, const platform::CGEvent& event) override {
        const auto window = window_.lock();
        if (!window || event.location == last_)
            return;
        last_ = event.location;
        const CGRect wanted = draggedFrame(
            frame_, edges_, {event.location.x - start_.x, event.location.y - start_.y});
        // The limits hold the size; the edges that did not move stay where they are.
        const platform::CGSize size = window->clamped(wanted.size);
        const double x = (edges_ & leftEdge) != 0 ? frame_.maxX() - size.width : frame_.minX();
        const double y = (edges_ & topEdge) != 0 ? frame_.maxY() - size.height : frame_.minY();
        window->resizeTo(world, size);
        window->moveTo(world, {x, y});
    }
    void released(World& world, const platform::CGEvent& event) override { dragged(world, event); }

private:
    std::weak_ptr<WindowNode> window_;
    std::uint8_t edges_;
    CGPoint start_;
    CGPoint last_;
    CGRect frame_;
};

}  // namespace

std::uint8_t edgesAt(CGRect frame, CGPoint point) {
    std::uint8_t edges = 0;
    if (!frame.containsPoint(point))
        return edges;
    if (point.x < frame.minX() + resizeMargin)
        edges |= leftEdge;
    else if (point.x >= frame.maxX() - resizeMargin)
        edges |= rightEdge;
    if (point.y < frame.minY() + resizeMargin)
        edges |= topEdge;
    else if (point.y >= frame.maxY() - resizeMargin)
        edges |= bottomEdge;
    return edges;
}

CGPoint gripOf(CGRect frame, std::uint8_t edges) {
    const double inset = resizeMargin / 2;
    const double x = (edges & leftEdge) != 0    ? frame.minX() + inset
                     : (edges & rightEdge) != 0 ? frame.maxX() - inset
                                                : frame.midX();
    const double y = (edges & topEdge) != 0      ? frame.minY() + inset
                     : (edges & bottomEdge) != 0 ? frame.maxY() - inset
                                                 : frame.midY();
    return {x, y};
}

CGRect draggedFrame(CGRect frame, std::uint8_t edges, CGPoint delta) {
    double minX = frame.minX();
    double maxX = frame.maxX();
    double minY = frame.minY();
    double maxY = frame.maxY();
    if ((edges & leftEdge) != 0)
        minX = std::min(minX + delta.x, maxX);
    if ((edges & rightEdge) != 0)
        maxX = std::max(maxX + delta.x, minX);
    if ((edges & topEdge) != 0)
        minY = std::min(minY + delta.y, maxY);
    if ((edges & bottomEdge) != 0)
        maxY = std::max(maxY + delta.y, minY);
    return {minX, minY, maxX - minX, maxY - minY};
}

void registerWindowDrags(InputPipeline& pipeline) {
    pipeline.addPressHandler(
        Receiver::windowServer,
        [](World& world, const Press& press) -> std::shared_ptr<PointerGrab> {
            auto window = std::dynamic_pointer_cast<WindowNode>(press.window);
            // Only the window itself is taken: its buttons, tabs and contents are the
            // application's.
            if (press.event.type != platform::CGEventType::leftMouseDown || !window ||
                press.element != press.window) {
                return nullptr;
            }
            const CGRect frame = *window->frame();
            const std::uint8_t edges = edgesAt(frame, press.event.location);
            if (edges != 0 && !window->limits().fixedSize)
                return std::make_shared<ResizeGrab>(window, edges, press.event.location);
            if (press.event.location.y < frame.minY() + WindowServer::titleBarHeight) {
                WindowServer::of(world).setHeldWindow(window);
                return std::make_shared<MoveGrab>(window, press.event.location);
            }
            return nullptr;
        });
}

}  // namespace zoral::sim
