#include "engine/model/tooltip_style.h"

namespace zoral::engine {

std::ostream& operator<<(std::ostream& stream, const TooltipStyle& style) {
    return stream << '(' << desktop::caseName(style.shape) << ", " << desktop::rawValue(style.image)
                  << ", " << desktop::caseName(style.colour) << ", "
                  << static_cast<int>(style.variant) << ')';
}

}  // namespace zoral::engine
