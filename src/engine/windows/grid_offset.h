#pragma once

// The snapping offset: how far snapped windows keep apart and how far the snap area keeps from
// the screen's edges. Folded from the settings "gridOffset" and "gridOffsetEdges".

#include <cstdint>
#include <ostream>

namespace zoral::engine {

class GridOffset {
public:
    enum class Kind : std::uint8_t {
        none,     // gridOffset -1: no gap at all
        minimal,  // gridOffset 0: one point between windows
        edges,    // the offset between windows and at the screen's edges
        noEdges,  // the offset between windows only
    };

    static constexpr GridOffset none() { return GridOffset(Kind::none, 0); }
    static constexpr GridOffset minimal() { return GridOffset(Kind::minimal, 0); }
    static constexpr GridOffset edges(std::int64_t offset) {
        return GridOffset(Kind::edges, offset);
    }
    static constexpr GridOffset noEdges(std::int64_t offset) {
        return GridOffset(Kind::noEdges, offset);
    }

    // 0 is minimal, -1 none, any other value the offset with or without the edges.
    static constexpr GridOffset fold(std::int64_t gridOffset, bool gridOffsetEdges) {
        if (gridOffset == 0)
            return minimal();
        if (gridOffset == -1)
            return none();
        return gridOffsetEdges ? edges(gridOffset) : noEdges(gridOffset);
    }

    constexpr Kind kind() const { return kind_; }
    // The offset carried by edges and noEdges; 0 for the others.
    constexpr std::int64_t offset() const { return offset_; }

    friend constexpr bool operator==(const GridOffset&, const GridOffset&) = default;

private:
    constexpr GridOffset(Kind kind, std::int64_t offset) : kind_(kind), offset_(offset) {}

    Kind kind_;
    std::int64_t offset_;
};

std::ostream& operator<<(std::ostream& stream, const GridOffset& offset);

}  // namespace zoral::engine
