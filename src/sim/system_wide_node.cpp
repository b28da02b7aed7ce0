#include "sim/system_wide_node.h"

#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {
constexpr std::string_view focusedApplicationAttribute = "AXFocusedApplication";
}

ax::Result<ax::Value> SystemWideNode::read(World& world, std::string_view attribute) const {
    if (attribute == focusedApplicationAttribute && stored(attribute) == nullptr) {
        const auto active = workspace(world).frontmost(world);
        if (!active)
            return ax::noValue;
        return ax::Value(world.process(*active)->application->element());
    }
    return Node::read(world, attribute);
}

std::vector<std::string> SystemWideNode::attributeNames() const {
    auto names = Node::attributeNames();
    names.emplace_back(focusedApplicationAttribute);
    return names;
}

}  // namespace zoral::sim
