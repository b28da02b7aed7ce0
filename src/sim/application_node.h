#pragma once

// The application element of a simulated process. Unless a world stores them,
// it computes "AXWindows" (its windows on the spaces the displays show, in the
// window server's order, front-most first), "AXMainWindow" and
// "AXFocusedWindow" (the front-most of them that is not minimised); "AXFrontmost" and
// "AXHidden" come from the workspace, and writing them activates or hides.
// "AXEnhancedUserInterface" is kept, and every write recorded, by the world's
// EnhancedInterface component.

#include <memory>
#include <vector>

#include "sim/node.h"

namespace zoral::sim {

class WindowNode;

class ApplicationNode : public Node {
public:
    static constexpr std::string_view role = ax::role::application;

    explicit ApplicationNode(platform::ProcessId pid) : Node(pid, std::string(role)) {}

    // Front-most first; a window on its way out of full screen, or on a space no display shows,
    // is not listed.
    std::vector<std::shared_ptr<WindowNode>> windows() const;
    std::shared_ptr<WindowNode> mainWindow() const;
    // Opens a new, untitled window in front of the others, as an application
    // does when asked for one.
    std::shared_ptr<WindowNode> openWindow(World& world);
    // Puts the window in front of the application's other windows.
    void bringToFront(const std::shared_ptr<WindowNode>& window);

    ax::Result<ax::Value> read(World& world, std::string_view attribute) const override;
    ax::Result<bool> isSettable(std::string_view attribute) const override;
    ax::Error write(World& world, std::string_view attribute, const ax::Value& value) override;
    std::vector<std::string> attributeNames() const override;
};

}  // namespace zoral::sim
