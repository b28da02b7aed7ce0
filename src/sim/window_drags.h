#pragma once

// What the window server does with a left press on a window itself, as the user's drags do on the
// system: in the title bar the window follows the pointer, moving as far as the pointer moves from
// wherever the window is (a frame the program writes during the drag stays); on an edge or a
// corner (within the resize margin inside the frame) the edges under the pointer follow it, the
// size kept within the window's limits and the opposite edges in place (a fixed-size window is
// only moved by its title bar). Every drag step moves or resizes the window with its
// notifications (a release where the last step ended moves nothing), and the window is the one
// the window server holds until the button is released.

#include <cstdint>

#include "platform/geometry.h"

namespace zoral::sim {

class InputPipeline;

// Edges of a window, combined with |.
enum WindowEdge : std::uint8_t {
    leftEdge = 1U << 0,
    rightEdge = 1U << 1,
    topEdge = 1U << 2,
    bottomEdge = 1U << 3,
};

// How far inside its frame a window can be taken by an edge.
inline constexpr double resizeMargin = 4;

// The edges a press at the point takes (0 inside, away from every edge).
std::uint8_t edgesAt(platform::CGRect frame, platform::CGPoint point);
// Where a press takes the edges (a corner for two), inside the resize margin.
platform::CGPoint gripOf(platform::CGRect frame, std::uint8_t edges);
// The frame a drag by the delta gives, the given edges moved.
platform::CGRect draggedFrame(platform::CGRect frame, std::uint8_t edges, platform::CGPoint delta);

void registerWindowDrags(InputPipeline& pipeline);

}  // namespace zoral::sim
