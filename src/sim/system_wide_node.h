#pragma once

// The system-wide element: it answers the focused application from the
// workspace (the active application), and otherwise what is stored on it.

#include "sim/node.h"

namespace zoral::sim {

class SystemWideNode : public Node {
public:
    static constexpr std::string_view role = ax::role::systemWide;

    explicit SystemWideNode(platform::ProcessId pid) : Node(pid, std::string(role)) {}

    ax::Result<ax::Value> read(World& world, std::string_view attribute) const override;
    std::vector<std::string> attributeNames() const override;
};

}  // namespace zoral::sim
