#include "sim/application_node.h"

#include <algorithm>

#include "sim/enhanced_interface.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

std::vector<std::shared_ptr<WindowNode>> ApplicationNode::windows() const {
    std::vector<std::shared_ptr<WindowNode>> result;
    const auto owner = world();
    if (!owner)
        return result;
    const WindowServer& server = WindowServer::of(*owner);
    for (const auto& node : server.windowsOf(pid())) {
        auto window = std::dynamic_pointer_cast<WindowNode>(node);
        // Windows of spaces the displays do not show are not reported.
        if (window && !window->isLeavingFullScreen() && server.isOnShownSpace(*owner, *window))
            result.push_back(std::move(window));
    }
    return result;
}

std::shared_ptr<WindowNode> ApplicationNode::mainWindow() const {
    for (const auto& window : windows()) {
        if (!window->isMinimized())
            return window;
    }
    return nullptr;
}

std::shared_ptr<WindowNode> ApplicationNode::openWindow(World& world) {
    auto window = world.makeNode<WindowNode>(pid(), WindowServer::of(world).allocateNumber());
    window->set(ax::attribute::title, std::string("Untitled"));
    window->set(ax::attribute::minimized, false);
    window->setSettable(ax::attribute::minimized);
    window->resizeTo(world, {800, 600});
    // Cascaded from the current main window.
    if (auto main = mainWindow()) {
        const platform::CGRect frame = *main->frame();
        window->moveTo(world, {frame.origin.x + 20, frame.origin.y + 20});
    }
    appendChild(window);
    world.postNotification(*window, ax::notification::windowCreated);
    world.postNotification(*this, ax::notification::mainWindowChanged);
    world.postNotification(*this, ax::notification::focusedWindowChanged);
    return window;
}

void ApplicationNode::bringToFront(const std::shared_ptr<WindowNode>& window) {
    if (const auto owner = world())
        WindowServer::of(*owner).orderFrontOfApplication(*window);
}

ax::Result<ax::Value> ApplicationNode::read(World& world, std::string_view attribute) const {
    if (stored(attribute) == nullptr) {
        if (attribute == ax::attribute::windows) {
            ax::Value::Array elements;
            for (const auto& window : windows())
                elements.emplace_back(window->element());
            return ax::Value(std::move(elements));
        }
        if (attribute == ax::attribute::frontmost) {
            return ax::Value(workspace(world).frontmost(world) == pid());
        }
        if (attribute == ax::attribute::hidden)
            return ax::Value(workspace(world).infoOf(pid()).hidden);
        if (attribute == EnhancedInterface::attribute) {
            if (const auto enhanced = world.component<EnhancedInterface>().value(pid()))
                return ax::Value(*enhanced);
            return ax::noValue;
        }
        if (attribute == ax::attribute::mainWindow || attribute == ax::attribute::focusedWindow) {
            if (auto window = mainWindow())
                return ax::Value(window->element());
            return ax::noValue;
        }
    }
    return Node::read(world, attribute);
}

ax::Result<bool> ApplicationNode::isSettable(std::string_view attribute) const {
    if (stored(attribute) == nullptr &&
        (attribute == ax::attribute::frontmost || attribute == ax::attribute::hidden ||
         attribute == EnhancedInterface::attribute)) {
        return true;
    }
    return Node::isSettable(attribute);
}

ax::Error ApplicationNode::write(World& world, std::string_view attribute, const ax::Value& value) {
    if (stored(attribute) == nullptr && attribute == EnhancedInterface::attribute) {
        const auto* flag = value.getIf<bool>();
        if (flag == nullptr)
            return ax::illegalArgument;
        world.component<EnhancedInterface>().write(pid(), *flag);
        return ax::success;
    }
    if (stored(attribute) == nullptr &&
        (attribute == ax::attribute::frontmost || attribute == ax::attribute::hidden)) {
        const auto* flag = value.getIf<bool>();
        if (flag == nullptr)
            return ax::illegalArgument;
        if (attribute == ax::attribute::hidden) {
            workspace(world).requestHidden(world, pid(), *flag);
        } else if (*flag) {
            // Writing false changes nothing, as on the system.
            workspace(world).activateNow(world, pid());
        }
        return ax::success;
    }
    return Node::write(world, attribute, value);
}

std::vector<std::string> ApplicationNode::attributeNames() const {
    auto names = Node::attributeNames();
    for (auto name :
         {ax::attribute::windows, ax::attribute::mainWindow, ax::attribute::focusedWindow,
          ax::attribute::frontmost, ax::attribute::hidden, EnhancedInterface::attribute}) {
        if (stored(name) == nullptr)
            names.emplace_back(name);
    }
    return names;
}

}  // namespace zoral::sim
