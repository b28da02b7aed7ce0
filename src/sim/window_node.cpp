#include "sim/window_node.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/spaces.h"
#include "sim/timing.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {
constexpr std::string_view positionAttribute = "AXPosition";
constexpr std::string_view sizeAttribute = "AXSize";
constexpr std::string_view frameAttribute = "AXFrame";
constexpr std::string_view mainAttribute = "AXMain";
constexpr std::string_view minimizedAttribute = "AXMinimized";
constexpr std::string_view fullScreenAttribute = "AXFullScreen";

// The frame, in top-left coordinates, of the display that holds the point.
std::optional<platform::CGRect> displayFrameAt(World& world, platform::CGPoint point) {
    const auto displays = Displays::of(world).displays();
    if (displays.empty())
        return std::nullopt;
    const double primaryHeight = displays.front().frame.height();
    for (const Display& display : displays) {
        const platform::CGRect& f = display.frame;
        const platform::CGRect flipped(f.minX(), primaryHeight - f.maxY(), f.width(), f.height());
        if (flipped.containsPoint(point))
            return flipped;
    }
    const platform::CGRect& f = displays.front().frame;
    return platform::CGRect(f.minX(), primaryHeight - f.maxY(), f.width(), f.height());
}
}  // namespace

WindowNode::WindowNode(platform::ProcessId pid, std::int64_t windowNumber, WindowLimits limits)
    : Node(pid, std::string(role)), windowNumber_(windowNumber), limits_(limits) {
    set(std::string(positionAttribute), platform::CGPoint{});
    set(std::string(sizeAttribute), clamped(platform::CGSize{}));
}

void WindowNode::setLimits(WindowLimits limits) {
    limits_ = limits;
    if (const auto* size = stored(sizeAttribute)->getIf<platform::CGSize>()) {
        set(std::string(sizeAttribute), clamped(*size));
    }
}

platform::CGSize WindowNode::clamped(platform::CGSize size) const {
    if (limits_.maximum) {
        size.width = std::min(size.width, limits_.maximum->width);
        size.height = std::min(size.height, limits_.maximum->height);
    }
    if (limits_.minimum) {
        size.width = std::max(size.width, limits_.minimum->width);
        size.height = std::max(size.height, limits_.minimum->height);
    }
    return size;
}

bool WindowNode::isMinimized() const {
    const ax::Value* value = stored(minimizedAttribute);
    return value != nullptr && value->getIf<bool>() != nullptr && *value->getIf<bool>();
}

void WindowNode::setMinimized(World& world, bool minimized) {
    if (isMinimized() == minimized)
        return;
    set(std::string(minimizedAttribute), minimized);
    // The Dock shows a tile for each minimised window.
    if (Dock* dock = Dock::of(world)) {
        if (minimized) {
            dock->windowMinimized(world, std::static_pointer_cast<WindowNode>(shared_from_this()));
        } else {
            dock->windowRestored(*this);
        }
    }
    world.postNotification(*this, minimized ? "AXWindowMiniaturized" : "AXWindowDeminiaturized");
}

bool WindowNode::isFullScreen() const {
    const ax::Value* value = stored(fullScreenAttribute);
    return value != nullptr && value->getIf<bool>() != nullptr && *value->getIf<bool>();
}

void WindowNode::setFullScreen(World& world, bool fullScreen) {
    if (leavingFullScreen_ || isFullScreen() == fullScreen)
        return;
    if (fullScreen) {
        const platform::CGRect current = *frame();
        const auto target = displayFrameAt(world, {current.midX(), current.midY()});
        if (!target)
            return;
        frameBeforeFullScreen_ = current;
        world.component<Spaces>().enterFullScreen(world, windowNumber_,
                                                  {current.midX(), current.midY()});
        set(std::string(fullScreenAttribute), true);
        set(std::string(positionAttribute), target->origin);
        set(std::string(sizeAttribute), target->size);
        world.postNotification(*this, "AXWindowMoved");
        world.postNotification(*this, "AXWindowResized");
        return;
    }
    leavingFullScreen_ = true;
    const double delay = world.component<Timing>().fullScreenExit;
    platform::DispatchQueue::main().asyncAfter(
        platform::DispatchTime::now() + delay, [weak = std::weak_ptr<Node>(shared_from_this())] {
            auto self = std::static_pointer_cast<WindowNode>(weak.lock());
            if (!self)
                return;
            World& current = World::current();
            self->leavingFullScreen_ = false;
            self->set(std::string(fullScreenAttribute), false);
            current.component<Spaces>().leaveFullScreen(current, self->windowNumber_);
            if (self->frameBeforeFullScreen_) {
                self->set(std::string(positionAttribute), self->frameBeforeFullScreen_->origin);
                self->set(std::string(sizeAttribute), self->frameBeforeFullScreen_->size);
                self->frameBeforeFullScreen_.reset();
            }
            current.postNotification(*self, "AXWindowMoved");
            current.postNotification(*self, "AXWindowResized");
        });
}

