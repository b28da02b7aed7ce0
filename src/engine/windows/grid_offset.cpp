#include "engine/windows/grid_offset.h"

namespace zoral::engine {

std::ostream& operator<<(std::ostream& stream, const GridOffset& offset) {
    switch (offset.kind()) {
        case GridOffset::Kind::none:
            return stream << "none";
        case GridOffset::Kind::minimal:
            return stream << "minimal";
        case GridOffset::Kind::edges:
            return stream << "edges(" << offset.offset() << ')';
        case GridOffset::Kind::noEdges:
            return stream << "noEdges(" << offset.offset() << ')';
    }
    return stream << "GridOffset";
}

}  // namespace zoral::engine
