#pragma once

// A button of a window's title bar. Pressing an enabled one acts on its
// window as the system does: the close button closes it, the minimise button
// minimises it, the full-screen button toggles full screen. Other buttons
// accept a press and do nothing.

#include "sim/node.h"

namespace zoral::sim {

class ButtonNode : public Node {
public:
    static constexpr std::string_view role = ax::role::button;

    explicit ButtonNode(platform::ProcessId pid);

    ax::Error perform(World& world, std::string_view action) override;
};

}  // namespace zoral::sim
