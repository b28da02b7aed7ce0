#include "sim/window_node.h"

#include <algorithm>
#include <cmath>

#include "sim/application_node.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {
constexpr std::string_view positionAttribute = "AXPosition";
constexpr std::string_view sizeAttribute = "AXSize";
constexpr std::string_view frameAttribute = "AXFrame";
constexpr std::string_view mainAttribute = "AXMain";
constexpr std::string_view minimizedAttribute = "AXMinimized";
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
    world.postNotification(*this, minimized ? "AXWindowMiniaturized" : "AXWindowDeminiaturized");
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
    if (attribute == minimizedAttribute) {
        const ax::Result<bool> settable = isSettable(attribute);
        if (!settable.ok())
            return settable.error();
        if (!settable.value())
            return ax::attributeUnsupported;
        const auto* minimized = value.getIf<bool>();
        if (minimized == nullptr)
            return ax::illegalArgument;
        setMinimized(world, *minimized);
        return ax::success;
    }
    return Node::write(world, attribute, value);
}

}  // namespace zoral::sim
