#include "sim/window_node.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/spaces.h"
#include "sim/timing.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

bool isFinite(platform::CGPoint point) {
    return std::isfinite(point.x) && std::isfinite(point.y);
}

bool isValidSize(platform::CGSize size) {
    return std::isfinite(size.width) && std::isfinite(size.height) && size.width >= 0 &&
           size.height >= 0;
}

}  // namespace

WindowNode::WindowNode(platform::ProcessId pid, std::int64_t windowNumber, WindowLimits limits)
    : Node(pid, role), windowNumber_(windowNumber), limits_(limits) {
    Node::set(ax::attribute::position, platform::CGPoint{});
    Node::set(ax::attribute::size, clamped(platform::CGSize{}));
}

void WindowNode::set(std::string_view attribute, ax::Value value) {
    // The frame is always a finite rectangle, whatever a world file or a test stores, and the
    // window's states are flags; the frame itself is computed.
    if (attribute == ax::attribute::position) {
        const auto* point = value.getIf<platform::CGPoint>();
        if (point == nullptr || !isFinite(*point))
            return;
    } else if (attribute == ax::attribute::size) {
        const auto* size = value.getIf<platform::CGSize>();
        if (size == nullptr || !isValidSize(*size))
            return;
    } else if (attribute == ax::attribute::minimized || attribute == ax::attribute::fullscreen) {
        if (value.getIf<bool>() == nullptr)
            return;
    } else if (attribute == ax::attribute::frame) {
        return;
    }
    Node::set(attribute, std::move(value));
}

platform::CGPoint WindowNode::position() const {
    const ax::Value* value = stored(ax::attribute::position);
    const auto* point = value != nullptr ? value->getIf<platform::CGPoint>() : nullptr;
    return point != nullptr ? *point : platform::CGPoint{};
}

platform::CGSize WindowNode::size() const {
    const ax::Value* value = stored(ax::attribute::size);
    const auto* size = value != nullptr ? value->getIf<platform::CGSize>() : nullptr;
    return size != nullptr ? *size : platform::CGSize{};
}

std::optional<platform::CGRect> WindowNode::frame() const {
    return platform::CGRect(position(), size());
}

int WindowNode::layer() const {
    if (const auto owner = world()) {
        if (const auto placed = WindowServer::of(*owner).window(*this))
            return placed->options.level;
    }
    return layer_;
}

void WindowNode::setLayer(int layer) {
    layer_ = layer;
    if (const auto owner = world()) {
        WindowServer& server = WindowServer::of(*owner);
        if (const auto placed = server.window(*this)) {
            WindowOptions options = placed->options;
            options.level = layer;
            server.setOptions(*this, options);
        }
    }
}

