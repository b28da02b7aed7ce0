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
    set(ax::attribute::position, platform::CGPoint{});
    set(ax::attribute::size, clamped(platform::CGSize{}));
}

void WindowNode::setLimits(WindowLimits limits) {
    limits_ = limits;
    if (const auto* size = stored(ax::attribute::size)->getIf<platform::CGSize>()) {
        set(ax::attribute::size, clamped(*size));
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
    const ax::Value* value = stored(ax::attribute::minimized);
    return value != nullptr && value->getIf<bool>() != nullptr && *value->getIf<bool>();
}

void WindowNode::setMinimized(World& world, bool minimized) {
    if (isMinimized() == minimized)
        return;
    set(ax::attribute::minimized, minimized);
    // The Dock shows a tile for each minimised window.
    if (Dock* dock = Dock::of(world)) {
        if (minimized) {
            dock->windowMinimized(world, std::static_pointer_cast<WindowNode>(shared_from_this()));
        } else {
            dock->windowRestored(*this);
        }
    }
    world.postNotification(*this, minimized ? ax::notification::windowMiniaturized
                                            : ax::notification::windowDeminiaturized);
}

bool WindowNode::isFullScreen() const {
    const ax::Value* value = stored(ax::attribute::fullscreen);
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
        set(ax::attribute::fullscreen, true);
        set(ax::attribute::position, target->origin);
        set(ax::attribute::size, target->size);
        world.postNotification(*this, ax::notification::windowMoved);
        world.postNotification(*this, ax::notification::windowResized);
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
            self->set(ax::attribute::fullscreen, false);
            current.component<Spaces>().leaveFullScreen(current, self->windowNumber_);
            if (self->frameBeforeFullScreen_) {
                self->set(ax::attribute::position, self->frameBeforeFullScreen_->origin);
                self->set(ax::attribute::size, self->frameBeforeFullScreen_->size);
                self->frameBeforeFullScreen_.reset();
            }
            current.postNotification(*self, ax::notification::windowMoved);
            current.postNotification(*self, ax::notification::windowResized);
        });
}

void WindowNode::close(World& world) {
    if (isDestroyed())
        return;
    world.postNotification(*this, ax::notification::uiElementDestroyed);
    if (Dock* dock = Dock::of(world))
        dock->windowRestored(*this);
    auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
    const bool wasMain = application && application->mainWindow().get() == this;
    if (auto owner = parent())
        owner->removeChild(shared_from_this());
    markDestroyed();
    if (wasMain) {
        world.postNotification(*application, ax::notification::mainWindowChanged);
        world.postNotification(*application, ax::notification::focusedWindowChanged);
    }
}

void WindowNode::makeMain(World& world) {
    auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
    if (!application || application->mainWindow().get() == this)
        return;
    application->bringToFront(std::static_pointer_cast<WindowNode>(shared_from_this()));
    world.postNotification(*application, ax::notification::mainWindowChanged);
    world.postNotification(*application, ax::notification::focusedWindowChanged);
}

void WindowNode::moveTo(World& world, platform::CGPoint position) {
    if (*stored(ax::attribute::position)->getIf<platform::CGPoint>() == position)
        return;
    set(ax::attribute::position, position);
    world.postNotification(*this, ax::notification::windowMoved);
}

void WindowNode::resizeTo(World& world, platform::CGSize size) {
    size = clamped(size);
    if (*stored(ax::attribute::size)->getIf<platform::CGSize>() == size)
        return;
    set(ax::attribute::size, size);
    world.postNotification(*this, ax::notification::windowResized);
}

ax::Result<ax::Value> WindowNode::read(World& world, std::string_view attribute) const {
    if (attribute == ax::attribute::frame)
        return ax::Value(*frame());
    if (attribute == ax::attribute::main) {
        const auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
        return ax::Value(application && application->mainWindow().get() == this);
    }
    return Node::read(world, attribute);
}

std::vector<std::string> WindowNode::attributeNames() const {
    auto names = Node::attributeNames();
    names.emplace_back(ax::attribute::frame);
    names.emplace_back(ax::attribute::main);
    return names;
}

ax::Result<bool> WindowNode::isSettable(std::string_view attribute) const {
    if (attribute == ax::attribute::position || attribute == ax::attribute::main)
        return true;
    if (attribute == ax::attribute::size)
        return !limits_.fixedSize;
    return Node::isSettable(attribute);
}

ax::Error WindowNode::write(World& world, std::string_view attribute, const ax::Value& value) {
    if (attribute == ax::attribute::position) {
        const auto* position = value.getIf<platform::CGPoint>();
        if (position == nullptr || !std::isfinite(position->x) || !std::isfinite(position->y)) {
            return ax::illegalArgument;
        }
        moveTo(world, *position);
        return ax::success;
    }
    if (attribute == ax::attribute::size) {
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
    if (attribute == ax::attribute::main) {
        const auto* main = value.getIf<bool>();
        if (main == nullptr)
            return ax::illegalArgument;
        // Writing false changes nothing, as on the system.
        if (*main)
            makeMain(world);
        return ax::success;
    }
    if (attribute == ax::attribute::minimized || attribute == ax::attribute::fullscreen) {
        const ax::Result<bool> settable = isSettable(attribute);
        if (!settable.ok())
            return settable.error();
        if (!settable.value())
            return ax::attributeUnsupported;
        const auto* flag = value.getIf<bool>();
        if (flag == nullptr)
            return ax::illegalArgument;
        if (attribute == ax::attribute::minimized) {
            setMinimized(world, *flag);
        } else {
            setFullScreen(world, *flag);
        }
        return ax::success;
    }
    return Node::write(world, attribute, value);
}

}  // namespace zoral::sim
