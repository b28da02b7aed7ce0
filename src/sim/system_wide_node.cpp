#include "sim/system_wide_node.h"

#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

ax::Result<ax::Value> SystemWideNode::read(World& world, std::string_view attribute) const {
    if (attribute == ax::attribute::focusedApplication && stored(attribute) == nullptr) {
        const auto active = workspace(world).frontmost(world);
        if (!active)
            return ax::noValue;
        return ax::Value(world.process(*active)->application->element());
    }
    return Node::read(world, attribute);
}

std::vector<std::string> SystemWideNode::attributeNames() const {
    auto names = Node::attributeNames();
    names.emplace_back(ax::attribute::focusedApplication);
    return names;
}

}  // namespace zoral::sim