void WindowNode::setLimits(WindowLimits limits) {
    limits_ = limits;
    Node::set(ax::attribute::size, clamped(size()));
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

bool WindowNode::storedFlag(std::string_view attribute) const {
    const ax::Value* value = stored(attribute);
    const bool* flag = value != nullptr ? value->getIf<bool>() : nullptr;
    return flag != nullptr && *flag;
}

bool WindowNode::isMinimized() const {
    return storedFlag(ax::attribute::minimized);
}

void WindowNode::setMinimized(World& world, bool minimized) {
    if (isMinimized() == minimized)
        return;
    Node::set(ax::attribute::minimized, minimized);
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

void WindowNode::minimize(World& world, bool minimized) {
    if (transition_ != Transition::none || isMinimized() == minimized)
        return;
    const Timing& timing = world.component<Timing>();
    after(world, minimized ? timing.minimize : timing.restore,
          minimized ? Transition::minimizing : Transition::restoring,
          [minimized](World& owner, WindowNode& self) { self.setMinimized(owner, minimized); });
}

bool WindowNode::isFullScreen() const {
    return storedFlag(ax::attribute::fullscreen);
}

void WindowNode::after(World& world, double delay, Transition transition,
                       std::function<void(World&, WindowNode&)> change) {
    transition_ = transition;
    platform::DispatchQueue::main().asyncAfter(
        platform::DispatchTime::now() + delay,
        [weakWorld = world.weak(),
         weak = std::weak_ptr<WindowNode>(std::static_pointer_cast<WindowNode>(shared_from_this())),
         change = std::move(change)] {
            const auto owner = weakWorld.lock();
            const auto self = weak.lock();
            if (!owner || !self)
                return;
            self->transition_ = Transition::none;
            if (!self->isDestroyed())
                change(*owner, *self);
        });
}

void WindowNode::setFullScreen(World& world, bool fullScreen) {
    if (transition_ != Transition::none || isFullScreen() == fullScreen)
        return;
    const Timing& timing = world.component<Timing>();
    if (fullScreen) {
        after(world, timing.fullScreenEnter, Transition::enteringFullScreen,
              [](World& owner, WindowNode& self) { self.enterFullScreen(owner); });
    } else {
        after(world, timing.fullScreenExit, Transition::leavingFullScreen,
              [](World& owner, WindowNode& self) { self.leaveFullScreen(owner); });
    }
}

void WindowNode::enterFullScreen(World& world) {
    const platform::CGRect current = *frame();
    const platform::CGPoint centre{current.midX(), current.midY()};
    const auto target = Displays::of(world).topLeftFrameAt(centre);
    if (!target)
        return;
    frameBeforeFullScreen_ = current;
    Spaces::of(world).enterFullScreen(world, windowNumber_, centre);
    Node::set(ax::attribute::fullscreen, true);
    Node::set(ax::attribute::position, target->origin);
    Node::set(ax::attribute::size, target->size);
    notifyFrameChanged(world, true, true);
}

void WindowNode::leaveFullScreen(World& world) {
    Node::set(ax::attribute::fullscreen, false);
    Spaces::of(world).leaveFullScreen(world, windowNumber_);
    if (frameBeforeFullScreen_) {
        Node::set(ax::attribute::position, frameBeforeFullScreen_->origin);
        Node::set(ax::attribute::size, frameBeforeFullScreen_->size);
        frameBeforeFullScreen_.reset();
    }
    notifyFrameChanged(world, true, true);
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
    markSubtreeDestroyed();
    if (wasMain) {
        world.postNotification(*application, ax::notification::mainWindowChanged);
        world.postNotification(*application, ax::notification::focusedWindowChanged);
    }
}

void WindowNode::makeMain(World& world) {
    auto application = std::dynamic_pointer_cast<ApplicationNode>(parent());
    if (!application || application->mainWindow().get() == this)
        return;
    WindowServer::of(world).orderFrontOfApplication(*this);
    world.postNotification(*application, ax::notification::mainWindowChanged);
    world.postNotification(*application, ax::notification::focusedWindowChanged);
}

void WindowNode::moveTo(World& world, platform::CGPoint position) {
    if (!isFinite(position) || this->position() == position)
        return;
    Node::set(ax::attribute::position, position);
    notifyFrameChanged(world, true, false);
}

void WindowNode::resizeTo(World& world, platform::CGSize size) {
    if (!isValidSize(size))
        return;
    size = clamped(size);
    if (this->size() == size)
        return;
    Node::set(ax::attribute::size, size);
    notifyFrameChanged(world, false, true);
}

void WindowNode::notifyFrameChanged(World& world, bool moved, bool resized) {
    // Observers of the window hear of it as an element, observers of the application as a window.
    if (moved) {
        world.postNotification(*this, ax::notification::moved);
        world.postNotification(*this, ax::notification::windowMoved);
    }
    if (resized) {
        world.postNotification(*this, ax::notification::resized);
        world.postNotification(*this, ax::notification::windowResized);
    }
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
        if (position == nullptr || !isFinite(*position))
            return ax::illegalArgument;
        moveTo(world, *position);
        return ax::success;
    }
    if (attribute == ax::attribute::size) {
        if (limits_.fixedSize)
            return ax::attributeUnsupported;
        const auto* size = value.getIf<platform::CGSize>();
        if (size == nullptr || !isValidSize(*size))
            return ax::illegalArgument;
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
            minimize(world, *flag);
        } else {
            setFullScreen(world, *flag);
        }
        return ax::success;
    }
    return Node::write(world, attribute, value);
}

}  // namespace zoral::sim