void WindowNode::close(World& world) {
    if (isDestroyed())
        return;
    world.postNotification(*this, "AXUIElementDestroyed");
    if (Dock* dock = Dock::of(world))
        dock->windowRestored(*this);
    auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
    const bool wasMain = application && application->mainWindow().get() == this;
    if (auto owner = parent())
        owner->removeChild(shared_from_this());
    markDestroyed();
    if (wasMain) {
        world.postNotification(*application, "AXMainWindowChanged");
        world.postNotification(*application, "AXFocusedWindowChanged");
    }
}

void WindowNode::makeMain(World& world) {
    auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
    if (!application || application->mainWindow().get() == this)
        return;
    application->bringToFront(std::static_pointer_cast<WindowNode>(shared_from_this()));
    world.postNotification(*application, "AXMainWindowChanged");
    world.postNotification(*application, "AXFocusedWindowChanged");
}

void WindowNode::moveTo(World& world, platform::CGPoint position) {
    if (*stored(positionAttribute)->getIf<platform::CGPoint>() == position)
        return;
    set(std::string(positionAttribute), position);
    world.postNotification(*this, "AXWindowMoved");
}

void WindowNode::resizeTo(World& world, platform::CGSize size) {
    size = clamped(size);
    if (*stored(sizeAttribute)->getIf<platform::CGSize>() == size)
        return;
    set(std::string(sizeAttribute), size);
    world.postNotification(*this, "AXWindowResized");
}

ax::Result<ax::Value> WindowNode::read(World& world, std::string_view attribute) const {
    if (attribute == frameAttribute)
        return ax::Value(*frame());
    if (attribute == mainAttribute) {
        const auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
        return ax::Value(application && application->mainWindow().get() == this);
    }
    return Node::read(world, attribute);
}

std::vector<std::string> WindowNode::attributeNames() const {
    auto names = Node::attributeNames();
    names.emplace_back(frameAttribute);
    names.emplace_back(mainAttribute);
    return names;
}

ax::Result<bool> WindowNode::isSettable(std::string_view attribute) const {
    if (attribute == positionAttribute || attribute == mainAttribute)
        return true;
    if (attribute == sizeAttribute)
        return !limits_.fixedSize;
    return Node::isSettable(attribute);
}

ax::Error WindowNode::write(World& world, std::string_view attribute, const ax::Value& value) {
    if (attribute == positionAttribute) {
        const auto* position = value.getIf<platform::CGPoint>();
        if (position == nullptr || !std::isfinite(position->x) || !std::isfinite(position->y)) {
            return ax::illegalArgument;
        }
        moveTo(world, *position);
        return ax::success;
    }
    if (attribute == sizeAttribute) {
        if (limits_.fixedSize)
            return ax::attributeUnsupported;
        const auto* size = value.getIf<platform::CGSize>();
        if (size == nullptr || !std::isfinite(size->width) || !std::isfinite(size->height) ||
            size->width < 0 || size->height < 0) {
            return ax::illegalArgument;
        }
        resizeTo(world, *size);
        return ax::success;
    }
    if (attribute == mainAttribute) {
        const auto* main = value.getIf<bool>();
        if (main == nullptr)
            return ax::illegalArgument;
        // Writing false changes nothing, as on the system.
        if (*main)
            makeMain(world);
        return ax::success;
    }
    if (attribute == minimizedAttribute || attribute == fullScreenAttribute) {
        const ax::Result<bool> settable = isSettable(attribute);
        if (!settable.ok())
            return settable.error();
        if (!settable.value())
            return ax::attributeUnsupported;
        const auto* flag = value.getIf<bool>();
        if (flag == nullptr)
            return ax::illegalArgument;
        if (attribute == minimizedAttribute) {
            setMinimized(world, *flag);
        } else {
            setFullScreen(world, *flag);
        }
        return ax::success;
    }
    return Node::write(world, attribute, value);
}

}  // namespace zoral::sim
