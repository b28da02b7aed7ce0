#include "sim/button_node.h"

#include "sim/window_node.h"

namespace zoral::sim {

ButtonNode::ButtonNode(platform::ProcessId pid) : Node(pid, std::string(role)) {
    setActions({ax::action::press});
}

ax::Error ButtonNode::perform(World& world, std::string_view action) {
    const ax::Error error = Node::perform(world, action);
    if (error != ax::success || action != ax::action::press)
        return error;
    if (const ax::Value* enabled = stored(ax::attribute::enabled)) {
        if (const bool* flag = enabled->getIf<bool>(); flag != nullptr && !*flag)
            return ax::success;
    }
    std::shared_ptr<WindowNode> window;
    for (auto node = parent(); node && !window; node = node->parent()) {
        window = std::dynamic_pointer_cast<WindowNode>(node);
    }
    const ax::Value* subrole = stored(ax::attribute::subrole);
    const std::string* kind = subrole != nullptr ? subrole->getIf<std::string>() : nullptr;
    if (!window || kind == nullptr)
        return ax::success;
    if (*kind == ax::subrole::closeButton) {
        window->close(world);
    } else if (*kind == ax::subrole::minimizeButton) {
        window->minimize(world, true);
    } else if (*kind == ax::subrole::fullScreenButton) {
        window->setFullScreen(world, !window->isFullScreen());
    }
    return ax::success;
}

}  // namespace zoral::sim
